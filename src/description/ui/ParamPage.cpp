#include "description/ui/ParamPage.h"

#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinSpin.h"

CParamPage::CParamPage(CSkinManager& manager) : CSkinWnd("PPage", manager) {}

void CParamPage::SetPresetChoices(const std::vector<std::string>& choices)
{
    QStringList texts;
    for (const std::string& choice : choices) texts << QString::fromStdString(choice);
    for (auto& [spin, field] : presetFields_) spin->SetListTexts(field, QStringLiteral("%s"), texts);
}

std::vector<IBoundControl*> CParamPageView::BoundControls()
{
    return page_ ? page_->Bound() : std::vector<IBoundControl*>{};
}

void CParamPageView::SetPresetChoices(const std::vector<std::string>& choices)
{
    if (page_) page_->SetPresetChoices(choices);
}

void CParamPageView::SetVisible(bool visible)
{
    if (page_) page_->setVisible(visible);
}
