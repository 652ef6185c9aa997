#pragma once

#include "app/ConnectionController.h"
#include "app/SessionBridge.h"
#include "cli/CliLoop.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/TextViews.h"
#include "settings/ConnectionProfiles.h"
#include "settings/ConnectionSettings.h"

#include <atomic>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

// Exit codes of vexlor-cli.
enum class CliExit : int {
    Ok = 0,
    Usage = 1,
    ConnectFailed = 2,
    CommandFailed = 3,
    LinkLost = 4,
};

// vexlor-cli: one connection, one command, over the same controller as the
// window, with text views.
class CCliApp : public IControllerObserver {
public:
    // profiles: the stored connection profiles, when the tool can read them.
    CCliApp(CliOptions options, std::ostream& out, std::ostream& err, const std::atomic<bool>* stop,
            std::optional<CConnectionProfiles> profiles = std::nullopt);
    ~CCliApp() override;
    CliExit Run();

    // Observer.
    void OnParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) override;
    void OnStatus(const ByteString& packet) override;
    void OnPresetData(std::uint8_t index, const ByteString& data) override;
    void OnPresetSent(std::uint8_t index) override;
    void OnRefreshWalkDone() override { ++walksDone_; }
    void OnChange(const ChangeLine& line) override;

private:
    CliExit Connect();
    // Runs until the processor has answered every command given so far and the
    // events they caused are handled; false when it could not.
    bool Settle();
    void Disconnect();
    CliExit Fail(CliExit code, const std::string& text);
    bool Wait(const std::function<bool()>& done);
    bool LinkLost() const;

    CliExit Info();
    CliExit Get();
    CliExit Set();
    CliExit Presets();
    CliExit Backup();
    CliExit Restore();
    CliExit Watch();
    CliExit WatchChanges(CCliLoop::Clock::time_point end);
    CliExit Profiles();
    // Takes host, port and lock code from the chosen profile; false when there is none.
    bool UseProfile();

    // The page's parameters as the page shows them, after opening it.
    clireport::Json PageJson(std::size_t index);
    // The report as one JSON line with --json, else as its human text.
    void Print(const clireport::Json& report, std::string (*text)(const clireport::Json&));
    std::optional<std::uint8_t> ReadOne(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    std::optional<ByteString> RunPresetCommand(unsigned row, presets::PresetCommand command, bool waitSent);

    CliOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    const std::atomic<bool>* stop_;
    std::optional<CConnectionProfiles> profiles_;
    ConnectionSettings settings_;
    CTextViews views_;
    CCliLoop loop_;
    std::unique_ptr<CSessionBridge> session_;
    std::unique_ptr<CConnectionController> controller_;

    bool watching_ = false;
    std::size_t statusCount_ = 0;
    std::size_t walksDone_ = 0;
    ByteString lastStatus_;
    std::optional<std::array<std::uint8_t, 4>> lastParam_;
    std::optional<std::pair<std::uint8_t, ByteString>> lastPresetData_;
    std::optional<std::uint8_t> lastPresetSent_;
};
