#include "ElementHelpers.h"
#include "Elements.h"
#include "Layout.h"
#include "MeterArt.h"
#include "Paint.h"

#include "meters/MeterLayout.h"

#include <QLinearGradient>

using namespace layout;

namespace {

// A 1-pixel dark line with a light line under it: a groove in the face.
void Groove(QPainter& p, int x0, int x1, int y)
{
    p.fillRect(x0, y, x1 - x0, 1, pal::kShadow);
    p.fillRect(x0, y + 1, x1 - x0, 1, pal::kFaceTop);
}

QImage MainBackground()
{
    QImage image = Canvas(kWindow, pal::kFace);
    {
        QPainter p(&image);
        QLinearGradient face(0, 0, 0, kWindow.height());
        face.setColorAt(0, QColor(0x22, 0x25, 0x2C));
        face.setColorAt(1, pal::kFaceLow);
        Raised(p, QRectF(0, 0, kWindow.width(), kWindow.height()), 10, QColor(0x22, 0x25, 0x2C),
               pal::kFaceLow, pal::kBorder, pal::kFaceTop);

        // Wells for the meter band, the tree or list with its scroll rail, and the page area.
        Recess(p, kLeds.adjusted(-2, -2, 2, 2), 3, pal::kShadow);
        Recess(p, kListPanel, 3, QColor(0x1B, 0x1E, 0x23));
        Recess(p, kFrame.adjusted(-2, -2, 2, 2), 5, pal::kShadow);

        // Product name and the compare caption.
        p.setRenderHint(QPainter::TextAntialiasing, true);
        DrawText(p, kWordmark, Qt::AlignLeft | Qt::AlignVCenter, "VEXLOR", 17, true, pal::kText, 3);
        DrawText(p, kWordmark.adjusted(94, 2, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, "REMOTE", 10, true,
                 pal::kAccent, 2);
        DrawText(p, kCompareLabel, Qt::AlignLeft | Qt::AlignVCenter, "PRESET COMPARE", 9, true, pal::kText2,
                 1.2);
        Groove(p, kCompareLabel.left() + 106, kCompareLabel.right(), kCompareLabel.center().y());

        Groove(p, 14, kWindow.width() - 14, kDividerY);
    }
    CutOutside(image, RoundedPath(QRectF(0, 0, kWindow.width(), kWindow.height()), 10));
    return image;
}

FaceSpec OnFace(QSize size, FaceKind kind, Glyph glyph = {}, double radius = 4)
{
    FaceSpec spec;
    spec.size = size;
    spec.kind = kind;
    spec.radius = radius;
    spec.surround = pal::kFace;
    spec.glyph = std::move(glyph);
    return spec;
}

} // namespace

void WriteMainWindow(SkinWriter& w)
{
    w.Section("DlgMain", "the main window: shape, face and caption");
    w.Image("background", "Backgrounds\\DlgBk.bmp", MainBackground());
    w.Long("offset_left", 0);
    w.Long("offset_top", 0);
    w.Colour("bkcolormask", pal::kMask.rgb());
    w.Long("transparency", 0);
    w.String("caption", "Vexlor Remote");

    w.Section("Frame", "hidden; its rectangle is the page area");
    WriteStatic(w, {kFrame, {}, pal::kText, 10, false, align::kLeft, {}});
}

void WriteWindowButtons(SkinWriter& w)
{
    w.Section("BtnConnect");
    WriteButton(w, "Buttons", "BtnConnect", OnFace(kConnect.size(), FaceKind::Push),
                {.at = kConnect.topLeft(), .caption = "Connect", .fontPx = 13});
    w.Section("BtnDisconnect", "the connect button while connected");
    WriteButton(w, "Buttons", "BtnDisconnect", OnFace(kConnect.size(), FaceKind::Live),
                {.at = kConnect.topLeft(), .caption = "Disconnect", .fontPx = 13});

    w.Section("BtnA", "compare: the stored preset");
    WriteButton(w, "Buttons", "BtnA", OnFace(kButtonA.size(), FaceKind::Toggle),
                {.at = kButtonA.topLeft(), .caption = "A", .tip = "Stored preset", .fontPx = 14, .stick = true});
    w.Section("BtnB", "compare: the edited sound");
    WriteButton(w, "Buttons", "BtnB", OnFace(kButtonB.size(), FaceKind::Toggle),
                {.at = kButtonB.topLeft(), .caption = "B", .tip = "Edited sound", .fontPx = 14, .stick = true});

    w.Section("BtnMinimize");
    WriteButton(w, "Buttons", "BtnMinimize", OnFace(kMinimise.size(), FaceKind::Push, glyph::Minimise),
                {.at = kMinimise.topLeft(), .tip = "Minimise", .drawText = false});
    w.Section("BtnExit");
    WriteButton(w, "Buttons", "BtnExit", OnFace(kExit.size(), FaceKind::Push, glyph::Close),
                {.at = kExit.topLeft(), .tip = "Exit", .drawText = false});

    w.Section("BtnMenu", "view switch: page tree");
    WriteButton(w, "Buttons", "BtnMenu", OnFace(kViewPages.size(), FaceKind::Toggle),
                {.at = kViewPages.topLeft(), .caption = "Pages", .stick = true});
    w.Section("BtnPresets", "view switch: preset list");
    WriteButton(w, "Buttons", "BtnPresets", OnFace(kViewPresets.size(), FaceKind::Toggle),
                {.at = kViewPresets.topLeft(), .caption = "Presets", .stick = true});

    w.Section("BtnScrollUp", "scroll rail beside the tree and list");
    WriteButton(w, "Buttons", "BtnScrollUp", OnFace(kScrollUp.size(), FaceKind::Push, glyph::ArrowUp, 3),
                {.at = kScrollUp.topLeft(), .drawText = false});
    w.Section("BtnScrollDown");
    WriteButton(w, "Buttons", "BtnScrollDown", OnFace(kScrollDown.size(), FaceKind::Push, glyph::ArrowDown, 3),
                {.at = kScrollDown.topLeft(), .drawText = false});
}

void WriteMeters(SkinWriter& w)
{
    using meterart::LedLook;
    w.Section("Leds", "meter panel; one background per processor model");
    w.Long("offset_left", kLeds.x());
    w.Long("offset_top", kLeds.y());
    w.Long("width", kLeds.width());
    w.Long("height", kLeds.height());
    const QSize large = meterart::kLargeLed;
    const QSize small = meterart::kSmallLed;
    w.Image("led1", "Leds\\Ledlarge1.bmp", meterart::Led(large, LedLook::Off));
    w.Image("led2", "Leds\\Ledlarge2.bmp", meterart::Led(large, LedLook::On));
    w.Image("led3", "Leds\\Ledlarge3.bmp", meterart::Led(large, LedLook::Over));
    w.Image("led4", "Leds\\Ledsmall1.bmp", meterart::Led(small, LedLook::Off));
    w.Image("led5", "Leds\\Ledsmall2.bmp", meterart::Led(small, LedLook::On));
    w.Image("led6", "Leds\\Ledsmall3.bmp", meterart::Led(small, LedLook::Over));
    w.Image("led7", "Leds\\Ledsmall4.bmp", meterart::Led(small, LedLook::Aux));
    w.Image("background", "Leds\\LedsBk.bmp", meterart::EmptyBackground());
    for (const MeterLayout& layout : AllMeterLayouts()) {
        if (layout.model.empty())
            continue;
        const QString key = "LedsBk" + QString::fromLatin1(layout.model.data(), static_cast<int>(layout.model.size()));
        w.Image(key, "Leds\\" + key + ".bmp", meterart::Background(layout));
    }
}

void WritePresetControls(SkinWriter& w)
{
    struct Icon {
        const char* element;
        const char* file;
        const char* tip;
        Glyph glyph;
    };
    const Icon icons[5] = {
        {"PresetIconLoad", "BtnPresetLoad", "Load preset", glyph::Load},
        {"PresetIconSave", "BtnPresetSave", "Save preset", glyph::Save},
        {"PresetIconRename", "BtnPresetRename", "Rename preset", glyph::Rename},
        {"PresetIconLoadFile", "BtnPresetLoadF", "Load preset from file", glyph::LoadFile},
        {"PresetIconSaveFile", "BtnPresetSaveF", "Save preset to file", glyph::SaveFile},
    };
    for (int i = 0; i < 5; ++i) {
        w.Section(icons[i].element, i == 0 ? "preset commands under the list" : "");
        const QPoint at(14 + kPresetIconStep * i, kPresetIconTop);
        WriteButton(w, "Icons", icons[i].file, OnFace(kPresetIcon, FaceKind::Push, icons[i].glyph),
                    {.at = at, .tip = icons[i].tip, .drawText = false});
    }
}

namespace {

QImage MenuIcon(const Glyph& glyph)
{
    // Drawn on the menu's own colour: the icon column keeps that colour even
    // under a highlighted item, so no mask pixels (and no fringes) are needed.
    QImage image = Canvas({16, 16}, pal::kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    glyph(p, QRectF(0, 0, 16, 16), pal::kText2);
    return image;
}

} // namespace

void WritePresetList(SkinWriter& w)
{
    w.Section("List", "preset list, in the same well as the tree");
    WritePlace(w, kTree);
    w.Long("col_number", 2);
    w.Long("col0_width", 36);
    w.Long("col1_width", kTree.width() - 36);
    w.Colour("bkcolor", QColor(0x1B, 0x1E, 0x23).rgb());
    w.Colour("textcolor", pal::kText.rgb());
    w.Colour("current_text_color", pal::kAccent.rgb());
    w.Colour("selection_color", pal::kSelection.rgb());
    w.Colour("selected_text_color", pal::kWhite.rgb());
    w.Image("icon_load", "Icons\\MenuLoad.bmp", MenuIcon(glyph::Load));
    w.Image("icon_save", "Icons\\MenuSave.bmp", MenuIcon(glyph::Save));
    w.Image("icon_rename", "Icons\\MenuRename.bmp", MenuIcon(glyph::Rename));
    w.Image("icon_loadfile", "Icons\\MenuLoadFile.bmp", MenuIcon(glyph::LoadFile));
    w.Image("icon_savefile", "Icons\\MenuSaveFile.bmp", MenuIcon(glyph::SaveFile));
    w.Colour("icon_colormask", pal::kMask.rgb());
    WriteFont(w, 12, false);

    w.Section("ListEdit", "in-place editor of a preset name");
    WriteEdit(w, {0, 0, kTree.width() - 36, 18}, QColor(0x2E, 0x33, 0x3B), pal::kWhite, 12);
}
