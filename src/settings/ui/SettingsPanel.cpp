#include "settings/ui/SettingsPanel.h"

#include "settings/RegistrySettings.h"
#include "settings/SerialCandidates.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinList.h"

#include <QToolTip>

namespace {

// Long enough for any 32-bit number, so a stored value shows whole.
constexpr int kDigitsLength = 10;
// The longest host name there is.
constexpr int kHostLength = 253;
// Room for a pasted name that is too long, so the refusal can say so.
constexpr int kNameLength = 80;

CSkinEdit* MakeEdit(const char* element, CSkinManager& manager, QWidget* parent, int maxLength, bool digits)
{
    auto* edit = new CSkinEdit(element, manager);
    edit->Create(parent, 0);
    edit->setMaxLength(maxLength);
    edit->SetDigitsOnly(digits);
    return edit;
}

}  // namespace

const std::vector<std::string>& CSettingsPanel::SerialPorts()
{
    static const std::vector<std::string> ports = AvailableSerialPorts();
    return ports;
}

CSettingsPanel::CSettingsPanel(QWidget* mainWindow, CSkinManager& manager, ConnectionSettings& settings,
                               CRegistrySettings& stored, const std::vector<std::string>& serialPorts)
    : CSkinWnd("Settings", manager), settings_(settings), stored_(stored)
{
    SettingsFromRegistry(stored_, settings_);
    loaded_ = settings_;
    entries_.push_back(kEthernetEntry);
    entries_.insert(entries_.end(), serialPorts.begin(), serialPorts.end());

    chooser_ = new CSkinButtonGroup("ConnectGroup", manager);
    chooser_->Create(this, 0, std::nullopt);
    QStringList captions;
    for (const std::string& entry : entries_) captions << QString::fromStdString(entry);
    chooser_->SetButtons(captions);
    chooser_->Select(ChooserPositionFor(settings_, entries_));

    host_ = MakeEdit("SettingsHost", manager, this, kHostLength, false);
    port_ = MakeEdit("SettingsPort", manager, this, kDigitsLength, true);
    code_ = MakeEdit("SettingsCode", manager, this, kDigitsLength, true);
    host_->setText(QString::fromStdString(settings_.host));
    port_->setText(QString::number(settings_.portNumber));
    code_->setText(QString::fromStdString(::LockCodeText(settings_.lockCode)));
    host_->setAccessibleName(QStringLiteral("Host"));
    port_->setAccessibleName(QStringLiteral("UDP port"));
    code_->setAccessibleName(QStringLiteral("Lock code"));
    setTabOrder(host_, port_);
    setTabOrder(port_, code_);

    connect(chooser_, &CSkinButtonGroup::Notify, this, [this] {
        chosen_ = true;
        EnableEthernetFields();
    });
    EnableEthernetFields();

    AdoptSettingsAsFirstProfile(ownProfiles_, settings_);
    MakeProfileControls(manager);
    // Not part of a profile: how this copy of the program treats any lost
    // link. Made last, so Tab reaches it after Delete.
    reconnect_ = new CSkinButtonGroup("ReconnectGroup", manager);
    reconnect_->Create(this, 0, std::nullopt);
    reconnect_->SetButtons({QStringLiteral("Off"), QStringLiteral("On")});
    reconnect_->Select(settings_.reconnect ? 1 : 0);
    reconnect_->setAccessibleName(QStringLiteral("Reconnect after a lost link"));
    // The panel takes its face last: at start-up the face may still be
    // decoding on a worker while the controls on it are made.
    Create(mainWindow);
}

void CSettingsPanel::MakeProfileControls(CSkinManager& manager)
{
    list_ = new CSkinList("ProfileList", manager);
    list_->Create(this, 0);
    list_->setAccessibleName(QStringLiteral("Profiles"));
    name_ = MakeEdit("SettingsName", manager, this, kNameLength, false);
    name_->setAccessibleName(QStringLiteral("Profile name"));
    auto button = [&](const char* element, void (CSettingsPanel::*act)()) {
        auto* b = new CSkinButton(element, manager);
        b->Create(this, 0);
        b->setFocusPolicy(Qt::StrongFocus);
        connect(b, &QAbstractButton::clicked, this, act);
        return b;
    };
    new_ = button("BtnProfileNew", &CSettingsPanel::NewProfile);
    rename_ = button("BtnProfileRename", &CSettingsPanel::RenameProfile);
    delete_ = button("BtnProfileDelete", &CSettingsPanel::DeleteProfile);
    setTabOrder(code_, list_);
    setTabOrder(list_, name_);
    setTabOrder(name_, new_);
    setTabOrder(new_, rename_);
    setTabOrder(rename_, delete_);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const int row = list_->GetSelectedIndex();
        if (filling_ || row < 0 || static_cast<std::size_t>(row) >= profiles_->List().size()) return;
        ChooseProfile(profiles_->List()[static_cast<std::size_t>(row)].name);
    });
    FillProfileList();
}

void CSettingsPanel::SetProfiles(CConnectionProfiles& profiles, std::function<void()> changed)
{
    profiles_ = &profiles;
    profilesChanged_ = std::move(changed);
    const CConnectionProfiles stored = profiles;
    AdoptSettingsAsFirstProfile(*profiles_, settings_);
    // The settings record is what the profile in use holds now.
    KeepFields();
    // Writing the store costs a flush to disk at every start; only a first
    // start or an older copy's change to the record gives it anything new.
    if (*profiles_ == stored)
        FillProfileList();
    else
        ProfilesChanged();
}

void CSettingsPanel::ProfilesChanged()
{
    FillProfileList();
    if (profilesChanged_) profilesChanged_();
}

void CSettingsPanel::FillProfileList()
{
    filling_ = true;
    list_->clear();
    const std::vector<ConnectionProfile>& list = profiles_->List();
    for (std::size_t i = 0; i < list.size(); ++i) {
        auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(list[i].name)});
        list_->addTopLevelItem(item);
        if (list[i].name == profiles_->Current()) {
            list_->setCurrentItem(item);
            item->setSelected(true);
        }
    }
    filling_ = false;
    name_->setText(QString::fromStdString(profiles_->Current()));
    delete_->setEnabled(list.size() > 1);
}

void CSettingsPanel::KeepFields()
{
    ConnectionSettings fields = settings_;
    ApplyPanelFields(Fields(), fields);
    profiles_->UpdateCurrent(fields);
}

void CSettingsPanel::ShowProfile(const ConnectionProfile& profile)
{
    chosen_ = true;  // another profile is the operator's choice of port too
    ConnectionSettings shown;
    ApplyProfile(profile, shown);
    chooser_->Select(ChooserPositionFor(shown, entries_));
    host_->setText(QString::fromStdString(shown.host));
    port_->setText(QString::number(shown.portNumber));
    code_->setText(QString::fromStdString(::LockCodeText(shown.lockCode)));
    EnableEthernetFields();
}

void CSettingsPanel::ChooseProfile(const std::string& name)
{
    if (name == profiles_->Current() || !profiles_->Find(name)) return;
    KeepFields();
    profiles_->Select(name);
    ShowProfile(*profiles_->Find(name));
    ProfilesChanged();
}

void CSettingsPanel::NewProfile()
{
    // The fields shown go to the new profile; the one shown keeps what it had.
    // A name already taken (the one shown, most often) gets a number.
    const std::string typed = name_->text().toStdString();
    const ProfileNameProblem problem = profiles_->CheckName(typed);
    if (problem != ProfileNameProblem::None && problem != ProfileNameProblem::Taken) return Refuse(problem);
    const std::string name = profiles_->FreeName(typed);
    ConnectionSettings fields = settings_;
    ApplyPanelFields(Fields(), fields);
    profiles_->Add(ProfileFromSettings(fields, name));
    profiles_->Select(name);
    refusal_.clear();
    ProfilesChanged();
}

void CSettingsPanel::RenameProfile()
{
    const ProfileNameProblem problem = profiles_->Rename(profiles_->Current(), name_->text().toStdString());
    if (problem != ProfileNameProblem::None) return Refuse(problem);
    refusal_.clear();
    ProfilesChanged();
}

void CSettingsPanel::DeleteProfile()
{
    // The settings record always belongs to some profile.
    if (profiles_->List().size() < 2) return;
    profiles_->Remove(profiles_->Current());
    ShowProfile(*profiles_->Find(profiles_->Current()));
    refusal_.clear();
    ProfilesChanged();
}

void CSettingsPanel::Refuse(ProfileNameProblem problem)
{
    refusal_ = ProfileNameProblemText(problem);
    QToolTip::showText(name_->mapToGlobal(QPoint(0, name_->height())), QString::fromStdString(refusal_), name_);
    name_->setFocus();
}

CSettingsPanel::~CSettingsPanel()
{
    // What the operator typed last is kept even without a connect; a stored
    // port that is absent or busy today stays stored unless the operator chose another.
    SettingsPanelFields fields = Fields();
    if (!chosen_) KeepUnlistedPort(fields, loaded_, entries_);
    Store(fields, settings_);
}

SettingsPanelFields CSettingsPanel::Fields() const
{
    SettingsPanelFields f;
    f.chooserPosition = std::max(0, chooser_->GetSelected());
    f.chooserText = entries_[static_cast<std::size_t>(f.chooserPosition)];
    f.host = host_->text().toStdString();
    f.port = port_->text().toStdString();
    f.lockCode = code_->text().toStdString();
    f.reconnect = reconnect_->GetSelected() != 0;
    return f;
}

void CSettingsPanel::ApplyPanel(ConnectionSettings& settings)
{
    chosen_ = true;
    Store(Fields(), settings);
}

void CSettingsPanel::Store(const SettingsPanelFields& fields, ConnectionSettings& settings)
{
    ApplyPanelFields(fields, settings);
    SettingsToRegistry(settings, stored_);
    profiles_->UpdateCurrent(settings);
    settings.profileName = profiles_->Current();
    if (profilesChanged_) profilesChanged_();
}

void CSettingsPanel::KeepConnectedSettings(const ConnectionSettings& settings)
{
    WriteSettingsNow(settings, stored_);
}

std::string CSettingsPanel::LockCodeText()
{
    return code_->text().toStdString();
}

void CSettingsPanel::EnableEthernetFields()
{
    const bool ethernet = chooser_->GetSelected() <= 0;
    host_->setEnabled(ethernet);
    port_->setEnabled(ethernet);
}
