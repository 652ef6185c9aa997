#include "link/SerialLineSettings.h"
#include "ports/SerialDevice.h"

#include "settings/ConnectionSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(SerialLineSettings, DefaultCodesGive19200EightNoneOneWithoutHandshake)
{
    const auto line = LineSettingsFromCodes(ConnectionSettings{});
    EXPECT_EQ(line.baudRate, 19200u);
    EXPECT_EQ(line.dataBits, 8u);
    EXPECT_EQ(line.parity, SerialParity::None);
    EXPECT_EQ(line.stopBits, SerialStopBits::One);
    EXPECT_EQ(line.handshake, SerialHandshake::None);
}

TEST(SerialLineSettings, EveryCodeOfTheTableMapsToItsSetting)
{
    ConnectionSettings settings;
    const std::uint32_t bauds[] = {9600, 19200, 38400, 57600};
    for (std::uint32_t code = 0; code < 4; ++code) {
        settings.baudRate = code;
        settings.dataBits = code;
        EXPECT_EQ(LineSettingsFromCodes(settings).baudRate, bauds[code]);
        EXPECT_EQ(LineSettingsFromCodes(settings).dataBits, code + 5);
    }
    for (std::uint32_t code = 0; code < 5; ++code) {
        settings.parity = code;
        EXPECT_EQ(static_cast<std::uint32_t>(LineSettingsFromCodes(settings).parity), code);
    }
    settings.stopBits = 1;
    EXPECT_EQ(LineSettingsFromCodes(settings).stopBits, SerialStopBits::Two);
    settings.flowControl = 1;
    EXPECT_EQ(LineSettingsFromCodes(settings).handshake, SerialHandshake::Hardware);
    settings.flowControl = 2;
    EXPECT_EQ(LineSettingsFromCodes(settings).handshake, SerialHandshake::Software);
}

TEST(SerialLineSettings, CodesOutsideTheTableGiveZeroOrTheFirstSetting)
{
    ConnectionSettings settings;
    settings.baudRate = 4;
    settings.dataBits = 0xFFFFFFFFu;
    settings.stopBits = 2;
    settings.parity = 5;
    settings.flowControl = 3;
    const auto line = LineSettingsFromCodes(settings);
    EXPECT_EQ(line.baudRate, 0u);
    EXPECT_EQ(line.dataBits, 0u);
    EXPECT_EQ(line.stopBits, SerialStopBits::One);
    EXPECT_EQ(line.parity, SerialParity::None);
    EXPECT_EQ(line.handshake, SerialHandshake::None);
}

TEST(SerialDevicePath, ComNamesCountFromTheFirstSerialDevice)
{
    EXPECT_EQ(SerialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath("COM20"), "/dev/ttyS19");
    EXPECT_EQ(SerialDevicePath("com3"), "/dev/ttyS2");
    EXPECT_EQ(SerialDevicePath("/dev/pts/7"), "/dev/pts/7");
}

TEST(SerialDevicePath, OtherNamesNameNoDevice)
{
    for (const char* name : {"", "TCP", "COM", "COM0", "COM1x", "COM1234", "ttyS0", "../dev/ttyS0"})
        EXPECT_EQ(SerialDevicePath(name), "") << name;
}

}  // namespace
