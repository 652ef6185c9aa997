#pragma once

// The connection controller over a recording session, text views and timers
// on a clock the test moves.
#include "FakeSession.h"
#include "app/ConnectionController.h"
#include "app/TimerQueue.h"
#include "cli/TextViews.h"
#include "description/DescriptionBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace controller_test {

namespace fs = std::filesystem;

inline ByteString Description(std::uint8_t model = 1)
{
    DescriptionBuilder b(model);
    auto main = b.Page("Main");
    main.Slider("Level", {0, 1, 2}).Unit("dB").Numeric(-120, 5, 48).Decimals(1).Cell(8, 20, 3, 2);
    main.Buttons("Mode", {0, 1, 3}, {"Off", "On"}).Cell(6, 5, 12, 2).DrivesVisibility();
    main.Slider("Drive", {2, 0, 1}).Numeric(0, 1, 20).Cell(8, 20, 20, 2);
    auto gate = main.Page("Gate");
    gate.Rule({0, 1, 3}, 1, 1);
    gate.Spin("Hold", {5, 2, 0}).Numeric(0, 1, 99).Cell(10, 3, 2, 2);
    b.Page("Output").Slider("Gain", {1, 0, 0}).Numeric(0, 1, 10).Cell(8, 20, 3, 2);
    return b.Build();
}

inline ByteString Status(std::uint8_t tr, std::uint8_t dp, std::uint8_t def, std::uint8_t byte5)
{
    ByteString packet(29, 0);
    packet[0] = 0x06;
    packet[1] = 0x82;
    packet[2] = tr;
    packet[3] = dp;
    packet[4] = def;
    packet[5] = byte5;
    return packet;
}

inline ByteString PresetBytes(const std::string& name, std::size_t size = 128)
{
    ByteString bytes(size, 0x5A);
    for (std::size_t i = 0; i < 15; ++i) bytes[i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0;
    return bytes;
}

class ConnectionControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("vexlor_ctl_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        settings_.host = "127.0.0.1";
        settings_.lockCode = 1234;
        // These tests drive every reconnect themselves.
        settings_.reconnect = false;
        views_.lockCodeText = "1234";
        controller_.SetWorkFolder(folder_.string());
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Post(int id, std::uint32_t w = 0, std::uint32_t l = 0, ByteString data = {})
    {
        controller_.HandleMessage({id, w, l, std::move(data)});
    }
    // Moves the test's clock on, stopping at every timer that falls due on the
    // way, so timers started by callbacks count from their own moment.
    void Advance(std::chrono::milliseconds span)
    {
        const auto target = now_ + span;
        while (timers_.NextDue() && *timers_.NextDue() <= target) {
            now_ = std::max(now_, *timers_.NextDue());
            timers_.RunDue(now_);
        }
        now_ = target;
    }
    // The pause between two preset requests; the connect watchdog waits far longer.
    void RunTimers() { Advance(std::chrono::milliseconds(CConnectionController::kPresetRequestPauseMs)); }
    void ReplyParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t v)
    {
        Post(msg::UM_PARAM_VALUE, 0, PackParamValue(a, b, c, v));
    }
    void ConnectToConfig(ByteString description = Description())
    {
        controller_.ToggleConnection();
        Post(msg::UM_CONNECTED);
        Post(msg::UM_VERSION, 0, 0, {'1', '2', '3'});
        Post(msg::UM_CONFIG, 0, 0, std::move(description));
    }
    // Through the full read and a list of `count` presets.
    void ConnectToReady(std::uint8_t count = 3)
    {
        ConnectToConfig();
        ReplyParam(0, 1, 2, 24);
        ReplyParam(0, 1, 3, 1);
        ReplyParam(2, 0, 1, 7);
        ReplyParam(5, 2, 0, 9);
        ReplyParam(1, 0, 0, 4);
        Post(msg::UM_PRESET_COUNT, count);
        for (std::uint8_t n = 0; n < count; ++n) {
            Post(msg::UM_PRESET_DATA, n, 0, PresetBytes("name" + std::to_string(n)));
            RunTimers();
        }
        session_.Take();
    }

    // The first status opens the first page; answer its refresh walk.
    void OpenFirstPage()
    {
        Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
        ReplyParam(0, 1, 2, 30);
        ReplyParam(0, 1, 3, 1);
        ReplyParam(2, 0, 1, 3);
    }

    fs::path folder_;
    FakeSession session_;
    ConnectionSettings settings_;
    CTextViews views_;
    CTimerQueue::Clock::time_point now_ = CTimerQueue::Clock::now();
    CTimerQueue timers_{[this] { return now_; }};
    CConnectionController controller_{session_, settings_,
                                       ControllerViews{views_, views_, views_, views_, views_, views_, views_},
                                       timers_};
};

}  // namespace controller_test
