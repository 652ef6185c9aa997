#include "description/ui/ParamSpinField.h"

#include "description/ParameterModel.h"
#include "description/ui/PageServices.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinSpinEvent.h"

CParamSpinField::CParamSpinField(CSkinManager& manager, const ControlRecord& record, CSkinSpin& spin,
                                 int fieldIndex, const PageServices& services)
    : CSkinEdit("SpinEdit", manager), records_{record}, spin_(spin), fieldIndex_(fieldIndex), services_(services)
{
    setAlignment(Qt::AlignCenter);
    setAccessibleName(QString::fromStdString(record.name));
    // Only live readings are polled; other fields need no timer at all.
    if (record.a == kPolledGroup) {
        connect(&poll_, &QTimer::timeout, this, &CParamSpinField::Poll);
        poll_.start(services_.pollPeriod);
    }
}

void CParamSpinField::SetDeviceValue(std::uint8_t raw)
{
    spin_.SetValue(raw, fieldIndex_, false);
}

void CParamSpinField::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    bool anyEnabled = false;
    for (const CParamSpinField* field : spin_.findChildren<CParamSpinField*>(Qt::FindDirectChildrenOnly))
        anyEnabled = anyEnabled || field->isEnabledTo(&spin_);
    spin_.setEnabled(anyEnabled);
}

void CParamSpinField::Poll()
{
    const ControlRecord& r = records_.front();
    // The page is the spin's parent; a hidden page, or one still being walked, is not polled.
    const QWidget* page = spin_.parentWidget();
    if (r.a != kPolledGroup || !page || !page->isVisible()) return;
    if (services_.readParameter) services_.readParameter(r.a, r.b, r.c);
}

void CParamSpinField::WriteFieldValue()
{
    const ControlRecord& r = records_.front();
    if (services_.writeParameter)
        services_.writeParameter(r.a, r.b, r.c, RawFromSpinValue(spin_.GetValue(fieldIndex_)), false);
}

bool CParamSpinField::event(QEvent* event)
{
    if (event->type() == CSkinSpinEvent::kType) WriteFieldValue();
    return CSkinEdit::event(event);
}
