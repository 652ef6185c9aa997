#include "settings/SerialCandidates.h"
#include "settings/SettingsPanelFields.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(SettingsPanelFields, ApplyWritesTheFieldsAndTheFixedLineSettings)
{
    ConnectionSettings s;
    s.baudRate = 7;
    s.parity = 2;
    s.tries = 3;
    ApplyPanelFields({2, "COM4", "127.0.0.3", "1300", "0042"}, s);
    EXPECT_EQ(s.transportIndex, 2);
    EXPECT_EQ(s.portName, "COM4");
    EXPECT_EQ(s.host, "127.0.0.3");
    EXPECT_EQ(s.portNumber, 1300u);
    EXPECT_EQ(s.lockCode, 42u);
    EXPECT_EQ(s.baudRate, 1u);
    EXPECT_EQ(s.parity, 0u);
    EXPECT_EQ(s.dataBits, 3u);
    EXPECT_EQ(s.stopBits, 0u);
    EXPECT_EQ(s.flowControl, 0u);
    EXPECT_EQ(s.tries, 10);
    EXPECT_EQ(s.replyTimeoutMs, 2000);
    EXPECT_EQ(s.statusRate, 10);

    ApplyPanelFields({0, "Ethernet", "127.0.0.1", "1203", "1234"}, s);
    EXPECT_EQ(s.portName, "TCP");
    EXPECT_EQ(s.transportIndex, 0);
}

TEST(SettingsPanelFields, OverlongNumbersSaturateSoTheConnectCheckRefusesThem)
{
    EXPECT_EQ(NumberFromDigits(""), 0u);
    EXPECT_EQ(NumberFromDigits("65535"), 65535u);
    EXPECT_EQ(NumberFromDigits("4294967295"), 4294967295u);
    EXPECT_EQ(NumberFromDigits("4294967296"), 4294967295u);
    EXPECT_EQ(NumberFromDigits("99999999999999999999999"), 4294967295u);
}

TEST(SettingsPanelFields, LockCodeShowsAtLeastFourDigits)
{
    EXPECT_EQ(LockCodeText(7), "0007");
    EXPECT_EQ(LockCodeText(0), "0000");
    EXPECT_EQ(LockCodeText(1234), "1234");
    EXPECT_EQ(LockCodeText(12345), "12345");
}

TEST(SettingsPanelFields, ChooserSelectsTheStoredPortOrTheFirstSerialOrEthernet)
{
    const std::vector<std::string> entries{"Ethernet", "COM1", "COM3", "/dev/ttyUSB0"};
    ConnectionSettings s;
    EXPECT_EQ(ChooserPositionFor(s, entries), 0);
    s.transportIndex = 1;
    s.portName = "COM3";
    EXPECT_EQ(ChooserPositionFor(s, entries), 2);
    s.portName = "/dev/ttyUSB0";
    EXPECT_EQ(ChooserPositionFor(s, entries), 3);
    s.portName = "COM9";
    EXPECT_EQ(ChooserPositionFor(s, entries), 1);
    s.portName = "Ethernet";  // a stored name equal to the Ethernet entry is still serial
    EXPECT_EQ(ChooserPositionFor(s, entries), 1);
    EXPECT_EQ(ChooserPositionFor(s, {"Ethernet"}), 0);
}

TEST(SerialCandidates, OpenableComPortsThenUsbAdaptersInOrder)
{
    const std::set<std::string> openable{"COM2", "COM20", "/dev/ttyACM0", "/dev/ttyUSB1"};
    const std::set<std::string> busy{"COM3", "/dev/ttyUSB0"};
    std::vector<std::string> asked;
    const auto check = [&](const std::string& name) {
        asked.push_back(name);
        if (openable.count(name)) return PortCheck::Available;
        return busy.count(name) ? PortCheck::InUse : PortCheck::Missing;
    };
    const auto ports = AvailableSerialPorts(check, {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1"});
    EXPECT_EQ(ports, (std::vector<std::string>{"COM2", "COM20", "/dev/ttyACM0", "/dev/ttyUSB1"}));
    EXPECT_EQ(asked.size(), 23u);
    EXPECT_EQ(asked.front(), "COM1");
}

TEST(SerialCandidates, UsbDevicesAreFoundByNameAndSortedWithNumbersAsNumbers)
{
    const fs::path dir = fs::temp_directory_path() / ("vexlor_usb_" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "tty", "ttyUSB"})
        std::ofstream(dir / name).put('x');
    const auto devices = UsbSerialDevices(dir.string());
    fs::remove_all(dir);
    const std::vector<std::string> expected{(dir / "ttyACM0").string(), (dir / "ttyUSB").string(),
                                            (dir / "ttyUSB2").string(), (dir / "ttyUSB10").string()};
    EXPECT_EQ(devices, expected);
    EXPECT_TRUE(UsbSerialDevices((dir / "missing").string()).empty());
}
