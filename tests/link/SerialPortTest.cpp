#include "link/SerialPort.h"

#include "ports/SerialDevice.h"
#include "ports/SerialLock.h"

#include "TransportTestSupport.h"

#include <gtest/gtest.h>

#include <asio/io_context.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace transport_test;

class SerialPortTest : public ::testing::Test {
protected:
    // Lock files go to a folder of the test's own.
    void SetUp() override
    {
        char folder[] = "/tmp/vexlor-lock-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        lockFolder_ = folder;
        CSerialLock::SetFolder(lockFolder_);
    }
    void TearDown() override
    {
        port.Close();
        CSerialLock::SetFolder("/var/lock");
        std::filesystem::remove_all(lockFolder_);
    }
    std::string LockFile() const { return CSerialLock::LockFilePath(pty.Path()); }
    void WriteLock(const std::string& text) const { std::ofstream(LockFile(), std::ios::trunc) << text; }
    std::string ReadLock() const
    {
        std::ifstream in(LockFile());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string PidText(pid_t pid)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
        return text;
    }
    // The id of a process that has ended.
    static pid_t EndedProcess()
    {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        ::waitpid(child, nullptr, 0);
        return child;
    }

    std::string lockFolder_;
    asio::io_context io;
    PtyPair pty;
    CSerialPort port{io};
};

// A terminal program that opened the port plainly shows only by its lock file.
TEST_F(SerialPortTest, PortLockedByARunningProgramIsInUse)
{
    const int plain = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(plain, 0);
    WriteLock(PidText(1));  // process 1 always runs
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::InUse);
    EXPECT_EQ(port.Open(pty.Path()), EBUSY);
    EXPECT_EQ(ReadLock(), PidText(1));
    ::close(plain);
}

// The older binary form: the id as a 4-byte integer. A running holder keeps
// its lock; an ended one's lock is stale.
TEST_F(SerialPortTest, BinaryLockFilesAreReadLikeTextOnes)
{
    auto writeBinary = [&](pid_t pid) {
        const std::int32_t raw = pid;
        std::ofstream(LockFile(), std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(&raw), 4);
    };
    writeBinary(::getpid());
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::InUse);
    EXPECT_EQ(port.Open(pty.Path()), EBUSY);
    EXPECT_EQ(std::filesystem::file_size(LockFile()), 4u);
    writeBinary(EndedProcess());
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::Available);
    EXPECT_EQ(port.Open(pty.Path()), 0);
}

TEST_F(SerialPortTest, StaleLockIsTakenOverHeldWhileOpenAndGivenBackOnClose)
{
    for (const std::string& stale : {PidText(EndedProcess()), std::string("no process\n")}) {
        WriteLock(stale);
        EXPECT_EQ(CheckPort(pty.Path()), PortCheck::Available) << stale;
        ASSERT_EQ(port.Open(pty.Path()), 0) << stale;
        EXPECT_EQ(ReadLock(), PidText(::getpid()));
        EXPECT_EQ(CheckPort(pty.Path()), PortCheck::InUse);
        EXPECT_EQ(port.Close(), 0);
        EXPECT_FALSE(std::filesystem::exists(LockFile()));
    }
}

TEST_F(SerialPortTest, LockFileIsNamedAfterTheDeviceBelowDev)
{
    EXPECT_EQ(CSerialLock::LockFilePath("/dev/ttyS0"), lockFolder_ + "/LCK..ttyS0");
    EXPECT_EQ(CSerialLock::LockFilePath("/dev/pts/7"), lockFolder_ + "/LCK..pts_7");
}

TEST_F(SerialPortTest, OpensAPathAndAppliesTheLine)
{
    ASSERT_EQ(port.Open(pty.Path()), 0);
    EXPECT_TRUE(port.IsOpen());
    // A pseudo-terminal keeps 8 bits without parity whatever it is told; speed
    // and stop bits show on the device, the rest in SerialTermiosTest.
    EXPECT_EQ(port.Setup(9600, 8, SerialParity::None, SerialStopBits::Two), 0);
    EXPECT_EQ(port.GetBaudRate(), 9600);
    EXPECT_EQ(port.GetDataBits(), 8);
    EXPECT_EQ(port.GetParity(), static_cast<int>(SerialParity::None));
    EXPECT_EQ(port.GetStopBits(), static_cast<int>(SerialStopBits::Two));
    const termios line = pty.Line();
    EXPECT_EQ(cfgetospeed(&line), B9600);
    EXPECT_TRUE(line.c_cflag & CSTOPB);
}

TEST_F(SerialPortTest, UnknownSpeedOrSizeLeavesTheLineAsItWas)
{
    ASSERT_EQ(port.Open(pty.Path()), 0);
    ASSERT_EQ(port.Setup(38400, 8, SerialParity::None, SerialStopBits::One), 0);
    EXPECT_EQ(port.Setup(0, 8, SerialParity::Even, SerialStopBits::Two), EINVAL);
    EXPECT_EQ(port.Setup(19200, 0, SerialParity::Even, SerialStopBits::Two), EINVAL);
    EXPECT_EQ(port.GetLastError(), EINVAL);
    EXPECT_EQ(port.GetBaudRate(), 38400);
    EXPECT_EQ(port.GetParity(), static_cast<int>(SerialParity::None));
}

TEST_F(SerialPortTest, HandshakingModesSetTheirFlowControl)
{
    ASSERT_EQ(port.Open(pty.Path()), 0);
    for (auto mode : {SerialHandshake::Hardware, SerialHandshake::Software, SerialHandshake::None}) {
        EXPECT_EQ(port.SetupHandshaking(mode), 0);
        EXPECT_EQ(port.GetHandshaking(), static_cast<int>(mode));
    }
    EXPECT_EQ(port.SetupHandshaking(static_cast<SerialHandshake>(7)), EINVAL);
}

TEST_F(SerialPortTest, OperationsOnAClosedPortFail)
{
    EXPECT_EQ(port.Close(), 0);
    EXPECT_EQ(port.Setup(19200, 8, SerialParity::None, SerialStopBits::One), EBADF);
    EXPECT_EQ(port.GetBaudRate(), -1);
    ASSERT_EQ(port.Open(pty.Path()), 0);
    EXPECT_NE(port.Open(pty.Path()), 0);  // already open
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(SerialPortTest, OpenFailsOnMissingDevicesAndNonDevices)
{
    EXPECT_EQ(port.Open("/dev/vexlor-no-such-device"), ENOENT);
    EXPECT_EQ(port.Open("TCP"), ENOENT);
    EXPECT_EQ(port.Open("/dev/null"), ENOTTY);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, CheckPortOnFreeAndMissingDevices)
{
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::Available);
    EXPECT_EQ(CheckPort("/dev/vexlor-no-such-device"), PortCheck::Missing);
    EXPECT_EQ(CheckPort("COM9999"), PortCheck::Missing);
    EXPECT_EQ(CheckPort("/dev/null"), PortCheck::Other);
    // Checking leaves the device free.
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::Available);
}

TEST_F(SerialPortTest, CheckPortSeesADeviceHeldByAnotherDescriptor)
{
    const int exclusive = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(exclusive, 0);
    ASSERT_EQ(::ioctl(exclusive, TIOCEXCL), 0);
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::InUse);
    EXPECT_EQ(port.Open(pty.Path()), EBUSY);
    ::ioctl(exclusive, TIOCNXCL);
    ASSERT_EQ(::flock(exclusive, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::InUse);
    ::close(exclusive);
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::Available);
}

TEST_F(SerialPortTest, AnOpenPortIsInUseUntilClosed)
{
    ASSERT_EQ(port.Open(pty.Path()), 0);
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::InUse);
    asio::io_context otherIo;
    CSerialPort other(otherIo);
    EXPECT_EQ(other.Open(pty.Path()), EBUSY);
    EXPECT_EQ(port.Close(), 0);
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::Available);
}

}  // namespace
