#pragma once

#include "app/ui/InterimControls.h"

class CSkinManager;

// The progress window "Wait" shown while connecting: "Wait while Connecting"
// over the running lights of "ProgressBar". A frameless window of its own,
// placed by its owner.
class CWaitWindow : public CInterimFace {
public:
    CWaitWindow(CSkinManager& manager, QWidget* owner);

    // Centres the window over `area` (global coordinates) and shows it painted.
    void ShowCentredOver(const QRect& area);
};
