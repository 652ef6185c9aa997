#pragma once

#include "SimServer.h"
#include "app/ConnectionController.h"
#include "app/SessionBridge.h"
#include "cli/CliLoop.h"
#include "cli/TextViews.h"
#include "settings/ConnectionSettings.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

// The controller with text views over the real session, the real UDP transport
// and an in-process simulator on 127.0.0.1.
class LiveRig : public IControllerObserver {
public:
    static constexpr int kLock = 1234;

    explicit LiveRig(vsim::SimOptions sim, std::string folder);
    ~LiveRig() override;

    bool SimStarted() const { return simStarted_; }
    vsim::SimDevice& Device() { return server_->Device(); }
    CConnectionController& Controller() { return *controller_; }
    CTextViews& Views() { return views_; }
    ConnectionSettings& Settings() { return settings_; }
    CCliLoop& Loop() { return loop_; }

    // Connect and run until Ready with the first page walked, or the link lost.
    bool ConnectToReady(std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Connect and run until the link is lost (for the failure paths).
    bool ConnectToFailure(std::chrono::milliseconds limit = std::chrono::seconds(30));
    bool OpenAndWalk(std::size_t page, std::chrono::milliseconds limit = std::chrono::seconds(10));
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));
    void Disconnect();
    // The simulator's log so far (every command it received, among others).
    std::vector<std::string> SimLog() const;

    void OnStatus(const ByteString&) override { ++statuses; }
    void OnRefreshWalkDone() override { ++walks; }
    void OnParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t v) override;
    void OnPresetData(std::uint8_t index, const ByteString& data) override;
    void OnPresetSent(std::uint8_t index) override { sent.push_back(index); }
    void OnPresetLoaded(std::uint8_t index) override { loaded.push_back(index); }

    std::size_t statuses = 0;
    std::size_t walks = 0;
    std::vector<std::array<std::uint8_t, 4>> params;
    std::vector<std::pair<std::uint8_t, ByteString>> presetData;
    std::vector<std::uint8_t> sent;
    std::vector<std::uint8_t> loaded;

private:
    mutable std::mutex simLogMutex_;
    std::vector<std::string> simLog_;
    std::unique_ptr<vsim::SimServer> server_;
    bool simStarted_ = false;
    ConnectionSettings settings_;
    CTextViews views_;
    CCliLoop loop_;
    std::unique_ptr<CSessionBridge> bridge_;
    std::unique_ptr<CConnectionController> controller_;
};

vsim::SimOptions SimFor(int model);
