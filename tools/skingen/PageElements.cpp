#include "ElementHelpers.h"
#include "Elements.h"
#include "Layout.h"
#include "Paint.h"

using namespace layout;

namespace {

const QColor kListBack{0x1B, 0x1E, 0x23};
const QColor kGroupPlate{0x2C, 0x31, 0x39};
const QColor kGroupPlateOff{0x27, 0x2B, 0x31};

// Panel of the page area: flat panel, caption band on top, rounded corners.
QImage PagePanel(bool accentMark)
{
    const QSize size = kFrame.size();
    QImage image = Canvas(size, pal::kFace);
    {
        QPainter p(&image);
        Raised(p, QRectF(0, 0, size.width(), size.height()), 4, pal::kPanel, QColor(0x23, 0x27, 0x2D),
               pal::kBorder, QColor(0x2F, 0x34, 0x3C));
        p.fillRect(1, 1, size.width() - 2, kCaptionBand - 1, pal::kBand);
        p.fillRect(1, kCaptionBand, size.width() - 2, 1, pal::kBorder);
        // Under a left-aligned caption a short accent line marks the heading.
        if (accentMark)
            p.fillRect(12, kCaptionBand - 2, 28, 2, pal::kAccent);
    }
    CutOutside(image, RoundedPath(QRectF(0, 0, size.width(), size.height()), 4));
    return image;
}

QImage SeparatorImage()
{
    QImage image = Canvas({18, kCaptionBand}, pal::kBand);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(pal::kDim, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.drawPolyline(QPolygonF({QPointF(7, 8), QPointF(11, 12), QPointF(7, 16)}));
    return image;
}

// Group frame: 54 x 52, resize lines 25 and 32, title band on top.
QImage GroupFrame(bool enabled)
{
    QImage image = Canvas({54, 52}, pal::kPanel);
    {
        QPainter p(&image);
        const QColor plate = enabled ? kGroupPlate : kGroupPlateOff;
        Raised(p, QRectF(0, 0, 54, 52), 4, plate, plate, enabled ? pal::kBorder : QColor(0x32, 0x36, 0x3D),
               enabled ? QColor(0x38, 0x3D, 0x46) : plate);
    }
    CutOutside(image, RoundedPath(QRectF(0, 0, 54, 52), 4));
    return image;
}

void WriteGroup(SkinWriter& w, const QRect& rect, const QString& caption, const QMargins& buttons = {6, 18, 6, 6})
{
    WritePlace(w, rect);
    if (!caption.isEmpty())
        w.String("caption", caption);
    w.Image("background", "Backgrounds\\GroupBk.bmp", GroupFrame(true));
    w.Image("background_disabled", "Backgrounds\\GroupBkDisabled.bmp", GroupFrame(false));
    w.Long("resize_line_x", 25);
    w.Long("resize_line_y", 32);
    w.Colour("bkcolormask", pal::kMask.rgb());
    w.Colour("text_color", pal::kText2.rgb());
    WriteFont(w, 10, true);
    w.Long("buttons_ofs_left", buttons.left());
    w.Long("buttons_ofs_top", buttons.top());
    w.Long("buttons_ofs_right", buttons.right());
    w.Long("buttons_ofs_bottom", buttons.bottom());
}

// Slider pieces: a 40-pixel-wide slot face and a 20 x 11 thumb.
constexpr int kSliderWidth = 40;
constexpr QSize kThumb{20, 11};

QImage SliderFace(bool enabled)
{
    QImage image = Canvas({kSliderWidth, 40}, pal::kPanel);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(pal::kShadow, 1));
        p.setBrush(enabled ? pal::kWell : QColor(0x1E, 0x21, 0x26));
        p.drawRoundedRect(QRectF(16.5, 3.5, 7, 33), 3, 3);
        if (enabled) {
            p.setPen(QPen(QColor(0x2A, 0x2F, 0x36), 1));
            p.drawLine(QPointF(19.5, 6), QPointF(19.5, 34));
        }
    }
    // Only the slot belongs to the face; the ticks and the page show around it.
    CutOutside(image, RoundedPath(QRectF(16, 3, 8, 34), 3));
    return image;
}

QImage Thumb(const QColor& top, const QColor& bottom, const QColor& line)
{
    QImage image = Canvas(kThumb, pal::kPanel);
    {
        QPainter p(&image);
        Raised(p, QRectF(0, 0, kThumb.width(), kThumb.height()), 2, top, bottom, pal::kShadow,
               Mix(top, pal::kWhite, 0.12));
        p.fillRect(3, kThumb.height() / 2, kThumb.width() - 6, 1, line);
    }
    CutOutside(image, RoundedPath(QRectF(0, 0, kThumb.width(), kThumb.height()), 2));
    return image;
}

QImage ValueBox()
{
    // Stretched to the value cell: 4 pixels of page above and below a well.
    QImage image = Canvas({40, 27}, pal::kPanel);
    QPainter p(&image);
    Recess(p, QRect(1, 4, 38, 18), 3, pal::kWell);
    return image;
}

QImage SpinFace()
{
    QImage image = Canvas({60, 24}, pal::kPanel);
    {
        QPainter p(&image);
        Recess(p, QRect(0, 0, 60, 23), 3, pal::kWell);
    }
    return image;
}

QImage SpinArrow(bool up, int state) // 0 up, 1 over, 2 down, 3 disabled
{
    const QSize size(14, 10);
    const QColor back = state == 2 ? QColor(0x2A, 0x2F, 0x37) : pal::kWell;
    QImage image = Canvas(size, back);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink = state == 0 ? pal::kText2 : state == 1 ? pal::kWhite : state == 2 ? pal::kAccent : pal::kDim;
    // The triangle sits against the spin's middle, so the added rows of a
    // taller spin go to the outer edge (see the resize lines).
    const QRectF box(0, up ? 2 : -2, size.width(), size.height());
    (up ? glyph::ArrowUp : glyph::ArrowDown)(p, box, ink);
    return image;
}

} // namespace

void WritePageControls(SkinWriter& w)
{
    w.Section("Tree", "page tree inside the left well");
    WritePlace(w, kTree);
    w.Colour("bkcolor", kListBack.rgb());
    w.Colour("text_color", pal::kText.rgb());
    w.Colour("selected_text_color", pal::kWhite.rgb());
    w.Colour("selection_color", pal::kSelection.rgb());
    w.Colour("disabled_text_color", pal::kDim.rgb());
    w.Colour("disabled_color", kListBack.rgb());
    QImage bullet(16, 16, QImage::Format_ARGB32);
    bullet.fill(Qt::transparent);
    {
        QPainter p(&bullet);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(pal::kAccent);
        p.drawRoundedRect(QRectF(5.5, 5.5, 5, 5), 1.2, 1.2);
    }
    w.Icon("icon", "tree_icon.ico", bullet);
    WriteFont(w, 12, false);

    w.Section("PPage", "a page of controls, placed on the page area");
    w.Image("background", "Backgrounds\\PPageBk.bmp", PagePanel(false));
    w.Long("offset_left", kFrame.x());
    w.Long("offset_top", kFrame.y());
    w.Colour("bkcolormask", pal::kMask.rgb());

    w.Section("FrameCaption", "page header and its path parts");
    WriteStatic(w, {{0, 0, kFrame.width(), kCaptionBand}, {}, pal::kAccent, 11, true,
                    align::kLeft | align::kVCenter | align::kSingleLine, pal::kBand});
    w.Section("Separator", "between two parts of the page path");
    w.Long("offset_left", 0);
    w.Long("offset_top", 0);
    w.Long("width", 18);
    w.Long("height", kCaptionBand);
    w.Image("background", "Backgrounds\\Separator.bmp", SeparatorImage());
    w.Colour("bkcolor", pal::kBand.rgb());
    w.Colour("text_color", pal::kDim.rgb());
    w.Long("font_alignment", 37);
    WriteFont(w, 11, true);

    w.Section("Slider", "vertical parameter slider");
    w.Image("background", "Slider\\Slider.bmp", SliderFace(true));
    w.Image("background_disabled", "Slider\\SliderDisabled.bmp", SliderFace(false));
    w.Long("resize_line_x", 0);
    w.Long("resize_line_y", 20);
    w.Colour("bkcolormask", pal::kMask.rgb());
    w.Image("down", "Slider\\Thumb_Up.bmp", Thumb(QColor(0x6A, 0x72, 0x7E), QColor(0x4E, 0x55, 0x60), pal::kText));
    w.Image("up", "Slider\\Thumb_Down.bmp", Thumb(QColor(0x78, 0x80, 0x8C), QColor(0x5A, 0x61, 0x6C), pal::kAccent));
    w.Image("thumb_disabled", "Slider\\Thumb_Disabled.bmp",
            Thumb(QColor(0x3A, 0x3F, 0x48), QColor(0x33, 0x37, 0x3F), pal::kDim));
    w.Colour("thumbcolormask", pal::kMask.rgb());
    w.Colour("color", pal::kDim.rgb());
    w.Long("offset_top", 8);
    w.Long("offset_bottom", 8);
    w.Long("thumb_center", kThumb.height() / 2);

    w.Section("SliderCaption", "name over a slider");
    WriteStatic(w, {{0, 0, 80, 13}, {}, pal::kText2, 10, false, 37, {}});
    w.Section("SliderValue", "value box between caption and slider");
    WriteStatic(w, {{0, 13, 80, 27}, {}, pal::kText, 12, false, 37, {}});
    w.Image("background", "Slider\\SliderValueBk.bmp", ValueBox());
    w.Long("resize_line_x", 20);
    w.Long("resize_line_y", 13);

    w.Section("ButtonGroup", "multiple-choice parameter");
    WriteGroup(w, {0, 0, 120, 48}, {});
    w.Section("Button", "one choice inside a group");
    FaceSpec choice;
    choice.size = {40, 20};
    choice.kind = FaceKind::Toggle;
    choice.radius = 3;
    choice.surround = kGroupPlate;
    choice.cutCorners = false;
    WriteButton(w, "Buttons", "BtnGroup", choice,
                {.fontPx = 11, .bold = false, .rectShape = true, .stretchTo = QSize(40, 20),
                 .resizeLines = QPoint(20, 10), .margins = QPoint(16, 8)});

    w.Section("Spin", "stepped value with its arrows");
    WritePlace(w, {0, 0, 60, 20});
    w.Image("background", "Spin\\SpinBk.bmp", SpinFace());
    w.Long("resize_line_x", 30);
    w.Long("resize_line_y", 12);
    w.Colour("bkcolormask", pal::kMask.rgb());
    const char* states[4] = {"Up", "Over", "Down", "Disabled"};
    const char* keys[4] = {"up", "over", "down", "disabled"};
    for (int s = 0; s < 4; ++s)
        w.Image(QString("up_") + keys[s], QString("Spin\\Up_%1.bmp").arg(states[s]), SpinArrow(true, s));
    for (int s = 0; s < 4; ++s)
        w.Image(QString("down_") + keys[s], QString("Spin\\Down_%1.bmp").arg(states[s]), SpinArrow(false, s));
    w.Long("up_ofs_right", 2);
    w.Long("up_ofs_top", 2);
    w.Long("down_ofs_right", 2);
    w.Long("down_ofs_bottom", 3);
    w.Long("up_resize_x", 0);
    w.Long("up_resize_y", 0);
    w.Long("down_resize_x", 0);
    w.Long("down_resize_y", 9);
    w.Section("SpinEdit", "one field of a spin");
    WriteEdit(w, {0, 0, 40, 16}, pal::kWell, pal::kText, 12);
    w.Section("SpinStatic", "thin divider between two spin fields");
    WriteEdit(w, {0, 0, 2, 16}, pal::kBorder, pal::kText2, 10);
    w.Section("SpinCaption", "name over a spin");
    WriteStatic(w, {{0, 0, 80, 13}, {}, pal::kText2, 10, false, 37, {}});
}

namespace {

// The connection profiles: their list, and New, Rename and Delete under the
// name field.
void WriteProfileControls(SkinWriter& w)
{
    w.Section("ProfileList", "the stored connection profiles");
    WritePlace(w, kProfileList);
    w.Long("col_number", 1);
    w.Long("col0_width", kProfileList.width());
    w.Colour("bkcolor", kListBack.rgb());
    w.Colour("textcolor", pal::kText.rgb());
    w.Colour("selection_color", pal::kSelection.rgb());
    w.Colour("selected_text_color", pal::kWhite.rgb());
    WriteFont(w, 12, false);
    FaceSpec face;
    face.size = kProfileButton;
    face.kind = FaceKind::Push;
    face.radius = 3;
    face.surround = pal::kPanel;
    const char* buttons[3][2] = {{"BtnProfileNew", "New"}, {"BtnProfileRename", "Rename"},
                                 {"BtnProfileDelete", "Delete"}};
    for (int i = 0; i < 3; ++i) {
        w.Section(buttons[i][0]);
        WriteButton(w, "Buttons", "BtnProfile", face,
                    {.at = QPoint(kSettingsLabelX + i * (kProfileButton.width() + 6), kProfileButtonsTop),
                     .caption = buttons[i][1], .fontPx = 11, .bold = false});
    }
}

}  // namespace

void WriteSettingsPanel(SkinWriter& w)
{
    QImage panel = PagePanel(true);
    {
        QPainter p(&panel);
        for (int row : kSettingsRows)
            Recess(p, QRect(kSettingsEditX - 4, row - 2, kSettingsEdit.width() + 8, kSettingsEdit.height() + 4), 3,
                   pal::kWell);
        Recess(p, kProfileList.adjusted(-3, -3, 3, 3), 3, kListBack);
        DrawText(p, QRect(kProfileList.x(), kProfileList.y() - 22, kProfileList.width(), 16),
                 Qt::AlignLeft | Qt::AlignVCenter, "Profiles", 11, true, pal::kText2);
        DrawText(p, QRect(16, kFrame.height() - 24, kFrame.width() - 32, 16), Qt::AlignLeft | Qt::AlignVCenter,
                 "Serial ports run at 19200 baud, 8 data bits, no parity, one stop bit.", 10, false, pal::kDim);
    }
    w.Section("Settings", "connection settings on the page area while disconnected");
    w.Image("background", "Backgrounds\\SettingsBk.bmp", panel);
    w.Long("offset_left", kFrame.x());
    w.Long("offset_top", kFrame.y());
    w.Colour("bkcolormask", pal::kMask.rgb());
    w.String("statics", "SettingsCaption;SetStaticHost;SetStaticPort;SetStaticCodeLock;SetStaticName;SetStaticReconnect");

    w.Section("SettingsCaption");
    WriteStatic(w, {{14, 0, kFrame.width() - 28, kCaptionBand}, "Connection", pal::kAccent, 11, true,
                    align::kLeft | align::kVCenter | align::kSingleLine, {}});
    const char* labels[5][2] = {{"SetStaticHost", "Host"},      {"SetStaticPort", "UDP port"},
                                {"SetStaticCodeLock", "Lock code"}, {"SetStaticName", "Name"},
                                {"SetStaticReconnect", "Reconnect"}};
    const int labelRows[5] = {kSettingsRows[0], kSettingsRows[1], kSettingsRows[2], kSettingsRows[3], kReconnectRow};
    const char* edits[4] = {"SettingsHost", "SettingsPort", "SettingsCode", "SettingsName"};
    for (int i = 0; i < 5; ++i) {
        w.Section(labels[i][0]);
        WriteStatic(w, {{kSettingsLabelX, labelRows[i], kSettingsLabelWidth, kSettingsEdit.height()}, labels[i][1],
                        pal::kText2, 11, false, align::kRight | align::kVCenter | align::kSingleLine, {}});
    }
    for (int i = 0; i < 4; ++i) {
        w.Section(edits[i]);
        WriteEdit(w, {QPoint(kSettingsEditX, kSettingsRows[i]), kSettingsEdit}, pal::kWell, pal::kText, 12);
    }
    w.Section("ConnectGroup", "Ethernet or a serial port");
    WriteGroup(w, kConnectGroup, "Interface");
    WriteProfileControls(w);
    w.Section("ReconnectGroup", "Off or On: whether a lost link is reconnected by itself");
    WriteGroup(w, kReconnectGroup, {}, {3, 3, 3, 3});
}

void WriteWaitAndMenu(SkinWriter& w)
{
    QImage wait = Canvas(kWait, pal::kFace);
    {
        QPainter p(&wait);
        Raised(p, QRectF(0, 0, kWait.width(), kWait.height()), 6, pal::kPanel, pal::kFace, pal::kBorder,
               QColor(0x33, 0x38, 0x41));
    }
    CutOutside(wait, RoundedPath(QRectF(0, 0, kWait.width(), kWait.height()), 6));
    w.Section("Wait", "progress window while connecting");
    w.Image("background", "Backgrounds\\WaitBk.bmp", wait);
    w.Long("offset_left", 0);
    w.Long("offset_top", 0);
    w.Colour("bkcolormask", pal::kMask.rgb());
    w.String("statics", "WaitCaption");
    w.Section("WaitCaption");
    WriteStatic(w, {{0, 26, kWait.width(), 24}, "Wait while Connecting", pal::kText, 13, true, 37, {}});

    w.Section("ProgressBar", "running lights in the progress window");
    WritePlace(w, kProgressBar);
    QImage track = Canvas({40, 16}, pal::kPanel);
    {
        QPainter p(&track);
        Recess(p, QRect(0, 0, 40, 15), 3, pal::kShadow);
    }
    w.Image("background", "WaitDlg\\ProgressBk.bmp", track);
    w.Long("resize_line_x", 20);
    w.Long("resize_line_y", 8);
    w.Colour("bkcolormask", pal::kMask.rgb());
    auto piece = [](const QColor& colour) {
        QImage image = Canvas(kProgressPiece, pal::kMask);
        QPainter p(&image);
        p.fillRect(0, 0, kProgressPiece.width() - 2, kProgressPiece.height(), colour);
        p.fillRect(0, 0, kProgressPiece.width() - 2, 1, Mix(colour, pal::kWhite, 0.25));
        return image;
    };
    w.Image("active", "WaitDlg\\ProgressActive.bmp", piece(pal::kAccent));
    w.Image("inactive", "WaitDlg\\ProgressInactive.bmp", piece(QColor(0x2E, 0x33, 0x3B)));
    w.Colour("colormask", pal::kMask.rgb());
    w.Long("count", kProgressPieces);
    w.Long("ofs_left", 4);
    w.Long("ofs_top", 2);
    w.Long("speed", 50);

    w.Section("PopupMenu", "preset list context menu");
    w.Colour("bkcolor_normal", pal::kPanel.rgb());
    w.Colour("bkcolor_selected", pal::kSelection.rgb());
    w.Colour("textcolor_normal", pal::kText.rgb());
    w.Colour("textcolor_selected", pal::kWhite.rgb());
    WriteFont(w, 12, false);
}
