#include "presets/PresetModel.h"

#include <gtest/gtest.h>

using namespace presets;

TEST(PresetLabels, UserThenFactoryNumbering)
{
    EXPECT_EQ(PresetLabel(0, 8), "U1:");
    EXPECT_EQ(PresetLabel(7, 8), "U8:");
    EXPECT_EQ(PresetLabel(8, 8), "F1:");
    EXPECT_EQ(PresetLabel(39, 8), "F32:");
    EXPECT_EQ(PresetLabel(15, 16), "U16:");
    EXPECT_EQ(PresetLabel(16, 16), "F1:");
}

TEST(PresetCommands, FactoryPresetsOnlyLoadAndSaveToFile)
{
    for (int c = 0; c <= 4; ++c) {
        const PresetCommand command = *PresetCommandFromInt(c);
        EXPECT_TRUE(IsCommandAllowed(command, 7, 8)) << c;
    }
    EXPECT_TRUE(IsCommandAllowed(PresetCommand::Load, 8, 8));
    EXPECT_TRUE(IsCommandAllowed(PresetCommand::SaveToFile, 8, 8));
    EXPECT_FALSE(IsCommandAllowed(PresetCommand::Save, 8, 8));
    EXPECT_FALSE(IsCommandAllowed(PresetCommand::Rename, 8, 8));
    EXPECT_FALSE(IsCommandAllowed(PresetCommand::LoadFromFile, 8, 8));
    EXPECT_FALSE(PresetCommandFromInt(5).has_value());
    EXPECT_FALSE(PresetCommandFromInt(-1).has_value());
    EXPECT_STREQ(PresetCommandText(PresetCommand::LoadFromFile), "Load from file");
}

TEST(PresetStatus, ByteFiveSplitsIntoPresetChangeAndCompare)
{
    ByteString packet(29, 0);
    packet[0] = 0x06;
    packet[1] = 0x82;
    packet[2] = 1;
    packet[3] = 2;
    packet[4] = 9;
    packet[5] = 0xC3;
    const auto v = StatusValuesFromPacket(packet);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->tr, 1);
    EXPECT_EQ(v->dp, 2);
    EXPECT_EQ(v->def, 9);
    EXPECT_EQ(v->current, 3);
    EXPECT_EQ(v->change, 1);
    EXPECT_EQ(v->compare, 1);
    packet[5] = 0x3F;
    EXPECT_EQ(StatusValuesFromPacket(packet)->change, 0);
    EXPECT_EQ(StatusValuesFromPacket(packet)->current, 63);
    EXPECT_FALSE(StatusValuesFromPacket(ByteString(5, 0)));
}

TEST(PresetChoices, OffThenNames)
{
    std::vector<PresetRow> rows{{"U1:", "ROCK"}, {"F1:", ""}};
    EXPECT_EQ(PresetChoiceTexts(rows), (std::vector<std::string>{"Off", "ROCK", ""}));
}
