#include "app/ChangeHistory.h"
#include "app/DebugLineStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class FakeClock : public IDebugClock {
public:
    std::time_t CalendarSeconds() override { return seconds; }
    std::uint32_t TickMs() override { return tick; }
    std::time_t seconds = 0;
    std::uint32_t tick = 0;
};

// Stamps are in local time; pin the zone so the expected texts hold anywhere.
class DebugLineStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
        clock_.seconds = 3600 * 13 + 60 * 5 + 7;  // 13:05:07 on 1 January 1970
        clock_.tick = 4'000'000'000u;
    }
    FakeClock clock_;
};

}  // namespace

TEST_F(DebugLineStoreTest, LinesAreRecordedOnlyWhileOpenAndLostOtherwise)
{
    CDebugLineStore store(clock_);
    store.AddLine("before open");
    EXPECT_EQ(store.Count(), 0u);
    store.SetRecording(true);
    store.AddLine("while open");
    store.SetRecording(false);
    store.AddLine("after close");
    store.SetRecording(true);
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_NE(store.Line(0).find("while open"), std::string::npos);
    EXPECT_EQ(store.Line(1), "");
}

TEST_F(DebugLineStoreTest, StampIsCreationClockPlusTicksEvenAcrossTickWrap)
{
    CDebugLineStore store(clock_);
    store.SetRecording(true);
    clock_.tick += 61'234;  // wraps the 32-bit counter
    clock_.seconds += 5000;  // a later change of the system clock is ignored
    store.AddLine("x");
    EXPECT_EQ(store.Line(0), "13:06:08:234 x");
}

TEST_F(DebugLineStoreTest, FiltersDropLedAndDetailLines)
{
    CDebugLineStore store(clock_);
    store.SetRecording(true);
    EXPECT_TRUE(store.ShowLeds());
    EXPECT_FALSE(store.ShowDetail());
    store.AddLine("Read Leds State");
    store.AddLine("tick 5");
    store.AddLine("Debug : x");
    EXPECT_EQ(store.Count(), 1u);
    store.SetShowLeds(false);
    store.SetShowDetail(true);
    store.AddLine("Leds and Debug : both");  // led filter wins
    store.AddLine("Recieved  - 06 - 82 - 00");
    store.AddLine("tick 6");
    EXPECT_EQ(store.Count(), 2u);
    EXPECT_NE(store.Line(1).find("tick 6"), std::string::npos);

    // Only the parameter changes, whatever the other filters say.
    store.SetChangesOnly(true);
    store.AddLine("tick 7");
    store.AddLine(std::string(kChangeLogPrefix) + "operator Input / Gain: 1 -> 2");
    store.AddLine("Debug : Change: quoted");
    ASSERT_EQ(store.Count(), 3u);
    EXPECT_NE(store.Line(2).find("operator Input / Gain: 1 -> 2"), std::string::npos);
}

TEST_F(DebugLineStoreTest, StoreGrowsInStepsOfAThousandAndClears)
{
    CDebugLineStore store(clock_);
    store.SetRecording(true);
    for (int i = 0; i < 1000; ++i) store.AddLine("l");
    EXPECT_EQ(store.Capacity(), 1000u);
    store.AddLine("l");
    EXPECT_EQ(store.Capacity(), 2000u);
    EXPECT_EQ(store.Count(), 1001u);
    store.Clear();
    EXPECT_EQ(store.Count(), 0u);
    store.AddLine("again");
    EXPECT_EQ(store.Count(), 1u);
}

TEST_F(DebugLineStoreTest, SaveWritesEveryLineWithCrLfAndEmptyStoreGivesEmptyFile)
{
    const fs::path dir = fs::temp_directory_path() / ("vexlor_debuglog_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "debug.txt").string();
    CDebugLineStore store(clock_);
    ASSERT_TRUE(store.SaveToFile(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    store.SetRecording(true);
    store.AddLine("one");
    store.AddLine("two");
    ASSERT_TRUE(store.SaveToFile(path));
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "13:05:07:000 one\r\n13:05:07:000 two\r\n");
    EXPECT_FALSE(store.SaveToFile((dir / "missing" / "debug.txt").string()));
    fs::remove_all(dir);
    EXPECT_EQ(CDebugLineStore::DefaultSavePath(), "debug.txt");
}
