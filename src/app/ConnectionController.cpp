#include "app/ConnectionController.h"

#include "app/ControllerTexts.h"
#include "app/DebugLineStore.h"
#include "app/DescriptionAccess.h"
#include "app/ModelTable.h"
#include "app/SessionCommands.h"
#include "description/DescriptionParser.h"
#include "meters/MeterLayout.h"
#include "description/Visibility.h"
#include "app/TimerQueue.h"
#include "settings/ConnectionSettings.h"

#include <algorithm>
#include <fstream>

CConnectionController::CConnectionController(ISessionCommands& session, ConnectionSettings& settings,
                                             ControllerViews views, ITimerService& timers)
    : session_(session),
      settings_(settings),
      views_(views),
      timers_(timers),
      parser_(std::make_unique<DescriptionParser>(static_cast<IConfigErrorSink*>(this)))
{
}

void CConnectionController::ShowConfigError(const std::string& text, const std::string& caption)
{
    Tell(text, caption);
}

void CConnectionController::Tell(const std::string& text, const std::string& caption)
{
    // The box runs its own event loop: timers and session events go on behind it.
    ++boxesOpen_;
    views_.main.ShowMessage(text, caption);
    --boxesOpen_;
    // Time spent reading the box is no lack of progress.
    ++connectProgress_;
}

CConnectionController::~CConnectionController() = default;

const PageNode* CConnectionController::Root() const
{
    return parser_->Root();
}

void CConnectionController::SetState(ConnectionState state)
{
    if (state_ == state) return;
    state_ = state;
    if (state == ConnectionState::Ready && reconnectAttempt_ > 0) OnReconnected();
    if (observer_) observer_->OnStateChanged(state);
}

void CConnectionController::Log(const std::string& text)
{
    views_.log.AddLine(text);
}

std::string CConnectionController::WorkPath(const std::string& name) const
{
    if (workFolder_.empty()) return name;
    return workFolder_ + "/" + name;
}

bool CConnectionController::LinkMessagesWanted() const
{
    return Connecting() || state_ == ConnectionState::Ready;
}

bool CConnectionController::IsLinkData(int id)
{
    return id == msg::UM_CONNECTED || (id >= msg::UM_PARAM_VALUE && id <= msg::UM_RESERVED && id != msg::UM_LOG);
}

void CConnectionController::HandleMessage(const AppMessage& m)
{
    // What a link that was given up still had on its way belongs to no connect.
    if (IsLinkData(m.id) && !LinkMessagesWanted()) return;
    switch (m.id) {
    case msg::UM_CONNECTED: OnConnected(); break;
    case msg::UM_DISCONNECTED: OnDisconnected(); break;
    case msg::UM_PARAM_VALUE: OnParamValue(m.lParam); break;
    case msg::UM_VERSION: OnVersion(m.data); break;
    case msg::UM_STATUS: OnStatus(m.data); break;
    case msg::UM_CONFIG: OnConfig(m.data); break;
    case msg::UM_PRESET_DATA: OnPresetData(static_cast<std::uint8_t>(m.wParam), m.data); break;
    case msg::UM_LOG: Log(std::string(m.data.begin(), m.data.end())); break;
    case msg::UM_PRESET_COUNT: OnPresetCount(m.wParam); break;
    case msg::UM_PRESET_SENT: OnPresetSent(static_cast<std::uint8_t>(m.wParam)); break;
    case msg::UM_PRESET_LOADED: OnPresetLoaded(static_cast<std::uint8_t>(m.wParam)); break;
    case msg::UM_PRESET_COMMAND: OnPresetCommand(static_cast<int>(m.lParam)); break;
    case msg::UM_PRESET_NAME_CHANGED: OnPresetNameChanged(static_cast<std::uint8_t>(m.wParam)); break;
    case msg::UM_PRESET_SELECTED: OnPresetSelected(m.wParam); break;
    default: break;
    }
}

bool CConnectionController::ValidateSettings()
{
    bool valid = true;
    if (settings_.lockCode > 9999 || views_.settingsPanel.LockCodeText().size() != 4) {
        Tell(texts::kCheckPassword, "");
        valid = false;
    }
    // 0 (an empty port field) is no UDP port either; a serial link has no use for the number.
    const bool noUdpPort = settings_.portNumber == 0 && settings_.transportIndex == 0;
    if (noUdpPort || settings_.portNumber > 0xFFFF) {
        Tell(texts::kCheckPort, "");
        valid = false;
    }
    return valid;
}

void CConnectionController::ToggleConnection()
{
    // While connecting or reconnecting the button ends the attempt at once.
    if (Connecting() || state_ == ConnectionState::Reconnecting) {
        GiveUpConnecting();
        return;
    }
    DestroyPage();
    views_.settingsPanel.ApplyPanel(settings_);
    if (!ValidateSettings()) return;
    if (session_.IsConnected()) {
        disconnectAsked_ = true;
        views_.main.ShowLinkStatus("", false);
        session_.Disconnect();
        return;
    }
    reconnectAttempt_ = 0;
    resumePage_ = false;
    views_.main.ShowLinkStatus("", false);
    views_.main.ShowProgress();
    BeginConnect();
}

void CConnectionController::BeginConnect()
{
    views_.main.EnableWindow(false);
    fullRead_ = reevaluateVisibility_ = rebuildTree_ = reopenPage_ = firstOpen_ = true;
    // A link that never opens must not inherit the flags of the last connection.
    failureShown_ = awaitingConfig_ = versionReceived_ = presetListDone_ = disconnectAsked_ = listAfterPage_ = false;
    presetRequests_.Clear();
    ResetCompareState();
    changes_.Clear();
    known_.clear();
    ClearUndo();
    ++generation_;
    SetState(ConnectionState::Connecting);
    ArmConnectWatchdog();
    session_.Connect(settings_);
}

bool CConnectionController::Connecting() const
{
    return state_ == ConnectionState::Connecting || state_ == ConnectionState::Identifying ||
           state_ == ConnectionState::Reading;
}

std::chrono::milliseconds CConnectionController::ConnectWatchdogPeriod() const
{
    // The session gives one command up after its tries of one reply time-out
    // each; its own report of that is the better one, so the watchdog waits longer.
    const std::int64_t retries = std::int64_t{std::max(settings_.tries, 1)} * std::max(settings_.replyTimeoutMs, 1);
    return std::max(kMinConnectWatchdog, std::chrono::milliseconds(retries + 10000));
}

void CConnectionController::ArmConnectWatchdog()
{
    const std::uint64_t generation = generation_;
    const std::uint64_t progress = connectProgress_;
    timers_.StartOnce(ConnectWatchdogPeriod(), [this, generation, progress] { OnConnectWatchdog(generation, progress); });
}

void CConnectionController::OnConnectWatchdog(std::uint64_t generation, std::uint64_t progress)
{
    if (generation != generation_ || !Connecting()) return;
    // The operator reading a box is no stalled processor.
    if (progress != connectProgress_ || boxesOpen_ > 0) {
        ArmConnectWatchdog();
        return;
    }
    // A step that never ends (an answer the session does not retry) would keep
    // the progress window up for good.
    Log("No progress while connecting; the attempt is given up");
    session_.Disconnect();
    if (reconnectAttempt_ > 0) {
        ++generation_;
        ScheduleReconnect();
        return;
    }
    EnterDisconnectedLayout();
    failureShown_ = true;
    Tell(texts::kNoResponse, "");
}

void CConnectionController::ExitApplication()
{
    quitPending_ = true;
    SetState(ConnectionState::Quitting);
    if (session_.IsConnected()) session_.Disconnect();
    views_.main.QuitMessageLoop(0);
}

void CConnectionController::OnConnected()
{
    ++connectProgress_;
    quitPending_ = false;
    views_.main.SetConnectElement("BtnDisconnect");
    views_.main.SetConnectedLayout(true);
    awaitingConfig_ = false;
    versionReceived_ = false;
    SetState(ConnectionState::Identifying);
    statusSeen_ = false;
    quietTicks_ = 0;
    ArmStatusWatch();
    session_.ReadVersion();
}

void CConnectionController::OnVersion(const ByteString& bytes)
{
    version_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(bytes.size(), 3)));
    // With several processors in reach the operator needs to see which one this is.
    std::string title = settings_.profileName.empty() ? "" : settings_.profileName + " - ";
    title += "Remote V";
    if (!version_.empty()) title += static_cast<char>(version_[0]);
    title += ".";
    for (std::size_t i = 1; i < version_.size(); ++i) title += static_cast<char>(version_[i]);
    views_.main.SetTitle(title);
    ++connectProgress_;
    versionReceived_ = true;
    awaitingConfig_ = true;
    session_.GetConfig(settings_.lockCode);
}

bool CConnectionController::IdentifyModel(std::uint8_t code)
{
    model_ = FindModel(code);
    if (!model_) {
        // Another processor answers: trying again cannot help.
        reconnectAttempt_ = 0;
        // Neither this code's layout nor the last model's art: no processor.
        views_.meter.SetModel(0);
        views_.meter.SetBackground(kNoModelBackgroundKey);
        views_.meter.Reset();
        session_.Disconnect();
        Tell(texts::kIncorrectApplication, "");
        return false;
    }
    views_.meter.SetModel(code);
    views_.meter.SetBackground(model_->meterBackgroundKey);
    userPresetCount_ = model_->userPresets;
    views_.presets.SetUserPresetCount(userPresetCount_);
    return true;
}

bool CConnectionController::SaveAndParseDescription(const ByteString& bytes)
{
    const std::string path = WorkPath(kDescriptionFile);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            reconnectAttempt_ = 0;
            session_.Disconnect();
            Tell(texts::kPermissionsError, "");
            return false;
        }
    }
    parser_->Load(path);
    return true;
}

void CConnectionController::OnConfig(const ByteString& bytes)
{
    ++connectProgress_;
    awaitingConfig_ = false;
    const std::uint64_t generation = generation_;
    // An empty description names no model at all.
    if (!IdentifyModel(bytes.empty() ? 0 : bytes[0])) return;
    views_.settingsPanel.KeepConnectedSettings(settings_);
    if (!SaveAndParseDescription(bytes)) return;
    // A "Config Error" box may have stayed open while the link went.
    if (generation != generation_ || !Connecting()) return;
    bound_.clear();
    pageTree_.Fill(Root());
    views_.tree.SetVisible(false);
    FillTreeView();
    SetState(ConnectionState::Reading);
    // A reconnect gives the operator the page back first; the preset list is
    // read right after it (see ReadListAfterPage).
    listAfterPage_ = reconnectAttempt_ > 0;
    StartFullRead();
    if (listAfterPage_)
        EnterReadyIfRead();
    else
        session_.GetFactoryPresetNumber();
}

void CConnectionController::EnterReadyIfRead()
{
    if (state_ != ConnectionState::Reading || fullRead_ || !(presetListDone_ || listAfterPage_)) return;
    SetState(ConnectionState::Ready);
    ReadListAfterPage();
}

void CConnectionController::ReadListAfterPage()
{
    // Ready, the page open and read, and the list not asked for yet.
    if (!listAfterPage_ || buildingPresetList_ || state_ != ConnectionState::Ready || firstOpen_ || walk_) return;
    buildingPresetList_ = true;
    views_.main.EnableWindow(true);
    session_.GetFactoryPresetNumber();
}

bool CConnectionController::PresetListCurrent() const
{
    return presetListDone_ && !buildingPresetList_;
}

void CConnectionController::StartFullRead()
{
    SetStatusUpdates(false);
    bool any = false;
    if (const PageNode* root = Root()) {
        for (const ParamAddress& address : FirstRecordAddresses(*root)) {
            session_.ReadParam(address.a, address.b, address.c);
            endMarker_ = {address.a, address.b, address.c};
            any = true;
        }
    }
    // Nothing requested means no reply can end the read.
    if (!any) fullRead_ = false;
    SetStatusUpdates(true);
}

void CConnectionController::OnParamValue(std::uint32_t packed)
{
    const auto a = static_cast<std::uint8_t>(packed & 0xFF);
    const auto b = static_cast<std::uint8_t>((packed >> 8) & 0xFF);
    const auto c = static_cast<std::uint8_t>((packed >> 16) & 0xFF);
    const auto value = static_cast<std::uint8_t>((packed >> 24) & 0xFF);
    if (observer_) observer_->OnParamValue(a, b, c, value);
    ++connectProgress_;
    if (fullRead_) {
        known_[{a, b, c}] = value;
        if (PageNode* root = parser_->Root()) StoreValue(*root, a, b, c, value);
        if (endMarker_ == std::array<std::uint8_t, 3>{a, b, c}) {
            fullRead_ = false;
            if (!buildingPresetList_) {
                SetStatusUpdates(true);
                EnterReadyIfRead();
            }
        }
        return;
    }
    ShowDeviceValue(a, b, c, value);
    NoteValue(a, b, c, value, ChangeOrigin::Processor);
    FinishStepCheck(a, b, c, value);
    AdvanceRefreshWalk(a, b, c);
}

void CConnectionController::ShowDeviceValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    for (IBoundControl* control : bound_) {
        auto& records = control->Records();
        if (records.empty() || !descaccess::SameAddress(records.front(), a, b, c)) continue;
        records.front().value = value;
        control->SetDeviceValue(value);
    }
}

void CConnectionController::AdvanceRefreshWalk(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    if (!walk_ || walkPosition_ >= bound_.size()) return;
    const auto& records = bound_[walkPosition_]->Records();
    if (records.empty() || !descaccess::SameAddress(records.front(), a, b, c)) return;
    ++walkPosition_;
    // As when the walk starts: a control without records has nothing to read.
    if (walkPosition_ >= bound_.size() || bound_[walkPosition_]->Records().empty()) {
        EndRefreshWalk();
        return;
    }
    const ControlRecord& next = bound_[walkPosition_]->Records().front();
    session_.ReadParam(next.a, next.b, next.c);
}

void CConnectionController::EndRefreshWalk()
{
    walk_ = false;
    // The processor gets no status requests between its preset transfers.
    if (!buildingPresetList_) SetStatusUpdates(true);
    Log("All Controls Updated");
    if (page_) page_->SetVisible(true);
    views_.tree.SetEnabled(true);
    if (observer_) observer_->OnRefreshWalkDone();
    ReadListAfterPage();
}

void CConnectionController::WriteParameter(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                           std::uint8_t value, bool echo)
{
    // A change made while the link was down is never sent, not even once a
    // reconnect is under way: the page is read afresh instead.
    if (reconnectAttempt_ > 0) return;
    if (session_.IsConnected()) {
        RecordGesture(a, b, c, value);
        session_.WriteParam(a, b, c, value);
        NoteValue(a, b, c, value, ChangeOrigin::Operator);
    }
    if (!echo) return;
    reevaluateVisibility_ = true;
    if (PageNode* root = parser_->Root()) StoreValue(*root, a, b, c, value);
}

void CConnectionController::ReadParameter(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    if (session_.IsConnected()) session_.ReadParam(a, b, c);
}

void CConnectionController::EnterDisconnectedLayout()
{
    ClearUndo();
    ++generation_;
    buildingPresetList_ = false;
    presetRequests_.Clear();
    restored_.reset();
    walk_ = false;
    ResetCompareState();
    views_.main.EnableWindow(true);
    views_.meter.Reset();
    DestroyPage();
    views_.tree.SetEnabled(false);
    views_.main.SetConnectedLayout(false);
    views_.main.SetConnectElement("BtnConnect");
    views_.main.CloseProgress();
    SetState(ConnectionState::Disconnected);
}

void CConnectionController::OnDisconnected()
{
    if (quitPending_) {
        views_.main.QuitMessageLoop(0);
        return;
    }
    // The session reports one loss twice; the first one is being handled.
    if (state_ == ConnectionState::Reconnecting) return;
    if (state_ == ConnectionState::Ready && !disconnectAsked_) {
        OnLinkLost();
        return;
    }
    // An attempt that found no processor waits for the next; a refused lock
    // code ends reconnecting with its message below.
    if (reconnectAttempt_ > 0 && Connecting() && !awaitingConfig_) {
        ScheduleReconnect();
        return;
    }
    reconnectAttempt_ = 0;
    EnterDisconnectedLayout();
    // The session reports one loss of the link twice; tell the operator once.
    if (failureShown_) return;
    if (awaitingConfig_) {
        failureShown_ = true;
        Tell(texts::kIncorrectPassword, "");
    }
    if (!versionReceived_) {
        failureShown_ = true;
        Tell(texts::kNoResponse, "");
    }
}
