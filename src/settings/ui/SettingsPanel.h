#pragma once

#include "settings/ConnectionProfiles.h"
#include "settings/SettingsPanelFields.h"
#include "skin/ui/SkinWnd.h"
#include "views/Views.h"

#include <functional>
#include <string>
#include <vector>

struct CRegistrySettings;
class CSkinButton;
class CSkinButtonGroup;
class CSkinEdit;
class CSkinList;

// The connection settings panel ("Settings") on the main window's page area:
// the interface chooser ("ConnectGroup": Ethernet, then the serial ports that
// can be opened), host, UDP port and lock code, and whether a lost link is
// reconnected by itself ("ReconnectGroup": Off, On). It fills itself from the
// stored settings and writes its fields back before every connect and when it
// goes. The profile list ("ProfileList") chooses which processor the fields
// belong to; New, Rename and Delete act on it with the name field.
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
    void KeepConnectedSettings(const ConnectionSettings& settings) override;

    // The application's stored profiles; until this is called the panel keeps
    // a list of its own made from the settings record. `changed` runs after
    // every change of the list and every ApplyPanel, to store it at once.
    void SetProfiles(CConnectionProfiles& profiles, std::function<void()> changed = {});
    const CConnectionProfiles& Profiles() const { return *profiles_; }
    // Shows the profile's fields, after keeping the fields shown in the
    // profile they belong to.
    void ChooseProfile(const std::string& name);
    // The operator's New, Rename and Delete, with the name field's text. A
    // refused name is said beside the name field and kept there to mend.
    void NewProfile();
    void RenameProfile();
    void DeleteProfile();
    const std::string& Refusal() const { return refusal_; }

    // The chooser's entries: "Ethernet" and the serial ports.
    const std::vector<std::string>& Entries() const { return entries_; }
    CSkinButtonGroup& Chooser() const { return *chooser_; }
    // "Off" and "On": whether a lost link is reconnected by itself.
    CSkinButtonGroup& ReconnectChooser() const { return *reconnect_; }
    CSkinEdit& HostEdit() const { return *host_; }
    CSkinEdit& PortEdit() const { return *port_; }
    CSkinEdit& CodeEdit() const { return *code_; }
    CSkinEdit& NameEdit() const { return *name_; }
    CSkinList& ProfileList() const { return *list_; }
    CSkinButton& NewButton() const { return *new_; }
    CSkinButton& RenameButton() const { return *rename_; }
    CSkinButton& DeleteButton() const { return *delete_; }

private:
    void EnableEthernetFields();
    SettingsPanelFields Fields() const;
    void MakeProfileControls(CSkinManager& manager);
    // The fields into the profile in use.
    void KeepFields();
    void ShowProfile(const ConnectionProfile& profile);
    void FillProfileList();
    void Refuse(ProfileNameProblem problem);
    // Shows the list as it now stands and lets the owner store it.
    void ProfilesChanged();
    void Store(const SettingsPanelFields& fields, ConnectionSettings& settings);

    ConnectionSettings& settings_;
    CRegistrySettings& stored_;
    ConnectionSettings loaded_;  // as read at start, to keep a port the chooser cannot list
    bool chosen_ = false;        // the operator chose an entry or connected with the one shown
    std::vector<std::string> entries_;
    CSkinButtonGroup* chooser_;
    CSkinButtonGroup* reconnect_;
    CSkinEdit* host_;
    CSkinEdit* port_;
    CSkinEdit* code_;
    CConnectionProfiles ownProfiles_;
    CConnectionProfiles* profiles_ = &ownProfiles_;
    CSkinList* list_ = nullptr;
    CSkinEdit* name_ = nullptr;
    CSkinButton* new_ = nullptr;
    CSkinButton* rename_ = nullptr;
    CSkinButton* delete_ = nullptr;
    std::function<void()> profilesChanged_;
    bool filling_ = false;
    std::string refusal_;
};
