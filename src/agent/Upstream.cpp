#include "agent/Upstream.h"

#include "agent/AgentLog.h"
#include "link/Packet.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// A private folder for the controller's description and preset files.
std::string MakeWorkFolder()
{
    std::string path = (std::filesystem::temp_directory_path() / "vexlor-agent-XXXXXX").string();
    return ::mkdtemp(path.data()) ? path : std::string();
}

}  // namespace

CUpstream::CUpstream(ProcessorConfig config, TransportFactory factory)
    : config_(std::move(config)),
      settings_(config_.link),
      views_(
          config_.link.lockCode,
          [this](const std::string& line) { agentlog::Warning(config_.name + ": " + line); },
          [this](const std::string& line) { agentlog::Debug(config_.name + ": " + line); }),
      workFolder_(MakeWorkFolder())
{
    bridge_ = std::make_unique<CSessionBridge>(loop_.Queue(), meter_.Wrap(std::move(factory)));
    controller_ = std::make_unique<CConnectionController>(
        *bridge_, settings_,
        ControllerViews{views_, views_, views_, views_, views_, views_, views_}, loop_.Timers());
    controller_->SetWorkFolder(workFolder_);
    controller_->SetObserver(this);
}

CUpstream::~CUpstream()
{
    Stop();
    // The session's threads post into the queue; they end first.
    controller_.reset();
    bridge_.reset();
    if (!workFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(workFolder_, ignored);
    }
}

void CUpstream::Start()
{
    if (thread_.joinable())
        return;
    stop_ = false;
    thread_ = std::thread([this] { Loop(); });
}

void CUpstream::Stop()
{
    if (!thread_.joinable())
        return;
    stop_ = true;
    loop_.Wake();
    thread_.join();
}

CUpstream::Snapshot CUpstream::Snap() const
{
    std::lock_guard lock(mutex_);
    return snap_;
}

ByteString CUpstream::Description() const
{
    std::lock_guard lock(mutex_);
    return description_;
}

void CUpstream::Loop()
{
    loop_.Run([this] { return stop_.load(); }, Clock::time_point::max(),
              [this](const AppMessage& message) { OnMessage(message); }, [this] { Connect(Clock::now()); });
    SayGoodbye();
}

void CUpstream::SayGoodbye()
{
    if (!bridge_->IsConnected())
        return;
    agentlog::Info(config_.name + ": disconnecting");
    controller_->ExitApplication();
    // The Disconnect goes out at once; the session is done when it has sent it.
    loop_.Run([this] { return !bridge_->IsConnected(); }, Clock::now() + std::chrono::seconds(2),
              [this](const AppMessage& message) { OnMessage(message); }, {}, std::chrono::milliseconds(20));
}

void CUpstream::Connect(Clock::time_point now)
{
    if (controller_->State() != ConnectionState::Disconnected || now < nextAttempt_)
        return;
    agentlog::Info(config_.name + ": connecting");
    nextAttempt_ = Clock::time_point::max();  // set again when this attempt fails
    controller_->ToggleConnection();
}

void CUpstream::OnStateChanged(ConnectionState state)
{
    if (state == ConnectionState::Ready) {
        failedConnects_ = 0;
        agentlog::Info(config_.name + (everUp_ ? ": link restored" : ": connected"));
        std::lock_guard lock(mutex_);
        snap_.up = true;
        if (everUp_)
            ++snap_.reconnects;
        everUp_ = true;
        return;
    }
    if (state == ConnectionState::Disconnected && !stop_) {
        const auto pause = CConnectionController::ReconnectDelay(++failedConnects_);
        agentlog::Warning(config_.name + ": no link; next try in " + std::to_string(pause.count()) + " ms");
        nextAttempt_ = Clock::now() + pause;
    }
    std::lock_guard lock(mutex_);
    snap_.up = false;
    changed_.notify_all();
}

void CUpstream::OnMessage(const AppMessage& message)
{
    controller_->HandleMessage(message);
    std::lock_guard lock(mutex_);
    switch (message.id) {
    case msg::UM_VERSION: snap_.version = message.data; break;
    case msg::UM_STATUS: snap_.status = message.data; break;
    case msg::UM_PRESET_COUNT: snap_.presetCount = message.wParam; break;
    case msg::UM_PRESET_DATA:
        if (!message.data.empty())
            snap_.presetBytes = message.data.size();
        break;
    case msg::UM_CONFIG:
        description_ = message.data;
        snap_.model = message.data.empty() ? -1 : message.data[0];
        break;
    default: break;
    }
    if (waiter_ && !waiter_->got && waiter_->match(message)) {
        waiter_->got = message;
        changed_.notify_all();
    }
}

std::chrono::milliseconds CUpstream::ForwardLimit() const
{
    // The session's own tries come first; a transfer of a preset needs a few more.
    return std::chrono::milliseconds(std::int64_t{config_.link.replyTimeoutMs} * (config_.link.tries + 1) + 5000);
}

std::optional<AppMessage> CUpstream::Forward(const std::function<void(ISessionCommands&)>& give, Match match)
{
    std::lock_guard one(forwardMutex_);
    Waiter waiter{std::move(match), std::nullopt};
    {
        std::lock_guard lock(mutex_);
        if (!snap_.up)
            return std::nullopt;
        waiter_ = &waiter;
    }
    give(*bridge_);
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, ForwardLimit(), [&] { return waiter.got.has_value() || !snap_.up || stop_; });
    waiter_ = nullptr;
    return std::move(waiter.got);
}

namespace {

bool IsParam(const AppMessage& m, std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return m.id == msg::UM_PARAM_VALUE && (m.lParam & 0xFFFFFFu) == (PackParamValue(a, b, c, 0) & 0xFFFFFFu);
}

std::uint8_t ParamValue(const AppMessage& m)
{
    return static_cast<std::uint8_t>(m.lParam >> 24);
}

}  // namespace

std::optional<std::uint8_t> CUpstream::ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    const auto m = Forward([&](ISessionCommands& s) { s.ReadParam(a, b, c); },
                           [=](const AppMessage& e) { return IsParam(e, a, b, c); });
    return m ? std::optional<std::uint8_t>(ParamValue(*m)) : std::nullopt;
}

std::optional<std::uint8_t> CUpstream::WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    // The write's own reply reaches no event; reading the value back right
    // behind it gives what the processor now holds.
    const auto m = Forward(
        [&](ISessionCommands& s) {
            s.WriteParam(a, b, c, value);
            s.ReadParam(a, b, c);
        },
        [=](const AppMessage& e) { return IsParam(e, a, b, c); });
    return m ? std::optional<std::uint8_t>(ParamValue(*m)) : std::nullopt;
}

std::optional<std::uint8_t> CUpstream::LoadPreset(std::uint8_t index)
{
    const auto m = Forward([&](ISessionCommands& s) { s.LoadPreset(index); },
                           [](const AppMessage& e) { return e.id == msg::UM_PRESET_LOADED; });
    return m ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(m->wParam)) : std::nullopt;
}

std::optional<ByteString> CUpstream::GetPreset(std::uint8_t index)
{
    const auto m = Forward([&](ISessionCommands& s) { s.GetPreset(index); },
                           [=](const AppMessage& e) { return e.id == msg::UM_PRESET_DATA && e.wParam == index; });
    return m ? std::optional<ByteString>(m->data) : std::nullopt;
}

bool CUpstream::SendPreset(std::uint8_t index, const ByteString& data)
{
    const auto m = Forward([&](ISessionCommands& s) { s.SendPreset(index, data); },
                           [=](const AppMessage& e) { return e.id == msg::UM_PRESET_SENT && e.wParam == index; });
    // What is left unsent comes back with the event; a whole upload leaves nothing.
    return m && m->data.empty();
}

bool CUpstream::Run(const std::function<void(ISessionCommands&)>& give)
{
    return Forward(give, [this](const AppMessage&) { return bridge_->AllCommandsAnswered(); }).has_value();
}
