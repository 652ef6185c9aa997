#pragma once

#include "skin/ui/SkinItemView.h"

// The skinned report list (the preset list): columns with captions and widths
// from the skin (col_number, col<i>_caption, col<i>_width), skin colours and
// font, no scroll bars. The header shows only when some column has a caption.
class CSkinList : public CSkinItemView {
    Q_OBJECT
public:
    CSkinList(std::string element, CSkinManager& manager);

    void ApplySkin() override;

    // The first selected row, or -1.
    int GetSelectedIndex() const;

private:
    void ApplyColumns();
};
