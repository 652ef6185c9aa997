#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

class CSkinManager;
class CSkinSlider;
class CSkinSpin;

// The pictures of the skin gallery and the pieces they share. Controls are
// made with new and belong to the window they are put on, as in the program.
namespace gallery {

// Room around a loose control on its host.
inline constexpr int kPad = 6;

// A plain window in the main window's face colour for loose controls.
class Host : public QWidget {
public:
    Host();
};

// Moves the mouse onto the middle of control, as hovering does.
void Hover(QWidget& control);

// A slider cell as a page lays one out: caption, value box and a slider of
// range 0 .. 100 at value (the minimum at the top), in the cell at `cell`.
CSkinSlider* AddSliderCell(CSkinManager& manager, QWidget* page, const QRect& cell, const QString& name,
                           const QString& shown, int value);

enum class SpinKind { Time, List, Number };
// A spin as a page lays one out: the caption above it and one edit per field.
CSkinSpin* AddSpin(CSkinManager& manager, QWidget* page, const QRect& rect, const QString& caption, SpinKind kind);

// The page tree and the preset list with content, placed by the skin.
void AddTree(CSkinManager& manager, QWidget* window);
void AddList(CSkinManager& manager, QWidget* window);

// The sheets of the value controls.
QImage Sliders(CSkinManager& manager);
QImage Spins(CSkinManager& manager);
QImage Views(CSkinManager& manager);
QImage Popup(CSkinManager& manager);
// The progress window with its running lights stopped mid-run.
QImage Wait(CSkinManager& manager);

} // namespace gallery
