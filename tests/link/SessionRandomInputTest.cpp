#include "SessionFixture.h"

#include "link/XModemBlock.h"

#include <random>

namespace {

// Packets a broken or hostile processor might produce: too short, too long, wrong
// status byte, unknown opcode, bad checksum, stray control bytes, random bytes.
class JunkMaker {
public:
    explicit JunkMaker(std::uint32_t seed) : rng_(seed) {}

    ByteString Next()
    {
        switch (Pick(8)) {
        case 0: return Bytes(Pick(4));                             // very short
        case 1: return Bytes(Pick(400));                           // random, any length
        case 2: return WellFormed(Byte(), Pick(32));               // any opcode, right sum
        case 3: return Broken(WellFormed(KnownOpcode(), 0));       // bad sum
        case 4: return WellFormed(KnownOpcode(), 0);               // a good reply out of turn
        case 5: return ByteString{Pick(2) ? XM_EOT : XM_CAN};      // stray transfer bytes
        case 6: return Block();                                    // a block, maybe wrong
        default: return ByteString{0x06, KnownOpcode()};           // truncated reply
        }
    }
    std::uint32_t Pick(std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng_); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Pick(256)); }

private:
    ByteString Bytes(std::size_t n)
    {
        ByteString b(n);
        for (auto& x : b)
            x = Byte();
        return b;
    }
    std::uint8_t KnownOpcode()
    {
        static constexpr std::uint8_t ops[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x07, 0x08,
                                               0x09, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85};
        return ops[Pick(sizeof ops)];
    }
    ByteString WellFormed(std::uint8_t opcode, std::size_t extra)
    {
        ByteString p{0x06, opcode};
        const std::size_t body = ReplyLength(opcode).value_or(3 + extra) - 3;
        auto more = Bytes(body);
        p.insert(p.end(), more.begin(), more.end());
        p.push_back(Checksum(p.data(), p.size()));
        return p;
    }
    static ByteString Broken(ByteString p)
    {
        p.back() ^= 0x01;
        return p;
    }
    ByteString Block()
    {
        auto data = Bytes(128);
        auto b = BuildXBlock(Pick(4), data.data(), data.size());
        if (Pick(2))
            b[Pick(132)] ^= 0x10;
        b.resize(b.size() + Pick(20));
        return b;
    }

    std::mt19937 rng_;
};

// Thousands of random replies, delivered both through the transport's framing and
// straight to the session as packets a transport might cut wrongly. The session
// must keep to its states, log every arrival and come back to a clean disconnect.
TEST_F(SessionTest, RandomPacketsNeverBreakTheSession)
{
    settings.replyTimeoutMs = 3;
    settings.tries = 4;
    settings.statusRate = 500;
    JunkMaker junk(20261207);
    // The peer answers two thirds of what it gets with junk, the rest by its script.
    auto peerJunk = std::make_shared<JunkMaker>(7);
    peer.answer = [peerJunk](const ByteString&) -> std::optional<ByteString> {
        if (peerJunk->Pick(3) == 0)
            return std::nullopt;
        return peerJunk->Next();
    };
    peer.description = ByteString(700, 0x44);
    ConnectNow();
    session->EnableStatusUpdates(true);

    constexpr int kRounds = 4000;
    for (int i = 0; i < kRounds; ++i) {
        if (!session->IsConnected() && session->State() == SessionState::DISCONNECTED)
            session->Connect(settings);
        switch (junk.Pick(6)) {
        case 0: session->ReadParam(junk.Byte(), junk.Byte(), junk.Byte()); break;
        case 1: session->GetConfig(junk.Pick(10000)); break;
        case 2: session->GetPreset(junk.Byte()); break;
        case 3: session->SendPreset(junk.Byte(), ByteString(junk.Pick(300), junk.Byte())); break;
        case 4: session->OnPacketReceived(junk.Next()); break;
        default: break;
        }
        wire->ToHost(junk.Next());
        const auto state = static_cast<int>(session->State());
        ASSERT_GE(state, 0);
        ASSERT_LE(state, 16);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }

    session->Disconnect();
    ASSERT_TRUE(WaitState(SessionState::DISCONNECTED));
    const auto logs = sink.Logs();
    EXPECT_TRUE(sink.HasLogStartingWith("Recieved "));
    for (const auto& line : logs) {
        EXPECT_FALSE(line.empty());
        EXPECT_LT(line.size(), 4096u);
    }
    // The session still works against a sane processor afterwards.
    peer.Configure([](ScriptedPeer& p) { p.answer = nullptr; });
    peer.ResetMode();
    ASSERT_TRUE(WaitState(SessionState::DISCONNECTED));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto connectsBefore = sink.Count("connect");
    session->Connect(settings);
    ASSERT_TRUE(sink.WaitFor("connect", connectsBefore + 1));
    ASSERT_TRUE(WaitState(SessionState::WAITSEND));
    session->EnableStatusUpdates(false);
    const auto versionsBefore = sink.Count("version");
    session->ReadVersion();
    EXPECT_TRUE(sink.WaitFor("version", versionsBefore + 1));
}

}  // namespace
