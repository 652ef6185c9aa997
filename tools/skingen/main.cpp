// skingen: draws the Vexlor skin (every BMP it names and skin.ini) into a
// folder, normally assets/skins/Vexlor, and the application icon at every
// size into an icon theme folder, normally assets/icons/hicolor. Run it after
// changing the look and commit what it writes; the build packs the committed
// files.

#include "AppIcon.h"
#include "Elements.h"
#include "Paint.h"
#include "SkinWriter.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace {

const char* const kHeader = R"(// Vexlor skin: written by tools/skingen; edit the generator, not this file.
//
// Main window, 783 x 470 (DlgMain), corners cut by the mask colour #FF00FF:
//
//   +--------------------------------------------------------------------------+
//   | (14,14) Leds 489 x 136                     | VEXLOR REMOTE    [_] [x]     |
//   |   meter panel, one background per model    | [ Connect / Disconnect    ]  |
//   |                                            | PRESET COMPARE -----------   |
//   |                                            | [     A     ] [     B     ]  |
//   |------------------------------------------------------ divider y 162 -----|
//   | [ Pages ][ Presets ]   (14,176)  | (229,176) Frame 540 x 280: the page    |
//   | +---------------------------+-+  |   area. PPage and Settings sit here;   |
//   | | Tree or List (16,210)     |^|  |   a page's FrameCaption band (24 px)   |
//   | |   180 x 206               | |  |   runs along its top, and its controls |
//   | |                           |v|  |   follow the 10-pixel grid below it.   |
//   | +---------------------------+-+  |                                        |
//   | [ld][sv][rn][lf][sf]  (14,426)   |                                        |
//   +--------------------------------------------------------------------------+
//
// Scroll buttons: BtnScrollUp (198,210) and BtnScrollDown (198,314), 14 x 102.
// Preset icons: 36 x 30, every 41 px from x 14. Window buttons: minimise
// (717,12) and exit (745,12). Buttons whose width is 0 take the size of their
// faces. Colours are "#RRGGBB"; font_height is a pixel size.
)";

void WriteSkin(SkinWriter& w)
{
    WriteMainWindow(w);
    WriteWindowButtons(w);
    WritePresetControls(w);
    WritePresetList(w);
    WriteMeters(w);
    WritePageControls(w);
    WriteSettingsPanel(w);
    WriteWaitAndMenu(w);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: skingen <skin folder> [<icon theme folder>]\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);

    // Every image twice: at scale 1, and its twin at scale 2 drawn by the same
    // code, for screens with twice the pixels. Both passes must describe the
    // same skin.
    SkinWriter w(QString::fromLocal8Bit(argv[1]));
    WriteSkin(w);
    SetDrawingScale(2);
    SkinWriter twins(QString::fromLocal8Bit(argv[1]), 2);
    WriteSkin(twins);
    SetDrawingScale(1);
    bool ok = w.Finish(kHeader) && twins.Finish({});
    if (twins.Statements() != w.Statements()) {
        std::fprintf(stderr, "skingen: the scale 2 pass describes another skin\n");
        ok = false;
    }
    const bool iconsOk = argc < 3 || WriteAppIcons(QString::fromLocal8Bit(argv[2]));
    return ok && iconsOk ? 0 : 1;
}
