#pragma once

#include "skin/ui/Skin.h"

#include <QIcon>
#include <QImage>
#include <QString>

#include <cstdint>
#include <string>

class CSkinManager;
class QWidget;

// The part of every skinned window that binds it to its skin element: it
// registers the window with the manager and looks values up by property name.
class CSkinClient {
public:
    CSkinClient(std::string element, CSkinManager& manager);
    virtual ~CSkinClient();
    CSkinClient(const CSkinClient&) = delete;
    CSkinClient& operator=(const CSkinClient&) = delete;

    // Reads every value of the element and applies it to the window.
    virtual void ApplySkin() = 0;

    // Right after the window is made: remember it and register it.
    void Attach(QWidget* window);
    // When the window goes: unregister it, which releases its images.
    void Detach();

    // Switches to another element and applies it at once.
    void SetElement(std::string element);
    const std::string& Element() const { return element_; }
    QWidget* Window() const { return window_; }
    CSkinManager& Manager() const { return manager_; }

    // Lookups in the current skin under this client's element; images and
    // icons count this client's window as a user. Images come at the scale of
    // the window's screen (SkinScale). Without a skin: the defaults.
    QImage GetImage(std::string_view property) const;
    QIcon GetIcon(std::string_view property) const;
    std::int32_t GetLong(std::string_view property) const;
    QString GetString(std::string_view property) const;

    // The lowest control identifier from 101 up that no direct child of the
    // window carries (see SetControlId).
    int FirstFreeControlId() const;

private:
    std::string element_;
    CSkinManager& manager_;
    QWidget* window_ = nullptr;
};

// Child controls carry their control identifier as a widget property, the way
// dialog controls carry theirs; 0 means none.
void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);
