#pragma once

#include "skin/ui/SkinClient.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

// A text label drawn entirely from its skin element: an optional box
// ("background" stretched along its resize lines) or colour fill ("bkcolor",
// 0 for none), an optional drop shadow, and the text in "text_color" laid out
// by "font_alignment". Without box or fill it shows the face of the skinned
// window under it, so it looks transparent.
class CSkinStatic : public QWidget, public CSkinClient {
    Q_OBJECT

public:
    CSkinStatic(std::string element, CSkinManager& manager);
    ~CSkinStatic() override;

    // Makes the label a visible child of parent with that control identifier
    // and applies the skin.
    void Create(QWidget* parent, int controlId);

    // Takes place, caption, box, colours, shadow, layout and font from the skin.
    // A label placed with Place, or given a text with SetText, keeps them.
    void ApplySkin() override;

    // The shown text; it also becomes the label's accessible name.
    void SetText(const QString& text);
    const QString& Text() const { return text_; }

    // Puts the label at rect (in its parent) and keeps it there on a new skin.
    void Place(const QRect& rect);

    // Qt text flags (alignment, word wrap, single line, no clipping) for the
    // platform text layout flags the skin writes in font_alignment.
    static int TextFlags(int skinFlags);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RebuildBox();
    void ShowText(const QString& text);

    QString text_;
    bool textFromProgram_ = false;
    bool placedByOwner_ = false;
    QImage box_;
    QColor fill_; // invalid: no fill
    QColor textColour_;
    QColor shadowColour_;
    QPoint shadowOffset_;
    int textFlags_ = 0;
};
