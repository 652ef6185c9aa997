#pragma once

#include <cstddef>
#include <string_view>

// The browser remote's files, built into the program from src/web/assets.
struct WebAsset {
    std::string_view path;  // "/app.js"
    const char* type;
    const unsigned char* data;
    std::size_t size;
};

// Only the files of the table are served: no path is ever joined to a folder.
const WebAsset* FindWebAsset(std::string_view path);
