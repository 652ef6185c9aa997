#pragma once

#include <string>
#include <vector>

// The checks made before a request or a WebSocket is served, as plain
// functions of the headers so they can be tested without a server.

// A browser's Origin must be this server as the browser addressed it
// ("http://" or "https://" and the Host header), or one the config allows.
// A request without an Origin is refused.
bool OriginAllowed(const char* origin, const char* host, bool tls, const std::vector<std::string>& extra);

// The value of `key` in a query string ("p=1&index=3"), or empty.
std::string QueryValue(const char* query, const std::string& key);
