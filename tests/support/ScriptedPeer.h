#pragma once

#include "link/MemoryTransport.h"
#include "link/Packet.h"
#include "link/XModemBlock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// A processor stand-in on a CMemoryWire that answers instantly and can be told to
// misbehave: stay silent, hold replies, corrupt them, cancel or abandon
// transfers. It records everything the host sent, with the time it came.
class ScriptedPeer {
public:
    using Clock = std::chrono::steady_clock;
    struct Received {
        ByteString bytes;
        Clock::time_point at;
    };

    explicit ScriptedPeer(std::shared_ptr<CMemoryWire> wire) : wire_(std::move(wire))
    {
        wire_->SetPeer([this](const ByteString& bytes) { OnFromHost(bytes); });
    }
    ~ScriptedPeer() { wire_->SetPeer(nullptr); }

    // Script (set before the host talks, or under Configure).
    ByteString version{'1', '0', '3'};
    std::uint8_t presetCount = 5;
    ByteString description;
    std::map<std::uint8_t, ByteString> presets;
    std::size_t uploadSize = 128;   // bytes wanted before an upload is acknowledged
    bool silent = false;            // answer nothing at all
    bool hold = false;              // keep command replies until Release()
    int corruptReplies = 0;         // next command replies get a wrong checksum
    int corruptBlocks = 0;          // next download blocks get a wrong checksum
    int cancelAfterBlocks = -1;     // CAN instead of the block after this many
    int silentAfterBlocks = -1;     // nothing after this many blocks
    bool silentInUpload = false;    // never answer upload blocks
    std::uint8_t fill = 0x1A;       // padding of the last download block
    int strayBeforeBlock = -1;      // once, a lone `strayByte` just before this download block
    std::uint8_t strayByte = XM_CAN;
    // Answers anything from the host instead of the script when it returns a value.
    std::function<std::optional<ByteString>(const ByteString&)> answer;

    void Configure(const std::function<void(ScriptedPeer&)>& change)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        change(*this);
    }

    // Forget any transfer in progress and take the next bytes as a command.
    void ResetMode()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        mode_ = Mode::Command;
    }

    void Release()
    {
        std::vector<ByteString> held;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            hold = false;
            held.swap(held_);
        }
        for (const auto& r : held)
            wire_->ToHost(r);
    }

    std::vector<Received> Log() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    std::vector<ByteString> Packets() const
    {
        std::vector<ByteString> out;
        for (const auto& r : Log())
            out.push_back(r.bytes);
        return out;
    }
    std::size_t CountOf(const ByteString& packet) const
    {
        const auto all = Packets();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), packet));
    }
    std::vector<ByteString> Uploaded() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return uploadBlocks_;
    }
    bool WaitForCount(const ByteString& packet, std::size_t n,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            return static_cast<std::size_t>(std::count_if(received_.begin(), received_.end(),
                                                          [&](const Received& r) { return r.bytes == packet; }))
                >= n;
        });
    }

    static ByteString Reply(std::initializer_list<std::uint8_t> head)
    {
        ByteString p(head);
        p.push_back(Checksum(p.data(), p.size()));
        return p;
    }
    static ByteString StatusPacket(std::uint8_t seed = 0)
    {
        ByteString p(kStatusPacketLength - 1, 0);
        p[0] = REPLY_ACK;
        p[1] = CMD_READ_LEDS;
        for (std::size_t i = 2; i < p.size(); ++i)
            p[i] = static_cast<std::uint8_t>(seed + i);
        p.push_back(Checksum(p.data(), p.size()));
        return p;
    }

private:
    enum class Mode { Command, Download, Upload };

    void OnFromHost(const ByteString& bytes)
    {
        std::vector<ByteString> out;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.push_back({bytes, Clock::now()});
            changed_.notify_all();
            if (!silent)
                out = Handle(bytes);
            if (hold && mode_ == Mode::Command && !out.empty()) {
                held_.insert(held_.end(), out.begin(), out.end());
                out.clear();
            }
        }
        for (const auto& r : out)
            wire_->ToHost(r);
    }

    std::vector<ByteString> Handle(const ByteString& b)
    {
        if (answer)
            if (auto custom = answer(b))
                return {*custom};
        switch (mode_) {
        case Mode::Download:
            if (b.size() == 1)
                return Download(b);
            mode_ = Mode::Command;  // a command: the host has given the transfer up
            break;
        case Mode::Upload: return Upload(b);
        case Mode::Command: break;
        }
        if (b.empty())
            return {};
        auto reply = Command(b);
        if (reply && corruptReplies > 0) {
            --corruptReplies;
            reply->back() ^= 0x5A;
        }
        return reply ? std::vector<ByteString>{*reply} : std::vector<ByteString>{};
    }

    std::optional<ByteString> Command(const ByteString& b)
    {
        auto at = [&](std::size_t i) -> std::uint8_t { return i < b.size() ? b[i] : 0; };
        switch (b[0]) {
        case CMD_DISCONNECT: return std::nullopt;
        case CMD_WRITE_PARAM:
            params_[{at(1), at(2), at(3)}] = at(4);
            return Reply({0x06, CMD_WRITE_PARAM, at(1), at(2), at(3), at(4)});
        case CMD_SEND_PRESET:
        case CMD_SEND_UPGRADE:
            mode_ = Mode::Upload;
            uploadData_.clear();
            return b[0] == CMD_SEND_PRESET ? Reply({0x06, b[0], at(1)}) : Reply({0x06, b[0]});
        case CMD_LOAD_PRESET:
        case CMD_SAVE_PRESET:
        case CMD_RENAME_PRESET: return Reply({0x06, b[0], at(1)});
        case CMD_SEND_COMPARE:
        case CMD_SEND_REVERT: return Reply({0x06, b[0]});
        case CMD_READ_VERSION: return Reply({0x06, CMD_READ_VERSION, version[0], version[1], version[2]});
        case CMD_READ_PARAM:
            return Reply({0x06, CMD_READ_PARAM, at(1), at(2), at(3), params_[{at(1), at(2), at(3)}]});
        case CMD_READ_LEDS: return StatusPacket(statusSeed_++);
        case CMD_GET_CONFIG: StartDownload(description); return Reply({0x06, CMD_GET_CONFIG});
        case CMD_GET_FACTORY_PRESET_NUMBER: return Reply({0x06, b[0], presetCount});
        case CMD_GET_PRESET: StartDownload(presets[at(1)]); return Reply({0x06, CMD_GET_PRESET, at(1)});
        default: return std::nullopt;
        }
    }

    void StartDownload(const ByteString& data)
    {
        mode_ = Mode::Download;
        download_ = data;
        block_ = 0;
        sentEot_ = false;
    }

    std::vector<ByteString> Download(const ByteString& b)
    {
        if (b.empty())
            return {};
        if (sentEot_) {  // a NAK asks for the EOT again; any other answer ends the transfer
            if (b[0] == XM_NAK)
                return {{XM_EOT}};
            mode_ = Mode::Command;
            return {};
        }
        if (b[0] == XM_ACK && block_ > 0)
            ++block_;
        else if (b[0] == 'C')
            block_ = 1;
        // a NAK asks for the same block again
        if (block_ == 0)
            return {};  // nothing asked for yet
        const std::size_t blocks = (download_.size() + kXBlockData - 1) / kXBlockData;
        const int done = static_cast<int>(block_) - 1;
        if (cancelAfterBlocks >= 0 && done >= cancelAfterBlocks) {
            mode_ = Mode::Command;
            return {{XM_CAN}};
        }
        if (silentAfterBlocks >= 0 && done >= silentAfterBlocks)
            return {};
        if (block_ > blocks) {
            sentEot_ = true;
            return {{XM_EOT}};
        }
        ByteString chunk(kXBlockData, fill);
        const std::size_t from = (block_ - 1) * kXBlockData;
        const std::size_t n = std::min(kXBlockData, download_.size() - from);
        std::copy_n(download_.begin() + static_cast<std::ptrdiff_t>(from), n, chunk.begin());
        ByteString block = BuildXBlock(static_cast<std::uint32_t>(block_), chunk.data(), chunk.size());
        if (corruptBlocks > 0) {
            --corruptBlocks;
            block.back() ^= 0x5A;
        }
        if (strayBeforeBlock == static_cast<int>(block_)) {
            strayBeforeBlock = -1;
            return {{strayByte}, block};
        }
        return {block};
    }

    std::vector<ByteString> Upload(const ByteString& b)
    {
        if (b.size() == 1 && b[0] == XM_EOT) {
            mode_ = Mode::Command;
            return {{XM_ACK}};
        }
        if (b.size() != kXBlockLength)
            return {};
        uploadBlocks_.push_back(b);
        uploadData_.insert(uploadData_.end(), b.begin() + 3, b.begin() + 131);
        if (silentInUpload)
            return {};
        return {{uploadData_.size() >= uploadSize ? XM_ACK : XM_NAK}};
    }

    std::shared_ptr<CMemoryWire> wire_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Received> received_;
    std::vector<ByteString> held_;
    std::vector<ByteString> uploadBlocks_;
    ByteString uploadData_;
    ByteString download_;
    std::size_t block_ = 0;
    bool sentEot_ = false;
    Mode mode_ = Mode::Command;
    std::uint8_t statusSeed_ = 0;
    std::map<std::array<std::uint8_t, 3>, std::uint8_t> params_;
};
