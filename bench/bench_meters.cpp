// One repaint of the meter panel with its busiest layout fully lit, against one
// plain draw of the panel's background in a widget of the same size: the floor
// that no meter paint can beat. Both go through the same widget repaint path.
#include "app/ModelTable.h"
#include "meters/MeterLeds.h"
#include "meters/ui/LedMeter.h"
#include "skin/ui/SkinManager.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWarmUp = 50;
constexpr int kBatches = 200;
constexpr int kRepaintsPerBatch = 25;

// The background alone, drawn the way the meter draws its back buffer out.
class CPlainPanel : public QWidget {
public:
    explicit CPlainPanel(QImage image)
        : image_(std::move(image))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(image_.size());
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, image_); }

private:
    QImage image_;
};

// The average repaint time of the quickest batch: on a shared machine the other
// batches measure the neighbours as well.
double MicrosPerRepaint(QWidget& widget)
{
    widget.show();
    QApplication::processEvents();
    for (int i = 0; i < kWarmUp; ++i)
        widget.repaint();
    double best = 1e300;
    for (int batch = 0; batch < kBatches; ++batch) {
        const auto start = Clock::now();
        for (int i = 0; i < kRepaintsPerBatch; ++i)
            widget.repaint();
        const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
        best = std::min(best, spent.count() / kRepaintsPerBatch);
    }
    widget.hide();
    return best;
}

// The model code whose layout draws the most LEDs.
int BusiestModel(const MeterStatus& status)
{
    int busiest = 0;
    std::size_t most = 0;
    for (const MeterLayout& layout : AllMeterLayouts())
        if (FindModel(static_cast<std::uint8_t>(layout.code))) {
            const std::size_t leds = ComputeMeterLeds(layout.code, status, true).size();
            if (leds > most) {
                most = leds;
                busiest = layout.code;
            }
        }
    return busiest;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CSkinManager manager("Skins");
    if (!manager.LoadSkin("Vexlor")) {
        std::fprintf(stderr, "the skin did not load\n");
        return 1;
    }

    // Every level, peak, over, auxiliary and carrier byte at its most.
    const ByteString packet(29, 0xFF);
    const int code = BusiestModel(MeterStatusFromPacket(packet));
    const ModelInfo* model = FindModel(static_cast<std::uint8_t>(code));
    CLedMeter meter(manager);
    meter.SetModel(static_cast<std::uint8_t>(code));
    meter.SetBackground(model->meterBackgroundKey);
    meter.Update(packet);
    const auto& leds = meter.State().Leds();
    const auto lit = std::count_if(leds.begin(), leds.end(), [](const MeterLed& led) { return led.lit; });

    CPlainPanel plain(manager.Skin()
                          ->GetImage("Leds", model->meterBackgroundKey, &meter)
                          .convertToFormat(QImage::Format_RGB32));

    std::printf("meter_model: %d\n", code);
    std::printf("meter_leds_lit: %ld of %zu\n", static_cast<long>(lit), leds.size());
    std::printf("meter_paint_us: %.1f\n", MicrosPerRepaint(meter));
    std::printf("panel_blit_us: %.1f\n", MicrosPerRepaint(plain));
    return 0;
}
