#pragma once

#include "meters/MeterLayout.h"

#include <QImage>

// LED images and meter panel backgrounds, drawn from the meter layout tables.
namespace meterart {

// Set 1 (13-LED columns): 11 x 6; set 2 (all other columns): 7 x 5.
inline constexpr QSize kLargeLed{11, 6};
inline constexpr QSize kSmallLed{7, 5};

enum class LedLook { Off, On, Over, Aux };
QImage Led(QSize size, LedLook look);

// The panel behind the bars of `layout`, with a plate, heading and labels per
// group of bars.
QImage Background(const MeterLayout& layout);
// The panel shown before any processor is known.
QImage EmptyBackground();

} // namespace meterart
