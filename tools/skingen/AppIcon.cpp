#include "AppIcon.h"

#include "MeterArt.h"
#include "Paint.h"

#include <QDir>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Sizes of the hicolor theme that launchers, menus and task bars ask for.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// How far each of the four bars is lit, as a share of its height.
constexpr double kLevels[] = {0.5, 1.0, 0.75, 0.35};

int Scaled(int size, double share, int least)
{
    return std::max(least, static_cast<int>(std::lround(size * share)));
}

// The lamp at height `share` of a bar (0 bottom, 1 top), lit as on the meters.
meterart::LedLook Lamp(double share, bool lit)
{
    if (!lit)
        return meterart::LedLook::Off;
    if (share >= 0.8)
        return meterart::LedLook::Over;
    return share >= 0.6 ? meterart::LedLook::Aux : meterart::LedLook::On;
}

// One bar from the bottom up, made of the meters' own LED segments with a gap
// when there is room for them, centred in `bar`; lit up to `level` of its height.
void DrawBar(QPainter& p, const QRect& bar, double level)
{
    const int segment = bar.height() >= 24 ? bar.height() / 8 : bar.height() >= 10 ? 2 : 1;
    const int gap = segment > 1 ? std::max(1, segment / 3) : 0;
    const int step = segment + gap;
    const int count = (bar.height() + gap) / step;
    const long lit = std::lround(level * count);
    const int bottom = bar.bottom() - (bar.height() - (count * step - gap)) / 2;
    for (int i = 0; i < count; ++i) {
        const meterart::LedLook look = Lamp(static_cast<double>(i) / count, i < lit);
        const QRect rect(bar.left(), bottom - i * step - segment + 1, bar.width(), segment);
        // Below three pixels a lamp has no room for its shading: its body colour alone.
        if (segment < 3 || bar.width() < 3)
            p.fillRect(rect, meterart::Led(QSize(3, 3), look).pixelColor(1, 1));
        else
            p.drawImage(rect.topLeft(), meterart::Led(rect.size(), look));
    }
}

} // namespace

QImage AppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);

    // The body: a raised face like the main window's, with rounded corners.
    const int margin = Scaled(size, 0.03, 0);
    const QRectF body(margin, margin, size - 2 * margin, size - 2 * margin);
    Raised(p, body, std::max(2.0, size * 0.18), pal::kFaceTop, pal::kFaceLow, pal::kBorder,
           Mix(pal::kFaceTop, pal::kWhite, 0.12));

    // The meter well with four bars, and the accent line under it.
    const int pad = Scaled(size, 0.15, 2);
    const QRect well(pad, pad, size - 2 * pad, Scaled(size, 0.52, 6));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(well, pal::kShadow);
    const int inset = Scaled(size, 0.05, 1);
    const int gap = Scaled(size, 0.05, 1);
    const QRect inner = well.adjusted(inset, inset, -inset, -inset);
    const int barWidth = (inner.width() - 3 * gap) / 4;
    const int spare = inner.width() - 4 * barWidth - 3 * gap;
    for (int i = 0; i < 4; ++i) {
        const QRect bar(inner.left() + spare / 2 + i * (barWidth + gap), inner.top(), barWidth, inner.height());
        DrawBar(p, bar, kLevels[i]);
    }
    const int lineHeight = Scaled(size, 0.06, 1);
    const QRect accent(well.left(), well.bottom() + 1 + Scaled(size, 0.08, 1), well.width(), lineHeight);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::kAccent);
    p.drawRoundedRect(QRectF(accent), lineHeight / 2.0, lineHeight / 2.0);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool WriteAppIcons(const QString& folder)
{
    bool ok = true;
    for (const int size : kSizes) {
        const QString dir = QString("%1/%2x%2/apps").arg(folder).arg(size);
        QDir().mkpath(dir);
        QImageWriter writer(dir + "/vexlor.png", "png");
        if (!writer.write(AppIcon(size))) {
            std::fprintf(stderr, "skingen: cannot write %s: %s\n", qPrintable(writer.fileName()),
                         qPrintable(writer.errorString()));
            ok = false;
        }
    }
    return ok;
}
