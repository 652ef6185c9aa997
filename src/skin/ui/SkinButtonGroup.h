#pragma once

#include "skin/ui/SkinWnd.h"

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class CSkinButton;

// A framed panel that lays out one "Button" per caption in rows and columns
// and makes them one exclusive choice. Choosing a button by mouse or keyboard
// calls OnSelect and then posts Notify(code, index) to whoever listens, the
// group's stand-in for the WM_USER + 1 message to its parent. Tab reaches the
// chosen button (or the first); the arrow keys move the choice.
class CSkinButtonGroup : public CSkinWnd {
    Q_OBJECT

public:
    // The window message the notification stands for, and the control
    // identifier of the first button (button i carries kFirstButtonId + i).
    static constexpr int kNotifyMessage = 0x0400 + 1;
    static constexpr int kFirstButtonId = 0x9000;

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
    // The chosen button's index, or -1.
    int GetSelected() const { return selected_; }

    int NotifyCode() const { return notifyCode_; }
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    CSkinButton* Button(int index) const;
    // Columns and rows of the last layout.
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }

    // Font, caption and frame from the skin; the buttons are laid out again.
    void ApplySkin() override;
    // The frame face, for labels on the group.
    QImage Face() const override { return face_; }

signals:
    // Posted after a choice by the user: delivered from the event loop.
    void Notify(int code, int index);

protected:
    // Called at once when the user chooses button index.
    virtual void OnSelect(int index);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LayOut();
    void AdoptOwnerGeometry();
    void OnClicked(int index);
    void Mark(int index);
    void UpdateTabStop();

    // The rectangle the buttons are laid out in, before the group fits them.
    QRect base_;
    bool placedByOwner_ = false;
    // The group's rectangle after its last layout; none before the first.
    std::optional<QRect> laidOut_;
    int notifyCode_ = 0;
    int selected_ = -1;
    int columns_ = 0;
    int rows_ = 0;
    QStringList captions_;
    std::vector<std::unique_ptr<CSkinButton>> buttons_;
    QImage face_;
    QImage faceDisabled_;
    QRegion frame_;
    QColor textColour_;
};
