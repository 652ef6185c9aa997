#include "meters/ui/LedMeter.h"

#include "app/ModelTable.h"
#include "core/MeterAnimator.h"
#include "core/ModelCatalog.h"
#include "skin/ui/SkinManager.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>

// Every model's meter panel with a status packet from the simulator's meter
// animation, saved as PNG for a person to look at: each lit bar must sit on its
// own scale and under its own label.
namespace {

ByteString LivelyStatus(int code, double t)
{
    const auto model = vsim::MakeModel(code);
    ByteString packet(29, 0);
    vsim::MeterAnimator(model->meters, model->withMpx, 7).Fill(packet.data(), t, true);
    return packet;
}

TEST(MeterGallery, EveryModelLightsItsBarsWithALivelyStatus)
{
    CSkinManager manager("Skins");
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    const QString folder = VEXLOR_METER_GALLERY_DIR;
    ASSERT_TRUE(QDir().mkpath(folder));
    std::vector<int> codes;
    for (const std::uint8_t code : vsim::KnownModelCodes())
        codes.push_back(code);
    codes.push_back(3); // the rows, which no known model shows
    for (const int code : codes) {
        CLedMeter meter(manager);
        const ModelInfo* model = FindModel(static_cast<std::uint8_t>(code));
        meter.SetModel(static_cast<std::uint8_t>(code));
        meter.SetBackground(model ? model->meterBackgroundKey : "background");
        meter.Update(LivelyStatus(code, 4.3));
        const std::string name = model ? model->name : "Rows";
        const QString file = folder + QString("/meter_%1_%2.png").arg(code, 2, 10, QChar('0')).arg(name.c_str());
        EXPECT_TRUE(meter.grab().save(file)) << file.toStdString();

        const std::vector<int> lit = LitLedsPerBar(meter.State().Leds());
        const auto litBars = std::count_if(lit.begin(), lit.end(), [](int n) { return n > 0; });
        EXPECT_GE(litBars * 4, static_cast<long>(lit.size()) * 3) << name;
    }
}

// The backgrounds are drawn from the layout tables: every LED place lies on a
// plate, never on the bare panel, whose colour the bottom-left corner shows.
TEST(MeterGallery, EveryLedOfEveryModelSitsOnItsPlate)
{
    CSkinManager manager("Skins");
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    QWidget user;
    const MeterStatus status{};
    for (const std::uint8_t code : vsim::KnownModelCodes()) {
        const ModelInfo* model = FindModel(code);
        const QImage background = manager.Skin()->GetImage("Leds", model->meterBackgroundKey, &user);
        ASSERT_FALSE(background.isNull()) << model->name;
        const QRgb panel = background.pixel(0, background.height() - 1);
        const std::string off = LedImageKey(FindMeterLayout(code)->imageSet == 1 ? 1 : 4);
        const QSize led = manager.Skin()->GetImage("Leds", off, &user).size();
        for (const MeterLed& place : ComputeMeterLeds(code, status, false)) {
            const QPoint left(place.x - 1, place.y);
            const QPoint right(place.x + led.width(), place.y + led.height() - 1);
            for (const QPoint side : {left, right})
                EXPECT_NE(background.pixel(side), panel)
                    << model->name << " bar " << int(place.bar) << " at " << place.x << "," << place.y;
        }
    }
}

} // namespace
