#include "LiveRig.h"

#include "support/ControllerWaits.h"

vsim::SimOptions SimFor(int model)
{
    vsim::SimOptions o;
    o.model = model;
    o.port = 0;  // any free port on 127.0.0.1
    o.udp = true;
    o.lock = LiveRig::kLock;
    return o;
}

LiveRig::LiveRig(vsim::SimOptions sim, std::string folder)
{
    server_ = std::make_unique<vsim::SimServer>(sim, [this](const std::string& line) {
        std::lock_guard lock(simLogMutex_);
        simLog_.push_back(line);
    });
    std::string why;
    simStarted_ = server_->Start(&why);
    settings_.host = "127.0.0.1";
    settings_.portNumber = server_->UdpPort();
    settings_.transportIndex = 0;
    settings_.lockCode = kLock;
    views_.lockCodeText = std::to_string(kLock);
    bridge_ = std::make_unique<CSessionBridge>(loop_.Queue());
    controller_ = std::make_unique<CConnectionController>(
        *bridge_, settings_, ControllerViews{views_, views_, views_, views_, views_, views_, views_},
        loop_.Timers());
    controller_->SetWorkFolder(folder);
    controller_->SetObserver(this);
    views_.onSelectPage = [this](int record) { controller_->OpenPage(static_cast<std::size_t>(record), true); };
    loop_.Attach(*controller_);
}

LiveRig::~LiveRig()
{
    Disconnect();
    bridge_.reset();  // joins the session's threads
    server_->Stop();
}

std::vector<std::string> LiveRig::SimLog() const
{
    std::lock_guard lock(simLogMutex_);
    return simLog_;
}

void LiveRig::OnParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t v)
{
    params.push_back({a, b, c, v});
}

void LiveRig::OnPresetData(std::uint8_t index, const ByteString& data)
{
    presetData.emplace_back(index, data);
}

bool LiveRig::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    return loop_.RunFor(limit, done);
}

bool LiveRig::ConnectToReady(std::chrono::milliseconds limit)
{
    controller_->ToggleConnection();
    return RunUntil([this] { return ConnectOutcomeKnown(*controller_, statuses > 0); }, limit) &&
           controller_->State() == ConnectionState::Ready;
}

bool LiveRig::ConnectToFailure(std::chrono::milliseconds limit)
{
    controller_->ToggleConnection();
    const bool lost =
        RunUntil([this] { return controller_->State() == ConnectionState::Disconnected; }, limit);
    // A second report of the same loss may still come; let it.
    loop_.RunFor(std::chrono::milliseconds(200), [] { return false; });
    return lost;
}

bool LiveRig::OpenAndWalk(std::size_t page, std::chrono::milliseconds limit)
{
    return OpenPageAndWalk(*this, page, limit);
}

void LiveRig::Disconnect()
{
    if (!bridge_ || !bridge_->IsConnected()) return;
    bridge_->Disconnect();
    WaitForDisconnected(*this);
}
