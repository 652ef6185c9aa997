#include "SimDevice.h"

#include "DescriptionEncoder.h"
#include "link/Packet.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vsim {
namespace {

constexpr std::size_t kMaxStateFile = 1024 * 1024;
constexpr Address kPilot{kPresetGroup, 7, 1};

double SteadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void LocalTimeOfDay(int& h, int& m, int& s)
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    h = tm.tm_hour;
    m = tm.tm_min;
    s = tm.tm_sec;
}

bool HasPilot(const Model& model)
{
    bool found = false;
    ForEachItem(model.pages, [&](const Page&, const Item& item) {
        found = found || (item.records.front().name == "Pilot" && item.records.front().address == kPilot);
    });
    return found;
}

Address AddressAt(const ByteString& c, std::size_t i)
{
    return Address{c[i], c[i + 1], c[i + 2]};
}

}  // namespace

ByteString MakeUpgradeImage(std::uint8_t modelCode, const std::array<char, 3>& version, const ByteString& payload)
{
    ByteString image(kUpgradeHeader + payload.size() + 1, 0);
    std::copy_n("VXUP", 4, image.begin());
    image[4] = modelCode;
    std::copy(version.begin(), version.end(), image.begin() + 5);
    const auto n = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i)
        image[8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (24 - 8 * i));
    std::copy(payload.begin(), payload.end(), image.begin() + kUpgradeHeader);
    image.back() = Checksum(image.data(), image.size() - 1);
    return image;
}

SimDevice::SimDevice(Model model, DeviceOptions options)
    : model_(std::move(model)),
      options_(std::move(options)),
      description_(EncodeDescription(model_)),
      meters_(model_.meters, model_.withMpx, options_.seed),
      hasPilot_(HasPilot(model_)),
      state_(model_)
{
    if (!options_.clock)
        options_.clock = SteadySeconds;
    if (!options_.timeOfDay)
        options_.timeOfDay = LocalTimeOfDay;
    if (options_.corruptDescription)
        description_ = CorruptDescription(description_);
}

void SimDevice::Log(const std::string& line) const
{
    if (options_.log)
        options_.log(line);
}

double SimDevice::Now() const
{
    return options_.clock();
}

bool SimDevice::LoadState(std::string* why)
{
    if (options_.statePath.empty())
        return true;
    std::error_code ec;
    if (!std::filesystem::exists(options_.statePath, ec))
        return true;  // first run: the file is written on the first change
    const auto size = std::filesystem::file_size(options_.statePath, ec);
    if (ec || size > kMaxStateFile) {
        if (why)
            *why = ec ? ec.message() : "state file too large";
        return false;
    }
    std::ifstream in(options_.statePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        if (why)
            *why = "cannot read the state file";
        return false;
    }
    std::lock_guard lock(mutex_);
    return state_.Deserialize(text.str(), why);
}

void SimDevice::FlushState()
{
    std::lock_guard lock(mutex_);
    if (dirty_)
        SaveNow();
}

void SimDevice::SaveNow()
{
    dirty_ = false;
    if (options_.statePath.empty())
        return;
    // Write beside the file and rename, so a crash never leaves half a state.
    const std::string tmp = options_.statePath + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << state_.Serialize();
        if (!out) {
            Log("cannot write state file " + tmp);
            return;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, options_.statePath, ec);
    if (ec)
        Log("cannot replace state file: " + ec.message());
}

Answer SimDevice::Handle(const ByteString& command)
{
    std::lock_guard lock(mutex_);
    return HandleLocked(command);
}

bool SimDevice::LockAccepted(const ByteString& command) const
{
    if (options_.lockCode < 0)
        return true;
    const auto expected = FormatLockCode(static_cast<std::uint32_t>(options_.lockCode));
    return std::equal(expected.begin(), expected.end(), command.begin() + 1);
}

Answer SimDevice::HandleLocked(const ByteString& c)
{
    Answer answer;
    const std::size_t length = c.empty() ? 0 : CommandLength(c[0]);
    if (length == 0 || c.size() != length || !ChecksumMatches(c)) {
        // A damaged command gets a NAK so the application repeats it at once.
        Log("bad command, answering NAK");
        answer.reply = {REPLY_NAK};
        return answer;
    }
    const std::uint8_t op = c[0];
    switch (op) {
    case CMD_DISCONNECT:
        answer.then = FollowUp::Disconnect;  // never answered: the application is gone
        break;
    case CMD_WRITE_PARAM: {
        const Address addr = AddressAt(c, 1);
        const auto held = state_.Write(addr, c[4]);
        dirty_ = true;
        answer.reply = MakeReply(op, {addr.a, addr.b, addr.c, held.value_or(c[4])});
        break;
    }
    case CMD_SEND_PRESET:
        answer.reply = MakeReply(op, {c[1]});
        answer.then = FollowUp::ReceivePreset;
        answer.preset = c[1];
        break;
    case CMD_SEND_UPGRADE:
        answer.reply = MakeReply(op, {});
        answer.then = FollowUp::ReceiveUpgrade;
        break;
    case CMD_LOAD_PRESET: {
        const std::uint8_t running = state_.Load(c[1]);
        if (running != c[1])
            Log("load of preset " + std::to_string(c[1]) + " refused: no such preset");
        answer.reply = MakeReply(op, {running});
        SaveNow();
        break;
    }
    case CMD_SAVE_PRESET:
        if (!state_.Save(c[1]))
            Log("save into preset " + std::to_string(c[1]) + " refused: not a user preset");
        answer.reply = MakeReply(op, {c[1]});
        SaveNow();
        break;
    case CMD_SEND_COMPARE:
        state_.Compare();
        answer.reply = MakeReply(op, {});
        break;
    case CMD_SEND_REVERT:
        state_.Revert();
        answer.reply = MakeReply(op, {});
        break;
    case CMD_RENAME_PRESET: {
        PresetName name{};
        std::copy_n(c.begin() + 2, kPresetNameLength, name.begin());
        if (!state_.Rename(c[1], name))
            Log("rename of preset " + std::to_string(c[1]) + " refused: not a user preset");
        answer.reply = MakeReply(op, {c[1]});
        SaveNow();
        break;
    }
    case CMD_READ_VERSION: {
        const auto& v = state_.Version();
        answer.reply = MakeReply(op, {static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
                                      static_cast<std::uint8_t>(v[2])});
        break;
    }
    case CMD_READ_PARAM: {
        const Address addr = AddressAt(c, 1);
        answer.reply = MakeReply(op, {addr.a, addr.b, addr.c, ReadLocked(addr)});
        break;
    }
    case CMD_READ_LEDS: {
        ByteString status(kStatusPacketLength, 0);
        const PresetFlags f = state_.Flags();
        status[0] = REPLY_ACK;
        status[1] = op;
        status[2] = f.tr;
        status[3] = f.dp;
        status[4] = f.def;
        status[5] = f.StatusByte();
        const bool pilot = hasPilot_ ? state_.Read(kPilot) != 0 : true;
        meters_.Fill(status.data(), Now(), pilot);
        status[28] = Checksum(status.data(), 28);
        answer.reply = std::move(status);
        break;
    }
    case CMD_GET_CONFIG:
        if (!LockAccepted(c)) {
            // A wrong code gets no description; the application gives up after its tries.
            Log("wrong lock code");
            answer.reply = {REPLY_NAK};
            break;
        }
        answer.reply = MakeReply(op, {});
        answer.then = FollowUp::SendData;
        answer.data = description_;
        break;
    case CMD_GET_FACTORY_PRESET_NUMBER:
        answer.reply = MakeReply(op, {static_cast<std::uint8_t>(state_.PresetCount())});
        break;
    case CMD_GET_PRESET: {
        answer.reply = MakeReply(op, {c[1]});
        auto image = state_.PresetImage(c[1]);
        answer.then = image ? FollowUp::SendData : FollowUp::SendNothing;
        if (image)
            answer.data = std::move(*image);
        break;
    }
    default:
        answer.reply = {REPLY_NAK};
        break;
    }
    return answer;
}

std::uint8_t SimDevice::ReadLocked(Address addr) const
{
    const double t = Now();
    int h = 0, m = 0, s = 0;
    if (addr == kClockHours || addr == kClockMinutes || addr == kClockSeconds)
        options_.timeOfDay(h, m, s);
    if (addr == kClockHours)
        return static_cast<std::uint8_t>(h);
    if (addr == kClockMinutes)
        return static_cast<std::uint8_t>(m);
    if (addr == kClockSeconds)
        return static_cast<std::uint8_t>(s);
    if (addr == kAgcGain)
        return meters_.AgcGain(t);
    if (addr == kInputPeak)
        return meters_.InputPeak(t);
    if (addr == kTemperature)  // warms up over the first minutes, then drifts
        return static_cast<std::uint8_t>(38 + 4 * std::min(1.0, t / 600.0) + 2 * std::sin(t / 90.0) + 0.5);
    return state_.Read(addr);
}

std::uint8_t SimDevice::ReadValue(Address address)
{
    std::lock_guard lock(mutex_);
    return ReadLocked(address);
}

bool SimDevice::FrontPanelWrite(Address address, std::uint8_t value)
{
    std::lock_guard lock(mutex_);
    const auto held = state_.Write(address, value);
    if (!held) return false;
    dirty_ = true;
    Log("front panel: " + std::to_string(address.a) + " " + std::to_string(address.b) + " " +
        std::to_string(address.c) + " = " + std::to_string(*held));
    return true;
}

ByteString SimDevice::StatusPacket()
{
    return Handle(BuildReadLeds()).reply;
}

std::optional<ByteString> SimDevice::PresetImage(std::uint8_t index) const
{
    std::lock_guard lock(mutex_);
    return state_.PresetImage(index);
}

PresetFlags SimDevice::Flags() const
{
    std::lock_guard lock(mutex_);
    return state_.Flags();
}

std::optional<std::size_t> SimDevice::UploadSize(FollowUp kind, const ByteString& received) const
{
    if (kind == FollowUp::ReceivePreset) {
        std::lock_guard lock(mutex_);
        return state_.Layout().ImageSize();
    }
    if (received.size() < kUpgradeHeader)
        return std::nullopt;
    if (!std::equal(received.begin(), received.begin() + 4, "VXUP"))
        return 0;  // not an upgrade image: nothing more is wanted
    const std::size_t n = (std::size_t{received[8]} << 24) | (std::size_t{received[9]} << 16) |
                          (std::size_t{received[10]} << 8) | received[11];
    if (n > kMaxUpgradePayload)
        return 0;
    return kUpgradeHeader + n + 1;
}

bool SimDevice::FinishUpload(FollowUp kind, std::uint8_t preset, const ByteString& data)
{
    std::lock_guard lock(mutex_);
    if (kind == FollowUp::ReceivePreset) {
        std::string why;
        if (!state_.StorePresetImage(preset, data, &why)) {
            Log("upload into preset " + std::to_string(preset) + " refused: " + why);
            return false;
        }
        Log("preset " + std::to_string(preset) + " stored");
        SaveNow();
        return true;
    }
    // Upgrade: check the whole image before taking its version.
    const auto size = data.size() >= kUpgradeHeader && std::equal(data.begin(), data.begin() + 4, "VXUP")
                          ? kUpgradeHeader + ((std::size_t{data[8]} << 24) | (std::size_t{data[9]} << 16) |
                                              (std::size_t{data[10]} << 8) | data[11])
                          : 0;
    if (size == 0 || size > kUpgradeHeader + kMaxUpgradePayload || data.size() < size + 1 ||
        data[4] != model_.code || Checksum(data.data(), size) != data[size]) {
        Log("upgrade image refused");
        return false;
    }
    state_.SetVersion({static_cast<char>(data[5]), static_cast<char>(data[6]), static_cast<char>(data[7])});
    Log("upgraded to version " + std::string(data.begin() + 5, data.begin() + 8));
    SaveNow();
    return true;
}

}  // namespace vsim
