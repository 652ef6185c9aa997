// Preset transfers that overlap: each arriving preset goes where its own
// request said, whatever else was asked in between.
#include "ControllerTestFixture.h"

#include "app/ControllerTexts.h"
#include "presets/PresetFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

using namespace controller_test;

namespace {

class ControllerPresetTransferTest : public ConnectionControllerTest {
protected:
    void SetUp() override
    {
        ConnectionControllerTest::SetUp();
        ConnectToReady(4);
        // Preset 1 runs and has been edited.
        Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0x81));
        session_.Take();
    }
    void Command(unsigned row, presets::PresetCommand command)
    {
        views_.selectedRow = row;
        Post(msg::UM_PRESET_COMMAND, row, static_cast<std::uint32_t>(command));
    }
    std::string Write(const std::string& name, const ByteString& image)
    {
        const std::string path = (folder_ / name).string();
        EXPECT_TRUE(presets::WritePresetFile(path, image));
        return path;
    }
    std::vector<std::string> TempFilesLeft() const
    {
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(folder_))
            if (entry.path().filename().string().rfind("preset", 0) == 0) left.push_back(entry.path().string());
        return left;
    }
};

}  // namespace

TEST_F(ControllerPresetTransferTest, SaveToFileThenLoadFromFileBeforeTheFirstEnds)
{
    const std::string target = (folder_ / "u2.pst").string();
    views_.fileToSave = target;
    Command(1, presets::PresetCommand::SaveToFile);
    const ByteString upload = PresetBytes("uploaded", 256);
    views_.fileToLoad = Write("mine.pst", upload);
    Command(2, presets::PresetCommand::LoadFromFile);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"GetPreset 1", "SendPreset 2"}));

    // The saved preset goes to the operator's file only: the edited current
    // preset is not reloaded and its row keeps its name.
    const ByteString saved = PresetBytes("name1", 384);
    Post(msg::UM_PRESET_DATA, 1, 0, saved);
    EXPECT_TRUE(session_.Take().empty());
    EXPECT_EQ(presets::ReadPresetFile(target), saved);
    EXPECT_EQ(controller_.PresetRows()[1].name, "NAME1");

    Post(msg::UM_PRESET_SENT, 2);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"GetPreset 2"});
    Post(msg::UM_PRESET_DATA, 2, 0, upload);
    EXPECT_TRUE(session_.Take().empty());  // preset 2 does not run
    EXPECT_EQ(controller_.PresetRows()[2].name, "UPLOADED");
    EXPECT_EQ(views_.rows[2].second, "UPLOADED");
    EXPECT_TRUE(TempFilesLeft().empty());
}

TEST_F(ControllerPresetTransferTest, LoadFromFileThenSaveToFileBeforeTheReadBack)
{
    const ByteString upload = PresetBytes("uploaded", 256);
    views_.fileToLoad = Write("mine.pst", upload);
    Command(1, presets::PresetCommand::LoadFromFile);
    const std::string target = (folder_ / "u3.pst").string();
    views_.fileToSave = target;
    Command(2, presets::PresetCommand::SaveToFile);
    Post(msg::UM_PRESET_SENT, 1);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"SendPreset 1", "GetPreset 2", "GetPreset 1"}));

    // The processor answers in the order asked: preset 2 for the file first.
    const ByteString saved = PresetBytes("name2", 384);
    Post(msg::UM_PRESET_DATA, 2, 0, saved);
    EXPECT_TRUE(session_.Take().empty());
    EXPECT_EQ(presets::ReadPresetFile(target), saved);
    EXPECT_EQ(controller_.PresetRows()[2].name, "NAME2");

    // Then the read-back of the current preset: its row and its working settings.
    Post(msg::UM_PRESET_DATA, 1, 0, upload);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"LoadPreset 1"});
    EXPECT_EQ(controller_.PresetRows()[1].name, "UPLOADED");
    EXPECT_TRUE(TempFilesLeft().empty());
}

// The processor refuses a file (short, long, another model's) by keeping its own
// preset: the read-back shows it, and the operator is told, once per refusal.
TEST_F(ControllerPresetTransferTest, RefusedPresetFileIsReportedAndKept)
{
    const ByteString upload = PresetBytes("short", 100);
    const std::string file = Write("short.pst", upload);
    views_.fileToLoad = file;
    Command(2, presets::PresetCommand::LoadFromFile);
    Post(msg::UM_PRESET_SENT, 2);
    Post(msg::UM_PRESET_DATA, 2, 0, PresetBytes("name2", 256));
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_NE(views_.messages[0].text.find(file), std::string::npos);
    EXPECT_EQ(presets::ReadPresetFile(file), upload);
    EXPECT_EQ(controller_.PresetRows()[2].name, "NAME2");

    // Taken: the read-back leads with the file's bytes.
    Command(2, presets::PresetCommand::LoadFromFile);
    Post(msg::UM_PRESET_SENT, 2);
    ByteString padded = upload;
    padded.resize(128, 0);
    Post(msg::UM_PRESET_DATA, 2, 0, padded);
    EXPECT_EQ(views_.messages.size(), 1u);
}

TEST_F(ControllerPresetTransferTest, TwoSavesOfOnePresetFillTheirFilesInTurnAndAnUnaskedPresetIsIgnored)
{
    const std::string first = (folder_ / "first.pst").string();
    const std::string second = (folder_ / "second.pst").string();
    views_.fileToSave = first;
    Command(3, presets::PresetCommand::SaveToFile);
    views_.fileToSave = second;
    Command(3, presets::PresetCommand::SaveToFile);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"GetPreset 3", "GetPreset 3"}));
    const ByteString a = PresetBytes("a", 128);
    const ByteString b = PresetBytes("b", 256);
    Post(msg::UM_PRESET_DATA, 3, 0, a);
    Post(msg::UM_PRESET_DATA, 3, 0, b);
    EXPECT_EQ(presets::ReadPresetFile(first), a);
    EXPECT_EQ(presets::ReadPresetFile(second), b);

    Post(msg::UM_PRESET_DATA, 1, 0, PresetBytes("stray"));
    EXPECT_TRUE(session_.Take().empty());
    EXPECT_EQ(controller_.PresetRows()[1].name, "NAME1");
    EXPECT_TRUE(TempFilesLeft().empty());
}

// The operator chose a file that cannot be written: they are told which and
// why, and nothing is left where they asked for it.
TEST_F(ControllerPresetTransferTest, SaveToFileThatCannotBeWrittenTellsTheOperatorWhy)
{
    { std::ofstream(folder_ / "plain") << "a file, not a folder"; }
    const std::string target = (folder_ / "plain" / "u2.pst").string();
    views_.fileToSave = target;
    Command(1, presets::PresetCommand::SaveToFile);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"GetPreset 1"});
    views_.messages.clear();
    Post(msg::UM_PRESET_DATA, 1, 0, PresetBytes("name1", 384));
    ASSERT_EQ(views_.messages.size(), 1u);
    const std::string& text = views_.messages[0].text;
    EXPECT_EQ(text.rfind(texts::kPresetFileNotSaved, 0), 0u) << text;
    EXPECT_NE(text.find(target), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(ENOTDIR)), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(target));
}
