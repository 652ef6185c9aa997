#pragma once

#include "views/Views.h"
#include "settings/SettingsPanelFields.h"
#include "skin/ui/SkinWnd.h"

#include <string>
#include <vector>

struct CRegistrySettings;
class CSkinButtonGroup;
class CSkinEdit;

// The connection settings panel ("Settings") on the main window's page area:
// the interface chooser ("ConnectGroup": Ethernet, then the serial ports that
// can be opened), host, UDP port and lock code. It fills itself from the
// stored settings and writes its fields back before every connect and when it
// goes.
//
//   auto* panel = new CSettingsPanel(mainWindow, manager, app.settings, app.stored);
//   controller views: *panel (ISettingsPanelView); the main window shows and
//   hides it and deletes it before the stored settings are written at exit.
class CSettingsPanel : public CSkinWnd, public ISettingsPanelView {
    Q_OBJECT
public:
    // The serial part of the chooser, found once per process.
    static const std::vector<std::string>& SerialPorts();

    CSettingsPanel(QWidget* mainWindow, CSkinManager& manager, ConnectionSettings& settings,
                   CRegistrySettings& stored, const std::vector<std::string>& serialPorts = SerialPorts());
    ~CSettingsPanel() override;

    void ApplyPanel(ConnectionSettings& settings) override;
    std::string LockCodeText() override;

    // The chooser's entries: "Ethernet" and the serial ports.
    const std::vector<std::string>& Entries() const { return entries_; }
    CSkinButtonGroup& Chooser() const { return *chooser_; }
    CSkinEdit& HostEdit() const { return *host_; }
    CSkinEdit& PortEdit() const { return *port_; }
    CSkinEdit& CodeEdit() const { return *code_; }

private:
    void EnableEthernetFields();
    SettingsPanelFields Fields() const;

    ConnectionSettings& settings_;
    CRegistrySettings& stored_;
    std::vector<std::string> entries_;
    CSkinButtonGroup* chooser_;
    CSkinEdit* host_;
    CSkinEdit* port_;
    CSkinEdit* code_;
};
