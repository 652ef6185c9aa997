#pragma once

#include "skin/ui/SkinClient.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CSkinStatic;
class QEventLoop;

// A window whose whole look comes from one skin element: its face
// ("background", which also gives its size), its shape (the face less the
// "bkcolormask" pixels), its translucency, its caption and the text labels
// named by "statics". Top-level skinned windows have no system frame and move
// when dragged anywhere on their face; embedded ones (panels on another
// window) stay where they are put. The application's dialogs and pages derive
// from it and add their controls after Create.
class CSkinWnd : public QWidget, public CSkinClient {
    Q_OBJECT

public:
    CSkinWnd(std::string element, CSkinManager& manager);
    ~CSkinWnd() override;

    // Without a parent, or with popup set, a frameless top-level window
    // (owned by parent when there is one); otherwise a panel embedded in
    // parent. Applies the skin, moves the window by offset from where the
    // skin puts it (also on every later skin), and shows it.
    void Create(QWidget* parent = nullptr, std::optional<QPoint> offset = std::nullopt, bool popup = false);

    // Creates the window as a modal top-level window over owner, moved from
    // its skin position by half the room the screen leaves around it (with
    // offsets 0 it is centred), and runs until EndModal or until it closes
    // (result 0). Returns EndModal's result.
    int RunModal(QWidget* owner = nullptr);
    void EndModal(int result);

    // Takes face, position, size, shape, translucency, caption and labels
    // from the skin. Derived windows that extend it call it first.
    void ApplySkin() override;

    // What the window shows behind its children; labels and groups on it
    // draw the part under them to look transparent.
    virtual QImage Face() const { return background_; }

    // The title (and accessible name) from the program instead of the skin's
    // "caption", kept on later skins; groups draw it on their frame. A title
    // set with setWindowTitle counts the same from the next skin on.
    void SetCaption(const QString& caption);
    // The program's caption if it set one, else the skin's.
    QString Caption() const;

    bool IsEmbedded() const { return embedded_; }
    // The labels made from "statics", in the order the value names them.
    const std::vector<std::unique_ptr<CSkinStatic>>& Statics() const { return statics_; }
    // The label of that element, or none.
    CSkinStatic* Static(const std::string& element) const;

protected:
    // Creates the window without showing it.
    void CreateHidden(QWidget* parent, bool popup);
    // Where the skin puts the window: offset_left, offset_top plus the offset given to Create.
    QPoint SkinPosition() const;
    // Shows Caption() as title and accessible name.
    void ShowCaption();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyShape();
    void ApplyLabels();

    QImage background_;
    bool embedded_ = false;
    QPoint createOffset_;
    std::optional<QString> programCaption_;
    std::optional<QString> shownCaption_;
    bool dragging_ = false;
    QPoint grab_;
    QString appliedStatics_;
    std::vector<std::unique_ptr<CSkinStatic>> statics_;
    QEventLoop* modalLoop_ = nullptr;
};
