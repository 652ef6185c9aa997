#include "meters/MeterLayout.h"
#include "skin/SkinPack.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinRequiredKeys.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <map>
#include <string>
#include <vector>

// The project's skin, read from the archive appended to this test program just
// as the application reads its own.
namespace {

class ErrorLog : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

std::pair<std::string, std::string> SplitKey(const std::string& key)
{
    const auto split = key.find("::");
    return {key.substr(0, split), split == std::string::npos ? std::string() : key.substr(split + 2)};
}

class ShippedSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CSkinPack::Find(CSkinPack::ExecutablePath(), "skin.ini").has_value())
            << "the skin archive is not appended to this program";
        ASSERT_TRUE(manager.LoadSkin("Vexlor"));
        skin = manager.Skin();
        ASSERT_FALSE(skin->Core().Values().Empty());
    }

    QRect Place(const std::string& element) const
    {
        return QRect(skin->GetLong(element, "offset_left"), skin->GetLong(element, "offset_top"),
                     skin->GetLong(element, "width"), skin->GetLong(element, "height"));
    }

    ErrorLog errors;
    CSkinManager manager{"Skins", &errors};
    CSkin* skin = nullptr;
    QWidget user;
};

TEST_F(ShippedSkin, DefinesEveryKeyTheWindowsReadAndNothingElse)
{
    std::string report;
    for (const std::string& problem : CheckSkinValues(skin->Core().Values()))
        report += problem + '\n';
    EXPECT_TRUE(report.empty()) << report;
}

TEST_F(ShippedSkin, EveryImageAndIconLoadsFromTheArchive)
{
    const SkinValues& values = skin->Core().Values();
    for (const auto& [key, path] : values.images) {
        const auto [element, property] = SplitKey(key);
        EXPECT_FALSE(skin->GetImage(element, property, &user).isNull()) << key << " " << path;
    }
    for (const auto& [key, path] : values.icons) {
        const auto [element, property] = SplitKey(key);
        EXPECT_FALSE(skin->GetIcon(element, property, &user).isNull()) << key << " " << path;
    }
    EXPECT_TRUE(errors.texts.empty()) << errors.texts.front();
}

// Where two shapes differ, they differ only within one pixel of the edge of
// `expected`.
::testing::AssertionResult WithinOnePixel(const QRegion& actual, const QRegion& expected)
{
    QRegion grown = expected;
    QRegion shrunk = expected;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            grown += expected.translated(dx, dy);
            shrunk &= expected.translated(dx, dy);
        }
    const QRegion outside = actual - grown;
    const QRegion missing = shrunk - actual;
    if (outside.isEmpty() && missing.isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "beyond one pixel: " << (outside + missing).boundingRect().x() << ","
                                         << (outside + missing).boundingRect().y();
}

TEST_F(ShippedSkin, EveryImageHasATwinDrawnAtTwiceItsSizeWithTheSameShape)
{
    const SkinValues& values = skin->Core().Values();
    std::size_t drawnAnew = 0;
    for (const auto& [key, path] : values.images) {
        SCOPED_TRACE(key);
        const auto [element, property] = SplitKey(key);
        const QImage image = skin->GetImage(element, property, &user);
        const QImage twin = skin->GetImage(element, property, &user, 2);
        ASSERT_TRUE(skin->IsImageLoaded(element, property, 2));
        EXPECT_EQ(twin.devicePixelRatio(), 2.0);
        EXPECT_EQ(twin.size(), image.size() * 2);
        EXPECT_EQ(LogicalSize(twin), image.size());
        // Drawn again at scale 2, not blown up from the image.
        QImage doubled = image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        doubled.setDevicePixelRatio(2);
        drawnAnew += twin != doubled;
        if (values.numbers.count(element + "::bkcolormask")) {
            const auto mask = static_cast<std::uint32_t>(skin->GetLong(element, "bkcolormask"));
            EXPECT_TRUE(WithinOnePixel(RegionFromBitmap(twin, mask), RegionFromBitmap(image, mask)));
        }
    }
    // Flat faces (an unlit LED, a plain strip) are their own upscale; faces
    // with text, curves or gradients are not.
    EXPECT_GT(drawnAnew, values.images.size() * 3 / 4);
    EXPECT_TRUE(errors.texts.empty());
}

TEST_F(ShippedSkin, MainWindowIs783By470WithCutCorners)
{
    const QImage face = skin->GetImage("DlgMain", "background", &user);
    ASSERT_EQ(face.size(), QSize(783, 470));
    const QRegion shape =
        RegionFromBitmap(face, static_cast<std::uint32_t>(skin->GetLong("DlgMain", "bkcolormask")));
    EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 783, 470));
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(782, 469)));
    EXPECT_TRUE(shape.contains(QPoint(391, 235)));
    EXPECT_TRUE(shape.contains(QPoint(391, 0)));
}

TEST_F(ShippedSkin, MeterBackgroundsCoverThePanelForEveryModel)
{
    EXPECT_EQ(Place("Leds").size(), QSize(kMeterPanelWidth, kMeterPanelHeight));
    int models = 0;
    for (const MeterLayout& layout : AllMeterLayouts()) {
        if (layout.model.empty())
            continue;
        ++models;
        const QImage background = skin->GetImage("Leds", "LedsBk" + std::string(layout.model), &user);
        EXPECT_EQ(background.size(), QSize(kMeterPanelWidth, kMeterPanelHeight)) << layout.model;
    }
    EXPECT_EQ(models, 13);
}

TEST_F(ShippedSkin, MainWindowControlsSitInsideTheWindowWithoutOverlapping)
{
    // Buttons with width 0 take the size of their "up" face.
    auto rect = [&](const std::string& element) {
        QRect r = Place(element);
        if (r.width() == 0)
            r.setSize(skin->GetImage(element, "up", &user).size());
        return r;
    };
    // Tree and List share their well, and so do the two faces of the connect button.
    const std::vector<std::string> controls = {
        "Leds",          "BtnConnect",     "BtnExit",          "BtnMinimize",        "BtnA",
        "BtnB",          "BtnMenu",        "BtnPresets",       "Tree",               "BtnScrollUp",
        "BtnScrollDown", "PresetIconLoad", "PresetIconSave",   "PresetIconRename",   "PresetIconLoadFile",
        "PresetIconSaveFile", "Frame"};
    const QRect window(0, 0, 783, 470);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QRect a = rect(controls[i]);
        EXPECT_FALSE(a.isEmpty()) << controls[i];
        EXPECT_TRUE(window.contains(a)) << controls[i];
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(a.intersects(rect(controls[j]))) << controls[i] << " and " << controls[j];
    }
    EXPECT_EQ(rect("List"), rect("Tree"));
    EXPECT_EQ(rect("BtnDisconnect"), rect("BtnConnect"));
    // The page and the settings panel fill the page area exactly.
    EXPECT_EQ(skin->GetImage("PPage", "background", &user).size(), Place("Frame").size());
    EXPECT_EQ(skin->GetImage("Settings", "background", &user).size(), Place("Frame").size());
}

TEST_F(ShippedSkin, GroupFrameStretchesAlongItsResizeLines)
{
    const QImage frame = skin->GetImage("ButtonGroup", "background", &user);
    ASSERT_EQ(frame.size(), QSize(54, 52));
    const int rx = skin->GetLong("ButtonGroup", "resize_line_x");
    const int ry = skin->GetLong("ButtonGroup", "resize_line_y");
    const QImage stretched = StretchByResizeLines(frame, rx, ry, 300, 90);
    ASSERT_EQ(stretched.size(), QSize(300, 90));
    // Corners keep their mask pixels, so the stretched frame keeps its rounded shape.
    const std::uint32_t mask = static_cast<std::uint32_t>(skin->GetLong("ButtonGroup", "bkcolormask"));
    const QRegion shape = RegionFromBitmap(stretched, mask);
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(299, 89)));
    EXPECT_TRUE(shape.contains(QPoint(150, 45)));
}

} // namespace
