#pragma once

#include <cstdint>

// The processor models, identified by the first byte of the control description.
struct ModelInfo {
    std::uint8_t code;
    const char* name;
    const char* meterBackgroundKey;
    std::uint8_t userPresets;
};

// Null for codes without a row (0, 3, 11, 16 and above).
const ModelInfo* FindModel(std::uint8_t code);
