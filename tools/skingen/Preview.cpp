// skinpreview: paints the main window the way the skinned controls will, from
// a skin folder on disk, so the look can be judged before the real windows
// exist. Writes disconnected.png, connected.png and wait.png.
//
//   skinpreview <skin folder> <output folder>

#include "meters/MeterLayout.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinManager.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Painter {
public:
    Painter(CSkin& skin, QPainter& p)
        : s_(skin)
        , p_(p)
    {
    }

    QImage Img(const std::string& el, const char* prop) { return s_.GetImage(el, prop, nullptr); }
    int L(const std::string& el, const char* prop) { return s_.GetLong(el, prop); }
    QColor C(const std::string& el, const char* prop)
    {
        return QColor(SkinColourToRgb(static_cast<std::uint32_t>(L(el, prop))));
    }
    QRect Place(const std::string& el)
    {
        return QRect(L(el, "offset_left"), L(el, "offset_top"), L(el, "width"), L(el, "height"));
    }
    QFont Font(const std::string& el)
    {
        QFont font(s_.GetString(el, "font"));
        font.setPixelSize(std::max(1, L(el, "font_height")));
        font.setBold(L(el, "bold") != 0);
        return font;
    }

    void Masked(QPoint at, const QImage& image, std::uint32_t mask)
    {
        p_.save();
        p_.setClipRegion(RegionFromBitmap(image, mask).translated(at));
        p_.drawImage(at, image);
        p_.restore();
    }

    void Window(const std::string& el, QPoint at)
    {
        Masked(at, Img(el, "background"), static_cast<std::uint32_t>(L(el, "bkcolormask")));
    }

    // state: up, down, over, disabled, down_disabled
    void Button(const std::string& el, const char* state, QRect rect = {}, QString text = {})
    {
        const QImage up = Img(el, "up");
        if (rect.isNull())
            rect = L(el, "width") ? Place(el) : QRect(QPoint(L(el, "offset_left"), L(el, "offset_top")), up.size());
        const QImage face = StretchByResizeLines(Img(el, state), L(el, "resize_line_x"), L(el, "resize_line_y"),
                                                 rect.width(), rect.height());
        p_.save();
        if (!L(el, "rgn_rect"))
            p_.setClipRegion(RegionFromBitmap(up, static_cast<std::uint32_t>(L(el, "bkcolormask"))).translated(rect.topLeft()));
        p_.drawImage(rect.topLeft(), face);
        if (L(el, "draw_text")) {
            if (text.isEmpty())
                text = s_.GetString(el, "caption");
            p_.setFont(Font(el));
            p_.setPen(C(el, (std::string("text_color_") + state).c_str()));
            p_.drawText(rect, Qt::AlignCenter, text);
        }
        p_.restore();
    }

    void Text(const std::string& el, QRect rect, const QString& text)
    {
        if (rect.isNull())
            rect = Place(el);
        const QImage box = Img(el, "background");
        if (!box.isNull())
            p_.drawImage(rect.topLeft(),
                         StretchByResizeLines(box, L(el, "resize_line_x"), L(el, "resize_line_y"), rect.width(), rect.height()));
        else if (L(el, "bkcolor") != 0)
            p_.fillRect(rect, C(el, "bkcolor"));
        p_.setFont(Font(el));
        p_.setPen(C(el, "text_color"));
        const int a = L(el, "font_alignment");
        int flags = (a & 1) ? Qt::AlignHCenter : (a & 2) ? Qt::AlignRight : Qt::AlignLeft;
        flags |= (a & 4) || (a & 32) ? Qt::AlignVCenter : Qt::AlignTop;
        p_.drawText(rect, flags, text);
    }

    void Edit(const std::string& el, QRect rect, const QString& text)
    {
        if (rect.isNull())
            rect = Place(el);
        p_.fillRect(rect, C(el, "bkcolor"));
        p_.setFont(Font(el));
        p_.setPen(C(el, "textcolor"));
        p_.drawText(rect.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
    }

    // Lays the buttons out as the group does: widest caption decides the columns.
    void Group(const std::string& el, QPoint at, int width, int height, const QStringList& captions, int chosen,
               const QString& title)
    {
        const int iw = width - L(el, "buttons_ofs_left") - L(el, "buttons_ofs_right");
        const int ih = height - L(el, "buttons_ofs_top") - L(el, "buttons_ofs_bottom");
        const QFontMetrics metrics(Font("Button"));
        int tw = 0, th = 0;
        for (const QString& c : captions)
            if (metrics.horizontalAdvance(c) + L("Button", "x_margin") > tw) {
                tw = metrics.horizontalAdvance(c) + L("Button", "x_margin");
                th = metrics.height() + L("Button", "y_margin");
            }
        const int n = static_cast<int>(captions.size());
        int cols = n, cw = iw / n;
        if (cw < tw) {
            cols = std::max(1, iw / tw);
            cw = iw / cols;
        }
        const int rows = n / cols + (n % cols ? 1 : 0);
        const int rh = std::max(ih, th);
        const QSize size(cols * cw + (width - iw), rows * rh + (height - ih));
        const QImage frame =
            StretchByResizeLines(Img(el, "background"), L(el, "resize_line_x"), L(el, "resize_line_y"), size.width(), size.height());
        Masked(at, frame, static_cast<std::uint32_t>(L(el, "bkcolormask")));
        p_.setFont(Font(el));
        p_.setPen(C(el, "text_color"));
        p_.drawText(QRect(at, QSize(size.width(), L(el, "buttons_ofs_top"))), Qt::AlignCenter, title);
        for (int i = 0; i < n; ++i) {
            const QRect r(at.x() + L(el, "buttons_ofs_left") + (i % cols) * cw + 1,
                          at.y() + L(el, "buttons_ofs_top") + (i / cols) * rh + 1, cw - 1, rh - 1);
            Button("Button", i == chosen ? "down" : "up", r, captions[i]);
        }
    }

    void Slider(QPoint cell, int cellW, int cellH, double value, const QString& name, const QString& shown)
    {
        Text("SliderCaption", QRect(cell.x(), cell.y(), cellW, 13), name);
        Text("SliderValue", QRect(cell.x(), cell.y() + 13, cellW, 27), shown);
        const QRect track(cell.x() + (cellW - 40) / 2, cell.y() + 40, 40, cellH - 40);
        const QImage face = Img("Slider", "background");
        const QImage stretched = StretchByResizeLines(face, L("Slider", "resize_line_x"), L("Slider", "resize_line_y"),
                                                      face.width(), track.height());
        const int top = L("Slider", "offset_top");
        const double span = track.height() - top - L("Slider", "offset_bottom");
        p_.setPen(C("Slider", "color"));
        const QImage thumb = Img("Slider", "down");
        const int g = (40 - thumb.width()) / 2;
        for (int i = 0; i <= 20; i += 2) {
            const int y = track.top() + top + static_cast<int>(i * span / 20);
            p_.drawLine(track.left(), y, track.left() + g - 7, y);
            p_.drawLine(track.right() + 1 - g + 6, y, track.right(), y);
        }
        Masked(track.topLeft(), stretched, static_cast<std::uint32_t>(L("Slider", "bkcolormask")));
        const QPoint at(track.left() + g, track.top() + static_cast<int>(value * span) + top - L("Slider", "thumb_center"));
        Masked(at, thumb, static_cast<std::uint32_t>(L("Slider", "thumbcolormask")));
    }

    void Spin(QRect rect, const QString& text, const QString& caption)
    {
        Text("SpinCaption", QRect(rect.x(), rect.y() - 13, rect.width(), 13), caption);
        const QImage face = StretchByResizeLines(Img("Spin", "background"), L("Spin", "resize_line_x"),
                                                 L("Spin", "resize_line_y"), rect.width(), rect.height());
        Masked(rect.topLeft(), face, static_cast<std::uint32_t>(L("Spin", "bkcolormask")));
        const int w = rect.width(), h = rect.height();
        const QImage up = Img("Spin", "up_up"), down = Img("Spin", "down_up");
        const QRect ur(w - up.width() - L("Spin", "up_ofs_right"), L("Spin", "up_ofs_top"), up.width(),
                       h / 2 - L("Spin", "up_ofs_top"));
        const QRect dr(w - down.width() - L("Spin", "down_ofs_right"), h / 2, down.width(),
                       h - L("Spin", "down_ofs_bottom") - h / 2);
        p_.drawImage(rect.topLeft() + ur.topLeft(),
                     StretchByResizeLines(up, L("Spin", "up_resize_x"), L("Spin", "up_resize_y"), ur.width(), ur.height()));
        p_.drawImage(rect.topLeft() + dr.topLeft(), StretchByResizeLines(down, L("Spin", "down_resize_x"),
                                                                         L("Spin", "down_resize_y"), dr.width(), dr.height()));
        Edit("SpinEdit", QRect(rect.x() + 2, rect.y() + 2, rect.width() - 4 - 16, rect.height() - 4), text);
    }

    // Lights every bar of a layout with a plausible level (no real meter logic).
    void Meter(const MeterLayout& layout, QPoint at)
    {
        p_.drawImage(at, Img("Leds", ("LedsBk" + std::string(layout.model)).c_str()));
        const bool large = layout.imageSet == 1;
        const QImage off = Img("Leds", large ? "led1" : "led4"), on = Img("Leds", large ? "led2" : "led5"),
                     over = Img("Leds", large ? "led3" : "led6");
        int k = 0;
        for (const MeterBar& bar : layout.bars) {
            const int count = LedCount(bar.geometry);
            const int level = 3 + (k * 5) % (count - 3);
            for (int i = 0; i < count; ++i) {
                const auto dy = LedOffset(bar.geometry, i);
                if (!dy)
                    continue;
                const bool rising = bar.rule == LedRule::Rise || bar.rule == LedRule::Rise2;
                const bool lit = rising ? i >= count - level : (i >= 1 && i <= level / 2);
                const QImage& image = (i == 0 && k == 1 && rising) ? over : lit ? on : off;
                p_.drawImage(at + QPoint(bar.x, bar.y + *dy), image);
            }
            ++k;
        }
    }

private:
    CSkin& s_;
    QPainter& p_;
};

void Common(Painter& d, bool connected)
{
    d.Window("DlgMain", {0, 0});
    d.Button(connected ? "BtnDisconnect" : "BtnConnect", "up");
    d.Button("BtnMinimize", "up");
    d.Button("BtnExit", "over");
    d.Button("BtnA", connected ? "down" : "disabled");
    d.Button("BtnB", connected ? "up" : "disabled");
    d.Button("BtnMenu", connected ? "up" : "down");
    d.Button("BtnPresets", connected ? "down" : "up");
    d.Button("BtnScrollUp", "up");
    d.Button("BtnScrollDown", "up");
}

QImage Disconnected(CSkin& skin)
{
    QImage image(783, 470, QImage::Format_RGB32);
    image.fill(QColor(0x0E, 0x10, 0x12));
    QPainter p(&image);
    Painter d(skin, p);
    Common(d, false);
    p.drawImage(d.Place("Leds").topLeft(), d.Img("Leds", "background"));
    const QPoint at(d.L("Settings", "offset_left"), d.L("Settings", "offset_top"));
    d.Window("Settings", at);
    for (const char* label : {"SettingsCaption", "SetStaticHost", "SetStaticPort", "SetStaticCodeLock"})
        d.Text(label, d.Place(label).translated(at), skin.GetString(label, "caption"));
    d.Edit("SettingsHost", d.Place("SettingsHost").translated(at), "127.0.0.1");
    d.Edit("SettingsPort", d.Place("SettingsPort").translated(at), "1203");
    d.Edit("SettingsCode", d.Place("SettingsCode").translated(at), "0000");
    const QRect group = d.Place("ConnectGroup").translated(at);
    d.Group("ConnectGroup", group.topLeft(), group.width(), group.height(), {"Ethernet", "COM1", "COM2", "COM3", "COM5"},
            0, "Interface");
    QStringList pages = {"Input", "AGC", "Dynamics", "  Multiband", "  Limiter", "Stereo", "Output"};
    const QRect tree = d.Place("Tree");
    p.setFont(d.Font("Tree"));
    for (int i = 0; i < pages.size(); ++i) {
        const QRect row(tree.x(), tree.y() + 2 + i * 20, tree.width(), 20);
        p.setPen(d.C("Tree", "disabled_text_color"));
        p.drawText(row.adjusted(22, 0, 0, 0), Qt::AlignVCenter, pages[i].trimmed());
    }
    return image;
}

QImage Connected(CSkin& skin, const MeterLayout& layout)
{
    QImage image(783, 470, QImage::Format_RGB32);
    image.fill(QColor(0x0E, 0x10, 0x12));
    QPainter p(&image);
    Painter d(skin, p);
    Common(d, true);
    d.Meter(layout, d.Place("Leds").topLeft());
    for (const char* icon : {"PresetIconLoad", "PresetIconSave", "PresetIconRename", "PresetIconLoadFile",
                             "PresetIconSaveFile"})
        d.Button(icon, "up");

    // Preset list: label and name columns, the current preset in the accent colour.
    const QRect list = d.Place("List");
    p.setFont(d.Font("List"));
    const QStringList names = {"CLEAN POP", "ROCK LOUD", "NEWS TALK", "CLASSICAL", "URBAN", "JAZZ", "COUNTRY", "SPORTS"};
    for (int i = 0; i < names.size(); ++i) {
        const QRect row(list.x(), list.y() + 2 + i * 18, list.width(), 18);
        const bool selected = i == 4, current = i == 1;
        if (selected)
            p.fillRect(row, d.C("List", "selection_color"));
        p.setPen(selected ? d.C("List", "selected_text_color") : current ? d.C("List", "current_text_color")
                                                                          : d.C("List", "textcolor"));
        p.drawText(row.adjusted(4, 0, 0, 0), Qt::AlignVCenter, QString("U%1:").arg(i + 1));
        p.drawText(row.adjusted(d.L("List", "col0_width") + 1, 0, 0, 0), Qt::AlignVCenter,
                   names[i] + (i == 0 ? " (TR)" : i == 2 ? " (DEF)" : ""));
    }

    const QPoint page(d.L("PPage", "offset_left"), d.L("PPage", "offset_top"));
    d.Window("PPage", page);
    const QRect header = d.Place("FrameCaption").translated(page);
    p.fillRect(header.adjusted(1, 1, -1, -1), d.C("FrameCaption", "bkcolor"));
    const QFontMetrics fm(d.Font("FrameCaption"));
    int x = header.x() + (header.width() - fm.horizontalAdvance("Dynamics > Limiter")) / 2;
    d.Text("FrameCaption", QRect(x, header.y(), fm.horizontalAdvance("Dynamics"), header.height()), "Dynamics");
    x += fm.horizontalAdvance("Dynamics");
    d.Text("Separator", QRect(x, header.y(), d.L("Separator", "width"), d.L("Separator", "height")), "");
    x += d.L("Separator", "width");
    d.Text("FrameCaption", QRect(x, header.y(), fm.horizontalAdvance(" Limiter"), header.height()), " Limiter");

    d.Slider(page + QPoint(20, 40), 80, 220, 0.30, "Drive", "+4.5 dB");
    d.Slider(page + QPoint(100, 40), 80, 220, 0.55, "Ceiling", "-0.8 dB");
    d.Slider(page + QPoint(180, 40), 80, 220, 0.80, "Release", "120 ms");
    d.Group("ButtonGroup", page + QPoint(290, 40), 230, -1, {"Off", "Soft", "Hard"}, 1, "Clipper");
    d.Group("ButtonGroup", page + QPoint(290, 100), 230, -1, {"Flat", "50 us", "75 us", "J.17", "Custom"}, 2,
            "Pre-emphasis");
    d.Spin(QRect(page + QPoint(290, 200), QSize(110, 20)), "1:30", "Hold time");
    d.Spin(QRect(page + QPoint(410, 200), QSize(110, 20)), "Stereo", "Mode");
    return image;
}

QImage Wait(CSkin& skin)
{
    const QImage face = skin.GetImage("Wait", "background", nullptr);
    QImage image(face.size() + QSize(20, 20), QImage::Format_RGB32);
    image.fill(QColor(0x0E, 0x10, 0x12));
    QPainter p(&image);
    Painter d(skin, p);
    d.Window("Wait", {10, 10});
    d.Text("WaitCaption", d.Place("WaitCaption").translated(10, 10), skin.GetString("WaitCaption", "caption"));
    const QRect bar = d.Place("ProgressBar").translated(10, 10);
    d.Masked(bar.topLeft(),
             StretchByResizeLines(d.Img("ProgressBar", "background"), d.L("ProgressBar", "resize_line_x"),
                                  d.L("ProgressBar", "resize_line_y"), bar.width(), bar.height()),
             static_cast<std::uint32_t>(d.L("ProgressBar", "bkcolormask")));
    const QImage active = d.Img("ProgressBar", "active"), inactive = d.Img("ProgressBar", "inactive");
    const std::uint32_t mask = static_cast<std::uint32_t>(d.L("ProgressBar", "colormask"));
    QPoint piece = bar.topLeft() + QPoint(d.L("ProgressBar", "ofs_left"), d.L("ProgressBar", "ofs_top"));
    for (int i = 0; i < d.L("ProgressBar", "count"); ++i) {
        d.Masked(piece, std::abs(i - 5) <= 1 ? active : inactive, mask);
        piece.rx() += active.width();
    }
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: skinpreview <skin folder> <output folder>\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QFileInfo folder(QString::fromLocal8Bit(argv[1]));
    // No archive: every file comes from the folder.
    CSkinManager manager(folder.absolutePath().toStdString(), nullptr, "/nonexistent");
    if (!manager.LoadSkin(folder.fileName().toStdString()))
        return 1;
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    bool ok = Disconnected(*manager.Skin()).save(out + "/disconnected.png");
    for (const int code : {1, 2, 4, 5, 12})
        ok = Connected(*manager.Skin(), *FindMeterLayout(code)).save(out + QString("/connected%1.png").arg(code)) && ok;
    ok = Wait(*manager.Skin()).save(out + "/wait.png") && ok;
    return ok ? 0 : 1;
}
