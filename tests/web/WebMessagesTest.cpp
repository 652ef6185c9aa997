#include "web/WebMessages.h"

#include "core/DescriptionEncoder.h"
#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"
#include "description/ParameterModel.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <stdexcept>

namespace {

std::string SetText(const ControlRecord& r, int value, bool release = false)
{
    return nlohmann::json{{"t", "set"}, {"a", r.a}, {"b", r.b}, {"c", r.c}, {"v", value}, {"release", release}}.dump();
}

class WebMessageCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        parser.LoadFromMemory(EncodeDescription(*vsim::MakeModel(12)));
        root = parser.Root();
        context = {root, 10, 24, 16, false, WebRole::Admin};
    }
    // The first shown slider (with a numeric record) of the description.
    ControlItem& FirstSlider(PageNode& node)
    {
        for (ControlItem& item : node.items)
            if (item.Style() == ControlStyle::Slider && item.records.front().choices.empty() && !item.hidden) return item;
        for (PageNode& child : node.children)
            if (ControlItem* found = Find(child)) return *found;
        throw std::runtime_error("no slider");
    }
    ControlItem* Find(PageNode& node)
    {
        try {
            return &FirstSlider(node);
        } catch (const std::runtime_error&) {
            return nullptr;
        }
    }
    DescriptionParser parser;
    PageNode* root = nullptr;
    ClientContext context;
};

TEST_F(WebMessageCheck, ShownControlInRangeIsAcceptedWithItsReleaseFlag)
{
    const ControlRecord& r = FirstSlider(*root).records.front();
    const int top = RawFromSliderPosition(r, SliderRange(r).lo);
    const ClientCheck check = CheckClientMessage(SetText(r, top, true), context);
    ASSERT_TRUE(check.message.has_value()) << check.refusal;
    const auto& write = std::get<ClientWrite>(*check.message);
    EXPECT_EQ(write.address, r.Address());
    EXPECT_EQ(write.value, top);
    EXPECT_TRUE(write.release);
}

TEST_F(WebMessageCheck, HostileWritesAreRefused)
{
    ControlItem& item = FirstSlider(*root);
    const ControlRecord r = item.records.front();
    const int hi = r.maxValue;
    EXPECT_FALSE(CheckClientMessage(SetText(r, hi + 1), context).message) << "out of range";
    EXPECT_FALSE(CheckClientMessage(SetText(r, 256), context).message) << "not a byte";
    EXPECT_FALSE(CheckClientMessage(SetText(r, -1), context).message) << "negative";
    ControlRecord unknown = r;
    unknown.c = static_cast<std::uint8_t>(r.c + 0x70);
    EXPECT_FALSE(CheckClientMessage(SetText(unknown, 0), context).message) << "unknown address";
    std::string big = SetText(r, 0);
    big.insert(big.size() - 1, ",\"pad\":\"" + std::string(kMaxClientMessageBytes, 'x') + "\"");
    EXPECT_EQ(CheckClientMessage(big, context).refusal, "message too large");
    EXPECT_FALSE(CheckClientMessage("[1,2]", context).message);
    EXPECT_FALSE(CheckClientMessage("{\"t\":\"set\",\"a\":\"0\"}", context).message);
    EXPECT_FALSE(CheckClientMessage("not json", context).message);

    ClientContext readOnly = context;
    readOnly.role = WebRole::ReadOnly;
    EXPECT_EQ(CheckClientMessage(SetText(r, 0), readOnly).refusal, "read-only user");
    item.hidden = true;
    EXPECT_FALSE(CheckClientMessage(SetText(r, 0), context).message) << "hidden control";
}

TEST_F(WebMessageCheck, CompareLockHoldsGroupZeroOnly)
{
    const ControlRecord& r = FirstSlider(*root).records.front();
    ClientContext locked = context;
    locked.compareLock = true;
    const bool groupZero = r.a == 0;
    EXPECT_EQ(CheckClientMessage(SetText(r, 0), locked).message.has_value(), !groupZero);
    EXPECT_TRUE(CheckClientMessage(SetText(r, 0), context).message.has_value());
}

TEST_F(WebMessageCheck, PresetCommandsKeepToUserPresetsWhereTheDesktopDoes)
{
    auto preset = [&](const std::string& cmd, int index, const std::string& name = "") {
        nlohmann::json j{{"t", "preset"}, {"cmd", cmd}, {"index", index}};
        if (!name.empty()) j["name"] = name;
        return CheckClientMessage(j.dump(), context);
    };
    EXPECT_TRUE(preset("load", 20).message);
    EXPECT_FALSE(preset("load", 24).message);
    EXPECT_TRUE(preset("save", 15).message);
    EXPECT_FALSE(preset("save", 16).message);
    EXPECT_TRUE(preset("rename", 0, "MORNING").message);
    EXPECT_FALSE(preset("rename", 0, "SIXTEEN CHARS XX").message);
    EXPECT_FALSE(preset("rename", 0, "BAD\x01").message);
    EXPECT_FALSE(preset("rename", 0).message);
    EXPECT_FALSE(preset("delete", 0).message);
    EXPECT_FALSE(CheckClientMessage("{\"t\":\"open\",\"page\":10}", context).message);
    EXPECT_TRUE(CheckClientMessage("{\"t\":\"open\",\"page\":9}", context).message);
    EXPECT_TRUE(CheckClientMessage("{\"t\":\"ab\",\"which\":\"b\"}", context).message);
    context.role = WebRole::ReadOnly;
    EXPECT_FALSE(preset("load", 0).message);
    EXPECT_FALSE(CheckClientMessage("{\"t\":\"ab\",\"which\":\"b\"}", context).message);
    EXPECT_TRUE(CheckClientMessage("{\"t\":\"open\",\"page\":1}", context).message);
}

TEST(WebWritePacer, DraggingSendsAtMostEvery200MsAndTheLastValueAlways)
{
    CWritePacer pacer;
    const ParamAddress a{1, 2, 3};
    const ParamAddress b{1, 2, 4};
    EXPECT_EQ(pacer.Offer(a, 10, false, 1000), 10);
    EXPECT_FALSE(pacer.Offer(a, 11, false, 1050));
    EXPECT_FALSE(pacer.Offer(a, 12, false, 1100));
    EXPECT_EQ(pacer.Offer(b, 5, false, 1100), 5) << "each address has its own pace";
    EXPECT_TRUE(pacer.Due(1200).empty()) << "200 ms have not passed yet";
    const auto due = pacer.Due(1201);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].second, 12);
    EXPECT_TRUE(pacer.Due(2000).empty()) << "sent once";
    EXPECT_FALSE(pacer.Offer(a, 12, true, 2000)) << "the value just sent is not sent again";
    EXPECT_EQ(pacer.Offer(a, 13, false, 2100), 13) << "a new drag starts at once";
    EXPECT_FALSE(pacer.Offer(a, 14, false, 2150));
    EXPECT_EQ(pacer.Offer(a, 15, true, 2160), 15) << "a release goes out at once";
    EXPECT_TRUE(pacer.Due(3000).empty());
}

}  // namespace
