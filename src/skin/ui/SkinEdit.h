#pragma once

#include "skin/ui/SkinClient.h"

#include <QColor>
#include <QLineEdit>
#include <QRect>

class QValidator;

// A single-line edit in its skin element's colours ("bkcolor", "textcolor")
// and font, with a focus frame in the text colour. It can take digits only
// and a maximum length (QLineEdit::setMaxLength).
class CSkinEdit : public QLineEdit, public CSkinClient {
    Q_OBJECT

public:
    CSkinEdit(std::string element, CSkinManager& manager);
    ~CSkinEdit() override;

    // Makes the edit a visible child of parent with that control identifier
    // and applies the skin.
    void Create(QWidget* parent, int controlId);

    // Takes place, colours and font from the skin; an edit placed with Place
    // keeps its place.
    void ApplySkin() override;

    // Puts the edit at rect (in its parent) and keeps it there on a new skin.
    void Place(const QRect& rect);

    // Typing and pasting take the digits 0 to 9 only.
    void SetDigitsOnly(bool digitsOnly);
    bool IsDigitsOnly() const { return digitsOnly_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool placedByOwner_ = false;
    bool digitsOnly_ = false;
    QValidator* digits_;
    QColor textColour_;
};
