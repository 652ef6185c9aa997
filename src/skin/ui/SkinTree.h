#pragma once

#include "skin/ui/SkinItemView.h"

// The skinned tree (the main window's page tree): item colours per state
// (selected, disabled, normal), one icon before every item, no scroll bars.
class CSkinTree : public CSkinItemView {
    Q_OBJECT
public:
    CSkinTree(std::string element, CSkinManager& manager);

    void ApplySkin() override;
};
