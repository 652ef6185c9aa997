#pragma once

#include "skin/ui/SkinManager.h"

#include <QRect>
#include <QWidget>

#include <string>
#include <vector>

// The project's skin, read from the archive appended to the test program just
// as the application reads its own; loaded once per program.
class CShippedSkin : public ISkinErrorSink {
public:
    static CShippedSkin& Get()
    {
        static CShippedSkin skin;
        return skin;
    }
    CSkinManager& Manager() { return manager_; }
    bool Loaded() const { return loaded_; }
    void OnSkinError(const std::string& text, Icon) override { errors.push_back(text); }

    std::vector<std::string> errors;

private:
    CShippedSkin() : manager_("Skins", this) { loaded_ = manager_.LoadSkin("Vexlor"); }
    CSkinManager manager_;
    bool loaded_ = false;
};

// Stands in for the main window: its size, shown, with the page area of the
// shipped skin ("Frame").
class CMainWindowStandIn : public QWidget {
public:
    static inline const QRect kPageArea{229, 176, 540, 280};
    CMainWindowStandIn()
    {
        resize(783, 470);
        show();
    }
};
