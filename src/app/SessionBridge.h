#pragma once

#include "app/CommandTracker.h"
#include "views/Messages.h"
#include "app/SessionCommands.h"
#include "link/SessionSink.h"
#include "link/TransportFactory.h"

#include <memory>

class CVexlorSession;

// The session's events as posted messages: every operation copies its data
// into a message owned by the receiver, posts it and returns at once.
class CPostingSessionSink : public CSessionSink {
public:
    // tracker, when given, hears of every status reply.
    explicit CPostingSessionSink(IMessagePoster& poster, CCommandTracker* tracker = nullptr)
        : poster_(poster), tracker_(tracker)
    {
    }

    void OnConnect() override;
    void OnDisconnect() override;
    void OnError(int code) override;
    void OnVersionReceive(const ByteString& version) override;
    void OnParamReceive(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) override;
    void OnStatusReceive(const ByteString& status) override;
    void OnConfigReceive(const ByteString& description) override;
    void OnPresetCountReceive(std::uint8_t count) override;
    void OnPresetLoaded(std::uint8_t preset) override;
    void OnPresetReceive(std::uint8_t preset, const ByteString& data) override;
    void OnPresetSent(std::uint8_t preset, const ByteString& data) override;
    void OnLog(const std::string& text) override;

private:
    void Post(int id, std::uint32_t wParam = 0, std::uint32_t lParam = 0, ByteString data = {});
    IMessagePoster& poster_;
    CCommandTracker* tracker_;
};

// The controller's session: a CVexlorSession whose events go to a poster.
class CSessionBridge : public ISessionCommands {
public:
    explicit CSessionBridge(IMessagePoster& poster, TransportFactory factory = DefaultTransportFactory());
    ~CSessionBridge() override;

    void Connect(ConnectionSettings& settings) override;
    void Disconnect() override;
    bool IsConnected() override;
    void ReadVersion() override;
    void ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c) override;
    void WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) override;
    void GetConfig(std::uint32_t lockCode) override;
    void GetFactoryPresetNumber() override;
    void GetPreset(std::uint8_t index) override;
    void SendPreset(std::uint8_t index, const ByteString& data) override;
    void LoadPreset(std::uint8_t index) override;
    void SavePreset(std::uint8_t index) override;
    void SendCompare() override;
    void SendRevert() override;
    void RenamePreset(std::uint8_t index, const ByteString& name15) override;
    void EnableStatusUpdates(bool on) override;

    CVexlorSession& Session() { return *session_; }
    // Every command given so far has been answered by the processor and its
    // events posted. Connect, Disconnect and status switching are no commands.
    bool AllCommandsAnswered() const { return tracker_.AllAnswered(); }

private:
    // Runs a command operation of the session and counts it as given.
    template <typename Command>
    void Give(Command command)
    {
        command(*session_);
        tracker_.Given();
    }

    CCommandTracker tracker_;
    CPostingSessionSink sink_;
    std::unique_ptr<CVexlorSession> session_;
};
