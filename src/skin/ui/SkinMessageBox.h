#pragma once

#include "skin/SkinErrors.h"

// Shows skin messages as modal message boxes captioned "Skin Error", with an
// OK button and the error icon when the message asks for one.
class CSkinMessageBox : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon icon) override;
};
