#include "settings/RegistrySettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Points the settings store at an empty folder of its own for every test.
class RegistrySettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
    QString IniPath() const { return dir_.path() + "/Tessavorn/Vexlor.ini"; }
    QVariant Stored(const QString& name) const
    {
        QSettings ini(IniPath(), QSettings::IniFormat);
        return ini.value("Settings/" + name);
    }
    void Store(const QString& name, const QVariant& value)
    {
        QSettings ini(IniPath(), QSettings::IniFormat);
        ini.setValue("Settings/" + name, value);
    }

    fs::perms Rights() const { return fs::status(IniPath().toStdString()).permissions() & fs::perms::all; }

    QTemporaryDir dir_;
};

TEST_F(RegistrySettingsTest, FirstRunGivesEthernetDefaults)
{
    CRegistrySettings stored;
    ConnectionSettings settings;
    settings.transportIndex = 5;
    SettingsFromRegistry(stored, settings);
    EXPECT_EQ(settings.transportIndex, 0);
    EXPECT_EQ(settings.host, ConnectionSettings{}.host);
    EXPECT_EQ(settings.portNumber, 1203u);
    EXPECT_EQ(settings.portName, "TCP");
    EXPECT_EQ(settings.lockCode, kDefaultLockCode);
    EXPECT_EQ(settings.dataBits, 3u);
    EXPECT_EQ(settings.baudRate, 1u);
    EXPECT_EQ(stored.host.Status(), RegistryStatus::ValueNotRead);
}

TEST_F(RegistrySettingsTest, ValuesWrittenAtExitAreReadNextRun)
{
    {
        CRegistrySettings stored;
        ConnectionSettings settings;
        settings.host = "127.0.0.1";
        settings.portNumber = 4000;
        settings.portName = "COM3";
        settings.lockCode = 42;
        settings.parity = 2;
        SettingsToRegistry(settings, stored);
        EXPECT_FALSE(QFile::exists(IniPath()) && Stored("sHost").isValid());  // nothing before exit
    }
    EXPECT_EQ(Stored("sHost").toString(), "127.0.0.1");
    EXPECT_EQ(Stored("dwLockCode").toUInt(), 42u);

    CRegistrySettings again;
    ConnectionSettings settings;
    SettingsFromRegistry(again, settings);
    EXPECT_EQ(again.host.Status(), RegistryStatus::Success);
    EXPECT_EQ(settings.host, "127.0.0.1");
    EXPECT_EQ(settings.portNumber, 4000u);
    EXPECT_EQ(settings.portName, "COM3");
    EXPECT_EQ(settings.transportIndex, 1);
    EXPECT_EQ(settings.lockCode, 42u);
    EXPECT_EQ(settings.parity, 2u);
}

TEST_F(RegistrySettingsTest, OnlyExactTcpMeansEthernet)
{
    for (const char* name : {"tcp", "COM1", "/dev/pts/3", ""}) {
        Store("sPortName", QString(name));
        CRegistrySettings stored;
        ConnectionSettings settings;
        SettingsFromRegistry(stored, settings);
        EXPECT_EQ(settings.transportIndex, 1) << name;
        stored.portName.Delete();
    }
}

TEST_F(RegistrySettingsTest, DeletedValueIsNotWrittenBackSoNextRunReadsDefault)
{
    const std::string fallback = "processor.default";
    Store("sHost", "127.0.0.9");
    {
        CRegistryValue<std::string> host("sHost", fallback);
        EXPECT_EQ(host.Value(), "127.0.0.9");
        host.Delete();
        EXPECT_TRUE(host.IsDeleted());
        host = "127.0.0.10";
    }
    EXPECT_FALSE(Stored("sHost").isValid());
    CRegistryValue<std::string> host("sHost", fallback);
    EXPECT_EQ(host.Value(), fallback);
    EXPECT_EQ(host.Status(), RegistryStatus::ValueNotRead);
}

TEST_F(RegistrySettingsTest, UnreadableNumberFallsBackToDefault)
{
    Store("dwPort", "not a number");
    Store("dwBaud", "99999999999");
    CRegistryValue<std::uint32_t> port("dwPort", 1203);
    CRegistryValue<std::uint32_t> baud("dwBaud", 1);
    EXPECT_EQ(port.Value(), 1203u);
    EXPECT_EQ(port.Status(), RegistryStatus::ValueNotRead);
    EXPECT_EQ(baud.Value(), 1u);
}

// One damaged line must not cost the other values, and a value that cannot be
// read must not be replaced by its default in the file at exit.
TEST_F(RegistrySettingsTest, MalformedLinesKeepEveryReadableValueAndTheirOwnText)
{
    QDir().mkpath(dir_.path() + "/Tessavorn");
    {
        QFile ini(IniPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings\n"  // a format error for the whole file
                  "sPortName=/dev/ttyS1\n"
                  "dwPort=12o3\n"
                  "dwBaud=2\n"
                  "sHost=\"127.0.0.7\n"  // an open quote runs into the next line
                  "#\n");
    }
    {
        CRegistrySettings stored;
        ConnectionSettings settings;
        SettingsFromRegistry(stored, settings);
        EXPECT_EQ(settings.portName, "/dev/ttyS1");
        EXPECT_EQ(settings.transportIndex, 1);
        EXPECT_EQ(settings.baudRate, 2u);
        EXPECT_EQ(settings.portNumber, 1203u);
        EXPECT_EQ(stored.port.Status(), RegistryStatus::ValueNotRead);
        EXPECT_EQ(settings.host, ConnectionSettings{}.host);
        settings.lockCode = 77;  // the operator changed only the lock code
        SettingsToRegistry(settings, stored);
    }
    EXPECT_EQ(Stored("sPortName").toString(), "/dev/ttyS1");
    EXPECT_EQ(Stored("dwPort").toString(), "12o3");
    EXPECT_EQ(Stored("dwBaud").toUInt(), 2u);
    EXPECT_NE(Stored("sHost").toString().toStdString(), ConnectionSettings{}.host);
    EXPECT_EQ(Stored("dwLockCode").toUInt(), 77u);

    // A value the operator does change is written, damaged or not before.
    {
        CRegistryValue<std::uint32_t> port("dwPort", 1203);
        port = 4000;
    }
    EXPECT_EQ(Stored("dwPort").toUInt(), 4000u);
}

// A stray quote high up hides every later line from the reader. Those values
// are not written over with defaults at exit; a copy of the file is kept and
// reported once.
TEST_F(RegistrySettingsTest, DamagedFileIsKeptNotOverwrittenWithDefaultsAndReportedOnce)
{
    QDir().mkpath(dir_.path() + "/Tessavorn");
    const QByteArray damaged = "[Settings]\n"
                               "sPortName=TCP\n"
                               "sHost=\"127.0.0.9\n"
                               "dwPort=4000\n"
                               "dwLockCode=42\n";
    {
        QFile ini(IniPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(damaged);
    }
    auto contents = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    {
        CRegistrySettings stored;
        EXPECT_EQ(stored.damagedCopy, (IniPath() + ".damaged").toStdString());
        ConnectionSettings settings;
        SettingsFromRegistry(stored, settings);
        EXPECT_EQ(settings.portNumber, 1203u);  // hidden: the default stands in
        SettingsToRegistry(settings, stored);
        stored.port.Write();  // as a connect that stores its settings does
    }
    EXPECT_EQ(contents(IniPath()), damaged);
    EXPECT_EQ(contents(IniPath() + ".damaged"), damaged);
    CRegistrySettings again;
    EXPECT_TRUE(again.damagedCopy.empty());
}

TEST_F(RegistrySettingsTest, UnwritableStoreReportsWriteFailure)
{
    // The store's folder is a file: nothing can be created below it.
    QFile blocker(dir_.path() + "/Tessavorn");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto port = std::make_unique<CRegistryValue<std::uint32_t>>("dwPort", 1203);
    *port = 7;
    port->Write();
    EXPECT_EQ(port->Status(), RegistryStatus::ValueNotWritten);
    port.reset();  // the failed write at exit is ignored
}

}  // namespace

TEST_F(RegistrySettingsTest, SettingsWrittenOnConnectLandAtOnceInAFileOnlyItsOwnerCanRead)
{
    CRegistrySettings stored;
    ConnectionSettings settings;
    settings.host = "127.0.0.1";
    settings.lockCode = 4321;
    const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    WriteSettingsNow(settings, stored);
    // Before the stored values go: a process killed now keeps them.
    EXPECT_EQ(Stored("sHost").toString(), "127.0.0.1");
    EXPECT_EQ(Stored("dwLockCode").toUInt(), 4321u);
    EXPECT_EQ(Rights(), ownerOnly);

    // A file made readable by others before is narrowed at the next write.
    fs::permissions(IniPath().toStdString(), fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);
    stored.lockCode.Write();
    EXPECT_EQ(Rights(), ownerOnly);

    // The next connect with the same values (a reconnect) leaves the file as it
    // is: each write would replace and flush it; a changed value is written.
    const auto inode = [&] {
        struct stat st{};
        return ::stat(IniPath().toLocal8Bit().constData(), &st) == 0 ? st.st_ino : ino_t{0};
    };
    const ino_t before = inode();
    WriteSettingsNow(settings, stored);
    EXPECT_EQ(inode(), before);
    settings.lockCode = 1234;
    WriteSettingsNow(settings, stored);
    EXPECT_NE(inode(), before);
    EXPECT_EQ(Stored("dwLockCode").toUInt(), 1234u);
}
