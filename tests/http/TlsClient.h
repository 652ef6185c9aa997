#pragma once

// A test's HTTPS client over OpenSSL on a socket with time-outs: connect,
// handshake, one request, the answer up to the close. Every step is bounded,
// so a server that stalls fails the test instead of hanging it.
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <string>

struct TlsAnswer {
    bool handshake = false;
    std::string peerName;  // the certificate's subject
    std::string reply;     // head and body as received
};

inline TlsAnswer TlsRequest(std::uint16_t port, const std::string& request, int timeoutSeconds = 5)
{
    TlsAnswer answer;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval limit{timeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return answer;
    }
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    SSL* ssl = SSL_new(context);
    SSL_set_fd(ssl, fd);
    if (SSL_connect(ssl) == 1) {
        answer.handshake = true;
        if (X509* cert = SSL_get1_peer_certificate(ssl)) {
            char name[256] = {};
            X509_NAME_oneline(X509_get_subject_name(cert), name, sizeof name);
            answer.peerName = name;
            X509_free(cert);
        }
        SSL_write(ssl, request.data(), static_cast<int>(request.size()));
        char buffer[4096];
        for (int n; (n = SSL_read(ssl, buffer, sizeof buffer)) > 0;)
            answer.reply.append(buffer, static_cast<std::size_t>(n));
        SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    SSL_CTX_free(context);
    ::close(fd);
    return answer;
}
