// libFuzzer target: the session over an in-memory link, driven by the input as a
// script of commands, bytes from the processor (raw, or replies and blocks made
// to fit what was last sent), waits past the reply time-out, disconnects and
// reconnects, in whatever state the session is in. Every event must answer a
// command that was given: no more version, parameter, preset or transfer events
// than commands that ask for them, and a status report only while polling was
// asked for. Built by scripts/fuzz.sh with clang (-fsanitize=fuzzer,address,undefined).
#include "link/MemoryTransport.h"
#include "link/Packet.h"
#include "link/SessionSink.h"
#include "link/VexlorSession.h"
#include "link/XModemBlock.h"
#include "settings/ConnectionSettings.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Commands given, by what answers them; an event takes one away.
class Ledger : public CSessionSink {
public:
    void Asked(const std::string& what)
    {
        std::lock_guard lock(mutex_);
        ++open_[what];
    }
    void Polling(bool on)
    {
        std::lock_guard lock(mutex_);
        polled_ = polled_ || on;
    }

    void OnConnect() override {}
    void OnDisconnect() override {}
    void OnError(int) override {}
    void OnVersionReceive(const ByteString&) override { Answered("version"); }
    void OnParamReceive(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t) override
    {
        Answered("param " + Address(a, b, c));
    }
    void OnStatusReceive(const ByteString& status) override
    {
        std::lock_guard lock(mutex_);
        if (!polled_ || status.size() != kStatusPacketLength)
            Fail("status report without polling");
    }
    void OnConfigReceive(const ByteString&) override { Answered("config"); }
    void OnPresetCountReceive(std::uint8_t) override { Answered("count"); }
    void OnPresetLoaded(std::uint8_t n) override { Answered("load " + std::to_string(n)); }
    void OnPresetReceive(std::uint8_t n, const ByteString&) override { Answered("preset " + std::to_string(n)); }
    void OnPresetSent(std::uint8_t n, const ByteString&) override { Answered("send " + std::to_string(n)); }
    void OnLog(const std::string&) override {}

    static std::string Address(std::uint8_t a, std::uint8_t b, std::uint8_t c)
    {
        return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c);
    }

private:
    void Answered(const std::string& what)
    {
        std::lock_guard lock(mutex_);
        if (open_[what] == 0)
            Fail(what + " arrived without its command");
        --open_[what];
    }
    [[noreturn]] static void Fail(const std::string& why)
    {
        std::fprintf(stderr, "fuzz_session: %s\n", why.c_str());
        std::abort();
    }

    std::mutex mutex_;
    std::map<std::string, int> open_;
    bool polled_ = false;
};

// Reads the input a byte at a time; zeros once it is used up.
class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    ByteString Bytes(std::size_t n)
    {
        ByteString out;
        while (out.size() < n && More())
            out.push_back(Byte());
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The processor's side of the wire: remembers the last packet from the host so
// the script can answer it well-formed.
class Processor {
public:
    explicit Processor(std::shared_ptr<CMemoryWire> wire) : wire_(std::move(wire))
    {
        wire_->SetPeer([this](const ByteString& bytes) {
            std::lock_guard lock(mutex_);
            last_ = bytes;
        });
    }
    ~Processor() { wire_->SetPeer(nullptr); }

    // A reply with the right status, opcode, length and sum for the last
    // command; the payload (and so any echo) comes from the script.
    ByteString ReplyToLast(Script& script)
    {
        ByteString last;
        {
            std::lock_guard lock(mutex_);
            last = last_;
        }
        const std::uint8_t opcode = last.empty() ? script.Byte() : last[0];
        ByteString reply{REPLY_ACK, opcode};
        const std::size_t length = ReplyLength(opcode).value_or(3);
        for (std::size_t i = 2; i + 1 < length; ++i) {
            // Mostly the command's own bytes, so echoes match and deeper states are reached.
            const std::uint8_t pick = script.Byte();
            reply.push_back(pick < 192 && i - 1 < last.size() ? last[i - 1] : pick);
        }
        reply.push_back(Checksum(reply.data(), reply.size()));
        return reply;
    }

    std::shared_ptr<CMemoryWire> wire_;

private:
    std::mutex mutex_;
    ByteString last_;
};

void GiveCommand(CVexlorSession& session, Ledger& ledger, Script& script)
{
    const std::uint8_t a = script.Byte() % 4, b = script.Byte() % 4, c = script.Byte() % 4;
    const std::uint8_t n = script.Byte() % 4;
    switch (script.Byte() % 12) {
    case 0: ledger.Asked("version"); session.ReadVersion(); break;
    case 1: ledger.Asked("param " + Ledger::Address(a, b, c)); session.ReadParam(a, b, c); break;
    case 2: session.WriteParam(a, b, c, n); break;
    case 3: ledger.Asked("config"); session.GetConfig(1234); break;
    case 4: ledger.Asked("count"); session.GetFactoryPresetNumber(); break;
    case 5: ledger.Asked("preset " + std::to_string(n)); session.GetPreset(n); break;
    case 6: ledger.Asked("send " + std::to_string(n)); session.SendPreset(n, script.Bytes(script.Byte())); break;
    case 7: ledger.Asked("load " + std::to_string(n)); session.LoadPreset(n); break;
    case 8: session.SavePreset(n); break;
    case 9: session.RenamePreset(n, "name"); break;
    case 10: ledger.Polling(true); session.EnableStatusUpdates(true); break;
    default: session.EnableStatusUpdates(false); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Script script(data, size);
    Ledger ledger;
    auto wire = std::make_shared<CMemoryWire>();
    Processor processor(wire);
    ConnectionSettings settings;
    settings.host = "127.0.0.1";
    settings.replyTimeoutMs = 2;
    settings.tries = 3;
    settings.statusRate = 200;
    {
        CVexlorSession session(&ledger, [wire](const ConnectionSettings&) {
            return std::make_unique<CMemoryTransport>(wire);
        });
        session.Connect(settings);
        int steps = 0;
        while (script.More() && ++steps < 256) {
            switch (script.Byte() % 8) {
            case 0:
            case 1: GiveCommand(session, ledger, script); break;
            case 2: wire->ToHost(script.Bytes(script.Byte() % 40)); break;
            case 3: wire->ToHost(processor.ReplyToLast(script)); break;
            case 4: {
                const std::uint8_t number = script.Byte() % 3;
                const ByteString fill = script.Bytes(kXBlockData);
                wire->ToHost(BuildXBlock(number, fill.data(), fill.size()));
                break;
            }
            case 5: wire->ToHost({static_cast<std::uint8_t>(script.Byte() % 2 ? XM_EOT : XM_CAN)}); break;
            case 6: std::this_thread::sleep_for(std::chrono::microseconds(script.Byte() * 20)); break;
            default:
                if (script.Byte() % 2)
                    session.Disconnect();
                else
                    session.Connect(settings);
                break;
            }
        }
    }
    return 0;
}
