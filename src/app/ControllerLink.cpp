// A lost link: the status watch, the status line and reconnecting by itself.
#include "app/ConnectionController.h"

#include "app/DebugLineStore.h"
#include "app/SessionCommands.h"
#include "app/TimerQueue.h"
#include "settings/ConnectionSettings.h"

#include <algorithm>
#include <array>
#include <ctime>

namespace {

std::string LocalTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 16> text{};
    std::strftime(text.data(), text.size(), "%H:%M:%S", &local);
    return text.data();
}

}  // namespace

std::chrono::milliseconds CConnectionController::ReconnectDelay(unsigned attempt)
{
    static constexpr std::array<int, 6> kSeconds{1, 2, 4, 8, 15, 30};
    const std::size_t step = std::min<std::size_t>(attempt == 0 ? 0 : attempt - 1, kSeconds.size() - 1);
    return std::chrono::seconds(kSeconds[step]);
}

std::string CConnectionController::Now() const
{
    return clockText_ ? clockText_() : LocalTimeText();
}

void CConnectionController::SetStatusUpdates(bool on)
{
    statusOn_ = on;
    // Silence counts from when status is asked for again.
    quietTicks_ = 0;
    session_.EnableStatusUpdates(on);
}

void CConnectionController::ArmStatusWatch()
{
    const std::uint64_t generation = generation_;
    timers_.StartOnce(kStatusWatchTick, [this, generation] { OnStatusWatch(generation); });
}

void CConnectionController::OnStatusWatch(std::uint64_t generation)
{
    if (generation != generation_) return;
    constexpr int kSilentTicks = static_cast<int>(kStatusSilence / kStatusWatchTick);
    if (statusSeen_ || !statusOn_ || state_ != ConnectionState::Ready) {
        quietTicks_ = 0;
    } else if (++quietTicks_ == kSilentTicks) {
        // A hung processor would leave the last packet lit for the whole of
        // the session's retries.
        views_.meter.Reset();
        views_.main.ShowLinkStatus("No answer from the processor since " + Now(), false);
    }
    statusSeen_ = false;
    ArmStatusWatch();
}

void CConnectionController::OnLinkLost()
{
    lostAt_ = Now();
    Log("Link lost");
    if (!settings_.reconnect) {
        EnterDisconnectedLayout();
        views_.main.ShowLinkStatus("Link to the processor lost at " + lostAt_, false);
        return;
    }
    // The window keeps its page and tree, disabled, until the link is back;
    // nothing the operator does meanwhile can reach the processor.
    ++generation_;
    buildingPresetList_ = false;
    presetRequests_.Clear();
    walk_ = false;
    views_.meter.Reset();
    views_.main.EnableWindow(false);
    views_.tree.SetEnabled(false);
    resumePage_ = page_ != nullptr;
    reconnectAttempt_ = 0;
    ScheduleReconnect();
}

void CConnectionController::ScheduleReconnect()
{
    ++reconnectAttempt_;
    SetState(ConnectionState::Reconnecting);
    views_.main.ShowLinkStatus(
        "Link lost at " + lostAt_ + ". Reconnecting\u2026 (attempt " + std::to_string(reconnectAttempt_) + ")", true);
    const std::uint64_t generation = generation_;
    timers_.StartOnce(ReconnectDelay(reconnectAttempt_), [this, generation] {
        if (generation == generation_ && state_ == ConnectionState::Reconnecting) BeginConnect();
    });
}

void CConnectionController::OnReconnected()
{
    Log("Link restored after " + std::to_string(reconnectAttempt_) + " attempts");
    reconnectAttempt_ = 0;
    views_.main.ShowLinkStatus("Link lost at " + lostAt_ + ", back at " + Now(), false);
}

void CConnectionController::StopReconnecting()
{
    if (reconnectAttempt_ == 0) return;
    GiveUpConnecting();
    views_.main.ShowLinkStatus("Link lost at " + lostAt_ + ". Reconnecting stopped", false);
}

void CConnectionController::GiveUpConnecting()
{
    reconnectAttempt_ = 0;
    resumePage_ = false;
    disconnectAsked_ = true;
    // The session's report of this disconnect is no failure to tell about.
    failureShown_ = true;
    session_.Disconnect();
    EnterDisconnectedLayout();
}
