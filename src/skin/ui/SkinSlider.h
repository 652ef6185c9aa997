#pragma once

#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinSliderGeometry.h"

#include <QImage>
#include <QRegion>
#include <QSlider>

// A vertical slider drawn from its skin element: a stretched track face, tick
// marks and a thumb with one face each for normal, dragging and disabled. The
// range minimum is at the top. A click on the track jumps there, a drag keeps
// the grab point under the cursor; arrows, Page Up/Down, Home/End and the wheel
// work as on any slider and report through actionTriggered.
//
// The creator sets range, value and geometry with QSlider's own operations and
// names the slider with setAccessibleName (its caption).
class CSkinSlider : public QSlider, public CSkinClient {
    Q_OBJECT
public:
    CSkinSlider(std::string element, CSkinManager& manager);
    ~CSkinSlider() override;

    // Makes the slider a visible child of parent with the control identifier.
    void Create(QWidget* parent, int controlId);
    void ApplySkin() override;

    SkinSliderGeometry Geometry() const;
    QRect ThumbRect() const { return Geometry().ThumbRect(value()); }
    bool IsDragging() const { return dragging_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Qt sends no release to a disabled or hidden slider: disabling, hiding and
    // losing the focus all end a drag.
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void EndDrag();
    void StretchFaces();
    void DrawTicks(QPainter& painter, const SkinSliderGeometry& geometry) const;
    void DrawThumb(QPainter& painter, const QRect& thumb) const;

    QImage face_, disabledFace_; // stretched to the slider's height
    QRegion frame_;
    QImage thumbNormal_, thumbDragging_, thumbDisabled_;
    QRegion regionNormal_, regionDragging_, regionDisabled_;
    QColor tickColour_;
    int offsetTop_ = 0, offsetBottom_ = 0, thumbCenter_ = 0;
    bool dragging_ = false;
    int dragOffset_ = 0; // from the cursor to the thumb's centre line
};
