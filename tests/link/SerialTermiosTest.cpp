#include "link/SerialTermios.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

namespace {

termios RawLine()
{
    termios tio{};
    ApplyRaw(tio);
    return tio;
}

TEST(SerialTermios, EveryParityAndSizeReadsBackAsSet)
{
    for (auto parity : {SerialParity::None, SerialParity::Odd, SerialParity::Even, SerialParity::Mark,
                        SerialParity::Space}) {
        for (std::uint32_t bits = 5; bits <= 8; ++bits) {
            termios tio = RawLine();
            ASSERT_EQ(ApplyLine(tio, 57600, bits, parity, SerialStopBits::One), 0);
            EXPECT_EQ(ParityOf(tio), parity);
            EXPECT_EQ(DataBitsOf(tio), static_cast<int>(bits));
            EXPECT_EQ(BaudRateOf(tio), 57600);
            EXPECT_EQ(StopBitsOf(tio), SerialStopBits::One);
            // Input parity checking goes with the parity of the line.
            EXPECT_EQ((tio.c_iflag & INPCK) != 0, parity != SerialParity::None);
        }
    }
}

TEST(SerialTermios, SevenOddTwoOverwritesAnEarlierLine)
{
    termios tio = RawLine();
    ASSERT_EQ(ApplyLine(tio, 9600, 8, SerialParity::Mark, SerialStopBits::One), 0);
    ASSERT_EQ(ApplyLine(tio, 19200, 7, SerialParity::Odd, SerialStopBits::Two), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(cfgetispeed(&tio), B19200);
}

TEST(SerialTermios, UnknownValuesLeaveTheAttributesUntouched)
{
    termios tio = RawLine();
    ASSERT_EQ(ApplyLine(tio, 38400, 8, SerialParity::None, SerialStopBits::One), 0);
    const termios before = tio;
    EXPECT_EQ(ApplyLine(tio, 0, 8, SerialParity::Even, SerialStopBits::Two), EINVAL);
    EXPECT_EQ(ApplyLine(tio, 19200, 9, SerialParity::Even, SerialStopBits::Two), EINVAL);
    EXPECT_EQ(ApplyLine(tio, 19200, 8, static_cast<SerialParity>(9), SerialStopBits::Two), EINVAL);
    EXPECT_EQ(ApplyHandshaking(tio, static_cast<SerialHandshake>(3)), EINVAL);
    EXPECT_EQ(std::memcmp(&tio, &before, sizeof tio), 0);
}

TEST(SerialTermios, HandshakingModesSwitchEachOther)
{
    termios tio = RawLine();
    ASSERT_EQ(ApplyHandshaking(tio, SerialHandshake::Software), 0);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    ASSERT_EQ(ApplyHandshaking(tio, SerialHandshake::Hardware), 0);
    EXPECT_EQ(HandshakingOf(tio), SerialHandshake::Hardware);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    ASSERT_EQ(ApplyHandshaking(tio, SerialHandshake::None), 0);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_EQ(HandshakingOf(tio), SerialHandshake::None);
    // DTR and RTS are raised only while handshaking; otherwise held low.
    EXPECT_EQ(ModemLinesFor(SerialHandshake::Hardware), TIOCM_DTR | TIOCM_RTS);
    EXPECT_EQ(ModemLinesFor(SerialHandshake::None), 0);
    EXPECT_EQ(ModemLinesFor(SerialHandshake::Software), 0);
}

TEST(SerialTermios, ABreakIsIgnoredRatherThanReadAsAZeroByte)
{
    termios tio{};
    tio.c_iflag = BRKINT | PARMRK;
    ApplyRaw(tio);
    EXPECT_TRUE(tio.c_iflag & IGNBRK);
    EXPECT_FALSE(tio.c_iflag & (BRKINT | PARMRK));
}

}  // namespace
