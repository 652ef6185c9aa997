// Soaks: vexlor-cli lists the presets of a simulated processor that misbehaves
// like a busy network or a noisy serial line. Every run, whatever the faults,
// must end with the list a clean run gives.
#include "../app/ChildProcess.h"
#include "SimServer.h"
#include "frontend/PtyFrontEnd.h"
#include "frontend/UdpFrontEnd.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kLock = 4711;
constexpr int kModel = 5;
// Short waits keep each fault cheap; the faults decide how often they come.
constexpr int kReplyMs = 300;

struct Faults {
    double drop, delay, duplicate, noise;
};

class CliSoakTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("vexlor_soak_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The presets listed against a fresh simulator with these faults. The
    // simulator must have seen every download end with its ACK.
    std::string ListPresets(bool serial, const Faults& f, std::uint32_t seed)
    {
        vsim::SimOptions o;
        o.model = kModel;
        o.port = 0;
        o.lock = kLock;
        o.udp = !serial;
        o.serial = serial;
        o.baud = serial ? 19200 : 0;  // the serial line at its real pace
        o.resendMs = kReplyMs / 2;
        // Delays stay within the reply time-out here; the backup soak below
        // holds datagrams back past it.
        o.faults = {f.drop, 0, f.delay, f.duplicate, f.noise, std::chrono::milliseconds(kReplyMs / 2), seed};
        vsim::SimServer sim(o);
        std::string why;
        EXPECT_TRUE(sim.Start(&why)) << why;
        std::vector<std::string> args{"--lock", std::to_string(kLock), "--timeout", "60", "--reply-ms",
                                      std::to_string(kReplyMs)};
        if (serial)
            args.insert(args.end(), {"--serial", sim.SerialPath()});
        else
            args.insert(args.end(), {"--port", std::to_string(sim.UdpPort())});
        args.push_back("presets");
        const RunResult run = RunProgram(VEXLOR_CLI_PATH, args, 90s, folder_.string());
        sim.Stop();
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const vsim::ProcessorLink& link = serial ? sim.Pty()->Link() : sim.Udp()->Link();
        EXPECT_EQ(link.TransfersFailed(), 0u);
        faultsSeen_ += link.Faults().dropped + link.Faults().delayed + link.Faults().duplicated + link.Faults().noisy;
        return run.out;
    }

    // A clean run, then one run per seed with the faults.
    void Soak(bool serial, const Faults& faults)
    {
        const std::string clean = ListPresets(serial, {0, 0, 0, 0}, 1);
        ASSERT_NE(clean.find("U1:"), std::string::npos) << clean;
        faultsSeen_ = 0;
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            EXPECT_EQ(ListPresets(serial, faults, seed), clean);
        }
        EXPECT_GT(faultsSeen_, 10u);  // the runs did meet trouble
    }

    fs::path folder_;
    std::uint32_t faultsSeen_ = 0;
};

std::map<std::string, std::string> FilesIn(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// Backups over a network that holds datagrams back past the reply time-out,
// repeats them and slips in lone EOT and CAN bytes. A late block must never
// pass for a block of a later transfer, nor a stray byte for an end: every
// run either writes the clean run's files byte for byte or fails.
class CliBackupSoakTest : public CliSoakTest {
protected:
    RunResult Backup(const vsim::FaultOptions& faults, const fs::path& into)
    {
        vsim::SimOptions o;
        o.model = kModel;
        o.port = 0;
        o.lock = kLock;
        o.resendMs = kReplyMs / 2;
        o.faults = faults;
        vsim::SimServer sim(o);
        std::string why;
        EXPECT_TRUE(sim.Start(&why)) << why;
        const RunResult run = RunProgram(VEXLOR_CLI_PATH,
                                         {"--lock", std::to_string(kLock), "--timeout", "60", "--reply-ms",
                                          std::to_string(kReplyMs), "--port", std::to_string(sim.UdpPort()),
                                          "backup", into.string()},
                                         120s, folder_.string());
        sim.Stop();
        const auto& done = sim.Udp()->Link().Faults();
        faultsSeen_ += done.delayed + done.duplicated + done.strays;
        return run;
    }
};

TEST_F(CliBackupSoakTest, LateDuplicatedAndStrayBytesNeverGiveAWrongFile)
{
    const RunResult clean = Backup({}, folder_ / "clean");
    ASSERT_EQ(clean.exitCode, 0) << clean.err;
    const auto expected = FilesIn(folder_ / "clean");
    ASSERT_GT(expected.size(), 3u);
    int complete = 0;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        vsim::FaultOptions faults;
        faults.delay = 0.04;
        faults.delayMs = std::chrono::milliseconds(kReplyMs * 3 / 2);  // past the reply time-out
        faults.duplicate = 0.04;
        faults.stray = 0.03;
        faults.seed = seed;
        const fs::path into = folder_ / ("seed" + std::to_string(seed));
        const RunResult run = Backup(faults, into);
        if (run.exitCode != 0)
            continue;  // a failure said so; only a success has to be right
        ++complete;
        EXPECT_EQ(FilesIn(into), expected) << run.out;
    }
    EXPECT_GT(faultsSeen_, 10u);  // the runs did meet trouble
    EXPECT_GT(complete, 0);      // and a failed run is the exception
}

TEST_F(CliSoakTest, UdpWithDuplicatesDelaysAndDropsEndsWithTheCleanList)
{
    Soak(false, {0.03, 0.03, 0.05, 0});
}

TEST_F(CliSoakTest, PacedSerialLineWithDuplicatesAndNoiseEndsWithTheCleanList)
{
    Soak(true, {0, 0, 0.03, 0.03});
}

}  // namespace
