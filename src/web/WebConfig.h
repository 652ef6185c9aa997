#pragma once

#include "web/WebAuth.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// The browser remote's part of the config file (INI):
//   [web]        listen, port, cert, key, origin (extra allowed Origins, comma separated)
//   [users]      NAME=ROLE:ARGON2ID-HASH, one line per user
//   [processor]  one group per processor ("[processor studio]"): host and port,
//                or device for a serial line; lock (the four-digit lock code)

struct WebProcessorConfig {
    std::string name;
    std::string host = "127.0.0.1";
    int port = 1203;
    std::string device;
    std::string lock = "0000";
};

struct WebConfig {
    std::string listen = "127.0.0.1";
    int port = 8080;
    std::string cert;
    std::string key;
    std::vector<std::string> origins;
    std::map<std::string, WebUser> users;
    std::vector<WebProcessorConfig> processors;

    bool Tls() const { return !cert.empty() && !key.empty(); }
    bool Loopback() const { return listen == "127.0.0.1" || listen == "::1" || listen == "localhost"; }
};

// Lines that could not be read are reported in `errors` and skipped.
WebConfig ParseWebConfig(const std::string& text, std::vector<std::string>& errors);

// The config text with user `name` set to `entry` in the [users] group (the
// group is added when missing); every other line stays as it was.
std::string SetUserInConfig(const std::string& text, const std::string& name, const WebUser& user);
