#include "settings/ui/SettingsPanel.h"

#include "settings/RegistrySettings.h"
#include "settings/SerialCandidates.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinEdit.h"

namespace {

// Long enough for any 32-bit number, so a stored value shows whole.
constexpr int kDigitsLength = 10;
// The longest host name there is.
constexpr int kHostLength = 253;

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
    Create(mainWindow);
    SettingsFromRegistry(stored_, settings_);
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

    connect(chooser_, &CSkinButtonGroup::Notify, this, [this] { EnableEthernetFields(); });
    EnableEthernetFields();
}

CSettingsPanel::~CSettingsPanel()
{
    // What the operator typed last is kept even without a connect.
    ApplyPanel(settings_);
}

SettingsPanelFields CSettingsPanel::Fields() const
{
    SettingsPanelFields f;
    f.chooserPosition = std::max(0, chooser_->GetSelected());
    f.chooserText = entries_[static_cast<std::size_t>(f.chooserPosition)];
    f.host = host_->text().toStdString();
    f.port = port_->text().toStdString();
    f.lockCode = code_->text().toStdString();
    return f;
}

void CSettingsPanel::ApplyPanel(ConnectionSettings& settings)
{
    ApplyPanelFields(Fields(), settings);
    SettingsToRegistry(settings, stored_);
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
