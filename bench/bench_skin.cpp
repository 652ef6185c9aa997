// Time from the start of main to every skin value and image the main window
// needs, read from the archive appended to this program (as the application
// reads its own), including the main window's shape.
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinRequiredKeys.h"

#include <QImage>
#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

class Silent : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon) override
    {
        std::fprintf(stderr, "skin error: %s\n", text.c_str());
        ++count;
    }
    int count = 0;
};

// Elements that exist as soon as the main window is up (pages, the progress
// window and menus come later).
const std::set<std::string> kMainWindow = {
    "DlgMain", "Leds", "BtnConnect", "BtnExit", "BtnMinimize", "BtnA", "BtnB", "BtnMenu", "BtnPresets",
    "BtnScrollUp", "BtnScrollDown", "PresetIconLoad", "PresetIconSave", "PresetIconRename",
    "PresetIconLoadFile", "PresetIconSaveFile", "Tree", "List", "Frame", "Settings", "SettingsCaption",
    "SetStaticHost", "SetStaticPort", "SetStaticCodeLock", "SettingsHost", "SettingsPort", "SettingsCode",
    "ConnectGroup", "Button"};

int LoadMainWindow(CSkin& skin, const QWidget& user)
{
    int loaded = 0;
    long sum = 0;
    for (const SkinElementSpec& spec : SkinElementSpecs()) {
        if (!kMainWindow.count(spec.element))
            continue;
        for (const SkinKeySpec& key : spec.keys) {
            switch (key.type) {
            case SkinValueType::Image:
                // The meter shows one model's background, not all thirteen.
                if (key.property.starts_with("LedsBk"))
                    continue;
                loaded += !skin.GetImage(spec.element, key.property, &user).isNull();
                break;
            case SkinValueType::Icon:
                loaded += !skin.GetIcon(spec.element, key.property, &user).isNull();
                break;
            case SkinValueType::Long:
                sum += skin.GetLong(spec.element, key.property);
                break;
            case SkinValueType::String:
                sum += skin.GetString(spec.element, key.property).size();
                break;
            }
        }
    }
    const QImage face = skin.GetImage("DlgMain", "background", &user);
    const QRegion shape =
        RegionFromBitmap(face, static_cast<std::uint32_t>(skin.GetLong("DlgMain", "bkcolormask")));
    return sum == -1 ? 0 : loaded + (shape.isEmpty() ? 0 : 1);
}

} // namespace

int main(int argc, char* argv[])
{
    const Clock::time_point start = Clock::now();
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const double appMs = Ms(start);

    Silent errors;
    CSkinManager manager("Skins", &errors);
    if (!manager.LoadSkin("Vexlor") || manager.Skin()->Core().Values().Empty()) {
        std::fprintf(stderr, "bench_skin: the skin archive is not appended\n");
        return 1;
    }
    QWidget user;
    const int loaded = LoadMainWindow(*manager.Skin(), user);
    const double total = Ms(start);

    // Every other image as well, for comparison.
    const Clock::time_point rest = Clock::now();
    int all = 0;
    for (const auto& [key, path] : manager.Skin()->Core().Values().images) {
        const auto split = key.find("::");
        all += !manager.Skin()->GetImage(key.substr(0, split), key.substr(split + 2), &user).isNull();
    }
    std::printf("skin_load_ms: %.1f\n", total);
    std::printf("skin_app_start_ms: %.1f\n", appMs);
    std::printf("skin_main_window_items: %d\n", loaded);
    std::printf("skin_remaining_images_ms: %.1f\n", Ms(rest));
    std::printf("skin_images_total: %d\n", all);
    return errors.count == 0 ? 0 : 1;
}
