#pragma once

#include "skin/ui/SkinWnd.h"

class CSkinAnimation;

// The progress window "Wait" shown while connecting: its face with the label
// "Wait while Connecting" and the running lights of "ProgressBar". A frameless
// window of its own over its owner, placed by the owner.
class CWaitWindow : public CSkinWnd {
public:
    CWaitWindow(CSkinManager& manager, QWidget* owner);
    ~CWaitWindow() override;

    // Centres the window over `area` (global coordinates) and shows it painted.
    void ShowCentredOver(const QRect& area);
    CSkinAnimation& Animation() const { return *animation_; }

private:
    CSkinAnimation* animation_;
};
