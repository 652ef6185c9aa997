#include "MeterArt.h"

#include "Paint.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>

namespace meterart {

namespace {

const QColor kMeterPanel{0x13, 0x15, 0x19};
const QColor kPlate{0x19, 0x1C, 0x21};
const QColor kPlateEdge{0x25, 0x29, 0x30};
const QColor kTick{0x2E, 0x33, 0x3B};
const QColor kTickMajor{0x45, 0x4B, 0x55};

QSize LedSize(const MeterLayout& layout)
{
    return layout.imageSet == 1 ? kLargeLed : kSmallLed;
}

// One group of neighbouring bars that share a heading.
struct Group {
    QString heading;
    std::vector<const MeterBar*> bars;
};

QString Prefix(std::string_view label)
{
    for (const char* prefix : {"INPUT", "OUTPUT", "LEVELER", "LIMITER"})
        if (label.starts_with(prefix))
            return prefix;
    return {};
}

// Short text under one bar: the channel, the band or the unit number.
QString ShortLabel(std::string_view label)
{
    const QString text = QString::fromLatin1(label.data(), static_cast<int>(label.size()));
    if (text == "MPX")
        return {};
    if (text.startsWith("LEVELER_"))
        return text.section('_', 1, 1);
    if (!Prefix(label).isEmpty())
        return text.section('_', 1, 1);
    static const std::map<QString, QString> kBands = {
        {"LOW", "LO"}, {"MID", "MID"}, {"MIDH", "MH"}, {"HIGH", "HI"}};
    const auto it = kBands.find(text);
    return it == kBands.end() ? text : it->second;
}

// Bars group by their label prefix, or else by their rule and the status byte
// their indicator reads; a repeated label starts a new group.
std::vector<Group> GroupBars(const MeterLayout& layout)
{
    std::vector<Group> groups;
    QString lastKey;
    for (const MeterBar& bar : layout.bars) {
        QString key = Prefix(bar.label);
        if (bar.label == "MPX")
            key = "MPX";
        if (key.isEmpty())
            key = QString("rule%1/%2").arg(static_cast<int>(bar.rule)).arg(bar.first.byte);
        bool repeated = false;
        if (!groups.empty())
            for (const MeterBar* other : groups.back().bars)
                repeated = repeated || (other->label == bar.label && Prefix(bar.label).isEmpty());
        if (groups.empty() || key != lastKey || repeated)
            groups.push_back({key, {}});
        groups.back().bars.push_back(&bar);
        lastKey = key;
    }
    // Headings: prefixes as they are; rising runs are inputs before any gain
    // reduction and outputs after it; runs of gain reduction are numbered.
    int reductionRuns = 0;
    for (const Group& g : groups)
        reductionRuns += g.heading.startsWith("rule") && g.bars.front()->rule != LedRule::Rise
                         && g.bars.size() > 1;
    bool seenInput = false;
    int run = 0;
    for (Group& g : groups) {
        if (!g.heading.startsWith("rule"))
            continue;
        const MeterBar& first = *g.bars.front();
        if (first.rule == LedRule::Rise) {
            g.heading = seenInput ? "OUTPUT" : "INPUT";
            seenInput = true;
        } else if (g.bars.size() == 1) {
            g.heading = QString::fromLatin1(first.label.data(), static_cast<int>(first.label.size()));
        } else {
            ++run;
            g.heading = reductionRuns > 1 ? QString("GR %1").arg(run) : "GR";
        }
    }
    return groups;
}

struct Extent {
    int top = INT_MAX;
    int bottom = INT_MIN;
};

Extent LayoutExtent(const MeterLayout& layout, QSize led)
{
    Extent e;
    for (const MeterBar& bar : layout.bars)
        for (int i = 0; i < LedCount(bar.geometry); ++i)
            if (const auto dy = LedOffset(bar.geometry, i)) {
                e.top = std::min(e.top, bar.y + *dy);
                e.bottom = std::max(e.bottom, bar.y + *dy + led.height());
            }
    return e;
}

void Panel(QPainter& p)
{
    p.fillRect(0, 0, kMeterPanelWidth, kMeterPanelHeight, kMeterPanel);
    // A soft inner shadow along the top edge.
    for (int i = 0; i < 3; ++i)
        p.fillRect(0, i, kMeterPanelWidth, 1, Mix(QColor(0x0B, 0x0C, 0x0F), kMeterPanel, i / 3.0));
}

// Scale: a tick at every LED row of the group's first bar, longer every fourth.
void Scale(QPainter& p, const MeterBar& bar, int x, QSize led)
{
    for (int i = 0; i < LedCount(bar.geometry); ++i) {
        const auto dy = LedOffset(bar.geometry, i);
        if (!dy)
            continue;
        const int y = bar.y + *dy + led.height() / 2;
        const bool major = i % 4 == 0;
        p.fillRect(major ? x - 3 : x - 2, y, major ? 3 : 2, 1, major ? kTickMajor : kTick);
    }
}

void DrawGroup(QPainter& p, const Group& group, const Extent& extent, QSize led)
{
    int left = INT_MAX;
    int right = INT_MIN;
    for (const MeterBar* bar : group.bars) {
        left = std::min(left, bar->x);
        right = std::max(right, bar->x + led.width());
    }
    const QRect plate(left - 4, extent.top - 3, right - left + 8, extent.bottom - extent.top + 6);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kPlateEdge, 1));
    p.setBrush(kPlate);
    p.drawRoundedRect(QRectF(plate).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setRenderHint(QPainter::Antialiasing, false);
    Scale(p, *group.bars.front(), plate.left() - 1, led);

    const QRect heading(plate.center().x() - 40, 2, 80, 11);
    DrawText(p, heading, Qt::AlignHCenter | Qt::AlignVCenter, group.heading, 9, true, pal::kText2, 0.6);

    // Labels under the bars; a pair of bars with the same label shares one.
    for (std::size_t i = 0; i < group.bars.size(); ++i) {
        const MeterBar& bar = *group.bars[i];
        const QString text = ShortLabel(bar.label);
        if (text.isEmpty() || text == group.heading)
            continue;
        int centre = bar.x + led.width() / 2;
        if (i + 1 < group.bars.size() && ShortLabel(group.bars[i + 1]->label) == text) {
            centre = (bar.x + group.bars[i + 1]->x + led.width()) / 2;
            ++i;
        }
        const QRect below(centre - 15, plate.bottom() + 2, 31, 11);
        DrawText(p, below, Qt::AlignHCenter | Qt::AlignTop, text, 9, false, pal::kText2);
    }
}

} // namespace

QImage Led(QSize size, LedLook look)
{
    QColor lit = pal::kGreen;
    if (look == LedLook::Over)
        lit = pal::kRed;
    else if (look == LedLook::Aux)
        lit = pal::kYellow;
    const QColor body = look == LedLook::Off ? Mix(kMeterPanel, pal::kGreen, 0.17) : lit;
    QImage image = Canvas(size, body);
    QPainter p(&image);
    // A lighter upper row gives the lit segment some depth; the corners are
    // softened toward the panel so the segment reads as a rounded lamp.
    p.fillRect(1, 0, size.width() - 2, 1, Mix(body, pal::kWhite, look == LedLook::Off ? 0.04 : 0.35));
    p.fillRect(0, size.height() - 1, size.width(), 1, Mix(body, kMeterPanel, 0.3));
    const QColor corner = Mix(body, kMeterPanel, 0.6);
    for (const QPoint c : {QPoint(0, 0), QPoint(size.width() - 1, 0), QPoint(0, size.height() - 1),
                           QPoint(size.width() - 1, size.height() - 1)})
        p.fillRect(QRect(c, QSize(1, 1)), corner);
    return image;
}

QImage Background(const MeterLayout& layout)
{
    QImage image = Canvas({kMeterPanelWidth, kMeterPanelHeight}, kMeterPanel);
    QPainter p(&image);
    Panel(p);
    const QSize led = LedSize(layout);
    const Extent extent = LayoutExtent(layout, led);
    for (const Group& group : GroupBars(layout))
        DrawGroup(p, group, extent, led);
    // The model's name in the free corner on the right.
    QString name = QString::fromLatin1(layout.model.data(), static_cast<int>(layout.model.size()));
    name.remove("Vexlor");
    // "PlusFM" reads as "PLUS FM": a space before the trailing band name.
    for (const char* band : {"FM2", "FM", "HD", "CD", "AM"})
        if (name.endsWith(band) && name.size() > static_cast<int>(qstrlen(band))) {
            name.insert(name.size() - static_cast<int>(qstrlen(band)), ' ');
            break;
        }
    DrawText(p, QRect(436, kMeterPanelHeight - 16, 46, 12), Qt::AlignRight | Qt::AlignVCenter,
             name.toUpper(), 9, true, QColor(0x3A, 0x3F, 0x48));
    return image;
}

QImage EmptyBackground()
{
    QImage image = Canvas({kMeterPanelWidth, kMeterPanelHeight}, kMeterPanel);
    QPainter p(&image);
    Panel(p);
    DrawText(p, QRect(0, 0, kMeterPanelWidth, kMeterPanelHeight - 8), Qt::AlignCenter, "VEXLOR", 26, true,
             QColor(0x1E, 0x21, 0x27), 6);
    DrawText(p, QRect(0, 82, kMeterPanelWidth, 14), Qt::AlignCenter, "NO PROCESSOR", 9, true,
             QColor(0x2E, 0x33, 0x3B), 1.5);
    return image;
}

} // namespace meterart
