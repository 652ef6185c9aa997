#pragma once

#include "common/ByteString.h"

#include <cstddef>
#include <cstdint>

// Block codec of the link's XModem variant: 128 data bytes behind SOH, the block
// number and its complement, closed by an 8-bit sum over everything before it
// (header included, unlike classic XModem). Pure functions, no I/O.

inline constexpr std::uint8_t XM_SOH = 0x01;
inline constexpr std::uint8_t XM_EOT = 0x04;
inline constexpr std::uint8_t XM_ACK = 0x06;
inline constexpr std::uint8_t XM_NAK = 0x15;
inline constexpr std::uint8_t XM_CAN = 0x18;
inline constexpr std::uint8_t XM_START = 'C';

inline constexpr std::size_t kXBlockData = 128;
inline constexpr std::size_t kXBlockLength = kXBlockData + 4;

// Block with the given number (low 8 bits used). Takes up to 128 bytes from data;
// a shorter run is padded with zero bytes.
ByteString BuildXBlock(std::uint32_t blockNumber, const std::uint8_t* data, std::size_t length);

enum class XBlockVerdict { Eot, Cancel, Valid, Invalid };

// Judges a delivered packet against the block expected next. Only the first 132
// bytes of a longer packet count.
XBlockVerdict CheckXBlock(const ByteString& packet, std::uint32_t expectedBlock);
