#include "settings/ProfileStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Points the settings store at an empty folder of its own for every test.
class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
    QString IniPath() const { return dir_.path() + "/Tessavorn/Vexlor.ini"; }
    void WriteIni(const QByteArray& text)
    {
        QDir().mkpath(dir_.path() + "/Tessavorn");
        QFile ini(IniPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(text);
    }
    static ConnectionProfile Profile(const std::string& name, const std::string& host, std::uint32_t port)
    {
        ConnectionProfile p;
        p.name = name;
        p.host = host;
        p.portNumber = port;
        p.lockCode = 77;
        return p;
    }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ProfileStoreTest, ProfilesRoundTripBesideTheSettingsGroup)
{
    WriteIni("[Settings]\nsHost=127.0.0.5\n");
    {
        CProfileStore store;
        CConnectionProfiles profiles = store.Load();
        EXPECT_TRUE(profiles.List().empty());
        profiles.Add(Profile("FM", "127.0.0.2", 1300));
        profiles.Add(Profile("AM", "127.0.0.3", 1301));
        profiles.Select("AM");
        ASSERT_TRUE(store.Save(profiles));
    }
    CProfileStore store;
    const CConnectionProfiles back = store.Load();
    ASSERT_EQ(back.List().size(), 2u);
    EXPECT_EQ(back.Current(), "AM");
    EXPECT_EQ(back.Find("FM")->host, "127.0.0.2");
    EXPECT_EQ(back.Find("AM")->portNumber, 1301u);
    EXPECT_EQ(back.Find("AM")->lockCode, 77u);
    EXPECT_EQ(QSettings(IniPath(), QSettings::IniFormat).value("Settings/sHost").toString(), "127.0.0.5");
}

TEST_F(ProfileStoreTest, DeletedAndRenamedProfilesLeaveNoStaleEntries)
{
    {
        CProfileStore store;
        CConnectionProfiles profiles = store.Load();
        profiles.Add(Profile("FM", "127.0.0.2", 1300));
        profiles.Add(Profile("AM", "127.0.0.3", 1301));
        store.Save(profiles);
        profiles.Remove("FM");
        profiles.Rename("AM", "AM Site B");
        profiles.Add(Profile("HD", "127.0.0.4", 1302));
        store.Save(profiles);
    }
    CProfileStore store;
    const CConnectionProfiles back = store.Load();
    ASSERT_EQ(back.List().size(), 2u);
    EXPECT_EQ(back.List()[0].name, "AM Site B");
    EXPECT_EQ(back.List()[1].name, "HD");
    EXPECT_EQ(back.Current(), "AM Site B");
}

// One damaged line costs its own profile and nothing else, and the damaged
// entry is not overwritten when the others are saved.
TEST_F(ProfileStoreTest, MalformedLineCostsOnlyItsOwnProfile)
{
    WriteIni("[Settings]\nsHost=127.0.0.5\n"
             "[Profiles]\n"
             "1\\sName=FM\n1\\sPortName=TCP\n1\\sHost=127.0.0.2\n1\\dwPort=1300\n1\\dwLockCode=12\n"
             "2\\sName=AM\n2\\sPortName=TCP\n2\\sHost=127.0.0.3\n2\\dwPort=13o1\n2\\dwLockCode=12\n"
             "3\\sName=HD\n3\\sPortName=TCP\n3\\sHost=127.0.0.4\n3\\dwPort=1302\n3\\dwLockCode=12\n"
             "4\\sName=fm\n4\\sPortName=TCP\n4\\sHost=127.0.0.6\n4\\dwPort=1303\n4\\dwLockCode=12\n"
             "sCurrent=AM\n");
    CProfileStore store;
    CConnectionProfiles profiles = store.Load();
    ASSERT_EQ(profiles.List().size(), 2u);
    EXPECT_EQ(profiles.List()[0].name, "FM");
    EXPECT_EQ(profiles.List()[1].name, "HD");
    EXPECT_EQ(profiles.Current(), "FM");  // the stored choice was the damaged one

    profiles.Add(Profile("New", "127.0.0.8", 1304));
    ASSERT_TRUE(store.Save(profiles));
    QSettings ini(IniPath(), QSettings::IniFormat);
    EXPECT_EQ(ini.value("Profiles/2/dwPort").toString(), "13o1");
    EXPECT_EQ(ini.value("Profiles/4/sName").toString(), "fm");
    EXPECT_EQ(ini.value("Settings/sHost").toString(), "127.0.0.5");
    CProfileStore again;
    EXPECT_EQ(again.Load().Find("New")->host, "127.0.0.8");
}

// Saving rewrites the whole file; a damaged one keeps what lies past its damage.
TEST_F(ProfileStoreTest, DamagedFileIsNotWrittenOver)
{
    // The open quote runs over the lines after it.
    const QByteArray text = "[Profiles]\n"
                            "1\\sName=AM\n1\\sPortName=TCP\n1\\sHost=127.0.0.3\n1\\dwPort=1301\n1\\dwLockCode=12\n"
                            "2\\sName=FM\n2\\sPortName=TCP\n2\\sHost=\"127.0.0.2\n"
                            "2\\dwPort=1300\n2\\dwLockCode=12\n";
    WriteIni(text);
    CProfileStore store;
    CConnectionProfiles profiles = store.Load();
    ASSERT_EQ(profiles.List().size(), 1u);
    EXPECT_EQ(profiles.List()[0].name, "AM");
    profiles.Add(Profile("New", "127.0.0.8", 1304));
    EXPECT_FALSE(store.Save(profiles));
    QFile ini(IniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), text);
}
