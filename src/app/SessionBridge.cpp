#include "app/SessionBridge.h"

#include "link/VexlorSession.h"

void CPostingSessionSink::Post(int id, std::uint32_t wParam, std::uint32_t lParam, ByteString data)
{
    poster_.Post(AppMessage{id, wParam, lParam, std::move(data)});
}

void CPostingSessionSink::OnConnect()
{
    OnLog("Connected");
    Post(msg::UM_CONNECTED);
}

void CPostingSessionSink::OnDisconnect()
{
    OnLog("Disconnected");
    Post(msg::UM_DISCONNECTED);
}

void CPostingSessionSink::OnError(int code)
{
    OnLog("Error: " + std::to_string(code));
    Post(msg::UM_DISCONNECTED);
}

void CPostingSessionSink::OnVersionReceive(const ByteString& version)
{
    Post(msg::UM_VERSION, 0, 0, version);
}

void CPostingSessionSink::OnParamReceive(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    Post(msg::UM_PARAM_VALUE, 0, PackParamValue(a, b, c, value));
}

void CPostingSessionSink::OnStatusReceive(const ByteString& status)
{
    if (tracker_) tracker_->StatusReplied();
    Post(msg::UM_STATUS, 0, 0, status);
}

void CPostingSessionSink::OnConfigReceive(const ByteString& description)
{
    Post(msg::UM_CONFIG, 0, 0, description);
}

void CPostingSessionSink::OnPresetCountReceive(std::uint8_t count)
{
    Post(msg::UM_PRESET_COUNT, count);
}

void CPostingSessionSink::OnPresetLoaded(std::uint8_t preset)
{
    Post(msg::UM_PRESET_LOADED, preset);
}

void CPostingSessionSink::OnPresetReceive(std::uint8_t preset, const ByteString& data)
{
    Post(msg::UM_PRESET_DATA, preset, 0, data);
}

void CPostingSessionSink::OnPresetSent(std::uint8_t preset, const ByteString& data)
{
    Post(msg::UM_PRESET_SENT, preset, 0, data);
}

void CPostingSessionSink::OnLog(const std::string& text)
{
    Post(msg::UM_LOG, 0, 0, ByteString(text.begin(), text.end()));
}

CSessionBridge::CSessionBridge(IMessagePoster& poster, TransportFactory factory)
    : sink_(poster, &tracker_), session_(std::make_unique<CVexlorSession>(&sink_, std::move(factory)))
{
}

// The session joins its threads before the sink they call goes away.
CSessionBridge::~CSessionBridge() = default;

void CSessionBridge::Connect(ConnectionSettings& settings) { session_->Connect(settings); }
void CSessionBridge::Disconnect() { session_->Disconnect(); }
bool CSessionBridge::IsConnected() { return session_->IsConnected(); }
void CSessionBridge::ReadVersion() { Give([](CVexlorSession& s) { s.ReadVersion(); }); }
void CSessionBridge::ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    Give([&](CVexlorSession& s) { s.ReadParam(a, b, c); });
}
void CSessionBridge::WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    Give([&](CVexlorSession& s) { s.WriteParam(a, b, c, value); });
}
void CSessionBridge::GetConfig(std::uint32_t lockCode) { Give([&](CVexlorSession& s) { s.GetConfig(lockCode); }); }
void CSessionBridge::GetFactoryPresetNumber() { Give([](CVexlorSession& s) { s.GetFactoryPresetNumber(); }); }
void CSessionBridge::GetPreset(std::uint8_t index) { Give([&](CVexlorSession& s) { s.GetPreset(index); }); }
void CSessionBridge::SendPreset(std::uint8_t index, const ByteString& data)
{
    Give([&](CVexlorSession& s) { s.SendPreset(index, data); });
}
void CSessionBridge::LoadPreset(std::uint8_t index) { Give([&](CVexlorSession& s) { s.LoadPreset(index); }); }
void CSessionBridge::SavePreset(std::uint8_t index) { Give([&](CVexlorSession& s) { s.SavePreset(index); }); }
void CSessionBridge::SendCompare() { Give([](CVexlorSession& s) { s.SendCompare(); }); }
void CSessionBridge::SendRevert() { Give([](CVexlorSession& s) { s.SendRevert(); }); }
void CSessionBridge::RenamePreset(std::uint8_t index, const ByteString& name15)
{
    Give([&](CVexlorSession& s) {
        s.RenamePreset(index, std::string_view(reinterpret_cast<const char*>(name15.data()), name15.size()));
    });
}
void CSessionBridge::EnableStatusUpdates(bool on) { session_->EnableStatusUpdates(on); }
