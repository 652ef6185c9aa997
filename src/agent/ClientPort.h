#pragma once

#include "agent/Upstream.h"
#include "processor/ProcessorDevice.h"

#include <cstdint>
#include <memory>

// What one remote talking to the agent sees as its processor: every command it
// sends is answered here, from what the agent already knows (version, status,
// description, preset count) or by carrying it over the shared link. Until the
// remote has sent the lock code of its port it gets no description and may not
// change anything; a wrong code is answered as the processor answers one.
class CClientPort : public processor::IProcessorDevice {
public:
    // `unlocked` is shared by every port a remote's address uses: remotes move to
    // a fresh UDP port for each transfer and each retry.
    CClientPort(CUpstream& upstream, std::uint32_t lockCode, std::string name, std::shared_ptr<bool> unlocked)
        : upstream_(upstream), lockCode_(lockCode), name_(std::move(name)), unlocked_(std::move(unlocked))
    {
    }

    processor::Answer Handle(const ByteString& command) override;
    std::optional<std::size_t> UploadSize(processor::FollowUp kind, const ByteString& received) const override;
    bool FinishUpload(processor::FollowUp kind, std::uint8_t preset, const ByteString& data) override;
    void Log(const std::string& line) const override;
    bool Logging() const override { return false; }


private:
    processor::Answer Change(const ByteString& c);

    CUpstream& upstream_;
    const std::uint32_t lockCode_;
    const std::string name_;
    std::shared_ptr<bool> unlocked_;
};
