// Connect sequence against vexlor-sim (in this process) with the real session:
// version, lock code and description, the full parameter read and every preset,
// over UDP and over the pseudo-terminal paced at 19200 baud like the real wire.
#include "SimServer.h"
#include "core/SimDevice.h"
#include "link/SessionSink.h"
#include "link/TransportCOM.h"
#include "link/TransportUDP.h"
#include "link/VexlorSession.h"
#include "settings/ConnectionSettings.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

// Counts events; the bench only needs to know when each step is done.
class CountingSink : public CSessionSink {
public:
    void OnConnect() override { Bump(connects); }
    void OnDisconnect() override {}
    void OnError(int) override {}
    void OnVersionReceive(const ByteString&) override { Bump(versions); }
    void OnParamReceive(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) override { Bump(params); }
    void OnStatusReceive(const ByteString&) override {}
    void OnConfigReceive(const ByteString& d) override
    {
        descriptionBytes = d.size();
        Bump(configs);
    }
    void OnPresetCountReceive(std::uint8_t n) override
    {
        presetCount = n;
        Bump(counts);
    }
    void OnPresetLoaded(std::uint8_t) override {}
    void OnPresetReceive(std::uint8_t, const ByteString&) override { Bump(presets); }
    void OnPresetSent(std::uint8_t, const ByteString&) override {}
    void OnLog(const std::string&) override {}

    bool Wait(const int& counter, int n)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(120), [&] { return counter >= n; });
    }

    int connects = 0, versions = 0, params = 0, configs = 0, counts = 0, presets = 0;
    std::size_t descriptionBytes = 0;
    int presetCount = 0;

private:
    void Bump(int& counter)
    {
        std::lock_guard lock(mutex);
        ++counter;
        changed.notify_all();
    }
    std::mutex mutex;
    std::condition_variable changed;
};

double ConnectSeconds(bool serial, int baud, int model)
{
    vsim::SimOptions o;
    o.model = model;
    o.port = 0;
    o.udp = !serial;
    o.serial = serial;
    o.baud = baud;
    vsim::SimServer server(o);
    std::string why;
    if (!server.Start(&why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return -1;
    }
    CountingSink sink;
    CVexlorSession session(&sink, [](const ConnectionSettings& s) -> std::unique_ptr<ITransport> {
        if (s.transportIndex == 0)
            return std::make_unique<CTransportUDP>();
        return std::make_unique<CTransportCOM>();
    });
    ConnectionSettings s;
    s.host = "127.0.0.1";
    s.portNumber = server.UdpPort();
    s.transportIndex = serial ? 1 : 0;
    s.portName = serial ? server.SerialPath() : "TCP";
    const auto start = std::chrono::steady_clock::now();
    session.Connect(s);
    if (!sink.Wait(sink.connects, 1))
        return -1;
    session.ReadVersion();
    session.GetConfig(0);
    if (!sink.Wait(sink.configs, 1))
        return -1;
    int items = 0;
    vsim::ForEachItem(server.Device().GetModel().pages, [&](const vsim::Page&, const vsim::Item& item) {
        const auto& a = item.records.front().address;
        session.ReadParam(a.a, a.b, a.c);
        ++items;
    });
    session.GetFactoryPresetNumber();
    if (!sink.Wait(sink.params, items) || !sink.Wait(sink.counts, 1))
        return -1;
    for (int n = 0; n < sink.presetCount; ++n) {
        session.GetPreset(static_cast<std::uint8_t>(n));
        if (!sink.Wait(sink.presets, n + 1))
            return -1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    session.Disconnect();
    server.Stop();
    return seconds;
}

}  // namespace

int main()
{
    std::printf("connect_udp_model12_s: %.3f\n", ConnectSeconds(false, 0, 12));
    std::printf("connect_udp_model1_s: %.3f\n", ConnectSeconds(false, 0, 1));
    std::printf("connect_serial_unpaced_model1_s: %.3f\n", ConnectSeconds(true, 0, 1));
    std::printf("connect_serial_19200_model1_s: %.3f\n", ConnectSeconds(true, 19200, 1));
    std::printf("connect_serial_19200_model12_s: %.3f\n", ConnectSeconds(true, 19200, 12));
    return 0;
}
