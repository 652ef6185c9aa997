#pragma once

#include "views/Views.h"
#include "description/PageGeometry.h"
#include "description/ui/PageServices.h"

#include <QRect>

#include <string>
#include <vector>

class CParamPage;
class CSkinManager;
class QWidget;

// Builds the window of one page from its control items: the caption header
// and, on the description's 10-pixel grid, a slider with caption and value
// text, a button group or a spin with one field per record for each item.
//
//   CPageBuilder pages(mainWindow, manager, frameRect, services);
//   controller views: pages (IPageFactory)
class CPageBuilder : public IPageFactory {
public:
    // pageArea: where pages sit in the main window's client area.
    CPageBuilder(QWidget* mainWindow, CSkinManager& manager, QRect pageArea, PageServices services);

    std::unique_ptr<IPageView> BuildPage(const PageNode& node, const std::string& captionPath) override;

    // The services the controls use; the main window sets the controller's
    // operations here once the controller exists.
    PageServices& Services() { return services_; }

private:
    void BuildHeader(CParamPage& page, const std::string& path) const;
    // Each gives the windows it made, so a hidden item can fold them away.
    std::vector<QWidget*> BuildSlider(CParamPage& page, const ControlItem& item) const;
    std::vector<QWidget*> BuildButtonGroup(CParamPage& page, const ControlItem& item) const;
    std::vector<QWidget*> BuildSpin(CParamPage& page, const ControlItem& item) const;

    QWidget* mainWindow_;
    CSkinManager& manager_;
    QRect pageArea_;
    PageServices services_;
};

QRect ToQRect(const PixelRect& r);
