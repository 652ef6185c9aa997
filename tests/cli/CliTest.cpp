// vexlor-cli run as a program against an in-process simulator on 127.0.0.1.
#include "../app/ChildProcess.h"
#include "SimServer.h"
#include "cli/CliOptions.h"
#include "core/PresetImage.h"
#include "core/SimModel.h"
#include "link/Packet.h"
#include "presets/PresetFile.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kLock = 4711;

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("vexlor_cli_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        if (sim_) sim_->Stop();
        fs::remove_all(folder_);
    }
    void StartSim(int model = 1)
    {
        vsim::SimOptions o;
        o.model = model;
        o.port = 0;
        o.lock = kLock;
        sim_ = std::make_unique<vsim::SimServer>(o);
        std::string why;
        ASSERT_TRUE(sim_->Start(&why)) << why;
    }
    RunResult Cli(std::vector<std::string> args, const std::string& lock = std::to_string(kLock))
    {
        std::vector<std::string> all{"--port", std::to_string(sim_->UdpPort()), "--lock", lock, "--timeout", "20"};
        all.insert(all.end(), args.begin(), args.end());
        // The tool works in its current folder: the test's own.
        return RunProgram(VEXLOR_CLI_PATH, all, 60s, folder_.string());
    }

    fs::path folder_;
    std::unique_ptr<vsim::SimServer> sim_;
};

std::string PresetName(const ByteString& image)
{
    return presets::ToUpperAscii(presets::PresetNameFromBytes(image));
}

}  // namespace

TEST(CliOptionsTest, HostDefaultsToLoopbackAndBadLinesAreRefused)
{
    std::string error;
    auto o = ParseCliOptions({"--lock", "1234", "info"}, error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->host, "127.0.0.1");
    EXPECT_EQ(o->port, 1203u);
    EXPECT_TRUE(o->serialDevice.empty());

    o = ParseCliOptions({"--serial", "/dev/pts/9", "--lock", "0012", "get", "0", "1", "0x02"}, error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->serialDevice, "/dev/pts/9");
    EXPECT_EQ(o->args, (std::vector<std::string>{"0", "1", "0x02"}));

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"info"},                                          // no lock
             {"--lock", "1234"},                                // no command
             {"--lock", "1234", "frobnicate"},                  // unknown command
             {"--lock", "1234", "get", "1"},                    // too few arguments
             {"--lock", "1234", "--port", "1", "--serial", "/dev/x", "info"},
             {"--lock", "1234", "--bogus", "info"},
             {"--lock", "1234", "--port", "x", "info"},
             // The lock code is digits only, as the settings panel takes it.
             {"--lock", "12ab", "info"},
             {"--lock", " 123", "info"},
             {"--lock", "+123", "info"},
             // Times that do not fit the loop's clock.
             {"--lock", "1234", "--timeout", "inf", "info"},
             {"--lock", "1234", "--seconds", "1e300", "watch"},
             {"--lock", "1234", "--reconnect", "info"},
         }) {
        error.clear();
        EXPECT_FALSE(ParseCliOptions(bad, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(CliTest, InfoPrintsVersionModelPagesAndParameterTexts)
{
    StartSim(1);
    const RunResult r = Cli({"info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto& v = sim_->Device().GetModel().version;
    EXPECT_NE(r.out.find(std::string("version: ") + v[0] + "." + v[1] + v[2]), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("model: VexlorFM (code 1)"), std::string::npos);
    EXPECT_NE(r.out.find("page 1: Input > Source"), std::string::npos);
    // A numeric parameter line with its value and text.
    const std::uint8_t level = sim_->Device().ReadValue({2, 0, 1});
    EXPECT_NE(r.out.find("Analog Level [02 00 01] = " + std::to_string(level) + " \""), std::string::npos) << r.out;
}

TEST_F(CliTest, SetWritesTheProcessorAndGetReadsItBack)
{
    StartSim(1);
    RunResult r = Cli({"set", "0", "1", "2", "20"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(sim_->Device().ReadValue({0, 1, 2}), 20);
    r = Cli({"get", "0", "1", "0x02"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("00 01 02 = 20 \"10.0 dB\" (Drive)"), std::string::npos) << r.out;
    r = Cli({"get", "0", "1", "256"});
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(CliTest, PresetsListsEveryNameTheProcessorHolds)
{
    StartSim(12);
    const RunResult r = Cli({"presets"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto& model = sim_->Device().GetModel();
    for (std::size_t i = 0; i < model.PresetCount(); ++i) {
        const std::string label =
            i < model.userPresets ? "U" + std::to_string(i + 1) : "F" + std::to_string(i - model.userPresets + 1);
        const std::string line = label + ": " + PresetName(*sim_->Device().PresetImage(static_cast<std::uint8_t>(i)));
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    }
}

TEST_F(CliTest, BackupWritesEveryPresetAndRestorePutsOneBackByteIdentical)
{
    StartSim(1);
    const fs::path dir = folder_ / "backup";
    RunResult r = Cli({"backup", dir.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto& model = sim_->Device().GetModel();
    for (std::size_t i = 0; i < model.PresetCount(); ++i) {
        const std::string label =
            i < model.userPresets ? "U" + std::to_string(i + 1) : "F" + std::to_string(i - model.userPresets + 1);
        EXPECT_EQ(presets::ReadPresetFile((dir / (label + ".pst")).string()),
                  *sim_->Device().PresetImage(static_cast<std::uint8_t>(i)))
            << label;
    }
    r = Cli({"restore", "4", (dir / "F2.pst").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(*sim_->Device().PresetImage(3), presets::ReadPresetFile((dir / "F2.pst").string()));
    // No temporary preset files are left in the working folder.
    for (const auto& entry : fs::directory_iterator(folder_))
        EXPECT_NE(entry.path().extension(), ".pst") << entry.path();
}

// The processor runs its current preset from its working settings; a restore
// into that preset must reach them, which takes the Load queued after the read-back.
TEST_F(CliTest, RestoreIntoTheCurrentPresetChangesTheWorkingSettings)
{
    StartSim(1);
    vsim::SimDevice& device = sim_->Device();
    ASSERT_FALSE(device.Handle(BuildLoadPreset(0)).reply.empty());
    ASSERT_EQ(device.Flags().current, 0);
    const vsim::PresetLayout layout = vsim::MakePresetLayout(device.GetModel());
    const std::uint8_t factory2 = static_cast<std::uint8_t>(device.GetModel().userPresets + 1);
    const ByteString image = *device.PresetImage(factory2);
    std::string why;
    const auto content = vsim::DecodePresetImage(layout, image, &why);
    ASSERT_TRUE(content) << why;
    bool differs = false;
    for (std::size_t i = 0; i < layout.addresses.size(); ++i)
        differs = differs || device.ReadValue(layout.addresses[i]) != content->values[i];
    ASSERT_TRUE(differs) << "the test needs a preset that sounds different";

    const std::string file = (folder_ / "f2.pst").string();
    ASSERT_TRUE(presets::WritePresetFile(file, image));
    const RunResult r = Cli({"restore", "1", file});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(device.Flags().current, 0);
    for (std::size_t i = 0; i < layout.addresses.size(); ++i)
        EXPECT_EQ(device.ReadValue(layout.addresses[i]), content->values[i]) << i;
}

TEST_F(CliTest, RestoreRefusesFactoryPresetsAndMissingFiles)
{
    StartSim(1);
    RunResult r = Cli({"restore", "9", "x.pst"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("user preset number from 1 to 8"), std::string::npos) << r.err;
    r = Cli({"restore", "1", (folder_ / "none.pst").string()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
}

TEST_F(CliTest, SerialLineWorksLikeUdp)
{
    vsim::SimOptions o;
    o.model = 5;
    o.udp = false;
    o.serial = true;
    o.lock = kLock;
    sim_ = std::make_unique<vsim::SimServer>(o);
    std::string why;
    ASSERT_TRUE(sim_->Start(&why)) << why;
    const RunResult r = RunProgram(VEXLOR_CLI_PATH,
                                   {"--serial", sim_->SerialPath(), "--lock", std::to_string(kLock), "presets"}, 60s,
                                   folder_.string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("U1: " + PresetName(*sim_->Device().PresetImage(0))), std::string::npos) << r.out;
}

TEST_F(CliTest, FailuresExitNonZeroWithTheControllersMessage)
{
    StartSim(1);
    RunResult r = Cli({"info"}, "1111");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Incorrect Password"), std::string::npos) << r.err;
    r = Cli({"info"}, "12345");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Check Password. It must be four digits long"), std::string::npos) << r.err;
    r = RunProgram(VEXLOR_CLI_PATH, {"info"}, 10s);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
}

TEST_F(CliTest, UnknownModelIsReported)
{
    StartSim(3);
    const RunResult r = Cli({"presets"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Incorrect Remote Application"), std::string::npos) << r.err;
}

TEST_F(CliTest, WatchPrintsStatusLinesForItsSecondsAndLogShowsTheSessionLines)
{
    StartSim(1);
    const RunResult r = Cli({"--log", "--seconds", "1", "watch"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("status TR="), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" meters="), std::string::npos);
    // VexlorFM's meter has 14 bars; each gets its count of lit LEDs.
    const auto lit = r.out.find(" lit=");
    ASSERT_NE(lit, std::string::npos) << r.out;
    const std::string counts = r.out.substr(lit + 5, r.out.find('\n', lit) - lit - 5);
    EXPECT_EQ(std::count(counts.begin(), counts.end(), ','), 13) << counts;
    EXPECT_NE(r.out.find("log: Connected"), std::string::npos);
    EXPECT_NE(r.out.find("log: Read version"), std::string::npos);
}

namespace {

using Json = nlohmann::json;

std::vector<Json> JsonLines(const std::string& out)
{
    std::vector<Json> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(Json::parse(out.substr(start, end - start)));  // throws on anything but JSON
    return lines;
}

std::string HexByte(const Json& v)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02x", v.get<unsigned>());
    return text;
}

}  // namespace

// Scripts read --json; people read the text: both must say the same.
TEST_F(CliTest, JsonOfEveryCommandParsesAndSaysWhatTheTextSays)
{
    StartSim(1);
    RunResult text = Cli({"info"});
    RunResult json = Cli({"--json", "info"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    auto lines = JsonLines(json.out);
    ASSERT_EQ(lines.size(), 1u);
    const Json& info = lines[0];
    EXPECT_NE(text.out.find("version: " + info["version"].get<std::string>() + "\n"), std::string::npos);
    EXPECT_EQ(info["model"]["name"], "VexlorFM");
    std::size_t parameters = 0;
    for (const Json& page : info["pages"]) {
        EXPECT_NE(text.out.find("page " + std::to_string(page["index"].get<int>()) + ": " +
                                page["path"].get<std::string>()),
                  std::string::npos);
        for (const Json& p : page["parameters"]) {
            std::string line = "  " + p["caption"].get<std::string>() + " [" + HexByte(p["address"][0]) + ' ' +
                               HexByte(p["address"][1]) + ' ' + HexByte(p["address"][2]) + "] = ";
            // The live readings (clock, gain, peak) move between the two runs.
            if (p["address"][0] != vsim::kLiveGroup)
                line += std::to_string(p["value"].get<int>()) + " \"" + p["text"].get<std::string>() + '"';
            EXPECT_NE(text.out.find(line), std::string::npos) << line;
            ++parameters;
        }
    }
    EXPECT_EQ(parameters, static_cast<std::size_t>(std::count(text.out.begin(), text.out.end(), '[')));

    text = Cli({"get", "2", "0", "1"});
    json = Cli({"get", "--json", "2", "0", "1"});
    ASSERT_EQ(json.exitCode, 1) << "options come before the command";
    json = Cli({"--json", "get", "2", "0", "1"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    lines = JsonLines(json.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["value"], sim_->Device().ReadValue({2, 0, 1}));
    EXPECT_EQ(text.out, "02 00 01 = " + std::to_string(lines[0]["value"].get<int>()) + " \"" +
                            lines[0]["text"].get<std::string>() + "\" (" + lines[0]["caption"].get<std::string>() +
                            ")\n");

    text = Cli({"presets"});
    json = Cli({"--json", "presets"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    lines = JsonLines(json.out);
    ASSERT_EQ(lines.size(), 1u);
    const Json& presets = lines[0]["presets"];
    ASSERT_EQ(presets.size(), sim_->Device().GetModel().PresetCount());
    const int current = sim_->Device().Flags().current;
    for (const Json& p : presets) {
        EXPECT_NE(text.out.find(p["label"].get<std::string>() + ' ' + p["name"].get<std::string>()), std::string::npos);
        EXPECT_EQ(p["current"].get<bool>(), p["index"].get<int>() == current);
    }

    json = Cli({"--json", "--seconds", "1", "watch"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    lines = JsonLines(json.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0]["type"], "status");
    EXPECT_EQ(lines[0]["lit"].size(), 14u);
    EXPECT_EQ(lines[0]["meters"].get<std::string>().size(), 44u);

    EXPECT_EQ(Cli({"--json", "backup", folder_.string()}).exitCode, 1);
}

// The front panel changes a parameter; watch --changes reports it, read from
// the processor, as the window's debug log would.
TEST_F(CliTest, WatchChangesReportsFrontPanelChangesAsTheyHappen)
{
    StartSim(1);
    const vsim::Address level{2, 0, 1};
    const std::uint8_t start = sim_->Device().ReadValue(level);
    ChildProcess cli(VEXLOR_CLI_PATH,
                     {"--port", std::to_string(sim_->UdpPort()), "--lock", std::to_string(kLock), "--json", "--seconds",
                      "30", "watch", "--changes"},
                     folder_.string());
    ASSERT_TRUE(cli.Started());
    // The tool sees a change only once connected; change the value until it
    // tells. The live readings of the status page change by themselves.
    Json change;
    for (int i = 0; i < 200 && change["address"] != Json::array({2, 0, 1}); ++i) {
        ASSERT_TRUE(sim_->Device().FrontPanelWrite(level, static_cast<std::uint8_t>(start ^ (1 + i % 2))));
        if (const auto line = cli.ReadLine(300ms)) change = Json::parse(*line);
    }
    EXPECT_EQ(change["type"], "change");
    EXPECT_EQ(change["origin"], "processor");
    EXPECT_EQ(change["caption"], "Analog Level");
    EXPECT_EQ(change["page"], "Input > Source");
    EXPECT_EQ(change["address"], Json::array({2, 0, 1}));
    // The tool may have read the value before the latest change.
    EXPECT_NE(change["newValue"], change["oldValue"]);
    EXPECT_TRUE(change["newValue"] == (start ^ 1) || change["newValue"] == (start ^ 2)) << change;
}

TEST_F(CliTest, WatchWithReconnectRidesThroughASimulatorRestartOnTheSamePort)
{
    StartSim(1);
    const std::uint16_t port = sim_->UdpPort();
    ChildProcess cli(VEXLOR_CLI_PATH,
                     {"--port", std::to_string(port), "--lock", std::to_string(kLock), "--timeout", "20", "--seconds",
                      "30", "--reconnect", "watch"},
                     folder_.string());
    ASSERT_TRUE(cli.Started());
    // Reads lines until one holds `text`; false when none came in time.
    auto until = [&](const std::string& text) {
        for (int lines = 0; lines < 2000; ++lines) {
            const auto line = cli.ReadLine(20s);
            if (!line) return false;
            if (line->find(text) != std::string::npos) return true;
        }
        return false;
    };
    ASSERT_TRUE(until("status TR="));
    sim_->Stop();
    ASSERT_TRUE(until("Reconnecting\u2026 (attempt 1)"));

    vsim::SimOptions o;
    o.model = 1;
    o.port = port;
    o.lock = kLock;
    sim_ = std::make_unique<vsim::SimServer>(o);
    std::string why;
    ASSERT_TRUE(sim_->Start(&why)) << why;
    EXPECT_TRUE(until("back at"));
    EXPECT_TRUE(until("status TR="));
    EXPECT_FALSE(cli.Wait(0ms));
    cli.Stop();
}
