#include "support/QtLiveRig.h"

#include "support/ControllerWaits.h"

#include <QCoreApplication>

class CQtLiveRig::Observer : public IControllerObserver {
public:
    explicit Observer(CQtLiveRig& rig) : rig_(rig) {}
    void OnParamValue(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) override { ++rig_.params; }
    void OnRefreshWalkDone() override { ++rig_.walks; }

private:
    CQtLiveRig& rig_;
};

CQtLiveRig::CQtLiveRig(int model, std::string folder)
{
    vsim::SimOptions sim;
    sim.model = model;
    sim.port = 0;  // any free port on 127.0.0.1
    sim.udp = true;
    sim.lock = kLock;
    server_ = std::make_unique<vsim::SimServer>(sim);
    std::string why;
    simStarted_ = server_->Start(&why);
    settings_.host = "127.0.0.1";
    settings_.portNumber = server_->UdpPort();
    settings_.transportIndex = 0;
    settings_.lockCode = kLock;
    text_.lockCodeText = std::to_string(kLock);
    bridge_ = std::make_unique<CSessionBridge>(poster_);
    observer_ = std::make_unique<Observer>(*this);
    folder_ = std::move(folder);
}

void CQtLiveRig::Start(Views views)
{
    controller_ = std::make_unique<CConnectionController>(
        *this, settings_,
        ControllerViews{text_, views.settingsPanel ? *views.settingsPanel : text_, text_,
                        views.presets ? *views.presets : text_, text_, views.pages ? *views.pages : text_, text_},
        timers_);
    controller_->SetWorkFolder(folder_);
    controller_->SetObserver(observer_.get());
    text_.onSelectPage = [this](int record) { controller_->OpenPage(static_cast<std::size_t>(record), true); };
}

CQtLiveRig::~CQtLiveRig()
{
    DisconnectAndWait();
    bridge_.reset();  // joins the session's threads before the views go
    controller_.reset();
    server_->Stop();
}

bool CQtLiveRig::event(QEvent* event)
{
    if (auto* message = dynamic_cast<CAppMessageEvent*>(event)) {
        if (controller_) controller_->HandleMessage(message->Message());
        return true;
    }
    return QObject::event(event);
}

void CQtLiveRig::ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    commands.push_back({Command::Kind::Read, {a, b, c, 0}, {}});
    bridge_->ReadParam(a, b, c);
}

void CQtLiveRig::WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    commands.push_back({Command::Kind::Write, {a, b, c, value}, {}});
    bridge_->WriteParam(a, b, c, value);
}

void CQtLiveRig::RenamePreset(std::uint8_t index, const ByteString& name15)
{
    commands.push_back({Command::Kind::Rename, {index, 0, 0, 0}, name15});
    bridge_->RenamePreset(index, name15);
}

std::size_t CQtLiveRig::Count(Command::Kind kind) const
{
    std::size_t n = 0;
    for (const Command& c : commands)
        if (c.kind == kind) ++n;
    return n;
}

bool CQtLiveRig::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents();
    }
    return true;
}

bool CQtLiveRig::ConnectToReady(std::chrono::milliseconds limit)
{
    controller_->ToggleConnection();
    return RunUntil([this] { return ConnectOutcomeKnown(*controller_, walks > 0); }, limit) &&
           controller_->State() == ConnectionState::Ready;
}

bool CQtLiveRig::OpenAndWalk(std::size_t page, std::chrono::milliseconds limit)
{
    return OpenPageAndWalk(*this, page, limit);
}

void CQtLiveRig::DisconnectAndWait()
{
    if (!bridge_ || !bridge_->IsConnected()) return;
    bridge_->Disconnect();
    WaitForDisconnected(*this);
}

int CQtLiveRig::FindPage(const std::function<bool(const PageNode&)>& want) const
{
    const auto& records = controller_->PageTree().Records();
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].hasPage && !records[i].hidden && want(*records[i].node)) return static_cast<int>(i);
    return -1;
}
