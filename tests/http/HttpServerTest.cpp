#include "http/HttpServer.h"

#include "HttpClient.h"
#include "TlsClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

http::ServerOptions Loopback()
{
    http::ServerOptions o;
    o.threads = 4;
    return o;
}

}  // namespace

TEST(HttpServer, RoutesAnswerWithTheirStatusTypeAndBodyAndOthersGet404)
{
    http::Server server;
    server.Route("/metrics", [](const http::Request& r) {
        return http::Response{200, "text/plain; version=0.0.4", "m " + r.method + " " + r.query + "\n", {{"X-A", "b"}}};
    });
    server.Route("/teapot", [](const http::Request&) { return http::Response{418, "text/plain", "short\n", {}}; });
    std::string why;
    ASSERT_TRUE(server.Start(Loopback(), &why)) << why;
    ASSERT_NE(server.Port(), 0);

    HttpAnswer a = HttpGet(server.Port(), "/metrics?x=1");
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(a.contentType, "text/plain; version=0.0.4");
    EXPECT_EQ(a.body, "m GET x=1\n");
    a = HttpGet(server.Port(), "/teapot");
    EXPECT_EQ(a.status, 418);
    EXPECT_EQ(a.body, "short\n");
    // Exact paths only: neither a longer path nor an unrouted one reaches a handler.
    EXPECT_EQ(HttpGet(server.Port(), "/metrics/x").status, 404);
    EXPECT_EQ(HttpGet(server.Port(), "/").status, 404);
    server.Stop();
    EXPECT_EQ(HttpGet(server.Port(), "/metrics").status, 0);
}

TEST(HttpServer, BodiesReachTheHandlerUpToTheLimitAndLargerOnesGet413)
{
    http::Server server;
    std::size_t seen = 0;
    server.Route("/in", [&](const http::Request& r) {
        seen = r.body.size();
        return http::Response{200, "text/plain", r.Header("x-token"), {}};
    });
    std::string why;
    ASSERT_TRUE(server.Start(Loopback(), &why)) << why;
    auto post = [&](std::size_t n) {
        return HttpRequest(server.Port(), "POST /in HTTP/1.1\r\nHost: x\r\nX-Token: abc\r\nConnection: close\r\n"
                                          "Content-Length: " + std::to_string(n) + "\r\n\r\n" + std::string(n, 'a'));
    };
    HttpAnswer a = post(http::Server::kMaxBody);
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(a.body, "abc");  // header names compare without case
    EXPECT_EQ(seen, http::Server::kMaxBody);
    seen = 0;
    EXPECT_EQ(post(http::Server::kMaxBody + 1).status, 413);
    EXPECT_EQ(seen, 0u);
}

TEST(HttpServer, AHandlerThatThrowsGives500AndTheServerGoesOn)
{
    http::Server server;
    server.Route("/bad", [](const http::Request&) -> http::Response { throw std::runtime_error("no"); });
    server.Route("/good", [](const http::Request&) { return http::Response{200, "text/plain", "ok", {}}; });
    std::string why;
    ASSERT_TRUE(server.Start(Loopback(), &why)) << why;
    EXPECT_EQ(HttpGet(server.Port(), "/bad").status, 500);
    EXPECT_EQ(HttpGet(server.Port(), "/good").body, "ok");
}

TEST(HttpServer, APortInUseOrABadAddressIsReportedNotServed)
{
    http::Server first, second;
    std::string why;
    ASSERT_TRUE(first.Start(Loopback(), &why)) << why;
    http::ServerOptions o = Loopback();
    o.port = first.Port();
    EXPECT_FALSE(second.Start(o, &why));
    EXPECT_NE(why.find(std::to_string(first.Port())), std::string::npos) << why;
    EXPECT_FALSE(second.Running());
    o.port = 0;
    o.tlsCertificate = "/nonexistent/cert.pem";
    EXPECT_FALSE(second.Start(o, &why));
}

namespace {

struct WsClient {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::string> got;
    bool closed = false;

    static int OnData(mg_connection*, int bits, char* data, size_t length, void* self)
    {
        auto* c = static_cast<WsClient*>(self);
        if ((bits & 0x0F) == MG_WEBSOCKET_OPCODE_TEXT) {
            std::lock_guard lock(c->mutex);
            c->got.emplace_back(data, length);
            c->cv.notify_all();
        }
        return 1;
    }
    static void OnClose(const mg_connection*, void* self)
    {
        auto* c = static_cast<WsClient*>(self);
        std::lock_guard lock(c->mutex);
        c->closed = true;
        c->cv.notify_all();
    }
    bool WaitFor(std::size_t n)
    {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, 10s, [&] { return got.size() >= n; });
    }
};

}  // namespace

TEST(HttpServer, WebSocketsEchoEachMessageToItsOwnPeerAndRefusedOnesNeverOpen)
{
    http::Server server;
    std::mutex mutex;
    int opened = 0, closed = 0;
    http::WebSocketHandlers h;
    h.accept = [](const http::Request& r) { return r.query != "deny"; };
    h.onOpen = [&](http::WebSocket& s) {
        std::lock_guard lock(mutex);
        ++opened;
        s.Send("hello");
    };
    h.onMessage = [](http::WebSocket& s, const std::string& data, bool binary) {
        return s.Send((binary ? "bin:" : "txt:") + data);
    };
    h.onClose = [&](http::WebSocket&) {
        std::lock_guard lock(mutex);
        ++closed;
    };
    server.RouteWebSocket("/live", h);
    std::string why;
    ASSERT_TRUE(server.Start(Loopback(), &why)) << why;

    WsClient a, b;
    char error[256] = {};
    mg_connection* ca = mg_connect_websocket_client("127.0.0.1", server.Port(), 0, error, sizeof error, "/live",
                                                    nullptr, &WsClient::OnData, &WsClient::OnClose, &a);
    ASSERT_NE(ca, nullptr) << error;
    mg_connection* cb = mg_connect_websocket_client("127.0.0.1", server.Port(), 0, error, sizeof error, "/live",
                                                    nullptr, &WsClient::OnData, &WsClient::OnClose, &b);
    ASSERT_NE(cb, nullptr) << error;
    ASSERT_TRUE(a.WaitFor(1));
    ASSERT_TRUE(b.WaitFor(1));
    mg_websocket_client_write(ca, MG_WEBSOCKET_OPCODE_TEXT, "one", 3);
    mg_websocket_client_write(cb, MG_WEBSOCKET_OPCODE_BINARY, "two", 3);
    ASSERT_TRUE(a.WaitFor(2));
    ASSERT_TRUE(b.WaitFor(2));
    EXPECT_EQ(a.got, (std::vector<std::string>{"hello", "txt:one"}));
    EXPECT_EQ(b.got, (std::vector<std::string>{"hello", "bin:two"}));

    WsClient denied;
    mg_connection* cd = mg_connect_websocket_client("127.0.0.1", server.Port(), 0, error, sizeof error,
                                                    "/live?deny", nullptr, &WsClient::OnData, &WsClient::OnClose,
                                                    &denied);
    EXPECT_EQ(cd, nullptr);
    if (cd)
        mg_close_connection(cd);
    mg_close_connection(ca);
    mg_close_connection(cb);
    server.Stop();  // joins every worker: the close handlers have run
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(closed, 2);
}

namespace {

// A self-signed certificate for 127.0.0.1 and its key, made by the openssl
// program in a fresh folder.
struct SelfSigned {
    std::filesystem::path folder;
    std::string cert, key;
    bool made = false;

    SelfSigned()
    {
        char name[] = "/tmp/vexlor-tls-test-XXXXXX";
        folder = ::mkdtemp(name);
        cert = (folder / "cert.pem").string();
        key = (folder / "key.pem").string();
        const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout " +
                                    key + " -out " + cert + " >/dev/null 2>&1";
        made = std::system(command.c_str()) == 0;
    }
    ~SelfSigned() { std::filesystem::remove_all(folder); }
};

}  // namespace

TEST(HttpServer, WithACertificateAndKeyItServesHttpsAndNoPlainHttp)
{
    SelfSigned files;
    ASSERT_TRUE(files.made) << "openssl could not make a certificate";
    http::Server server;
    server.Route("/hello", [](const http::Request&) { return http::Response{200, "text/plain", "over TLS\n", {}}; });
    http::ServerOptions o = Loopback();
    o.tlsCertificate = files.cert;
    o.tlsKey = files.key;
    std::string why;
    ASSERT_TRUE(server.Start(o, &why)) << why;

    const TlsAnswer a = TlsRequest(server.Port(), "GET /hello HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    ASSERT_TRUE(a.handshake);
    EXPECT_EQ(a.peerName, "/CN=127.0.0.1");
    EXPECT_EQ(a.reply.rfind("HTTP/1.1 200", 0), 0u) << a.reply;
    EXPECT_NE(a.reply.find("\r\n\r\nover TLS\n"), std::string::npos) << a.reply;
    // Plain HTTP on the TLS port gets no answer.
    EXPECT_EQ(HttpGet(server.Port(), "/hello").status, 0);
    server.Stop();
    // The joined key file lived only while the server ran.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files.folder), {}), 2);
}
