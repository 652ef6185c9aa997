#include "settings/ui/SettingsPanel.h"

#include "app/ControllerTexts.h"
#include "settings/RegistrySettings.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinList.h"
#include "support/GroupClick.h"
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

void Press(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

std::vector<std::string> Names(const CConnectionProfiles& profiles)
{
    std::vector<std::string> names;
    for (const auto& p : profiles.List()) names.push_back(p.name);
    return names;
}

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
    EXPECT_EQ(panel->Chooser().ButtonCount(), 4);
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
    ClickGroupButton(panel->Chooser(), 2);
    QApplication::processEvents();
    EXPECT_FALSE(panel->HostEdit().isEnabled());
    panel->ApplyPanel(settings_);
    EXPECT_EQ(settings_.portName, "COM3");
    EXPECT_EQ(settings_.transportIndex, 2);
    EXPECT_EQ(stored_->portName.Value(), "COM3");
    ClickGroupButton(panel->Chooser(), 0);
    QApplication::processEvents();  // the group's notification is posted
    EXPECT_TRUE(panel->HostEdit().isEnabled());
    panel->ApplyPanel(settings_);
    EXPECT_EQ(settings_.portName, "TCP");
    EXPECT_EQ(settings_.transportIndex, 0);
}

// The Off/On field comes after the profile buttons in the Tab chain; the
// arrow keys choose, and the choice is stored and shown again next time.
TEST_F(SettingsPanelTest, ReconnectIsOnByDefaultAndTheKeyboardTurnsItOffForGood)
{
    EXPECT_TRUE(settings_.reconnect);
    auto panel = MakePanel();
    EXPECT_EQ(panel->ReconnectChooser().GetSelected(), 1);
    main_.show();
    QApplication::setActiveWindow(&main_);
    panel->RenameButton().setFocus();
    Press(&panel->RenameButton(), Qt::Key_Tab);  // Delete is off with one profile
    ASSERT_EQ(QApplication::focusWidget(), &panel->ReconnectChooser());
    EXPECT_EQ(panel->ReconnectChooser().FocusIndex(), 1);
    Press(QApplication::focusWidget(), Qt::Key_Left);
    QApplication::processEvents();
    EXPECT_EQ(panel->ReconnectChooser().GetSelected(), 0);
    panel->ApplyPanel(settings_);
    EXPECT_FALSE(settings_.reconnect);
    EXPECT_EQ(stored_->reconnect.Value(), 0u);
    // A serial choice keeps it off too.
    ClickGroupButton(panel->Chooser(), 1);
    QApplication::processEvents();
    panel.reset();
    EXPECT_FALSE(settings_.reconnect);
    stored_.reset();
    stored_ = std::make_unique<CRegistrySettings>();
    ConnectionSettings next;
    SettingsFromRegistry(*stored_, next);
    EXPECT_FALSE(next.reconnect);
    EXPECT_EQ(MakePanel()->ReconnectChooser().GetSelected(), 0);
}

TEST_F(SettingsPanelTest, AStoredPortThatIsAbsentOrBusyStaysStoredUnlessTheOperatorChoosesAnother)
{
    stored_->portName = std::string("COM7");
    auto panel = MakePanel();
    EXPECT_EQ(panel->Chooser().GetSelected(), 1);  // the first port there is
    panel.reset();
    EXPECT_EQ(stored_->portName.Value(), "COM7");
    // With no serial port at all the chooser shows Ethernet; the port is still kept.
    panel = std::make_unique<CSettingsPanel>(&main_, CShippedSkin::Get().Manager(), settings_, *stored_,
                                             std::vector<std::string>{});
    EXPECT_EQ(panel->Chooser().GetSelected(), 0);
    panel.reset();
    EXPECT_EQ(stored_->portName.Value(), "COM7");

    // The operator's own choice is stored.
    panel = MakePanel();
    ClickGroupButton(panel->Chooser(), 2);
    QApplication::processEvents();  // the group's notification is posted
    panel.reset();
    EXPECT_EQ(stored_->portName.Value(), "COM3");
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

// New, Rename and Delete work from the keyboard, each profile keeps its own
// fields, and refused names change nothing.
TEST_F(SettingsPanelTest, ProfilesAreMadeRenamedAndDeletedFromTheKeyboard)
{
    stored_->host = std::string("127.0.0.9");
    auto panel = MakePanel();
    EXPECT_EQ(Names(panel->Profiles()), std::vector<std::string>{"127.0.0.9"});
    EXPECT_FALSE(panel->DeleteButton().isEnabled());

    panel->NameEdit().setText("FM");
    panel->HostEdit().setText("127.0.0.2");
    Press(&panel->NewButton(), Qt::Key_Space);
    EXPECT_EQ(Names(panel->Profiles()), (std::vector<std::string>{"127.0.0.9", "FM"}));
    EXPECT_EQ(panel->Profiles().Current(), "FM");
    EXPECT_EQ(panel->Profiles().Find("FM")->host, "127.0.0.2");
    EXPECT_TRUE(panel->DeleteButton().isEnabled());

    // The first profile gets its own host back when chosen with the arrow key.
    panel->ProfileList().setFocus();
    Press(&panel->ProfileList(), Qt::Key_Up);
    EXPECT_EQ(panel->Profiles().Current(), "127.0.0.9");
    EXPECT_EQ(panel->HostEdit().text(), "127.0.0.9");
    EXPECT_EQ(panel->NameEdit().text(), "127.0.0.9");

    panel->NameEdit().setText("fm");
    Press(&panel->RenameButton(), Qt::Key_Space);
    EXPECT_FALSE(panel->Refusal().empty());
    panel->NameEdit().setText(QString(41, 'x'));
    Press(&panel->RenameButton(), Qt::Key_Space);
    EXPECT_EQ(panel->Refusal(), ProfileNameProblemText(ProfileNameProblem::TooLong));
    EXPECT_EQ(panel->NameEdit().text(), QString(41, 'x'));  // kept to mend
    panel->NameEdit().setText("AM Site");
    Press(&panel->RenameButton(), Qt::Key_Space);
    EXPECT_TRUE(panel->Refusal().empty());
    EXPECT_EQ(Names(panel->Profiles()), (std::vector<std::string>{"AM Site", "FM"}));

    Press(&panel->DeleteButton(), Qt::Key_Space);
    EXPECT_EQ(Names(panel->Profiles()), std::vector<std::string>{"FM"});
    EXPECT_EQ(panel->HostEdit().text(), "127.0.0.2");
    EXPECT_FALSE(panel->DeleteButton().isEnabled());
}

// The window connects to the profile chosen in the list and says which one it is.
TEST_F(SettingsPanelTest, ConnectUsesTheChosenProfileAndTheTitleNamesIt)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vexlor_profiles_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    CQtLiveRig rig(1, folder.string());
    ASSERT_TRUE(rig.SimStarted());
    CConnectionProfiles profiles;
    ConnectionProfile sim;
    sim.name = "FM Site";
    sim.host = "127.0.0.1";
    sim.portNumber = rig.Settings().portNumber;
    sim.lockCode = CQtLiveRig::kLock;
    ConnectionProfile other = sim;
    other.name = "AM Site";
    other.portNumber = 7;
    profiles.Add(other);
    profiles.Add(sim);
    profiles.Select("AM Site");
    // The stored settings are the record of the profile in use, also when an
    // older copy of the program changed them.
    stored_->host = std::string("127.0.0.1");
    stored_->port = 9u;  // nothing answers there
    int stores = 0;
    auto panel = MakePanel();
    panel->SetProfiles(profiles, [&stores] { ++stores; });
    EXPECT_EQ(panel->PortEdit().text(), "9");
    EXPECT_EQ(profiles.Find("AM Site")->portNumber, 9u);
    panel->ChooseProfile("FM Site");
    EXPECT_EQ(panel->PortEdit().text(), QString::number(sim.portNumber));
    EXPECT_GE(stores, 2);
    rig.Start({nullptr, nullptr, panel.get()});
    ASSERT_TRUE(rig.ConnectToReady()) << (rig.Text().messages.empty() ? "" : rig.Text().messages[0].text);
    EXPECT_EQ(rig.Text().title.rfind("FM Site - Remote V", 0), 0u) << rig.Text().title;
    EXPECT_EQ(profiles.Current(), "FM Site");
    rig.DisconnectAndWait();
    std::filesystem::remove_all(folder);
}

// The store is written with a flush to disk, which start-up cannot afford
// when it has nothing new to keep.
TEST_F(SettingsPanelTest, StartStoresTheProfilesOnlyWhenItChangedThem)
{
    CConnectionProfiles profiles;
    int stores = 0;
    auto first = MakePanel();
    first->SetProfiles(profiles, [&stores] { ++stores; });
    EXPECT_EQ(stores, 1);
    ASSERT_EQ(profiles.List().size(), 1u);
    auto next = MakePanel();
    next->SetProfiles(profiles, [&stores] { ++stores; });
    EXPECT_EQ(stores, 1);
    EXPECT_EQ(next->ProfileList().topLevelItemCount(), 1);
}

TEST_F(SettingsPanelTest, ShotOfThePanel)
{
    const char* shots = std::getenv("VEXLOR_PAGE_SHOTS");
    if (!shots) GTEST_SKIP() << "VEXLOR_PAGE_SHOTS names no folder";
    stored_->portName = std::string("COM3");
    auto panel = MakePanel();
    panel->NameEdit().setText("FM Site B");
    panel->NewButton().click();
    panel->NameEdit().setText("AM Site");
    panel->NewButton().click();
    panel->ProfileList().setFocus();
    panel->grab().save(QString(shots) + "/settings_panel.png");
}
