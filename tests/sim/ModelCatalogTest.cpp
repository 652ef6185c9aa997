#include "core/DescriptionEncoder.h"
#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"

#include <gtest/gtest.h>

#include <set>

using namespace vsim;

namespace {

std::size_t CountRecords(const std::vector<Page>& pages)
{
    std::size_t n = 0;
    ForEachItem(pages, [&](const Page&, const Item& item) { n += item.records.size(); });
    return n;
}

int Depth(const std::vector<Page>& pages)
{
    int d = 0;
    for (const Page& p : pages)
        d = std::max(d, 1 + Depth(p.children));
    return d;
}

std::vector<int> AllCodes()
{
    std::vector<int> codes;
    for (auto c : KnownModelCodes())
        codes.push_back(c);
    for (auto c : UnknownModelCodes())
        codes.push_back(c);
    return codes;
}

}  // namespace

TEST(ModelCatalog, OffersEveryCodeOfTheModelTableAndTheFourUnknownOnes)
{
    EXPECT_EQ(KnownModelCodes(), (std::vector<std::uint8_t>{1, 2, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15}));
    for (int code : {0, 3, 11, 16})
        EXPECT_TRUE(MakeModel(code).has_value()) << code;
    for (int code : {17, 42, 255, -1})
        EXPECT_FALSE(MakeModel(code).has_value()) << code;
    EXPECT_EQ(MakeModel(12)->userPresets, 16);
    EXPECT_EQ(MakeModel(2)->userPresets, 8);
}

TEST(ModelCatalog, EveryModelIsSoundAndFitsThePageArea)
{
    for (int code : AllCodes()) {
        const auto model = MakeModel(code);
        EXPECT_EQ(CheckModel(*model), std::vector<std::string>{}) << "model " << code;
        EXPECT_GE(model->factoryPresets.size(), 24u);
    }
}

TEST(ModelCatalog, KnownModelsArePlausibleProcessors)
{
    std::size_t largest = 0;
    for (int code : KnownModelCodes()) {
        const auto m = MakeModel(code);
        SCOPED_TRACE(m->name);
        EXPECT_GE(Depth(m->pages), 3);
        bool slider = false, choiceButtons = false, numberButtons = false, multiSpinWithPreset = false;
        bool pageRule = false, itemRule = false, group0 = false, group5 = false, units = false, decimals = false;
        ForEachItem(m->pages, [&](const Page& page, const Item& item) {
            const Record& r = item.records.front();
            pageRule = pageRule || page.rule.has_value();
            itemRule = itemRule || item.rule.has_value();
            slider = slider || item.style == ItemStyle::Slider;
            choiceButtons = choiceButtons || (item.style == ItemStyle::Buttons && !r.choices.empty());
            numberButtons = numberButtons || (item.style == ItemStyle::Buttons && r.choices.empty());
            for (const Record& f : item.records) {
                multiSpinWithPreset = multiSpinWithPreset || (item.style == ItemStyle::Spin && item.records.size() > 1 &&
                                                              f.kind == RecordKind::PresetChoice);
                group0 = group0 || f.address.a == kPresetGroup;
                group5 = group5 || f.address.a == kLiveGroup;
                units = units || !f.unit.empty();
                decimals = decimals || (f.format >> 4) > 0;
            }
        });
        EXPECT_TRUE(slider && choiceButtons && multiSpinWithPreset && itemRule && group0 && group5 && units && decimals);
        // Numbered buttons and ruled pages come with a switchable band count.
        if (code == 2 || code == 8 || code == 9 || code == 12) {
            EXPECT_TRUE(numberButtons && pageRule);
        }
        largest = std::max(largest, CountRecords(m->pages));
    }
    EXPECT_GE(CountRecords(MakeModel(12)->pages), 150u);
    EXPECT_EQ(largest, CountRecords(MakeModel(12)->pages));
}

TEST(DescriptionEncoder, EveryModelParsesBackIntoItsOwnPageTree)
{
    for (int code : AllCodes()) {
        const auto model = MakeModel(code);
        const ByteString bytes = EncodeDescription(*model);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes[0], code);
        DescriptionParser parser;
        parser.LoadFromMemory(bytes);
        ASSERT_NE(parser.Root(), nullptr);
        EXPECT_FALSE(parser.StoppedEarly()) << code;
        EXPECT_TRUE(*parser.Root() == DescriptionTree(*model)) << "model " << code;
    }
}

namespace {
struct CapturingSink : IConfigErrorSink {
    std::vector<std::string> texts;
    void ShowConfigError(const std::string& text, const std::string& caption) override
    {
        texts.push_back(caption + ": " + text);
    }
};
}  // namespace

TEST(DescriptionEncoder, CorruptDescriptionRaisesAnIndexErrorAndIsCutShort)
{
    const auto model = MakeModel(1);
    const ByteString good = EncodeDescription(*model);
    const ByteString bad = CorruptDescription(good);
    EXPECT_LT(bad.size(), good.size());
    CapturingSink sink;
    DescriptionParser parser(&sink);
    parser.LoadFromMemory(bad);
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_NE(sink.texts[0].find("Config Error: Index Error."), std::string::npos);
    EXPECT_TRUE(parser.StoppedEarly());
    ASSERT_NE(parser.Root(), nullptr);
    EXPECT_FALSE(parser.Root()->children.empty());
}
