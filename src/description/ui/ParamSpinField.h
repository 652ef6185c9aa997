#pragma once

#include "views/Views.h"
#include "description/DescriptionTree.h"
#include "skin/ui/SkinEdit.h"

#include <QTimer>

class CSkinSpin;
struct PageServices;

// One field of a spin, bound to one parameter: the edit in which the spin shows
// the field's value. A value the operator sets (arrows, typing, or a carry from
// the field below) is written; a parameter of address group 5 is read again
// every second while the page is on screen.
class CParamSpinField : public CSkinEdit, public IBoundControl {
    Q_OBJECT
public:
    static constexpr std::uint8_t kPolledGroup = 5;

    CParamSpinField(CSkinManager& manager, const ControlRecord& record, CSkinSpin& spin, int fieldIndex,
                    const PageServices& services);

    std::vector<ControlRecord>& Records() override { return records_; }
    void SetDeviceValue(std::uint8_t raw) override;
    // The spin's arrows act on its fields: they stop when every field is off.
    void SetEnabled(bool enabled) override;

    int FieldIndex() const { return fieldIndex_; }
    // One tick of the re-read timer.
    void Poll();

protected:
    bool event(QEvent* event) override;

private:
    void WriteFieldValue();

    std::vector<ControlRecord> records_;
    CSkinSpin& spin_;
    int fieldIndex_;
    const PageServices& services_;
    QTimer poll_;
};
