#pragma once

#include "skin/ui/SkinClient.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QRegion>
#include <QTimer>

#include <array>
#include <optional>

// A push button drawn from five state faces of its skin element ("up",
// "down", "over", "disabled", "down_disabled"), each stretched to the
// button's size along the resize lines; a face the skin lacks is taken from
// the state before it in that order. The button's shape is the "up" face less
// its "bkcolormask" pixels (or its whole rectangle with "rgn_rect"); only the
// shape takes clicks and hover. With "stick" it stays down after a click until
// SetStuck(false). Space and Enter press it when it has the keyboard focus.
class CSkinButton : public QAbstractButton, public CSkinClient {
    Q_OBJECT

public:
    // The state faces, in the order in which a missing one falls back.
    enum class Face { Up, Down, Over, Disabled, DownDisabled };
    static constexpr int kFaceCount = 5;
    // How long the skin's tooltip stays up.
    static constexpr int kTipShowMs = 34464;

    CSkinButton(std::string element, CSkinManager& manager);
    ~CSkinButton() override;

    // Makes the button a visible child of parent with that control identifier
    // and applies the skin.
    void Create(QWidget* parent, int controlId);

    // Takes place, faces, shape, font, caption and tooltip from the skin. A
    // button placed with Place keeps its place.
    void ApplySkin() override;

    // Puts the button at rect (in its parent) and keeps it there on a new skin.
    void Place(const QRect& rect);

    // The stuck button shows its down face. Stuck is Qt's checked state, so
    // screen readers say "pressed"; a button becomes checkable when it first
    // sticks. Callers repaint with update().
    void SetStuck(bool stuck);
    bool IsStuck() const { return isChecked(); }

    // The extent of text in the button's font plus the skin's x_margin and y_margin.
    QSize GetTextSize(const QString& text) const;

    // What the button shows now, and the pieces it is drawn from.
    Face CurrentFace() const;
    bool IsHover() const { return hover_; }
    const QRegion& Shape() const { return shape_; }
    // A face is read and stretched when first drawn: most buttons never show
    // most of their faces, and the first window comes up sooner without them.
    const QImage& FaceImage(Face face) const;
    QColor TextColour(Face face) const { return textColours_[static_cast<std::size_t>(face)]; }

    // Draws the button as it looks in face with text (and the focus mark when
    // focused) at the painter's origin, in the button's size. A button group
    // draws each of its buttons this way from one hidden model button.
    void PaintLook(QPainter& painter, Face face, const QString& text, bool focused) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    // The click's own step, before the clicked signal: a sticking button sticks.
    void nextCheckState() override;

private:
    void RebuildFaces();
    void SetHover(bool hover);
    void ShowTip();

    mutable std::array<std::optional<QImage>, kFaceCount> faces_; // none until first drawn
    QSize facesSize_; // the size faces_ and shape_ were made for
    std::array<QColor, kFaceCount> textColours_;
    QRegion shape_;
    bool hover_ = false;
    bool stick_ = false;
    bool drawText_ = false;
    bool placedByOwner_ = false;
    QString tip_;
    QTimer tipTimer_;
};
