#include "skin/ui/SkinLook.h"

#include "skin/ui/Skin.h"
#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinManager.h"

#include <QPalette>
#include <QWidget>

namespace {

// The text font of the page area, read through a client of its element.
class CFontSource : public CSkinClient {
public:
    explicit CFontSource(CSkinManager& manager) : CSkinClient("Frame", manager) {}
    void ApplySkin() override {}
};

}  // namespace

void ApplySkinLook(QWidget& window, CSkinManager& manager)
{
    const CSkin* skin = manager.Skin();
    if (!skin) return;
    auto colour = [skin](const char* element, const char* property) {
        return QColor(SkinColourToRgb(static_cast<std::uint32_t>(skin->GetLong(element, property))));
    };
    QPalette palette = window.palette();
    const QColor panel = colour("Tree", "bkcolor");
    const QColor text = colour("Tree", "text_color");
    const QColor well = colour("SettingsHost", "bkcolor");
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, panel);
        palette.setColor(group, QPalette::Base, well);
        palette.setColor(group, QPalette::AlternateBase, panel);
        palette.setColor(group, QPalette::Button, colour("Tree", "selection_color"));
        palette.setColor(group, QPalette::Highlight, colour("Tree", "selection_color"));
        palette.setColor(group, QPalette::HighlightedText, colour("Tree", "selected_text_color"));
        palette.setColor(group, QPalette::Link, colour("BtnMenu", "text_color_down"));
        palette.setColor(group, QPalette::Light, colour("BtnMenu", "text_color_down"));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, group == QPalette::Disabled ? colour("BtnMenu", "text_color_disabled") : text);
    }
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setFont(SkinFont(CFontSource(manager)));
}
