#include "web/WebOutbox.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Texts(const CWebOutbox::Batch& batch)
{
    std::vector<std::string> out;
    for (const auto& t : batch.texts) out.push_back(*t);
    return out;
}

TEST(WebOutbox, SlowBrowserGetsEveryChangeInOrderButOnlyTheNewestMeterFrame)
{
    CWebOutbox box;
    box.Add(1, 0);
    box.Add(2, 1);
    box.Broadcast(0, "meter 1", true);
    box.Broadcast(0, "values 1", false);
    box.Broadcast(0, "meter 2", true);
    box.Send(1, "page");
    box.Broadcast(1, "other processor", false);
    const auto batches = box.Take(0ms);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(Texts(batches[0]), (std::vector<std::string>{"values 1", "page", "meter 2"}));
    EXPECT_EQ(Texts(batches[1]), (std::vector<std::string>{"other processor"}));
    EXPECT_TRUE(box.Take(0ms).empty()) << "taken once";
}

TEST(WebOutbox, ABrowserTooFarBehindIsFlaggedOnceAndHoldsNoMore)
{
    CWebOutbox box;
    box.Add(1, 0);
    box.Add(2, 1);
    for (std::size_t i = 0; i <= CWebOutbox::kMaxQueued; ++i) box.Send(1, "x");
    box.Send(2, "fine");
    const auto batches = box.Take(0ms);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_TRUE(batches[0].overflow);
    EXPECT_TRUE(batches[0].texts.empty());
    EXPECT_FALSE(batches[1].overflow);
    EXPECT_EQ(Texts(batches[1]), std::vector<std::string>{"fine"});
    box.Send(1, "more");
    box.Broadcast(0, "meter", true);
    const auto later = box.Take(0ms);
    ASSERT_EQ(later.size(), 1u) << "flagged once";
    EXPECT_FALSE(later[0].overflow);
    EXPECT_EQ(Texts(later[0]), std::vector<std::string>{"meter"});
}

}  // namespace
