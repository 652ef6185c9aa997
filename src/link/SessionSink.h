#pragma once

#include "common/ByteString.h"

#include <cstdint>
#include <string>

// Events of a CVexlorSession. They arrive on the session's worker thread, the
// transport's thread (with the session lock held) or the caller's thread; an
// implementation copies what it needs, hands it to its own thread and returns at
// once. It must not call Connect or destroy the session from inside an event.
class CSessionSink {
public:
    virtual ~CSessionSink() = default;

    virtual void OnConnect() = 0;
    // Raised each time the disconnected state is taken up, which may be twice for
    // one drop of the link; implementations must accept repeats.
    virtual void OnDisconnect() = 0;
    virtual void OnError(int code) = 0;
    virtual void OnVersionReceive(const ByteString& version) = 0;  // 3 bytes
    virtual void OnParamReceive(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) = 0;
    virtual void OnStatusReceive(const ByteString& status) = 0;  // the whole 29-byte packet
    virtual void OnConfigReceive(const ByteString& description) = 0;
    virtual void OnPresetCountReceive(std::uint8_t count) = 0;
    virtual void OnPresetLoaded(std::uint8_t preset) = 0;
    // Slot kept free between OnPresetLoaded and OnPresetReceive; never raised.
    virtual void OnReserved() {}
    virtual void OnPresetReceive(std::uint8_t preset, const ByteString& data) = 0;
    // data: what was left unsent, empty after a complete upload.
    virtual void OnPresetSent(std::uint8_t preset, const ByteString& data) = 0;
    virtual void OnLog(const std::string& text) = 0;
};
