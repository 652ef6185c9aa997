#pragma once

#include "MeterAnimator.h"
#include "ProcessorSide.h"
#include "ProcessorState.h"
#include "SimModel.h"
#include "common/ByteString.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace vsim {

using LogFn = std::function<void(const std::string&)>;

struct DeviceOptions {
    int lockCode = -1;  // -1 accepts any code
    bool corruptDescription = false;
    std::uint32_t seed = 1;
    std::string statePath;  // empty: state lives in memory only
    // Seconds on a steady clock; drives the meters and the live readings.
    std::function<double()> clock;
    // Local time of day for the clock readings (hours, minutes, seconds).
    std::function<void(int&, int&, int&)> timeOfDay;
    LogFn log;
};

// The processor behind every link: answers one command at a time and keeps its
// state. Thread-safe; each link (UDP, serial) drives its own transfers.
class SimDevice : public processor::IProcessorDevice {
public:
    SimDevice(Model model, DeviceOptions options);

    // Loads the state file if it exists. False (and why) when it is unreadable or
    // belongs to another processor; the file is then left as it is.
    bool LoadState(std::string* why);
    // Writes the state file if one is set and something changed since.
    void FlushState() override;

    // `command` is one whole, cut command packet (its checksum not yet checked).
    Answer Handle(const ByteString& command) override;

    // Bytes an upload must reach before the processor has all of it; nullopt
    // while that is not known yet (an upgrade before its header arrived).
    std::optional<std::size_t> UploadSize(FollowUp kind, const ByteString& received) const override;
    // An upload ended: store it, or refuse it with a log line. True when stored.
    bool FinishUpload(FollowUp kind, std::uint8_t preset, const ByteString& data) override;

    const Model& GetModel() const { return model_; }
    const ByteString& Description() const { return description_; }
    ByteString StatusPacket();
    std::optional<ByteString> PresetImage(std::uint8_t index) const;
    PresetFlags Flags() const;
    std::uint8_t ReadValue(Address address);
    // A change made on the processor itself, as its front panel would make it:
    // no remote sent it, and a remote learns of it only by reading. False for
    // an address the model does not have.
    bool FrontPanelWrite(Address address, std::uint8_t value);

    void Log(const std::string& line) const override;
    bool Logging() const override { return static_cast<bool>(options_.log); }

private:
    Answer HandleLocked(const ByteString& command);
    std::uint8_t ReadLocked(Address address) const;
    bool LockAccepted(const ByteString& command) const;
    void SaveNow();
    double Now() const;

    const Model model_;
    DeviceOptions options_;
    ByteString description_;
    MeterAnimator meters_;
    bool hasPilot_ = false;  // the MPX carrier follows the pilot switch where there is one
    mutable std::mutex mutex_;
    ProcessorState state_;
    bool dirty_ = false;
};

// Firmware image accepted by Send upgrade:
//   "VXUP", model code, three version characters, payload length (4 bytes,
//   big-endian), payload, 8-bit sum of everything before it.
constexpr std::size_t kUpgradeHeader = 12;
constexpr std::size_t kMaxUpgradePayload = 1024 * 1024;
ByteString MakeUpgradeImage(std::uint8_t modelCode, const std::array<char, 3>& version, const ByteString& payload);

}  // namespace vsim
