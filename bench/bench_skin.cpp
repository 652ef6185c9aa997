// Time from process start to every skin value and image the main window needs,
// read from the archive appended to this program (as the application reads its
// own), including the main window's shape.
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinRequiredKeys.h"

#include <QImage>
#include <QApplication>
#include <QWidget>

#include <chrono>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// Milliseconds since the kernel started this process: its start time in clock
// ticks (10 ms) from /proc/self/stat against the boot-time clock.
std::optional<double> MsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) {
            timespec now{};
            clock_gettime(CLOCK_BOOTTIME, &now);
            const double startMs = std::stod(field) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
            return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6 - startMs;
        }
    return std::nullopt;
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

int LoadMainWindow(CSkin& skin, const QWidget& user, int scale = 1)
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
                loaded += !skin.GetImage(spec.element, key.property, &user, scale).isNull();
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
    const QImage face = skin.GetImage("DlgMain", "background", &user, scale);
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
    const Clock::time_point describe = Clock::now();
    const bool described = manager.LoadSkin("Vexlor");
    const double describeMs = Ms(describe);
    if (!described || manager.Skin()->Core().Values().Empty()) {
        std::fprintf(stderr, "bench_skin: the skin archive is not appended\n");
        return 1;
    }
    QWidget user;
    const int loaded = LoadMainWindow(*manager.Skin(), user);
    const double fromMain = Ms(start);
    const std::optional<double> fromStart = MsSinceProcessStart();

    // Every other image as well, for comparison.
    const Clock::time_point rest = Clock::now();
    int all = 0;
    for (const auto& [key, path] : manager.Skin()->Core().Values().images) {
        const auto split = key.find("::");
        all += !manager.Skin()->GetImage(key.substr(0, split), key.substr(split + 2), &user).isNull();
    }
    // The main window's images again from their twins, as on a screen of ratio 2.
    CSkinManager twins("Skins", &errors);
    twins.LoadSkin("Vexlor");
    const Clock::time_point twinStart = Clock::now();
    LoadMainWindow(*twins.Skin(), user, 2);
    const double twinMs = Ms(twinStart);
    std::printf("skin_main_window_2x_images_ms: %.1f\n", twinMs);
    std::printf("skin_load_ms: %.1f\n", fromStart.value_or(fromMain));
    std::printf("skin_load_from_main_ms: %.1f\n", fromMain);
    std::printf("skin_app_start_ms: %.1f\n", appMs);
    std::printf("skin_description_ms: %.1f\n", describeMs);
    std::printf("skin_main_window_items: %d\n", loaded);
    std::printf("skin_remaining_images_ms: %.1f\n", Ms(rest));
    std::printf("skin_images_total: %d\n", all);
    return errors.count == 0 ? 0 : 1;
}
