#pragma once

#include "agent/ControllerLoop.h"
#include "agent/HeadlessViews.h"
#include "app/ConnectionController.h"
#include "app/SessionBridge.h"
#include "link/TransportFactory.h"
#include "settings/ConnectionSettings.h"
#include "web/WebMessages.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

// Where a link's news goes: to every browser of the processor, or to one.
class IWebClients {
public:
    virtual ~IWebClients() = default;
    virtual void Broadcast(std::size_t link, const std::string& text, bool meter) = 0;
    virtual void Send(std::uint64_t client, const std::string& text) = 0;
};

// One processor for the browsers: the connection controller with the agent's
// headless views on a thread of its own, connected through `transports` (one
// more remote of the agent's shared link to the processor, under `lockCode`).
// Browsers reach it only through posted tasks, so the controller keeps its one
// thread; what changed goes out as JSON at most every 50 ms, meters at the
// status rate.
class CWebLink : private IControllerObserver {
public:
    using Clock = std::chrono::steady_clock;

    CWebLink(std::size_t index, std::string name, std::uint32_t lockCode, TransportFactory transports,
             std::string workFolder, IWebClients& clients, std::function<void(const std::string&)> log);
    ~CWebLink() override;
    CWebLink(const CWebLink&) = delete;
    CWebLink& operator=(const CWebLink&) = delete;

    void Start();
    void Stop();

    // {"name", "state", "model", "title"}: safe from any thread.
    std::string Summary();

    // A browser joined: it gets the whole picture, and each page it opens
    // with that page's values. Every page some browser shows is re-read in
    // turn; a page nobody shows is not.
    void Join(std::uint64_t client);
    void Leave(std::uint64_t client);
    // A checked message of a browser; writes are logged with the user.
    void Submit(std::uint64_t client, const std::string& user, WebRole role, const std::string& text);
    // A preset file from the processor (empty on failure), or one sent to it.
    ByteString DownloadPreset(unsigned index, const std::string& user);
    bool UploadPreset(unsigned index, const ByteString& bytes, const std::string& user);

private:
    void Run();
    // A preset file from the processor, or `upload` sent to it (then a non-empty result means done).
    ByteString Transfer(unsigned index, std::optional<ByteString> upload, const std::string& user);
    void Post(std::function<void()> task);
    void RunTasks();
    void Tick();
    void KeepConnected();
    void PublishChanges();
    void PublishIfChanged(std::string& last, std::string text);
    std::string StateJson() const;
    std::string TreeJson() const;
    std::string PresetsJson() const;
    std::string PageText(std::size_t index);
    // The addresses (as keys) of the items on page `index`.
    std::set<std::uint32_t> PageKeys(std::size_t index) const;
    // The pages browsers show now, each once.
    std::set<std::size_t> WatchedPages() const;
    void WalkNextWatchedPage(Clock::time_point now);
    // Of `values`, those on the page `client` shows, as one message (none if empty).
    void SendPageValues(std::uint64_t client, std::size_t page,
                        const std::vector<std::array<std::uint8_t, 4>>& values);
    void Handle(std::uint64_t client, const std::string& user, const ClientMessage& message);
    void Write(ParamAddress address, std::uint8_t value, bool echo, const std::string& user);
    ClientContext Context(WebRole role) const;
    std::uint32_t NowMs() const;
    bool Ready() const;

    // Observer.
    void OnParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) override;
    void OnStatus(const ByteString& packet) override;
    void OnPresetData(std::uint8_t index, const ByteString& data) override;
    void OnPresetSent(std::uint8_t index) override;

    struct FileWait {
        unsigned index = 0;
        bool upload = false;
        std::string path;
        std::promise<ByteString> done;
        std::chrono::steady_clock::time_point deadline;
    };

    const std::size_t index_;
    const std::string name_;
    const std::string workFolder_;
    IWebClients& clients_;
    std::function<void(const std::string&)> log_;

    ConnectionSettings settings_;
    CControllerLoop loop_;
    CHeadlessViews views_;
    std::unique_ptr<CSessionBridge> session_;
    std::unique_ptr<CConnectionController> controller_;
    CWritePacer pacer_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();

    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex tasksMutex_;
    std::vector<std::function<void()>> tasks_;

    std::mutex summaryMutex_;
    std::string summary_;

    // Link thread only.
    // The page each browser shows (none until it opens one).
    std::map<std::uint64_t, std::optional<std::size_t>> shownPages_;
    std::size_t lastWalked_ = 0;
    std::map<std::uint32_t, std::uint8_t> values_;
    std::map<std::uint32_t, bool> echoes_;  // whether a paced write re-evaluates visibility
    std::vector<std::array<std::uint8_t, 4>> newValues_;
    // Walks alternate with status reports: a walk holds the reports back, and
    // back-to-back walks would stop the meters.
    bool statusSinceWalk_ = false;
    std::string lastState_, lastTree_, lastPresets_, lastLayout_, lastMeter_;
    std::chrono::steady_clock::time_point nextPublish_{};
    std::chrono::steady_clock::time_point nextConnect_{};
    Clock::time_point nextWalk_{};
    std::optional<FileWait> fileWait_;
};
