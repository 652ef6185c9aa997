#pragma once

#include "link/MemoryTransport.h"
#include "link/Packet.h"
#include "link/VexlorSession.h"
#include "settings/ConnectionSettings.h"
#include "support/RecordingSessionSink.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

// A real session over an in-memory link to a scripted processor, with a short
// reply time-out so retry paths run in milliseconds.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.host = "127.0.0.1";
        settings.replyTimeoutMs = 30;
        session = std::make_unique<CVexlorSession>(&sink, [w = wire](const ConnectionSettings&) {
            return std::make_unique<CMemoryTransport>(w);
        });
    }
    void TearDown() override { session.reset(); }

    void ConnectNow()
    {
        session->Connect(settings);
        ASSERT_TRUE(sink.WaitFor("connect"));
        ASSERT_TRUE(WaitState(SessionState::WAITSEND));
    }

    bool WaitState(SessionState state, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (session->State() != state) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }

    std::shared_ptr<CMemoryWire> wire = std::make_shared<CMemoryWire>();
    ScriptedPeer peer{wire};
    RecordingSessionSink sink;
    ConnectionSettings settings;
    std::unique_ptr<CVexlorSession> session;
};
