#pragma once

#include "common/ByteString.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A preset file holds one preset image exactly as the processor sends it: a
// 15-byte name (ended by the first zero byte) and then settings opaque to us.
namespace presets {

constexpr std::size_t kPresetNameBytes = 15;
// Nothing the processor sends comes near this; a larger file is not a preset.
constexpr std::size_t kMaxPresetFileBytes = 1024 * 1024;

using LogLine = std::function<void(const std::string&)>;

// "preset", the index in lower-case hexadecimal, ".pst" (10 -> "preseta.pst").
std::string PresetTempFileName(std::uint8_t index);

// Creates or overwrites the file whole, or leaves it as it was: the bytes go to
// a file beside it that then takes its name. False when that fails, with the
// system's reason in *reason when given.
bool WritePresetFile(const std::string& path, const ByteString& bytes, std::string* reason = nullptr);

// The whole file, or empty bytes when it cannot be opened. A short read or a
// file above kMaxPresetFileBytes logs "File Read Error " and gives what was read
// (nothing for an oversized file).
ByteString ReadPresetFile(const std::string& path, const LogLine& log = {});

// First 15 bytes up to the first zero byte, as written.
std::string PresetNameFromBytes(const ByteString& bytes);

// The 15 name bytes of a Rename command: cut after 15, padded with zero bytes.
ByteString PresetRenameBytes(const std::string& name);

std::string ToUpperAscii(std::string text);

}  // namespace presets
