#pragma once

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinWnd.h"

#include <QAccessible>
#include <QColor>
#include <QImage>
#include <QRegion>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

// A framed panel that lays out one "Button" per caption in rows and columns
// and makes them one exclusive choice. Choosing a button by mouse or keyboard
// calls OnSelect and then posts Notify(code, index) to whoever listens, the
// group's stand-in for the WM_USER + 1 message to its parent. Tab reaches the
// group on the chosen button (or the first); the arrow keys move the choice;
// Space and Enter choose the button with the focus.
//
// The buttons are no widgets of their own: the group hit-tests and draws them
// from one hidden model "Button" whose faces, shape and font every button
// shares (they all have one size), so that a group of hundreds of buttons
// costs little more than one of two.
class CSkinButtonGroup : public CSkinWnd {
    Q_OBJECT

public:
    // The window message the notification stands for.
    static constexpr int kNotifyMessage = 0x0400 + 1;

    CSkinButtonGroup(std::string element, CSkinManager& manager);
    ~CSkinButtonGroup() override;

    // Embeds the group in parent at its skin rectangle moved by offset;
    // notifyCode is the first value of every notification.
    void Create(QWidget* parent, int notifyCode, std::optional<QPoint> offset = std::nullopt);

    // Puts the group at rect (in its parent) and lays the buttons out in it,
    // also on later skins (a rectangle given with setGeometry counts the same
    // from the next SetButtons or skin on). A height below the margins (the page gives -1)
    // leaves the rows as high as the captions need; a rectangle without width
    // (a hidden item) takes no room at all.
    void Place(const QRect& rect);

    // Replaces the buttons with one per caption, laid out in the group's
    // rectangle (the skin's or the placed one); the group takes the width of
    // its columns and grows by whole rows when the captions need them.
    void SetButtons(const QStringList& captions);

    // Marks button index as chosen, without OnSelect and without Notify.
    // An index outside the buttons clears the choice.
    void Select(int index);
    // Chooses button index as a click on it does (OnSelect, then Notify), for
    // screen readers' press action. An index outside the buttons does nothing.
    void Choose(int index);
    // The chosen button's index, or -1.
    int GetSelected() const { return selected_; }

    int NotifyCode() const { return notifyCode_; }
    int ButtonCount() const { return static_cast<int>(captions_.size()); }
    // Where button index lies in the group, its caption and the face it shows now.
    QRect ButtonRect(int index) const;
    QString ButtonText(int index) const { return captions_.value(index); }
    CSkinButton::Face ButtonFace(int index) const;
    // The button under pos (in the group), or -1.
    int ButtonAt(const QPoint& pos) const;
    // The button that has the keyboard focus while the group has it.
    int FocusIndex() const { return focusIndex_; }
    // Columns and rows of the last layout.
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }

    // Font, caption and frame from the skin; the buttons are laid out again.
    void ApplySkin() override;
    // The frame face, for labels on the group.
    QImage Face() const override { return FrameFace(true); }

signals:
    // Posted after a choice by the user: delivered from the event loop.
    void Notify(int code, int index);

protected:
    // Called at once when the user chooses button index.
    virtual void OnSelect(int index);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void LayOut();
    void AdoptOwnerGeometry();
    void OnClicked(int index);
    void Mark(int index);
    // Repaints button index (none for -1).
    void UpdateButton(int index);
    // Puts a mark (chosen, hover, held down, focus) on button index, repainting both buttons.
    void MoveMark(int& mark, int index);
    // The one button shown down by the mouse or a key, or none (-1).
    void SetDown(int index);
    void SetHover(int index);
    void SetFocusIndex(int index);
    // Tells screen readers that button index changed its state or took the focus.
    void TellScreenReaders(int index, QAccessible::Event what);
    // Lets go of a press under way, without choosing.
    void DropPress();
    // Reads the frame's images for a new size or skin; they are stretched when first drawn.
    void ResetFrame();
    const QImage& FrameFace(bool enabled) const;
    const QRegion& FrameShape() const;
    // Makes the faces the buttons show now, outside painting (a skin error may show a message).
    void PrepareFaces() const;

    // The rectangle the buttons are laid out in, before the group fits them.
    QRect base_;
    bool placedByOwner_ = false;
    // The group's rectangle after its last layout; none before the first.
    std::optional<QRect> laidOut_;
    int notifyCode_ = 0;
    int selected_ = -1;
    int columns_ = 0;
    int rows_ = 0;
    // The top left of the first cell and the size of every cell.
    QPoint cellOrigin_;
    QSize cell_;
    QStringList captions_;
    // Measures the captions and draws every button; never shown.
    std::unique_ptr<CSkinButton> model_;
    int hover_ = -1;
    int focusIndex_ = 0;
    // The button pressed by the mouse and whether the pointer is still on it.
    int mousePressed_ = -1;
    bool mouseOnPressed_ = false;
    // The button held down by Space, or by Enter until its click.
    int keyDown_ = -1;
    QTimer enterClick_;
    // Shows the "Button" element's tooltip, if the skin has one, over the hovered button.
    QTimer tipTimer_;
    // The frame's images as the skin has them, and stretched to the group's size
    // when first drawn: a tall group far down a page may never be.
    QImage background_;
    QImage backgroundDisabled_;
    mutable std::optional<QImage> face_;
    mutable std::optional<QImage> faceDisabled_;
    mutable std::optional<QRegion> frame_;
    QColor textColour_;
};
