#pragma once

// A test's HTTP client over civetweb's own client calls: one request, the whole
// answer back, bounded by a time-out.
#include <civetweb.h>

#include <cstdint>
#include <string>

struct HttpAnswer {
    int status = 0;  // 0: no answer
    std::string contentType;
    std::string body;
};

inline HttpAnswer HttpRequest(std::uint16_t port, const std::string& request, bool tls = false)
{
    char error[256] = {};
    HttpAnswer answer;
    mg_connection* c = mg_connect_client("127.0.0.1", port, tls ? 1 : 0, error, sizeof error);
    if (!c)
        return answer;
    mg_write(c, request.data(), request.size());
    if (mg_get_response(c, error, sizeof error, 10000) >= 0) {
        const mg_response_info* info = mg_get_response_info(c);
        answer.status = info->status_code;
        for (int i = 0; i < info->num_headers; ++i)
            if (std::string(info->http_headers[i].name) == "Content-Type")
                answer.contentType = info->http_headers[i].value;
        char buffer[4096];
        for (int n; (n = mg_read(c, buffer, sizeof buffer)) > 0;)
            answer.body.append(buffer, static_cast<std::size_t>(n));
    }
    mg_close_connection(c);
    return answer;
}

inline HttpAnswer HttpGet(std::uint16_t port, const std::string& path, bool tls = false)
{
    return HttpRequest(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", tls);
}
