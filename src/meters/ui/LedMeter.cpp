#include "meters/ui/LedMeter.h"

#include "skin/ui/SkinDrawing.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr QImage::Format kFrameFormat = QImage::Format_RGB32;
}

CLedMeter::CLedMeter(CSkinManager& manager, QWidget* parent)
    : QWidget(parent)
    , CSkinClient("Leds", manager)
{
    // The panel covers every pixel itself; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName("Meters");
    Attach(this);
    ApplySkin();
}

CLedMeter::~CLedMeter()
{
    Detach();
}

void CLedMeter::SetModel(std::uint8_t code)
{
    Changed(state_.SetModel(code));
}

void CLedMeter::SetBackground(const std::string& key)
{
    backgroundKey_ = key;
    if (imagesRead_)
        background_ = SkinImage(key);
    ledPlaces_.reset();
    update();
}

void CLedMeter::Update(const ByteString& statusPacket)
{
    Changed(state_.Update(statusPacket));
}

void CLedMeter::Reset()
{
    Changed(state_.Reset());
}

void CLedMeter::ApplySkin()
{
    setGeometry(GetLong("offset_left"), GetLong("offset_top"), std::max(0, GetLong("width")),
                std::max(0, GetLong("height")));
    // The old skin's images go now; the new ones are read when first drawn.
    leds_ = {};
    background_ = QImage();
    imagesRead_ = false;
    ledPlaces_.reset();
    update();
}

void CLedMeter::ReadImages()
{
    if (imagesRead_)
        return;
    for (int image = 1; image <= kLedImageCount; ++image)
        leds_[static_cast<std::size_t>(image - 1)] = SkinImage(LedImageKey(image));
    background_ = SkinImage(backgroundKey_);
    imagesRead_ = true;
}

QImage CLedMeter::SkinImage(const std::string& key) const
{
    return GetImage(key).convertToFormat(kFrameFormat);
}

void CLedMeter::Changed(bool changed)
{
    if (changed)
        update();
}

void CLedMeter::paintEvent(QPaintEvent*)
{
    // The buffer has the screen's own pixels, so twins of the images copy
    // into it pixel for pixel and text-free edges stay sharp.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (backBuffer_.size() != pixels || backBuffer_.devicePixelRatio() != ratio) {
        backBuffer_ = QImage(pixels, kFrameFormat);
        backBuffer_.setDevicePixelRatio(ratio);
        ledPlaces_.reset();
    }
    if (backBuffer_.isNull())
        return;
    ComposeFrame();
    QPainter(this).drawImage(0, 0, backBuffer_);
}

void CLedMeter::ComposeFrame()
{
    ReadImages();
    // Plain pixel copies, unscaled; a missing image draws nothing. Every LED
    // covers its whole place, so while the places stay as they were and the
    // background is the same, drawing the LEDs alone gives the whole panel.
    std::vector<QRect> places;
    places.reserve(state_.Leds().size());
    for (const MeterLed& led : state_.Leds())
        places.emplace_back(QPoint(led.x, led.y), LogicalSize(LedImage(led)));
    QPainter p(&backBuffer_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (!ledPlaces_ || places != *ledPlaces_) {
        if (LogicalSize(background_) != size())
            p.fillRect(rect(), Qt::black);
        p.drawImage(0, 0, background_);
        ledPlaces_ = std::move(places);
    }
    for (const MeterLed& led : state_.Leds())
        p.drawImage(led.x, led.y, LedImage(led));
}

const QImage& CLedMeter::LedImage(const MeterLed& led) const
{
    return leds_[led.image - 1u];
}
