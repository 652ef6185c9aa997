#pragma once

#include "views/Views.h"
#include "description/DescriptionTree.h"
#include "skin/ui/SkinButtonGroup.h"

struct PageServices;

// A button group bound to one parameter: the pressed button's index is the
// raw value. Choosing another button writes its index at once.
class CParamButtonGroup : public CSkinButtonGroup, public IBoundControl {
    Q_OBJECT
public:
    CParamButtonGroup(CSkinManager& manager, const ControlRecord& record, const PageServices& services);

    std::vector<ControlRecord>& Records() override { return records_; }
    void SetDeviceValue(std::uint8_t raw) override { Select(raw); }
    void SetEnabled(bool enabled) override { setEnabled(enabled); }

protected:
    void OnSelect(int index) override;

private:
    std::vector<ControlRecord> records_;
    const PageServices& services_;
};
