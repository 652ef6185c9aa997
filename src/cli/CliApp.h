#pragma once

#include "app/ConnectionController.h"
#include "app/SessionBridge.h"
#include "cli/CliLoop.h"
#include "cli/CliOptions.h"
#include "cli/TextViews.h"
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
    CCliApp(CliOptions options, std::ostream& out, std::ostream& err, const std::atomic<bool>* stop);
    ~CCliApp() override;
    CliExit Run();

    // Observer.
    void OnParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) override;
    void OnStatus(const ByteString& packet) override;
    void OnPresetData(std::uint8_t index, const ByteString& data) override;
    void OnPresetSent(std::uint8_t index) override;
    void OnRefreshWalkDone() override { ++walksDone_; }

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

    void PrintPage(std::size_t index);
    std::optional<std::uint8_t> ReadOne(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    std::optional<ByteString> RunPresetCommand(unsigned row, presets::PresetCommand command, bool waitSent);

    CliOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    const std::atomic<bool>* stop_;
    ConnectionSettings settings_;
    CTextViews views_;
    CCliLoop loop_;
    std::unique_ptr<CSessionBridge> session_;
    std::unique_ptr<CConnectionController> controller_;

    std::size_t statusCount_ = 0;
    std::size_t walksDone_ = 0;
    ByteString lastStatus_;
    std::optional<std::array<std::uint8_t, 4>> lastParam_;
    std::optional<std::pair<std::uint8_t, ByteString>> lastPresetData_;
    std::optional<std::uint8_t> lastPresetSent_;
};
