#include "agent/ClientPort.h"

#include "agent/AgentLog.h"
#include "link/Packet.h"

#include <algorithm>

using processor::Answer;
using processor::FollowUp;
using processor::MakeReply;

namespace {

Answer Reply(ByteString reply)
{
    Answer answer;
    answer.reply = std::move(reply);
    return answer;
}

Answer Nak()
{
    return Reply({REPLY_NAK});
}

// No answer at all: the remote's own tries and time-outs take over, as with a
// processor that has gone quiet.
Answer Silence()
{
    return Answer{};
}

}  // namespace

void CClientPort::Log(const std::string& line) const
{
    agentlog::Debug(name_ + ": " + line);
}

Answer CClientPort::Handle(const ByteString& c)
{
    const std::size_t length = c.empty() ? 0 : processor::CommandLength(c[0]);
    if (length == 0 || c.size() != length || !ChecksumMatches(c))
        return Nak();  // a damaged command is asked for again at once
    const CUpstream::Snapshot snap = upstream_.Snap();
    const std::uint8_t op = c[0];
    switch (op) {
    case CMD_DISCONNECT: {
        Answer answer;
        answer.then = FollowUp::Disconnect;
        return answer;
    }
    case CMD_READ_VERSION:
        if (!snap.up || snap.version.size() < 3)
            return Silence();
        return Reply(MakeReply(op, {snap.version[0], snap.version[1], snap.version[2]}));
    case CMD_READ_LEDS:
        if (!snap.up || snap.status.empty())
            return Silence();
        return Reply(snap.status);
    case CMD_GET_FACTORY_PRESET_NUMBER:
        if (!snap.up)
            return Silence();
        return Reply(MakeReply(op, {static_cast<std::uint8_t>(snap.presetCount)}));
    case CMD_READ_PARAM: {
        const auto value = upstream_.ReadParam(c[1], c[2], c[3]);
        return value ? Reply(MakeReply(op, {c[1], c[2], c[3], *value})) : Silence();
    }
    case CMD_GET_CONFIG: {
        const auto expected = FormatLockCode(lockCode_);
        if (!std::equal(expected.begin(), expected.end(), c.begin() + 1)) {
            Log("wrong lock code");
            return Nak();
        }
        const ByteString description = upstream_.Description();
        if (!snap.up || description.empty())
            return Silence();
        *unlocked_ = true;
        Answer answer = Reply(MakeReply(op, {}));
        answer.then = FollowUp::SendData;
        answer.data = description;
        return answer;
    }
    case CMD_GET_PRESET: {
        const auto image = upstream_.GetPreset(c[1]);
        if (!image)
            return Silence();
        Answer answer = Reply(MakeReply(op, {c[1]}));
        answer.then = image->empty() ? FollowUp::SendNothing : FollowUp::SendData;
        answer.data = *image;
        return answer;
    }
    default: return Change(c);
    }
}

Answer CClientPort::Change(const ByteString& c)
{
    // Changes only from a remote that has given the lock code of its port.
    if (!*unlocked_) {
        Log("change refused: no lock code given");
        return Nak();
    }
    const std::uint8_t op = c[0];
    switch (op) {
    case CMD_WRITE_PARAM: {
        const auto held = upstream_.WriteParam(c[1], c[2], c[3], c[4]);
        return held ? Reply(MakeReply(op, {c[1], c[2], c[3], *held})) : Silence();
    }
    case CMD_LOAD_PRESET: {
        const auto running = upstream_.LoadPreset(c[1]);
        return running ? Reply(MakeReply(op, {*running})) : Silence();
    }
    case CMD_SEND_PRESET: {
        // An upload is whole at the size of the presets the processor sends.
        const auto snap = upstream_.Snap();
        if (!snap.up || snap.presetBytes == 0)
            return Silence();
        Answer answer = Reply(MakeReply(op, {c[1]}));
        answer.then = FollowUp::ReceivePreset;
        answer.preset = c[1];
        return answer;
    }
    case CMD_SAVE_PRESET:
        return upstream_.Run([&](ISessionCommands& s) { s.SavePreset(c[1]); }) ? Reply(MakeReply(op, {c[1]}))
                                                                                : Silence();
    case CMD_RENAME_PRESET: {
        const ByteString name(c.begin() + 2, c.begin() + 2 + kRenameNameLength);
        return upstream_.Run([&](ISessionCommands& s) { s.RenamePreset(c[1], name); }) ? Reply(MakeReply(op, {c[1]}))
                                                                                        : Silence();
    }
    case CMD_SEND_COMPARE:
        return upstream_.Run([](ISessionCommands& s) { s.SendCompare(); }) ? Reply(MakeReply(op, {})) : Silence();
    case CMD_SEND_REVERT:
        return upstream_.Run([](ISessionCommands& s) { s.SendRevert(); }) ? Reply(MakeReply(op, {})) : Silence();
    default:
        // Firmware upgrades are not carried: a processor is upgraded on its own line.
        Log("command " + std::to_string(op) + " is not carried to the processor");
        return Nak();
    }
}

std::optional<std::size_t> CClientPort::UploadSize(FollowUp, const ByteString&) const
{
    return upstream_.Snap().presetBytes;
}

bool CClientPort::FinishUpload(FollowUp kind, std::uint8_t preset, const ByteString& data)
{
    if (kind != FollowUp::ReceivePreset)
        return false;
    const bool sent = upstream_.SendPreset(preset, data);
    if (!sent)
        Log("upload into preset " + std::to_string(preset) + " not taken by the processor");
    return sent;
}
