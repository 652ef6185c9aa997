#include "web/WebGate.h"

#include <algorithm>
#include <sstream>

bool OriginAllowed(const char* origin, const char* host, bool tls, const std::vector<std::string>& extra)
{
    if (!origin || !*origin) return false;
    const std::string o = origin;
    if (host && *host && o == std::string(tls ? "https://" : "http://") + host) return true;
    return std::find(extra.begin(), extra.end(), o) != extra.end();
}

std::string QueryValue(const char* query, const std::string& key)
{
    if (!query) return {};
    std::stringstream in(query);
    std::string part;
    while (std::getline(in, part, '&'))
        if (part.size() > key.size() && part.compare(0, key.size(), key) == 0 && part[key.size()] == '=')
            return part.substr(key.size() + 1);
    return {};
}
