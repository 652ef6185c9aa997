#pragma once

#include <string>

// The one caption of every message the skin engine shows.
inline constexpr const char* kSkinErrorCaption = "Skin Error";

// Where the skin engine's messages go. The Qt skin shows them as message boxes
// with the caption above; tests collect them.
class ISkinErrorSink {
public:
    enum class Icon { None, Error };

    virtual ~ISkinErrorSink() = default;
    virtual void OnSkinError(const std::string& text, Icon icon) = 0;
};
