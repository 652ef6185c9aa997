#include "presets/PresetListRules.h"

#include <gtest/gtest.h>

using namespace presets;

TEST(PresetListRules, MarkersFollowTheNameInTheirFixedOrder)
{
    PresetFlags flags;
    flags.tr = 3;
    flags.def = 3;
    flags.dp = 5;
    EXPECT_EQ(MarkedName("NEWS", 3, flags), "NEWS (TR) (DEF)");
    EXPECT_EQ(MarkedName("POP", 5, flags), "POP (DP)");
    EXPECT_EQ(MarkedName("ROCK", 4, flags), "ROCK");
    flags.dp = 3;
    EXPECT_EQ(MarkedName("", 3, flags), " (TR) (DP) (DEF)");
    // 255 is "no preset": no row carries a marker before the first status.
    EXPECT_EQ(MarkedName("X", 0, PresetFlags{}), "X");
}

TEST(PresetListRules, FactoryRowsOfferOnlyLoadAndSaveToFile)
{
    EXPECT_EQ(MenuCommands(8, 8), (std::vector<PresetCommand>{PresetCommand::Load, PresetCommand::SaveToFile}));
    EXPECT_EQ(MenuCommands(7, 8).size(), 5u);
    // Before the model is known every row counts as a user preset.
    EXPECT_EQ(MenuCommands(40, 255).size(), 5u);
}
