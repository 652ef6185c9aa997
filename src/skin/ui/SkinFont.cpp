#include "skin/ui/SkinFont.h"

#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinPlacement.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>

namespace {
// A typo in a skin file must not ask for a 10,000-pixel font.
constexpr int kMaxPixelSize = 200;
}

QFont SkinFont(const CSkinClient& client)
{
    QFont font = QGuiApplication::font();
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    // Full hinting keeps small skin text on the pixel grid, so it stays crisp.
    font.setHintingPreference(QFont::PreferFullHinting);
    const QString family = client.GetString("font");
    font.setFamilies(family.isEmpty() ? QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")}
                                      : QStringList{family});
    const int height = std::min(std::abs(SkinOffset(client, "font_height")), kMaxPixelSize);
    if (height > 0)
        font.setPixelSize(height);
    font.setWeight(client.GetLong("bold") != 0 ? QFont::Bold : QFont::Normal);
    font.setItalic(client.GetLong("italic") != 0);
    font.setUnderline(client.GetLong("underline") != 0);
    font.setStrikeOut(false);
    const int width = std::min(std::abs(SkinOffset(client, "font_width")), kMaxPixelSize);
    if (width > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(std::clamp(100 * width / natural, 50, 200));
    }
    return font;
}
