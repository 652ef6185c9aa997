#pragma once

#include "app/ChangeHistory.h"
#include "app/PageTreeModel.h"
#include "app/UndoSteps.h"
#include "views/Messages.h"
#include "views/Views.h"
#include "common/ByteString.h"
#include "description/IConfigErrorSink.h"
#include "description/Visibility.h"
#include "presets/PresetModel.h"
#include "presets/PresetRequests.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DescriptionParser;
struct PageNode;
class IDebugLog;
class ISessionCommands;
class ITimerService;
struct ConnectionSettings;
struct ModelInfo;

// Where the connection stands; the numbers are the order of the connect sequence.
enum class ConnectionState : int {
    Disconnected = 0,
    Connecting = 1,
    Identifying = 2,
    Reading = 3,
    Ready = 4,
    Quitting = 5,
    // The link was lost while connected; the next attempt to reconnect waits
    // for its time. Each attempt runs through Connecting to Ready again.
    Reconnecting = 6,
};

// Told about events that front ends without a window (the command-line tool,
// tests) wait for. Every call is made on the controller's thread.
class IControllerObserver {
public:
    virtual ~IControllerObserver() = default;
    virtual void OnStateChanged(ConnectionState) {}
    virtual void OnParamValue(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) {}
    virtual void OnStatus(const ByteString&) {}
    virtual void OnPresetData(std::uint8_t, const ByteString&) {}
    virtual void OnPresetSent(std::uint8_t) {}
    virtual void OnPresetLoaded(std::uint8_t) {}
    virtual void OnRefreshWalkDone() {}
    virtual void OnChange(const ChangeLine&) {}
};

// The views the controller drives.
struct ControllerViews {
    IMainView& main;
    ISettingsPanelView& settingsPanel;
    IPageTreeView& tree;
    IPresetListView& presets;
    IMeterView& meter;
    IPageFactory& pages;
    IDebugLog& log;
};

// The logic half of the main window: turns the operator's choices into session
// commands and every session event (a posted message) into state changes.
// Runs on one thread only; the session reaches it only through messages.
class CConnectionController : private IConfigErrorSink {
public:
    static constexpr const char* kDescriptionFile = "pccontrol.bin";
    static constexpr std::uint32_t kPresetRequestPauseMs = 15;
    // A connect that makes no progress for this long is given up, unless the
    // session's own retries of one command may take longer.
    static constexpr std::chrono::milliseconds kMinConnectWatchdog{30000};
    // Status stopping for this long darkens the meters and says so.
    static constexpr std::chrono::milliseconds kStatusSilence{1000};
    static constexpr std::chrono::milliseconds kStatusWatchTick{250};
    // The wait before reconnect attempt `attempt` (from 1): 1, 2, 4, 8, 15 s,
    // then 30 s for every further attempt.
    static std::chrono::milliseconds ReconnectDelay(unsigned attempt);

    CConnectionController(ISessionCommands& session, ConnectionSettings& settings,
                          ControllerViews views, ITimerService& timers);
    ~CConnectionController() override;
    CConnectionController(const CConnectionController&) = delete;
    CConnectionController& operator=(const CConnectionController&) = delete;

    // Folder for "pccontrol.bin" and the temporary preset files; empty means
    // the current folder.
    void SetWorkFolder(const std::string& folder) { workFolder_ = folder; }
    void SetObserver(IControllerObserver* observer) { observer_ = observer; }
    // The wall-clock time of day as the status line shows it ("HH:MM:SS").
    void SetClockText(std::function<std::string()> clock) { clockText_ = std::move(clock); }

    void HandleMessage(const AppMessage& message);

    void ToggleConnection();
    void ExitApplication();
    void SelectA();
    void SelectB();
    void OpenPage(std::size_t index, bool rebuild);
    void WriteParameter(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value, bool echo);
    void ReadParameter(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    void ApplyCompareLock(bool on);
    // The status line's Stop: no further reconnect attempt; the window goes
    // to the disconnected layout.
    void StopReconnecting();

    // Read-only views of the state for front ends and tests.
    ConnectionState State() const { return state_; }
    const PageNode* Root() const;
    const CPageTreeModel& PageTree() const { return pageTree_; }
    const std::vector<presets::PresetRow>& PresetRows() const { return rows_; }
    const ModelInfo* Model() const { return model_; }
    unsigned UserPresetCount() const { return userPresetCount_; }
    std::uint32_t PresetCount() const { return presetCount_; }
    const ByteString& Version() const { return version_; }
    std::size_t CurrentPageIndex() const { return currentPage_; }
    IPageView* CurrentPage() const { return page_.get(); }
    const std::vector<VisibilityDriver>& VisibilityDrivers() const { return drivers_; }
    bool CompareLock() const { return compareLock_; }
    bool RefreshWalkRunning() const { return walk_; }
    bool FullReadRunning() const { return fullRead_; }
    bool BuildingPresetList() const { return buildingPresetList_; }
    // How long the connect sequence may stand still before it is given up.
    std::chrono::milliseconds ConnectWatchdogPeriod() const;
    const presets::StatusValues& StatusNow() const { return status_; }
    // This connection's parameter changes, oldest first.
    const CChangeHistory& Changes() const { return changes_; }

    // Undo and redo. The view keeps the steps; the controller makes them from
    // the operator's writes and clears them when "before" changes meaning.
    void SetUndoView(IUndoView* view) { undoView_ = view; }
    // A control pressed (true) or released (false): the writes between make one step.
    void HoldGesture(bool held);
    // Ends the gesture under way, so that it can be undone at once.
    void FinishGesture();
    // Why the step cannot be undone or redone now; empty when it can.
    std::string UndoRefusal(const UndoStep& step) const;
    // Writes the value from before (after) the step once the processor is
    // found to hold the value from after (before) it; otherwise the view is
    // told to drop the step.
    void Undo(const UndoStep& step);
    void Redo(const UndoStep& step);
    // The running or waiting reconnect attempt, 0 when not reconnecting.
    unsigned ReconnectAttempt() const { return reconnectAttempt_; }

private:
    // Connect sequence.
    void BeginConnect();
    void OnConnected();
    void OnDisconnected();
    // Ends a connect or reconnect the operator no longer wants, without a message.
    void GiveUpConnecting();
    void EnterDisconnectedLayout();
    void ArmConnectWatchdog();
    void OnConnectWatchdog(std::uint64_t generation, std::uint64_t progress);
    bool Connecting() const;
    void OnVersion(const ByteString& bytes);
    void OnConfig(const ByteString& bytes);
    bool IdentifyModel(std::uint8_t code);
    bool SaveAndParseDescription(const ByteString& bytes);
    void StartFullRead();
    // Ready once the full read (and, on a first connect, the preset list) is in.
    void EnterReadyIfRead();
    void ReadListAfterPage();
    // The preset list of this connection is read; its commands may act on it.
    bool PresetListCurrent() const;
    void OnParamValue(std::uint32_t packed);
    // The open page's controls of that address show the value.
    void ShowDeviceValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value);
    void AdvanceRefreshWalk(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    void EndRefreshWalk();
    bool ValidateSettings();

    // Link loss and reconnection.
    void OnLinkLost();
    void ScheduleReconnect();
    void OnReconnected();
    std::string Now() const;
    void SetStatusUpdates(bool on);
    void ArmStatusWatch();
    void OnStatusWatch(std::uint64_t generation);

    // Status and pages.
    void OnStatus(const ByteString& packet);
    void ReevaluateVisibility();
    void RebuildTree();
    void ReopenPage();
    void UpdateChangeFlag(const presets::StatusValues& now);
    void UpdatePresetFlags();
    void DestroyPage();
    void FillTreeView();
    void SetAB(bool a, bool b);
    void ReleaseCompareAfterSave();
    void ResetCompareState();

    // Presets.
    void OnPresetCount(std::uint32_t count);
    void OnPresetData(std::uint8_t index, const ByteString& data);
    void OnPresetSent(std::uint8_t index);
    void OnPresetLoaded(std::uint8_t index);
    void OnPresetCommand(int command);
    void OnPresetNameChanged(std::uint8_t index);
    void OnPresetSelected(std::uint32_t index);
    void RequestPreset(std::uint32_t index, presets::PresetPurpose purpose);
    // A cancelled dialog or an empty file sends nothing.
    void UploadPreset(std::uint8_t index, bool fromChosenFile);
    void PresetListRowArrived(std::uint8_t index);
    // The read-back of a preset loaded from a file: tells the operator when the
    // processor did not take the file's bytes.
    void CheckRestoredPreset(std::uint8_t index, const ByteString& readBack);
    void UpdatePresetRow(std::uint8_t index, bool insert);
    void FinishPresetList();

    // The parser's one-time "Config Error" report, shown as a message box.
    void ShowConfigError(const std::string& text, const std::string& caption) override;
    // Remembers the parameter's value; a value that differs from the one known
    // before goes into the change history (the operator's writes always do).
    void NoteValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value, ChangeOrigin origin);
    ChangeLine DescribeChange(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) const;
    struct FoundParameter {
        const ControlRecord* record = nullptr;
        std::string page;
    };
    FoundParameter FindParameter(std::uint8_t a, std::uint8_t b, std::uint8_t c) const;
    void RecordGesture(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value);
    void PushStep(const std::optional<UndoStep>& step);
    void ClearUndo();
    void CheckStep(const UndoStep& step, bool undo);
    void FinishStepCheck(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value);
    // Every message box of the controller goes through here.
    void Tell(const std::string& text, const std::string& caption);
    bool LinkMessagesWanted() const;
    static bool IsLinkData(int id);
    void SetState(ConnectionState state);
    void Log(const std::string& text);
    std::string WorkPath(const std::string& name) const;

    ISessionCommands& session_;
    ConnectionSettings& settings_;
    ControllerViews views_;
    ITimerService& timers_;
    IControllerObserver* observer_ = nullptr;
    std::string workFolder_;

    std::unique_ptr<DescriptionParser> parser_;
    CPageTreeModel pageTree_;
    std::unique_ptr<IPageView> page_;
    std::vector<IBoundControl*> bound_;
    std::size_t currentPage_ = 0;
    std::vector<VisibilityDriver> drivers_;
    std::array<std::uint8_t, 3> endMarker_{};

    ConnectionState state_ = ConnectionState::Disconnected;
    const ModelInfo* model_ = nullptr;
    ByteString version_;
    bool fullRead_ = false;
    bool reevaluateVisibility_ = false;
    bool rebuildTree_ = false;
    bool reopenPage_ = false;
    bool firstOpen_ = false;
    bool walk_ = false;
    std::size_t walkPosition_ = 0;
    bool awaitingConfig_ = false;
    bool versionReceived_ = false;
    bool failureShown_ = false;
    unsigned userPresetCount_ = 8;
    std::uint32_t presetCount_ = 0;
    bool buildingPresetList_ = false;
    bool presetListDone_ = false;  // this connection's list has been built
    bool listAfterPage_ = false;   // a reconnect: the list is read once the page is back
    presets::CPresetRequests presetRequests_;
    // A preset file sent to the processor, until its read-back arrives.
    struct RestoredPreset {
        std::uint8_t index = 0;
        ByteString bytes;
        std::string path;
    };
    std::optional<RestoredPreset> restored_;
    bool quitPending_ = false;
    // Bumped on every connect and disconnect so that a pending preset-request
    // timer of an earlier connection does nothing.
    std::uint64_t generation_ = 0;
    // Counts the steps of the connect sequence the watchdog sees as progress.
    std::uint64_t connectProgress_ = 0;
    // Message boxes open right now (each runs its own event loop).
    int boxesOpen_ = 0;
    // Set while the controller itself selects the tree item whose page it
    // has just opened.
    bool selectingFirstItem_ = false;

    // Link loss and reconnection.
    std::function<std::string()> clockText_;
    bool disconnectAsked_ = false;  // the operator ended the link
    unsigned reconnectAttempt_ = 0;
    std::string lostAt_;
    bool resumePage_ = false;  // the first page opened is the one open before the loss
    bool statusOn_ = false;    // status polling was last asked on
    bool statusSeen_ = false;  // a status arrived since the last watch tick
    int quietTicks_ = 0;

    presets::StatusValues status_;
    presets::StatusValues previous_;
    std::uint8_t localCompare_ = 0;
    bool compareLock_ = false;
    bool aChecked_ = false;
    bool bChecked_ = false;
    std::vector<presets::PresetRow> rows_;

    CChangeHistory changes_;
    // The last value known of each parameter address of this connection.
    std::map<std::array<std::uint8_t, 3>, std::uint8_t> known_;

    IUndoView* undoView_ = nullptr;
    CGestureSteps gestures_;
    struct PendingStep {
        UndoStep step;
        bool undo;
    };
    // Steps waiting for the processor's answer to their check, oldest first.
    std::deque<PendingStep> pendingSteps_;
};
