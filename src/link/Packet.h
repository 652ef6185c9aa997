#pragma once

#include "common/ByteString.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Command and reply framing of the processor link: one byte per field, no start
// byte, no length field; the last byte of every packet is the 8-bit sum of the
// bytes before it. Pure functions, no I/O.

// Opcodes of the command set.
inline constexpr std::uint8_t CMD_DISCONNECT = 0x00;
inline constexpr std::uint8_t CMD_WRITE_PARAM = 0x01;
inline constexpr std::uint8_t CMD_SEND_PRESET = 0x02;
inline constexpr std::uint8_t CMD_SEND_UPGRADE = 0x03;
inline constexpr std::uint8_t CMD_LOAD_PRESET = 0x04;
inline constexpr std::uint8_t CMD_SAVE_PRESET = 0x05;
inline constexpr std::uint8_t CMD_SEND_COMPARE = 0x07;
inline constexpr std::uint8_t CMD_SEND_REVERT = 0x08;
inline constexpr std::uint8_t CMD_RENAME_PRESET = 0x09;
inline constexpr std::uint8_t CMD_READ_VERSION = 0x80;
inline constexpr std::uint8_t CMD_READ_PARAM = 0x81;
inline constexpr std::uint8_t CMD_READ_LEDS = 0x82;
inline constexpr std::uint8_t CMD_GET_CONFIG = 0x83;
inline constexpr std::uint8_t CMD_GET_FACTORY_PRESET_NUMBER = 0x84;
inline constexpr std::uint8_t CMD_GET_PRESET = 0x85;

// Status byte of an answering reply; also the XModem ACK.
inline constexpr std::uint8_t REPLY_ACK = 0x06;
inline constexpr std::uint8_t REPLY_NAK = 0x15;

inline constexpr std::size_t kStatusPacketLength = 29;
inline constexpr std::size_t kRenameNameLength = 15;
inline constexpr std::size_t kLockCodeLength = 4;

// 8-bit sum, modulo 256, of the bytes.
std::uint8_t Checksum(const std::uint8_t* data, std::size_t length);

// Opcode, payload, checksum.
ByteString BuildCommand(std::uint8_t opcode, const std::uint8_t* payload = nullptr,
                        std::size_t payloadLength = 0);

ByteString BuildDisconnect();
ByteString BuildWriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value);
ByteString BuildSendPreset(std::uint8_t preset);
ByteString BuildSendUpgrade();
ByteString BuildLoadPreset(std::uint8_t preset);
ByteString BuildSavePreset(std::uint8_t preset);
ByteString BuildSendCompare();
ByteString BuildSendRevert();
// Only the first 15 characters of the name travel; a shorter name is padded with zeros.
ByteString BuildRenamePreset(std::uint8_t preset, std::string_view name);
ByteString BuildReadVersion();
ByteString BuildReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c);
ByteString BuildReadLeds();
ByteString BuildGetConfig(std::uint32_t lockCode);
ByteString BuildGetFactoryPresetNumber();
ByteString BuildGetPreset(std::uint8_t preset);

// The lock code as "%4i" writes it, cut to four characters: blanks on the left,
// never leading zeros.
std::array<char, kLockCodeLength> FormatLockCode(std::uint32_t lockCode);

// True when the last byte is the sum of the others; packets under 2 bytes pass.
bool ChecksumMatches(const ByteString& packet);
// A reply is accepted when it starts with ACK and its checksum is right.
bool IsAcceptedReply(const ByteString& packet);

// True when the reply can be the answer to the command: it echoes the command's
// opcode, and what it repeats of the command (the address of a parameter, the
// number of a preset) is what was asked. Anything else
// (a duplicate, a late answer to an earlier command) answers another command.
bool ReplyAnswers(const ByteString& reply, const ByteString& command);

// True for the commands whose accepted reply starts an XModem transfer.
bool StartsTransfer(std::uint8_t opcode);

// Length of the reply to a command with this opcode (status, opcode and checksum
// included), or nullopt for an opcode that is not in the command set.
std::optional<std::size_t> ReplyLength(std::uint8_t opcode);

// Length of the packet at the start of the receive buffer, or nullopt while it is
// incomplete. transferMode selects the rule used while an XModem transfer runs.
std::optional<std::size_t> GetPacketLength(const ByteString& buffered, bool transferMode);

// Bytes at the start of the buffer that cannot begin a packet. During a transfer
// only SOH, EOT, ACK, NAK and CAN begin one; anything in front (line noise, the
// tail of a damaged block) is dropped, so a block starts only at its SOH.
// Outside a transfer every byte counts (a malformed reply is answered by a retry).
std::size_t GetJunkLength(const ByteString& buffered, bool transferMode);

// The log line written when the packet goes on the wire; empty for a packet that
// is not a known command. An empty packet is the link drop and logs "Disconnecting.".
std::string DescribeCommand(const ByteString& packet);

// " - %02X" for every byte behind the prefix, cut to the log line limit.
std::string HexLine(std::string_view prefix, const ByteString& bytes);
