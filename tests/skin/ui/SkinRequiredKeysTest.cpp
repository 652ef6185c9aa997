#include "skin/ui/SkinRequiredKeys.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool Mentions(const std::vector<std::string>& problems, const std::string& text)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& p) { return p.find(text) != std::string::npos; });
}

TEST(SkinRequiredKeys, ReportsMissingKeysTyposAndUnknownLabels)
{
    SkinValues values;
    values.numbers["BtnA::ofset_left"] = 3;       // a typo nothing reads
    values.images["BtnA::up"] = "Buttons\\A.bmp";
    values.numbers["BtnA::up"] = 1;               // right name, wrong type
    values.strings["Settings::statics"] = "SetStaticHost;NoSuchLabel";
    const auto problems = CheckSkinValues(values);
    EXPECT_TRUE(Mentions(problems, "nothing reads LONG BtnA::ofset_left"));
    EXPECT_TRUE(Mentions(problems, "nothing reads LONG BtnA::up"));
    EXPECT_FALSE(Mentions(problems, "IMAGE BtnA::up"));
    EXPECT_TRUE(Mentions(problems, "missing IMAGE BtnA::down"));
    EXPECT_TRUE(Mentions(problems, "missing IMAGE Leds::LedsBkVexlorMaxFM"));
    EXPECT_TRUE(Mentions(problems, "names NoSuchLabel"));
    EXPECT_FALSE(Mentions(problems, "names SetStaticHost"));
    EXPECT_FALSE(Mentions(problems, "missing LONG BtnA::stick")); // optional
}

TEST(SkinRequiredKeys, KnowsWhatEachKindOfControlReads)
{
    EXPECT_TRUE(IsKnownSkinKey("SettingsHost", "textcolor", SkinValueType::Long));
    EXPECT_FALSE(IsKnownSkinKey("SettingsHost", "text_color", SkinValueType::Long));
    EXPECT_TRUE(IsKnownSkinKey("Tree", "icon", SkinValueType::Icon));
    EXPECT_TRUE(IsKnownSkinKey("Spin", "down_resize_y", SkinValueType::Long));
    EXPECT_EQ(FindSkinElementSpec("Nope"), nullptr);
}

} // namespace
