#pragma once

#include "meters/MeterLayout.h"
#include "views/Views.h"
#include "meters/MeterState.h"
#include "skin/ui/SkinClient.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include <array>
#include <optional>
#include <string>
#include <vector>

class CSkinManager;

// The LED meter panel, skin element "Leds": the model's meter background with
// the LEDs that the meter core computes from the last status packet. Every
// paint composes the whole panel in the widget's own back buffer and copies it
// out once, so the panel is never seen half drawn; it repaints only when what
// it shows changes.
class CLedMeter : public QWidget, public CSkinClient, public IMeterView {
public:
    explicit CLedMeter(CSkinManager& manager, QWidget* parent = nullptr);
    ~CLedMeter() override;

    // The meter view of the connection controller.
    void SetModel(std::uint8_t code) override;
    // key: an image of the "Leds" element, e.g. "LedsBkVexlorFM".
    void SetBackground(const std::string& key) override;
    void Update(const ByteString& statusPacket) override;
    void Reset() override;

    // Place and size from the element; the seven LED images and the
    // background are read when the panel is first drawn.
    void ApplySkin() override;

    const CMeterState& State() const { return state_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The image of `key` in the back buffer's pixel format, so that every copy
    // is a plain pixel copy.
    QImage SkinImage(const std::string& key) const;
    // Reads the images of the skin in use, once per skin: the panel's place
    // needs none of them, and at start-up the large background may still be
    // decoding while the rest of the window is made.
    void ReadImages();
    void ComposeFrame();
    const QImage& LedImage(const MeterLed& led) const;
    void Changed(bool changed);

    CMeterState state_;
    // Kept so that a newly loaded skin gives the model's own background again.
    std::string backgroundKey_ = kNoModelBackgroundKey;
    QImage background_;
    std::array<QImage, kLedImageCount> leds_;
    bool imagesRead_ = false;
    QImage backBuffer_;
    // Where the back buffer holds LEDs over the current background; none when
    // it holds no whole panel.
    std::optional<std::vector<QRect>> ledPlaces_;
};
