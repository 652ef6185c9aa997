// An Open that fails closes what it had opened on the way: nothing is left
// holding a descriptor, and the same transport opens fine afterwards.
#include "link/SerialPort.h"
#include "link/TransportCOM.h"

#include "TransportTestSupport.h"
#include "settings/ConnectionSettings.h"

#include <gtest/gtest.h>

#include <asio/io_context.hpp>

namespace {

using namespace transport_test;

// /dev/null opens, and is then refused as no terminal.
constexpr const char* kNoTerminal = "/dev/null";

TEST(SerialPortOpenFailure, ARefusedDeviceIsClosedAgain)
{
    asio::io_context io;
    CSerialPort port{io};
    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 20; ++i) EXPECT_NE(port.Open(kNoTerminal), 0);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_FALSE(port.IsOpen());

    PtyPair pty;
    EXPECT_EQ(port.Open(pty.Path()), 0);
    EXPECT_TRUE(port.IsOpen());
}

TEST(TransportCOMOpenFailure, AFailedOpenLeavesNoDescriptorAndTheTransportOpensLater)
{
    PtyPair pty;
    RecordingSink sink;
    CTransportCOM transport{&sink};
    ConnectionSettings settings;
    settings.portName = kNoTerminal;
    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 20; ++i) transport.Open(settings);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(sink.Inspect([&] { return sink.errors; }), std::vector<int>(20, CTransportCOM::kErrorOpenFailed));

    settings.portName = pty.Path();
    transport.Open(settings);
    EXPECT_EQ(sink.Inspect([&] { return sink.connected; }), 1);
    transport.Close();
}

}  // namespace
