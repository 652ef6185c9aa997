#include "link/Packet.h"

#include <algorithm>
#include <cstdio>

namespace {

ByteString Build(std::uint8_t opcode, std::initializer_list<std::uint8_t> payload)
{
    return BuildCommand(opcode, payload.begin(), payload.size());
}

// Log lines are limited to this many characters, as the 4096-byte buffer they
// were formatted into in the past.
constexpr std::size_t kMaxLogLine = 4095;

}  // namespace

std::uint8_t Checksum(const std::uint8_t* data, std::size_t length)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i)
        sum += data[i];
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

ByteString BuildCommand(std::uint8_t opcode, const std::uint8_t* payload, std::size_t payloadLength)
{
    ByteString packet;
    packet.reserve(payloadLength + 2);
    packet.push_back(opcode);
    if (payloadLength)
        packet.insert(packet.end(), payload, payload + payloadLength);
    packet.push_back(Checksum(packet.data(), packet.size()));
    return packet;
}

ByteString BuildDisconnect() { return Build(CMD_DISCONNECT, {}); }
ByteString BuildWriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    return Build(CMD_WRITE_PARAM, {a, b, c, value});
}
ByteString BuildSendPreset(std::uint8_t preset) { return Build(CMD_SEND_PRESET, {preset}); }
ByteString BuildSendUpgrade() { return Build(CMD_SEND_UPGRADE, {}); }
ByteString BuildLoadPreset(std::uint8_t preset) { return Build(CMD_LOAD_PRESET, {preset}); }
ByteString BuildSavePreset(std::uint8_t preset) { return Build(CMD_SAVE_PRESET, {preset}); }
ByteString BuildSendCompare() { return Build(CMD_SEND_COMPARE, {}); }
ByteString BuildSendRevert() { return Build(CMD_SEND_REVERT, {}); }

ByteString BuildRenamePreset(std::uint8_t preset, std::string_view name)
{
    std::array<std::uint8_t, 1 + kRenameNameLength> payload{};
    payload[0] = preset;
    const std::size_t n = std::min(name.size(), kRenameNameLength);
    for (std::size_t i = 0; i < n; ++i)
        payload[1 + i] = static_cast<std::uint8_t>(name[i]);
    return BuildCommand(CMD_RENAME_PRESET, payload.data(), payload.size());
}

ByteString BuildReadVersion() { return Build(CMD_READ_VERSION, {}); }
ByteString BuildReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return Build(CMD_READ_PARAM, {a, b, c});
}
ByteString BuildReadLeds() { return Build(CMD_READ_LEDS, {}); }

ByteString BuildGetConfig(std::uint32_t lockCode)
{
    const auto text = FormatLockCode(lockCode);
    std::array<std::uint8_t, kLockCodeLength> payload{};
    std::transform(text.begin(), text.end(), payload.begin(),
                   [](char ch) { return static_cast<std::uint8_t>(ch); });
    return BuildCommand(CMD_GET_CONFIG, payload.data(), payload.size());
}

ByteString BuildGetFactoryPresetNumber() { return Build(CMD_GET_FACTORY_PRESET_NUMBER, {}); }
ByteString BuildGetPreset(std::uint8_t preset) { return Build(CMD_GET_PRESET, {preset}); }

std::array<char, kLockCodeLength> FormatLockCode(std::uint32_t lockCode)
{
    char text[16];
    std::snprintf(text, sizeof text, "%4lu", static_cast<unsigned long>(lockCode));
    std::array<char, kLockCodeLength> code{};
    std::copy_n(text, kLockCodeLength, code.begin());
    return code;
}

bool ChecksumMatches(const ByteString& packet)
{
    if (packet.size() < 2)
        return true;
    return Checksum(packet.data(), packet.size() - 1) == packet.back();
}

bool IsAcceptedReply(const ByteString& packet)
{
    return !packet.empty() && packet[0] == REPLY_ACK && ChecksumMatches(packet);
}

std::optional<std::size_t> ReplyLength(std::uint8_t opcode)
{
    switch (opcode) {
    case CMD_DISCONNECT:
    case CMD_SEND_UPGRADE:
    case CMD_SEND_COMPARE:
    case CMD_SEND_REVERT:
    case CMD_GET_CONFIG:
        return 3;
    case CMD_WRITE_PARAM:
    case CMD_READ_PARAM:
        return 7;
    case CMD_READ_VERSION:
        return 6;
    case CMD_READ_LEDS:
        return kStatusPacketLength;
    case CMD_SEND_PRESET:
    case CMD_LOAD_PRESET:
    case CMD_SAVE_PRESET:
    case CMD_RENAME_PRESET:
    case CMD_GET_FACTORY_PRESET_NUMBER:
    case CMD_GET_PRESET:
        return 4;
    default:
        return std::nullopt;
    }
}

namespace {

std::optional<std::size_t> NormalLength(const ByteString& b)
{
    std::optional<std::size_t> length;
    if (b.size() >= 2 && b[0] == REPLY_NAK && b[1] == REPLY_NAK)
        length = 2;
    else if (!b.empty() && b[0] == REPLY_NAK)
        length = 1;
    else if (b.size() < 2)
        return std::nullopt;
    else
        length = ReplyLength(b[1]);
    if (!length || *length > b.size())
        return std::nullopt;
    return length;
}

constexpr std::uint8_t kSoh = 0x01, kEot = 0x04, kCan = 0x18;

std::optional<std::size_t> TransferLength(const ByteString& b)
{
    constexpr std::size_t kBlockLength = 132;
    if (b.empty())
        return std::nullopt;
    if (b[0] == kEot || b[0] == kCan)
        return 1;
    if (b.size() >= kBlockLength)
        return b.size();
    if (b[0] == REPLY_ACK || b[0] == REPLY_NAK)
        return 1;
    return std::nullopt;
}

}  // namespace

std::optional<std::size_t> GetPacketLength(const ByteString& buffered, bool transferMode)
{
    return transferMode ? TransferLength(buffered) : NormalLength(buffered);
}

std::string DescribeCommand(const ByteString& p)
{
    if (p.empty())
        return "Disconnecting.";
    char line[128];
    auto at = [&p](std::size_t i) -> unsigned { return i < p.size() ? p[i] : 0u; };
    switch (p[0]) {
    case CMD_DISCONNECT: return "Disconnecting.";
    case CMD_WRITE_PARAM:
        std::snprintf(line, sizeof line, "Write : %02x - %02x - %02x - %02x", at(1), at(2), at(3), at(4));
        break;
    case CMD_SEND_PRESET: std::snprintf(line, sizeof line, "Send Preset : %02x ", at(1)); break;
    case CMD_SEND_UPGRADE: return "Send Upgrade";
    case CMD_LOAD_PRESET: std::snprintf(line, sizeof line, "Load Preset : %02x ", at(1)); break;
    case CMD_SAVE_PRESET: std::snprintf(line, sizeof line, "Save Preset : %02x ", at(1)); break;
    case CMD_SEND_COMPARE: return "Send Compare";
    case CMD_SEND_REVERT: return "Send Revert";
    case CMD_RENAME_PRESET: std::snprintf(line, sizeof line, "Send Rename for preset # %i", static_cast<int>(at(1))); break;
    case CMD_READ_VERSION: return "Read version";
    case CMD_READ_PARAM:
        std::snprintf(line, sizeof line, "Read : %02x - %02x - %02x", at(1), at(2), at(3));
        break;
    case CMD_READ_LEDS: return "Read Leds State";
    case CMD_GET_CONFIG: {
        std::string code;
        for (std::size_t i = 1; i <= kLockCodeLength && i + 1 < p.size(); ++i)
            code.push_back(static_cast<char>(p[i]));
        return "Get Config. The Lock Code is " + code;
    }
    case CMD_GET_FACTORY_PRESET_NUMBER: return "Get Factory Preset Number";
    case CMD_GET_PRESET: std::snprintf(line, sizeof line, "Get Preset : %02x ", at(1)); break;
    default: return {};
    }
    return line;
}

std::string HexLine(std::string_view prefix, const ByteString& bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line(prefix);
    const std::size_t room = line.size() < kMaxLogLine ? (kMaxLogLine - line.size()) / 5 : 0;
    const std::size_t n = std::min(bytes.size(), room);
    line.reserve(line.size() + n * 5);
    for (std::size_t i = 0; i < n; ++i) {
        line += " - ";
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 0x0F];
    }
    return line;
}

std::size_t GetJunkLength(const ByteString& buffered, bool transferMode)
{
    if (!transferMode)
        return 0;
    const auto start = std::find_if(buffered.begin(), buffered.end(), [](std::uint8_t b) {
        return b == kSoh || b == kEot || b == REPLY_ACK || b == REPLY_NAK || b == kCan;
    });
    return static_cast<std::size_t>(start - buffered.begin());
}

bool ReplyAnswers(const ByteString& reply, const ByteString& command)
{
    if (reply.size() < 2 || command.empty() || reply[1] != command[0])
        return false;
    // Bytes of the command that its reply repeats from offset 2: an address, or a
    // preset number. A Write reply's value is what the processor holds, which may
    // differ from what was asked, so only its address has to match.
    std::size_t echoed = 0;
    switch (command[0]) {
    case CMD_READ_PARAM:
    case CMD_WRITE_PARAM: echoed = 3; break;
    case CMD_SEND_PRESET:
    case CMD_LOAD_PRESET:
    case CMD_SAVE_PRESET:
    case CMD_RENAME_PRESET:
    case CMD_GET_PRESET: echoed = 1; break;
    default: return true;
    }
    return reply.size() >= 2 + echoed && command.size() >= 1 + echoed &&
           std::equal(command.begin() + 1, command.begin() + 1 + static_cast<std::ptrdiff_t>(echoed), reply.begin() + 2);
}

bool StartsTransfer(std::uint8_t opcode)
{
    return opcode == CMD_GET_CONFIG || opcode == CMD_GET_PRESET || opcode == CMD_SEND_PRESET ||
           opcode == CMD_SEND_UPGRADE;
}
