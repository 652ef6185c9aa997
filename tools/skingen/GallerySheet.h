#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

// One picture of the gallery: a grid of grabbed controls with a title, a
// caption over every column and a name before every row.
class CGallerySheet {
public:
    CGallerySheet(QString title, QStringList columns);

    void AddRow(QString name, std::vector<QImage> cells);
    QImage Render() const;

private:
    struct Row {
        QString name;
        std::vector<QImage> cells;
    };

    QString title_;
    QStringList columns_;
    std::vector<Row> rows_;
};

// The widget as the screen shows it: its grab, with the pixels outside its
// window shape made transparent (the offscreen platform ignores shapes).
QImage GrabShaped(QWidget& widget);

// Shows the window and makes it the active one, so that a control in it can
// hold the keyboard focus; waits a bounded number of event rounds.
void Activate(QWidget& window);

// The colour of the main window's face, behind loose controls.
inline const QColor kGalleryBackdrop(0x1E, 0x21, 0x27);
