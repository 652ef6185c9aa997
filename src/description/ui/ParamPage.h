#pragma once

#include "views/Views.h"
#include "skin/ui/SkinWnd.h"

#include <QPointer>

#include <utility>
#include <vector>

class CSkinEdit;
class CSkinSpin;

// The window of one open page ("PPage"): every control of the page is its
// child, so destroying the page destroys them all.
class CParamPage : public CSkinWnd {
    Q_OBJECT
public:
    explicit CParamPage(CSkinManager& manager);

    // Made as a hidden panel of the main window.
    void CreateOn(QWidget* mainWindow) { CreateHidden(mainWindow, false); }

    void AddBound(IBoundControl* control) { bound_.push_back(control); }
    void AddPresetChoiceField(CSkinSpin* spin, CSkinEdit* field) { presetFields_.emplace_back(spin, field); }

    const std::vector<IBoundControl*>& Bound() const { return bound_; }
    void SetPresetChoices(const std::vector<std::string>& choices);

private:
    std::vector<IBoundControl*> bound_;
    std::vector<std::pair<CSkinSpin*, CSkinEdit*>> presetFields_;
};

// The controller's handle on the open page. The window belongs to the main
// window's widget tree; the handle deletes it unless Qt already did.
class CParamPageView : public IPageView {
public:
    explicit CParamPageView(CParamPage* page) : page_(page) {}
    ~CParamPageView() override { delete page_.data(); }
    CParamPageView(const CParamPageView&) = delete;
    CParamPageView& operator=(const CParamPageView&) = delete;

    std::vector<IBoundControl*> BoundControls() override;
    void SetPresetChoices(const std::vector<std::string>& choices) override;
    void SetVisible(bool visible) override;

    CParamPage* Window() const { return page_.data(); }

private:
    QPointer<CParamPage> page_;
};
