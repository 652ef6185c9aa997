#include "web/WebMeter.h"
#include "web/WebPage.h"

#include "app/PageTreeModel.h"
#include "core/DescriptionEncoder.h"
#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"
#include "description/PageGeometry.h"
#include "description/ParameterModel.h"
#include "meters/MeterLeds.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using nlohmann::json;

class WebPageJson : public ::testing::Test {
protected:
    void SetUp() override
    {
        parser.LoadFromMemory(EncodeDescription(*vsim::MakeModel(12)));
        tree.Fill(parser.Root());
    }
    DescriptionParser parser;
    CPageTreeModel tree;
    const std::vector<std::string> choices{"Off", "ONE", "TWO"};
};

std::set<int> AsSet(const json& raws)
{
    std::set<int> out;
    for (const auto& r : raws) out.insert(r.get<int>());
    return out;
}

std::set<int> AsSet(const std::bitset<256>& bits)
{
    std::set<int> out;
    for (int i = 0; i < 256; ++i)
        if (bits.test(static_cast<std::size_t>(i))) out.insert(i);
    return out;
}

// What the browser offers is exactly what the server accepts, for every
// control of the largest model, and the texts are the desktop's texts.
TEST_F(WebPageJson, EveryControlOffersExactlyTheValuesTheCheckAccepts)
{
    std::size_t items = 0;
    for (const PageTreeRecord& record : tree.Records()) {
        const json page = PageJson(*record.node, record.path, choices);
        ASSERT_EQ(page["items"].size(), record.node->items.size()) << record.path;
        for (std::size_t i = 0; i < record.node->items.size(); ++i) {
            const ControlItem& item = record.node->items[i];
            const json& j = page["items"][i];
            const ControlRecord& r = item.records.front();
            ++items;
            if (j["kind"] == "slider") {
                EXPECT_EQ(AsSet(j["raws"]), AsSet(AllowedRaws(r, item.Style(), choices.size())));
                for (std::size_t p = 0; p < j["raws"].size(); ++p)
                    EXPECT_EQ(j["texts"][p], SliderText(r, j["raws"][p].get<std::uint8_t>()));
                const SliderCell cell = SliderCellLayout(item);
                EXPECT_EQ(j["track"], json({cell.track.left, cell.track.top, cell.track.Width(), cell.track.Height()}));
                EXPECT_EQ(j["caption"], r.name);
            } else if (j["kind"] == "group") {
                EXPECT_EQ(j["labels"], ButtonLabels(r));
                EXPECT_EQ(AllowedRaws(r, item.Style(), choices.size()).count(), ButtonLabels(r).size());
            } else {
                ASSERT_EQ(j["kind"], "spin");
                ASSERT_EQ(j["fields"].size(), item.records.size());
                EXPECT_EQ(j["caption"], SpinCaption(r.name));
                for (std::size_t f = 0; f < item.records.size(); ++f) {
                    const json& field = j["fields"][f];
                    const auto allowed = AsSet(AllowedRaws(item.records[f], item.Style(), choices.size()));
                    if (field.contains("raws")) EXPECT_EQ(AsSet(field["raws"]), allowed);
                    else EXPECT_EQ(field["texts"].size(), allowed.size());
                }
            }
        }
    }
    EXPECT_GT(items, 20u);
}

TEST_F(WebPageJson, PresetChoiceFieldsListOffAndThePresets)
{
    bool seen = false;
    for (const PageTreeRecord& record : tree.Records()) {
        const json page = PageJson(*record.node, record.path, choices);
        for (const auto& item : page["items"])
            if (item["kind"] == "spin")
                for (const auto& field : item["fields"])
                    if (field["texts"] == json(choices)) seen = true;
    }
    EXPECT_TRUE(seen) << "model 12 has a preset choice field";
}

TEST_F(WebPageJson, TreeKeepsParentsPathsAndHiddenPages)
{
    const json pages = PageTreeJson(tree);
    ASSERT_EQ(pages.size(), tree.Records().size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i]["path"], tree.Records()[i].path);
        EXPECT_EQ(pages[i]["parent"], tree.Records()[i].parent);
        EXPECT_EQ(pages[i]["hidden"], tree.Records()[i].hidden);
    }
}

TEST(WebMeterJson, FramesFollowTheStatusAndCoverEveryLed)
{
    const json layout = MeterLayoutJson(12);
    const std::size_t leds = layout["leds"].size();
    ASSERT_GT(leds, 0u);
    ByteString status(29, 0);
    const std::string off = MeterFrame(12, status, false);
    ASSERT_EQ(off.size(), leds);
    for (std::size_t i = 6; i < 28; ++i) status[i] = 0x99;
    const std::string lit = MeterFrame(12, status, true);
    ASSERT_EQ(lit.size(), leds);
    EXPECT_NE(lit, off);
    const auto expected = ComputeMeterLeds(12, MeterStatusFromPacket(status), true);
    for (std::size_t i = 0; i < leds; ++i) EXPECT_EQ(lit[i] - '0', expected[i].image);
    EXPECT_TRUE(MeterFrame(0, status, true).empty());
}

}  // namespace
