#pragma once

#include "views/Views.h"
#include "description/DescriptionTree.h"
#include "description/SliderSendGate.h"
#include "skin/ui/SkinSlider.h"
#include "skin/ui/SkinStatic.h"

#include <QPointer>
#include <QTimer>

struct PageServices;

// A slider bound to one parameter: shows the processor's value, shows its own
// value text under the caption while it moves, and writes what the operator
// sets, at most every 200 ms while dragging and once more on release. A value
// held back by the 200 ms pacing goes out when the pacing allows (a slider held
// still, the last wheel notch or key stroke), so the processor always ends on
// what the slider shows. A held-back value is dropped when the slider is
// disabled or the processor reports a value, so it never overtakes either.
class CParamSlider : public CSkinSlider, public IBoundControl {
    Q_OBJECT
public:
    CParamSlider(CSkinManager& manager, const ControlRecord& record, CSkinStatic* valueWindow,
                 const PageServices& services);

    std::vector<ControlRecord>& Records() override { return records_; }
    void SetDeviceValue(std::uint8_t raw) override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }

    // The raw value the slider stands at now.
    std::uint8_t Raw() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Refresh();
    void Send();
    // The operator let go: the final value goes out unless just sent.
    void SendFinal();
    // After the base handling may have moved the thumb.
    void FollowPosition();

    std::vector<ControlRecord> records_;
    QPointer<CSkinStatic> valueWindow_;  // the page owns it
    const PageServices& services_;
    CSliderSendGate gate_;
    QTimer heldBack_;  // sends the value the pacing held back
};
