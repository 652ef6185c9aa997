#include "settings/ui/SettingsPanel.h"

#include "app/ControllerTexts.h"
#include "settings/RegistrySettings.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinEdit.h"
#include "support/QtLiveRig.h"
#include "support/ShippedSkin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>

#include <filesystem>
#include <unistd.h>

namespace {

const std::vector<std::string> kPorts{"COM1", "COM3", "/dev/ttyUSB0"};

void Type(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
    }
}

// Points the settings store at an empty folder of its own for every test.
class SettingsPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CShippedSkin::Get().Loaded());
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
        stored_ = std::make_unique<CRegistrySettings>();
    }

    std::unique_ptr<CSettingsPanel> MakePanel()
    {
        return std::make_unique<CSettingsPanel>(&main_, CShippedSkin::Get().Manager(), settings_, *stored_, kPorts);
    }

    QTemporaryDir dir_;
    std::unique_ptr<CRegistrySettings> stored_;
    ConnectionSettings settings_;
    CMainWindowStandIn main_;
};

}  // namespace

TEST_F(SettingsPanelTest, FillsItselfFromTheStoredSettings)
{
    stored_->lockCode = 7u;
    stored_->host = std::string("127.0.0.9");
    stored_->port = 4000u;
    auto panel = MakePanel();
    EXPECT_EQ(panel->Entries(), (std::vector<std::string>{"Ethernet", "COM1", "COM3", "/dev/ttyUSB0"}));
    EXPECT_EQ(panel->Chooser().findChildren<CSkinButton*>().size(), 4);
    EXPECT_EQ(panel->Chooser().GetSelected(), 0);
    EXPECT_EQ(panel->CodeEdit().text(), "0007");
    EXPECT_EQ(panel->HostEdit().text(), "127.0.0.9");
    EXPECT_EQ(panel->PortEdit().text(), "4000");
    EXPECT_TRUE(panel->HostEdit().isEnabled());
    EXPECT_TRUE(panel->PortEdit().isEnabled());
    EXPECT_EQ(panel->geometry(), CMainWindowStandIn::kPageArea);
}

TEST_F(SettingsPanelTest, SerialChoiceDisablesHostAndPortAndIsStoredByName)
{
    stored_->portName = std::string("/dev/ttyUSB0");
    auto panel = MakePanel();
    EXPECT_EQ(panel->Chooser().GetSelected(), 3);
    EXPECT_FALSE(panel->HostEdit().isEnabled());
    EXPECT_FALSE(panel->PortEdit().isEnabled());

    // The operator picks COM3, then Ethernet again.
    const auto buttons = panel->Chooser().findChildren<CSkinButton*>();
    buttons[2]->click();
    QApplication::processEvents();
    EXPECT_FALSE(panel->HostEdit().isEnabled());
    panel->ApplyPanel(settings_);
    EXPECT_EQ(settings_.portName, "COM3");
    EXPECT_EQ(settings_.transportIndex, 2);
    EXPECT_EQ(stored_->portName.Value(), "COM3");
    buttons[0]->click();
    QApplication::processEvents();  // the group's notification is posted
    EXPECT_TRUE(panel->HostEdit().isEnabled());
    panel->ApplyPanel(settings_);
    EXPECT_EQ(settings_.portName, "TCP");
    EXPECT_EQ(settings_.transportIndex, 0);
}

TEST_F(SettingsPanelTest, DigitFieldsRefuseLettersAndLongPastesAreCut)
{
    auto panel = MakePanel();
    CSkinEdit& port = panel->PortEdit();
    port.clear();
    port.setFocus();
    Type(&port, "12ab3");
    EXPECT_EQ(port.text(), "123");
    QApplication::clipboard()->setText("x9");
    port.paste();
    EXPECT_EQ(port.text().toStdString().find_first_not_of("0123456789"), std::string::npos);

    CSkinEdit& host = panel->HostEdit();
    host.clear();
    QApplication::clipboard()->setText(QString(400, 'h'));
    host.paste();
    EXPECT_EQ(host.text().size(), 253);
    host.clear();
    QApplication::clipboard()->setText(QString(20, '7'));
    panel->CodeEdit().clear();
    panel->CodeEdit().paste();
    EXPECT_EQ(panel->CodeEdit().text().size(), 10);
}

TEST_F(SettingsPanelTest, GoingAwayWritesTheFieldsBackWithTheFixedLineSettings)
{
    stored_->baud = 4u;
    auto panel = MakePanel();
    panel->HostEdit().setText("127.0.0.1");
    panel->PortEdit().setText("1300");
    panel->CodeEdit().setText("0042");
    panel.reset();
    EXPECT_EQ(settings_.host, "127.0.0.1");
    EXPECT_EQ(settings_.portNumber, 1300u);
    EXPECT_EQ(settings_.lockCode, 42u);
    EXPECT_EQ(stored_->host.Value(), "127.0.0.1");
    EXPECT_EQ(stored_->port.Value(), 1300u);
    EXPECT_EQ(stored_->lockCode.Value(), 42u);
    EXPECT_EQ(stored_->baud.Value(), 1u);
    // Written to the store at exit.
    stored_.reset();
    CRegistrySettings again;
    EXPECT_EQ(again.host.Value(), "127.0.0.1");
}

TEST_F(SettingsPanelTest, RefusedLockCodeAndPortKeepWhatTheOperatorTyped)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vexlor_panel_" + std::to_string(getpid()));
    CQtLiveRig rig(1, folder.string());
    ASSERT_TRUE(rig.SimStarted());
    auto panel = MakePanel();
    rig.Start({nullptr, nullptr, panel.get()});
    panel->HostEdit().setText("127.0.0.1");
    panel->PortEdit().setText("70000");
    panel->CodeEdit().setText("12");
    rig.Controller().ToggleConnection();
    ASSERT_EQ(rig.Text().messages.size(), 2u);
    EXPECT_EQ(rig.Text().messages[0].text, texts::kCheckPassword);
    EXPECT_EQ(rig.Text().messages[1].text, texts::kCheckPort);
    EXPECT_EQ(rig.Controller().State(), ConnectionState::Disconnected);
    EXPECT_EQ(panel->CodeEdit().text(), "12");
    EXPECT_EQ(panel->PortEdit().text(), "70000");
    EXPECT_EQ(rig.Settings().portNumber, 70000u);
    std::filesystem::remove_all(folder);
}

TEST_F(SettingsPanelTest, ShotOfThePanel)
{
    const char* shots = std::getenv("VEXLOR_PAGE_SHOTS");
    if (!shots) GTEST_SKIP() << "VEXLOR_PAGE_SHOTS names no folder";
    stored_->portName = std::string("COM3");
    auto panel = MakePanel();
    panel->grab().save(QString(shots) + "/settings_panel.png");
}
