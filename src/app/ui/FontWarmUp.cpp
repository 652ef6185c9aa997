#include "app/ui/FontWarmUp.h"

#include <system_error>

namespace {

bool HasCacheFolders(FcConfig* config)
{
    FcStrList* folders = FcConfigGetCacheDirs(config);
    const bool any = folders != nullptr && FcStrListNext(folders) != nullptr;
    FcStrListDone(folders);
    return any;
}

void WarmUp()
{
    if (FcConfig* config = CFontWarmUp::LoadEnabledConfig()) {
        // Made current only now, complete; the current configuration holds a
        // reference of its own. Replacing one Qt loaded meanwhile is safe, as
        // when fontconfig reloads after a font change.
        FcConfigSetCurrent(config);
        FcConfigDestroy(config);
    }
    // A no-op after the above; else fontconfig loads and mends as always.
    FcInit();
}

}  // namespace

FcConfig* CFontWarmUp::LoadEnabledConfig()
{
    FcConfig* config = FcConfigCreate();
    if (config == nullptr)
        return nullptr;
    // Complaining, or a file that does not parse would pass as loaded.
    if (FcConfigParseAndLoad(config, nullptr, FcTrue) && HasCacheFolders(config) && FcConfigBuildFonts(config))
        return config;
    FcConfigDestroy(config);
    return nullptr;
}

CFontWarmUp::CFontWarmUp()
{
    try {
        thread_ = std::thread(WarmUp);
    } catch (const std::system_error&) {
        // No thread to spare: Qt loads fontconfig when it needs it, as always.
    }
}

CFontWarmUp::~CFontWarmUp()
{
    if (thread_.joinable()) thread_.join();
}
