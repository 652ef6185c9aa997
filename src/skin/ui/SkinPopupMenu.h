#pragma once

#include "skin/ui/SkinClient.h"

#include <QColor>
#include <QMenu>
#include <QPixmap>

#include <memory>
#include <vector>

class QProxyStyle;

// A context menu drawn from the skin: each item shows the image whose index is
// the item's command identifier and its text, in the element's colours and font.
// An item is as wide as its text plus 22 pixels and 20 pixels high (text
// taller than 15 pixels: its height plus 4).
//
//   CSkinPopupMenu menu("PopupMenu", manager);
//   menu.AddImage(icon, mask);          // image 0, 1, ...
//   menu.AddItem(1, "Load");            // shows image 1
//   const int command = menu.Exec(QCursor::pos()); // 0 when dismissed
//
// Tests open it without blocking through popup() and watch CommandChosen.
class CSkinPopupMenu : public QMenu, public CSkinClient {
    Q_OBJECT
public:
    CSkinPopupMenu(std::string element, CSkinManager& manager, QWidget* parent = nullptr);
    ~CSkinPopupMenu() override;

    // Appends an image; pixels of maskColour (0x00BBGGRR) are transparent.
    void AddImage(const QImage& bitmap, std::uint32_t maskColour);
    QAction* AddItem(int command, const QString& text);
    // Font and colours; the owner calls it before showing the menu.
    void ApplySkin() override;

    // Shows the menu at globalPos until an item is chosen or the menu is
    // dismissed; returns the chosen command or 0.
    int Exec(const QPoint& globalPos);

    // The size of an item with this text in the menu font.
    QSize ItemSize(const QString& text) const;

    struct Colours {
        QColor background, selected, text, selectedText;
    };
    const Colours& ItemColours() const { return colours_; }
    const QPixmap* Image(int index) const;

signals:
    void CommandChosen(int command);

private:
    void ShowImage(QAction* action) const;

    std::unique_ptr<QProxyStyle> style_;
    std::vector<QPixmap> images_;
    Colours colours_;
};
