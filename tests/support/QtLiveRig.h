#pragma once

#include "SimServer.h"
#include "app/ConnectionController.h"
#include "app/SessionBridge.h"
#include "app/ui/QtMessagePoster.h"
#include "cli/TextViews.h"
#include "settings/ConnectionSettings.h"

#include <QObject>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The controller as the application runs it: messages posted as Qt events and
// timers on the Qt event loop, over the real session, the real UDP transport
// and an in-process simulator on 127.0.0.1. Text views stand in for the
// windows a test does not bring; the real widget views are plugged in by the
// test. Every command the controller gives is recorded on its way to the
// session, so tests can count writes and reads.
class CQtLiveRig : public QObject, public ISessionCommands {
public:
    static constexpr int kLock = 1234;

    struct Command {
        enum class Kind { Read, Write, Rename, Other } kind;
        std::array<std::uint8_t, 4> bytes{};  // a, b, c, value (or index for a rename)
        ByteString data;
    };

    // The widget views under test; each left empty is a text view.
    struct Views {
        IPageFactory* pages = nullptr;
        IPresetListView* presets = nullptr;
        ISettingsPanelView* settingsPanel = nullptr;
    };

    CQtLiveRig(int model, std::string folder);
    ~CQtLiveRig() override;

    // Makes the controller with the given views; call once, before connecting.
    void Start(Views views);

    bool SimStarted() const { return simStarted_; }
    vsim::SimDevice& Device() { return server_->Device(); }
    CConnectionController& Controller() { return *controller_; }
    CTextViews& Text() { return text_; }
    ConnectionSettings& Settings() { return settings_; }

    bool ConnectToReady(std::chrono::milliseconds limit = std::chrono::seconds(30));
    bool OpenAndWalk(std::size_t page, std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Runs the Qt event loop until done() holds or the limit passes.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Drops the link and runs until the controller has seen it go.
    void DisconnectAndWait();

    // Index of the first page whose items satisfy `want`, or -1.
    int FindPage(const std::function<bool(const PageNode&)>& want) const;

    std::vector<Command> commands;
    std::size_t Writes() const { return Count(Command::Kind::Write); }
    std::size_t Reads() const { return Count(Command::Kind::Read); }
    std::size_t params = 0;  // parameter replies the controller handled
    std::size_t walks = 0;

    // ISessionCommands: recorded, then passed to the real session.
    void Connect(ConnectionSettings& settings) override { bridge_->Connect(settings); }
    void Disconnect() override { bridge_->Disconnect(); }
    bool IsConnected() override { return bridge_->IsConnected(); }
    void ReadVersion() override { bridge_->ReadVersion(); }
    void ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c) override;
    void WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) override;
    void GetConfig(std::uint32_t lockCode) override { bridge_->GetConfig(lockCode); }
    void GetFactoryPresetNumber() override { bridge_->GetFactoryPresetNumber(); }
    void GetPreset(std::uint8_t index) override { bridge_->GetPreset(index); }
    void SendPreset(std::uint8_t index, const ByteString& data) override { bridge_->SendPreset(index, data); }
    void LoadPreset(std::uint8_t index) override { bridge_->LoadPreset(index); }
    void SavePreset(std::uint8_t index) override { bridge_->SavePreset(index); }
    void SendCompare() override { bridge_->SendCompare(); }
    void SendRevert() override { bridge_->SendRevert(); }
    void RenamePreset(std::uint8_t index, const ByteString& name15) override;
    void EnableStatusUpdates(bool on) override { bridge_->EnableStatusUpdates(on); }

protected:
    bool event(QEvent* event) override;

private:
    class Observer;
    std::size_t Count(Command::Kind kind) const;

    std::unique_ptr<vsim::SimServer> server_;
    bool simStarted_ = false;
    ConnectionSettings settings_;
    CTextViews text_;
    CQtMessagePoster poster_{this};
    CQtTimerService timers_{this};
    std::unique_ptr<CSessionBridge> bridge_;
    std::unique_ptr<Observer> observer_;
    std::unique_ptr<CConnectionController> controller_;
    std::string folder_;
};
