#include "meters/ui/LedMeter.h"

#include "app/ModelTable.h"
#include "skin/SkinPack.h"
#include "skin/ui/SkinManager.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <memory>

// The meter panel over the project's skin, appended to this test program.
namespace {

class CountPaints : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

ByteString Packet(std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    ByteString packet(29, 0);
    for (const auto& [index, value] : bytes)
        packet[static_cast<std::size_t>(index)] = value;
    return packet;
}

class LedMeterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CSkinPack::Find(CSkinPack::ExecutablePath(), "skin.ini").has_value());
        ASSERT_TRUE(manager.LoadSkin("Vexlor"));
        meter = std::make_unique<CLedMeter>(manager);
    }

    void ShowModel(std::uint8_t code)
    {
        meter->SetModel(code);
        meter->SetBackground(FindModel(code)->meterBackgroundKey);
        meter->installEventFilter(&counter);
        meter->show();
        Settle();
        counter.paints = 0;
    }

    // Delivers pending update requests, so every asked-for repaint has run.
    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    QImage Skin(const std::string& key) const
    {
        return manager.Skin()->GetImage("Leds", key, meter.get()).convertToFormat(QImage::Format_RGB32);
    }

    QImage Painted() const { return meter->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // The background with the LEDs the core computed drawn over it.
    QImage Expected(const std::string& background) const
    {
        QImage expected = Skin(background);
        QPainter p(&expected);
        for (const MeterLed& led : meter->State().Leds())
            p.drawImage(led.x, led.y, Skin(LedImageKey(led.image)));
        return expected;
    }

    CSkinManager manager{"Skins"};
    std::unique_ptr<CLedMeter> meter;
    CountPaints counter;
};

TEST_F(LedMeterTest, TakesItsPlaceAndSizeFromTheLedsElement)
{
    EXPECT_EQ(meter->geometry(), QRect(14, 14, 489, 136));
    EXPECT_TRUE(manager.IsRegistered(meter.get()));
}

TEST_F(LedMeterTest, RepaintsOncePerPacketThatChangesTheLitLedsAndNeverForAnUnchangedOne)
{
    ShowModel(12);
    meter->Update(Packet({{7, 0x08}, {18, 0x03}}));
    Settle();
    EXPECT_EQ(counter.paints, 1);
    meter->Update(Packet({{7, 0x08}, {18, 0x03}}));
    Settle();
    EXPECT_EQ(counter.paints, 1);
    // New preset markers, same meters.
    meter->Update(Packet({{2, 0x04}, {3, 0x01}, {7, 0x08}, {18, 0x03}}));
    Settle();
    EXPECT_EQ(counter.paints, 1);
    meter->Update(Packet({{7, 0x09}, {18, 0x03}}));
    Settle();
    EXPECT_EQ(counter.paints, 2);
    meter->Reset();
    Settle();
    EXPECT_EQ(counter.paints, 3);
    meter->Reset();
    Settle();
    EXPECT_EQ(counter.paints, 3);
    // Another layout shows at once; the same one again changes nothing.
    meter->SetModel(2);
    Settle();
    EXPECT_EQ(counter.paints, 4);
    meter->SetModel(2);
    Settle();
    EXPECT_EQ(counter.paints, 4);
}

TEST_F(LedMeterTest, PaintsTheLedsTheCoreComputedOverTheModelBackground)
{
    ShowModel(2);
    meter->Update(Packet({{6, 0x01}, {7, 0x3A}, {9, 0xC7}, {10, 0x4F}, {17, 0x02}, {19, 0x25}, {26, 0x0B}, {27, 1}}));
    const QImage painted = Painted();
    EXPECT_TRUE(painted == Expected("LedsBkVexlorPlusFM"));
    EXPECT_GT(std::count_if(meter->State().Leds().begin(), meter->State().Leds().end(),
                            [](const MeterLed& led) { return led.lit; }),
              40);
    // The over LED of INPUT_L (bar 0 at 53, 17) shows the red image of set 2.
    EXPECT_EQ(painted.pixel(53 + 3, 17 + 2), Skin("led6").pixel(3, 2));
    // A quieter packet leaves nothing of the louder one behind.
    meter->Update(Packet({{7, 0x02}, {19, 0x01}}));
    EXPECT_TRUE(Painted() == Expected("LedsBkVexlorPlusFM"));
}

TEST_F(LedMeterTest, ResetAndUnknownCodesShowNoLitLed)
{
    ShowModel(5);
    meter->Update(Packet({{6, 0xFF}, {7, 0xFF}, {8, 0xFF}, {9, 0xFF}, {10, 0xFF}, {11, 1}}));
    const QImage lit = Painted();
    meter->Reset();
    const QImage reset = Painted();
    EXPECT_FALSE(lit == reset);
    for (const MeterLed& led : meter->State().Leds())
        EXPECT_TRUE(reset.copy(led.x, led.y, 7, 5) == Skin("led4"));

    // Code 11 has no layout: the panel is its background alone.
    meter->SetModel(11);
    meter->SetBackground("background");
    meter->Update(Packet({{6, 0xFF}, {7, 0xFF}}));
    EXPECT_TRUE(Painted() == Skin("background"));
}

TEST_F(LedMeterTest, ReadsItsImagesWhenFirstDrawnNotWhenMadeOrGivenANewSkin)
{
    // At start-up the panel is made while its large background may still be decoding.
    const auto loaded = [this](const char* key) { return manager.Skin()->IsImageLoaded("Leds", key); };
    EXPECT_FALSE(loaded("background"));
    EXPECT_FALSE(loaded("led1"));
    meter->SetBackground("background");
    EXPECT_FALSE(loaded("background"));
    EXPECT_TRUE(Painted() == Skin("background"));
    EXPECT_TRUE(loaded("led1"));
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_FALSE(loaded("background"));
    EXPECT_TRUE(Painted() == Skin("background"));
}

TEST_F(LedMeterTest, ANewlyLoadedSkinKeepsTheModelBackground)
{
    ShowModel(4);
    const QImage before = Painted();
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_TRUE(Painted() == before);
    EXPECT_FALSE(Painted() == Skin("background"));
}

TEST_F(LedMeterTest, AMissingBackgroundLeavesABlackPanelUnderTheLeds)
{
    ShowModel(1);
    meter->SetBackground("NoSuchImage");
    meter->Update(Packet({{6, 0x0D}}));
    const QImage painted = Painted();
    EXPECT_EQ(painted.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(painted.pixel(57, 19), Skin("led3").pixel(0, 0));
}

} // namespace
