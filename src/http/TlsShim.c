/* Debian's civetweb 1.15 loads OpenSSL with dlopen("libssl.so") and looks up
 * SSL_get_peer_certificate, which OpenSSL 3 keeps only as a macro, so TLS
 * cannot start. This small library carries the soname "libssl.so": loaded
 * with the program, it is what civetweb's dlopen finds; it answers that one
 * name and every other name is found in libssl.so.3 behind it. */
#include <openssl/ssl.h>

#undef SSL_get_peer_certificate
X509* SSL_get_peer_certificate(const SSL* ssl);

X509* SSL_get_peer_certificate(const SSL* ssl)
{
    return SSL_get1_peer_certificate(ssl);
}

/* The HTTP server calls this before it starts, which keeps the shim among the
 * program's needed libraries. */
int vexlor_tls_shim_loaded(void);

int vexlor_tls_shim_loaded(void)
{
    return 1;
}
