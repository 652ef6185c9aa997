#pragma once

#include "web/WebAuth.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// The browser remote's part of the agent's config file (INI); the agent's
// processors are its processors:
//   [web]        listen, port, cert, key, origin (extra allowed Origins, comma separated)
//   [users]      NAME=ROLE:ARGON2ID-HASH, one line per user
// Every other group is left to the agent.

struct WebConfig {
    bool enabled = false;  // the file has a [web] group
    std::string listen = "127.0.0.1";
    int port = 8080;
    std::string cert;
    std::string key;
    std::vector<std::string> origins;
    std::map<std::string, WebUser> users;

    bool Tls() const { return !cert.empty() && !key.empty(); }
    bool Loopback() const { return listen == "127.0.0.1" || listen == "::1" || listen == "localhost"; }
};

// Lines that could not be read are reported in `errors` and skipped.
WebConfig ParseWebConfig(const std::string& text, std::vector<std::string>& errors);

// The config text with user `name` set to `entry` in the [users] group (the
// group is added when missing); every other line stays as it was.
std::string SetUserInConfig(const std::string& text, const std::string& name, const WebUser& user);

// Writes user `name` with `role` ("admin" or "readonly") and a hash of
// `password` into the config file at `path`, which only its owner may then
// read. False and why when the name, role or password will not do or the file
// cannot be written.
bool AddUserToConfigFile(const std::string& path, const std::string& name, const std::string& role,
                         const std::string& password, std::string* why);
