#include "GallerySheet.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace {
constexpr int kGap = 12;
const QColor kSheet(0x12, 0x14, 0x18);
const QColor kTitle(0xE8, 0xA3, 0x3D);
const QColor kText(0x9A, 0xA3, 0xAE);

QFont SheetFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
} // namespace

CGallerySheet::CGallerySheet(QString title, QStringList columns)
    : title_(std::move(title))
    , columns_(std::move(columns))
{
}

void CGallerySheet::AddRow(QString name, std::vector<QImage> cells)
{
    rows_.push_back({std::move(name), std::move(cells)});
}

QImage CGallerySheet::Render() const
{
    const QFont titleFont = SheetFont(14, true);
    const QFont textFont = SheetFont(11, false);
    const QFontMetrics text(textFont);
    int nameWidth = 0;
    for (const Row& row : rows_)
        nameWidth = std::max(nameWidth, text.horizontalAdvance(row.name));
    // Every column is as wide as its widest cell or caption.
    std::vector<int> widths(static_cast<std::size_t>(columns_.size()), 0);
    for (int c = 0; c < columns_.size(); ++c)
        widths[static_cast<std::size_t>(c)] = text.horizontalAdvance(columns_[c]);
    std::vector<int> heights;
    for (const Row& row : rows_) {
        int height = text.height();
        for (std::size_t c = 0; c < row.cells.size() && c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], row.cells[c].width());
            height = std::max(height, row.cells[c].height());
        }
        heights.push_back(height);
    }
    const int headerHeight = 2 * kGap + QFontMetrics(titleFont).height() + text.height();
    int width = kGap + nameWidth + kGap;
    for (const int w : widths)
        width += w + kGap;
    int height = headerHeight + kGap;
    for (const int h : heights)
        height += h + kGap;

    QImage sheet(width, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(kSheet);
    QPainter painter(&sheet);
    painter.setFont(titleFont);
    painter.setPen(kTitle);
    painter.drawText(QPoint(kGap, kGap + QFontMetrics(titleFont).ascent()), title_);
    painter.setFont(textFont);
    painter.setPen(kText);
    int x = 2 * kGap + nameWidth;
    const int captionY = headerHeight - text.descent();
    for (int c = 0; c < columns_.size(); ++c) {
        painter.drawText(QPoint(x, captionY), columns_[c]);
        x += widths[static_cast<std::size_t>(c)] + kGap;
    }
    int y = headerHeight + kGap;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        painter.drawText(QRect(kGap, y, nameWidth, heights[r]), Qt::AlignLeft | Qt::AlignVCenter, rows_[r].name);
        x = 2 * kGap + nameWidth;
        for (std::size_t c = 0; c < rows_[r].cells.size() && c < widths.size(); ++c) {
            painter.drawImage(QPoint(x, y), rows_[r].cells[c]);
            x += widths[c] + kGap;
        }
        y += heights[r] + kGap;
    }
    return sheet;
}

QImage GrabShaped(QWidget& widget)
{
    QImage image = widget.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (widget.mask().isEmpty())
        return image;
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setClipRegion(QRegion(image.rect()).subtracted(widget.mask()));
    painter.fillRect(image.rect(), Qt::transparent);
    return image;
}

void Activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    for (int round = 0; round < 50 && !window.isActiveWindow(); ++round)
        QApplication::processEvents();
}
