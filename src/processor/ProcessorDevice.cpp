#include "processor/ProcessorDevice.h"

#include "link/Packet.h"

#include <algorithm>

namespace processor {

ByteString MakeReply(std::uint8_t opcode, std::initializer_list<std::uint8_t> payload)
{
    ByteString reply(payload.size() + 3, 0);
    reply[0] = REPLY_ACK;
    reply[1] = opcode;
    std::copy(payload.begin(), payload.end(), reply.begin() + 2);
    reply.back() = Checksum(reply.data(), reply.size() - 1);
    return reply;
}

std::size_t CommandLength(std::uint8_t opcode)
{
    switch (opcode) {
    case CMD_DISCONNECT:
    case CMD_SEND_UPGRADE:
    case CMD_SEND_COMPARE:
    case CMD_SEND_REVERT:
    case CMD_READ_VERSION:
    case CMD_READ_LEDS:
    case CMD_GET_FACTORY_PRESET_NUMBER: return 2;
    case CMD_SEND_PRESET:
    case CMD_LOAD_PRESET:
    case CMD_SAVE_PRESET:
    case CMD_GET_PRESET: return 3;
    case CMD_READ_PARAM: return 5;
    case CMD_WRITE_PARAM:
    case CMD_GET_CONFIG: return 6;
    case CMD_RENAME_PRESET: return 3 + kRenameNameLength;
    default: return 0;
    }
}

}  // namespace processor
