#include "skin/ui/SkinEdit.h"

#include "skin/ui/SkinFocusMark.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"

#include <QPainter>
#include <QRegularExpressionValidator>

namespace {
// Room between the edit's border and its text, so the text does not touch the focus frame.
constexpr int kTextMargin = 3;

QColor Blend(const QColor& top, const QColor& bottom, double share)
{
    return QColor::fromRgbF(static_cast<float>(top.redF() * share + bottom.redF() * (1 - share)),
                            static_cast<float>(top.greenF() * share + bottom.greenF() * (1 - share)),
                            static_cast<float>(top.blueF() * share + bottom.blueF() * (1 - share)));
}
} // namespace

CSkinEdit::CSkinEdit(std::string element, CSkinManager& manager)
    : CSkinClient(std::move(element), manager)
    , digits_(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this))
{
    setFrame(false);
    setTextMargins(kTextMargin, 0, kTextMargin, 0);
}

CSkinEdit::~CSkinEdit()
{
    Detach();
}

void CSkinEdit::Create(QWidget* parent, int controlId)
{
    CreateChildControl(*this, *this, parent, controlId);
}

void CSkinEdit::ApplySkin()
{
    if (!placedByOwner_)
        setGeometry(SkinRect(*this));
    const QColor background = SkinColour(*this, "bkcolor");
    textColour_ = SkinColour(*this, "textcolor");
    QPalette colours = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, background);
        colours.setColor(group, QPalette::Window, background);
        // Disabled text sinks towards the background.
        colours.setColor(group, QPalette::Text,
                         group == QPalette::Disabled ? Blend(textColour_, background, 0.45) : textColour_);
        // The skin has no selection colours for edits: the text colour, faint, over the field.
        QColor selection = textColour_;
        selection.setAlpha(90);
        colours.setColor(group, QPalette::Highlight, selection);
        colours.setColor(group, QPalette::HighlightedText, textColour_);
    }
    setPalette(colours);
    setFont(SkinFont(*this));
    update();
}

void CSkinEdit::Place(const QRect& rect)
{
    placedByOwner_ = true;
    setGeometry(rect);
}

void CSkinEdit::SetDigitsOnly(bool digitsOnly)
{
    digitsOnly_ = digitsOnly;
    setValidator(digitsOnly ? digits_ : nullptr);
}

void CSkinEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        DrawSkinFocusMark(painter, rect(), textColour_);
    }
}
