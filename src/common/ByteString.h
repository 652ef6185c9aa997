#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A counted run of bytes that may hold zeros: packets, transfer data, control
// descriptions, presets.
using ByteString = std::vector<std::uint8_t>;
