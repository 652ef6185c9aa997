#pragma once

#include "SimServer.h"
#include "core/DescriptionEncoder.h"
#include "link/TransportCOM.h"
#include "link/TransportUDP.h"
#include "link/VexlorSession.h"
#include "settings/ConnectionSettings.h"
#include "support/RecordingSessionSink.h"

#include <gtest/gtest.h>

#include <memory>

// The real session, with the real UDP or serial transport, against a simulator
// running in this process on 127.0.0.1 or a pseudo-terminal.
namespace simtest {

enum class Wire { Udp, Serial };

inline const char* WireName(const ::testing::TestParamInfo<Wire>& info)
{
    return info.param == Wire::Udp ? "Udp" : "Serial";
}

inline TransportFactory RealTransports()
{
    return [](const ConnectionSettings& s) -> std::unique_ptr<ITransport> {
        if (s.transportIndex == 0)
            return std::make_unique<CTransportUDP>();
        return std::make_unique<CTransportCOM>();
    };
}

struct Rig {
    explicit Rig(Wire wire, vsim::SimOptions options = {}, int replyTimeoutMs = 400)
    {
        options.port = 0;
        options.udp = wire == Wire::Udp;
        options.serial = wire == Wire::Serial;
        if (options.resendMs == 500)
            options.resendMs = replyTimeoutMs / 5;
        server = std::make_unique<vsim::SimServer>(options);
        std::string why;
        started = server->Start(&why);
        EXPECT_TRUE(started) << why;
        settings.host = "127.0.0.1";  // never the settings default
        settings.portNumber = server->UdpPort();
        settings.transportIndex = wire == Wire::Udp ? 0 : 1;
        settings.portName = wire == Wire::Udp ? "TCP" : server->SerialPath();
        settings.replyTimeoutMs = replyTimeoutMs;
        session = std::make_unique<CVexlorSession>(&sink, RealTransports());
    }
    ~Rig()
    {
        if (session && session->IsConnected()) {
            session->Disconnect();
            sink.WaitFor("disconnect", 1, std::chrono::milliseconds(3000));
        }
        session.reset();
        server->Stop();
    }

    bool Connect()
    {
        session->Connect(settings);
        return sink.WaitFor("connect", 1, std::chrono::milliseconds(3000));
    }

    // Gives the event `kind` that the command raised (the n-th of its kind).
    RecordingSessionSink::Event Await(const std::string& kind, std::chrono::milliseconds limit = std::chrono::milliseconds(8000))
    {
        const std::size_t n = ++seen[kind];
        EXPECT_TRUE(sink.WaitFor(kind, n, limit)) << "no " << kind << " event";
        const auto events = sink.Events(kind);
        return events.size() >= n ? events[n - 1] : RecordingSessionSink::Event{};
    }

    ByteString DownloadPreset(std::uint8_t n)
    {
        session->GetPreset(n);
        const auto e = Await("preset");
        EXPECT_EQ(e.number, n);
        return e.bytes;
    }

    std::unique_ptr<vsim::SimServer> server;
    bool started = false;
    ConnectionSettings settings;
    RecordingSessionSink sink;
    std::unique_ptr<CVexlorSession> session;
    std::map<std::string, std::size_t> seen;
};

}  // namespace simtest
