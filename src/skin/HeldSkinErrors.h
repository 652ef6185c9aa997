#pragma once

#include "skin/SkinErrors.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

// Holds skin messages until they can be shown (a message box needs the
// application object, which a skin read early does not wait for), then passes
// them on in order, and every later message straight away. Safe on any thread.
class CHeldSkinErrors : public ISkinErrorSink {
public:
    explicit CHeldSkinErrors(ISkinErrorSink& target) : target_(target) {}

    void OnSkinError(const std::string& text, Icon icon) override;
    // Says what was held; from now on messages go straight to the target.
    void Release();

private:
    ISkinErrorSink& target_;
    std::mutex mutex_;
    bool held_ = true;
    std::vector<std::pair<std::string, Icon>> messages_;
};
