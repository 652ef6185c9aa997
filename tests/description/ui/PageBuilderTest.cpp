// The page builder on the shipped skin: what it creates and where.
#include "description/ui/PageBuilder.h"

#include "description/ui/ParamButtonGroup.h"
#include "description/ui/ParamPage.h"
#include "description/ui/ParamSlider.h"
#include "description/ui/ParamSpinField.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinStatic.h"
#include "support/GroupClick.h"
#include "support/ShippedSkin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

namespace {

PageNode Node(const std::string& name)
{
    PageNode node;
    node.name = name;
    return node;
}

ControlRecord Numeric(const std::string& name, std::uint8_t c, ControlStyle style, std::uint8_t max = 48)
{
    ControlRecord r;
    r.a = 0;
    r.b = 1;
    r.c = c;
    r.name = name;
    r.unit = "dB";
    r.maxValue = max;
    r.minimum = -120;
    r.step = 5;
    r.format = 0x10;
    r.controlStyle = style;
    return r;
}

ControlItem Item(std::vector<ControlRecord> records, std::uint8_t x, std::uint8_t y, std::uint8_t w, std::uint8_t h)
{
    ControlItem item;
    item.records = std::move(records);
    item.x = x;
    item.y = y;
    item.width = w;
    item.height = h;
    return item;
}

template <typename T>
std::vector<T*> Bound(IPageView& page)
{
    std::vector<T*> out;
    for (IBoundControl* c : page.BoundControls())
        if (auto* t = dynamic_cast<T*>(c)) out.push_back(t);
    return out;
}

class PageBuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CShippedSkin::Get().Loaded());
    }

    CMainWindowStandIn main;
    PageServices services;
    CPageBuilder builder{&main, CShippedSkin::Get().Manager(), CMainWindowStandIn::kPageArea, services};
};

}  // namespace

TEST_F(PageBuilderTest, PageWithoutItemsIsNoPage)
{
    EXPECT_EQ(builder.BuildPage(Node("Empty"), "Empty"), nullptr);
}

TEST_F(PageBuilderTest, SliderCellPlacesTrackCaptionAndValueOnTheGrid)
{
    PageNode node = Node("Main");
    node.items.push_back(Item({Numeric("Level", 2, ControlStyle::Slider)}, 3, 2, 8, 20));
    auto page = builder.BuildPage(node, "Main");
    ASSERT_NE(page, nullptr);
    auto* window = static_cast<CParamPageView&>(*page).Window();
    EXPECT_EQ(window->geometry(), CMainWindowStandIn::kPageArea);
    EXPECT_FALSE(window->isVisible());
    const auto sliders = Bound<CParamSlider>(*page);
    ASSERT_EQ(sliders.size(), 1u);
    EXPECT_EQ(sliders[0]->geometry(), QRect(50, 60, 40, 160));
    EXPECT_EQ(sliders[0]->minimum(), -24);
    EXPECT_EQ(sliders[0]->maximum(), 24);

    std::vector<QRect> labels;
    for (auto* label : window->findChildren<CSkinStatic*>(Qt::FindDirectChildrenOnly))
        if (label->Element() == "SliderCaption" || label->Element() == "SliderValue") labels.push_back(label->geometry());
    EXPECT_EQ(labels, (std::vector<QRect>{QRect(30, 20, 80, 13), QRect(30, 33, 80, 27)}));

    // The processor's value shows as the slider's position and text.
    sliders[0]->SetDeviceValue(48);
    EXPECT_EQ(sliders[0]->value(), -24);  // the largest raw value sits at the top
    auto* value = window->findChildren<CSkinStatic*>()[0];
    for (auto* label : window->findChildren<CSkinStatic*>())
        if (label->Element() == "SliderValue") value = label;
    EXPECT_EQ(value->Text(), "12.0 dB");
}

TEST_F(PageBuilderTest, CaptionPartsAreCentredWithOneSeparatorBetweenThem)
{
    PageNode node = Node("Limiter");
    node.items.push_back(Item({Numeric("Level", 2, ControlStyle::Slider)}, 3, 2, 8, 20));
    auto page = builder.BuildPage(node, "Dynamics > Limiter");
    auto* window = static_cast<CParamPageView&>(*page).Window();
    CSkinStatic* header = nullptr;
    for (auto* label : window->findChildren<CSkinStatic*>(Qt::FindDirectChildrenOnly))
        if (label->Element() == "FrameCaption") header = label;
    ASSERT_NE(header, nullptr);
    const auto parts = header->findChildren<CSkinStatic*>();
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0]->Text(), "Dynamics");
    EXPECT_EQ(parts[1]->Element(), "Separator");
    EXPECT_EQ(parts[2]->Text(), " Limiter");
    // One run, left to right without gaps, centred in the header.
    EXPECT_EQ(parts[1]->x(), parts[0]->geometry().right() + 1);
    EXPECT_EQ(parts[2]->x(), parts[1]->geometry().right() + 1);
    const int left = parts[0]->x();
    const int right = header->width() - (parts[2]->geometry().right() + 1);
    EXPECT_NEAR(left, right, parts[1]->width() + 2);
    EXPECT_GT(left, 0);
}

TEST_F(PageBuilderTest, ThreeFieldSpinSharesItsWidthInReversedFieldOrder)
{
    PageNode node = Node("Clock");
    std::vector<ControlRecord> records{Numeric("Hour", 0, ControlStyle::Spin, 23), Numeric("Min", 1, ControlStyle::None, 59),
                                       Numeric("Sec", 2, ControlStyle::None, 59)};
    for (auto& r : records) r.minimum = 0, r.step = 1, r.format = 0x0A;
    node.items.push_back(Item(records, 2, 5, 21, 3));
    auto page = builder.BuildPage(node, "Clock");
    const auto fields = Bound<CParamSpinField>(*page);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0]->FieldIndex(), 2);
    EXPECT_EQ(fields[2]->FieldIndex(), 0);
    EXPECT_EQ(fields[1]->Records().front().controlStyle, ControlStyle::Spin);
    for (std::size_t i = 1; i < 3; ++i)
        EXPECT_GT(fields[i]->x(), fields[i - 1]->geometry().right()) << "fields overlap";
    auto* spin = dynamic_cast<CSkinSpin*>(fields[0]->parentWidget());
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->geometry(), QRect(20, 50, 210, 30));
    fields[2]->SetDeviceValue(7);
    EXPECT_EQ(fields[2]->text(), "07");

    // Locked fields (the compare lock) stop the arrows once all are locked.
    fields[0]->SetEnabled(false);
    fields[1]->SetEnabled(false);
    EXPECT_TRUE(spin->isEnabled());
    fields[2]->SetEnabled(false);
    EXPECT_FALSE(spin->isEnabled());
    fields[1]->SetEnabled(true);
    EXPECT_TRUE(spin->isEnabled());
}

TEST_F(PageBuilderTest, HiddenItemIsBoundButTakesNoRoom)
{
    PageNode node = Node("Main");
    node.items.push_back(Item({Numeric("Level", 2, ControlStyle::Slider)}, 3, 2, 8, 20));
    node.items.back().hidden = true;
    ControlRecord mode = Numeric("Mode", 3, ControlStyle::ButtonGroup, 1);
    mode.choices = {"Off", "On"};
    mode.valueKind = ValueKind::Choices;
    node.items.push_back(Item({mode}, 12, 4, 12, 4));
    auto page = builder.BuildPage(node, "Main");
    const auto bound = page->BoundControls();
    ASSERT_EQ(bound.size(), 2u);
    auto* slider = dynamic_cast<CParamSlider*>(bound[0]);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->size(), QSize(0, 0));
    EXPECT_FALSE(slider->isVisibleTo(static_cast<CParamPageView&>(*page).Window()));
    slider->SetDeviceValue(24);
    EXPECT_EQ(slider->Raw(), 24);
    auto* group = dynamic_cast<CParamButtonGroup*>(bound[1]);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->pos(), QPoint(120, 34));
    EXPECT_EQ(group->width(), 120);
}

// What each control sends: spin fields never with echo (their records may
// drive visibility, but changing them must not re-evaluate it), button groups
// and sliders with the record's flag; a value the processor reports is shown,
// never sent back, also when a polled field reads it again.
TEST_F(PageBuilderTest, WritesCarryTheRightEchoAndReportedValuesAreNeverSentBack)
{
    struct Write {
        std::uint8_t c, value;
        bool echo;
        bool operator==(const Write&) const = default;
    };
    std::vector<Write> writes;
    builder.Services().writeParameter = [&](std::uint8_t, std::uint8_t, std::uint8_t c, std::uint8_t v, bool echo) {
        writes.push_back({c, v, echo});
    };
    builder.Services().pollPeriod = std::chrono::milliseconds(5);
    PageNode node = Node("Echo");
    ControlRecord spinRecord = Numeric("Count", 1, ControlStyle::Spin, 9);
    spinRecord.minimum = 0, spinRecord.step = 1, spinRecord.format = 0;
    spinRecord.a = CParamSpinField::kPolledGroup;
    ControlRecord groupRecord = Numeric("Mode", 2, ControlStyle::ButtonGroup, 2);
    groupRecord.valueKind = ValueKind::Choices;
    groupRecord.choices = {"A", "B", "C"};
    for (ControlRecord* r : {&spinRecord, &groupRecord}) r->drivesVisibility = true;
    node.items.push_back(Item({spinRecord}, 2, 5, 8, 3));
    node.items.push_back(Item({groupRecord}, 12, 5, 20, 3));
    auto page = builder.BuildPage(node, "Echo");
    page->SetVisible(true);
    CParamSpinField* field = Bound<CParamSpinField>(*page).front();
    CParamButtonGroup* group = Bound<CParamButtonGroup>(*page).front();
    auto* spin = dynamic_cast<CSkinSpin*>(field->parentWidget());
    ASSERT_NE(spin, nullptr);

    field->SetDeviceValue(4);
    group->SetDeviceValue(1);
    QElapsedTimer polling;  // several polls
    polling.start();
    while (polling.elapsed() < 30) QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(writes.empty());

    spin->SetValue(5, 0, true);
    QApplication::sendPostedEvents();
    ClickGroupButton(*group, 2);
    EXPECT_EQ(writes, (std::vector<Write>{{1, 5, false}, {2, 2, true}}));

    // One field alone runs round at its ends.
    spin->SetValue(10, 0, true);
    EXPECT_EQ(spin->GetValue(0), 0);
}
