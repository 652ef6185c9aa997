// Connect-to-ready time of the connection controller against the simulator for
// the largest model: over UDP on loopback, and over a pseudo-terminal that the
// simulator paces at 19200 baud. Beside it the wire-time bound of the serial run:
// every byte both ways at 1920 bytes per second plus the 15 ms pause per preset.
#include "SimServer.h"
#include "app/ConnectionController.h"
#include "app/SessionBridge.h"
#include "cli/CliLoop.h"
#include "cli/TextViews.h"
#include "core/ModelCatalog.h"
#include "link/ITransport.h"
#include "settings/ConnectionSettings.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

// A transport that counts the bytes it carries, wrapped around the real one.
class CountingTransport : public ITransport, public ITransportSink {
public:
    CountingTransport(std::unique_ptr<ITransport> inner, std::atomic<std::uint64_t>& sent,
                      std::atomic<std::uint64_t>& received)
        : inner_(std::move(inner)), sent_(sent), received_(received)
    {
        inner_->SetSink(this);
    }
    ~CountingTransport() override { inner_.reset(); }

    void Open(const ConnectionSettings& settings) override { inner_->Open(settings); }
    void Close() override { inner_->Close(); }
    void Send(const std::uint8_t* data, std::size_t length) override
    {
        sent_ += length;
        inner_->Send(data, length);
    }

    void OnTransportConnected() override { NotifyConnected(); }
    void OnTransportDisconnected() override { NotifyDisconnected(); }
    void OnTransportError(int code) override { NotifyError(code); }
    // The inner transport hands over every chunk as it arrives; the base class
    // then cuts packets with the session's length rule.
    void OnPacketReceived(const ByteString& chunk) override
    {
        received_ += chunk.size();
        OnBytesReceived(chunk.data(), chunk.size());
    }
    std::optional<std::size_t> GetPacketLength(const ByteString& buffered) override { return buffered.size(); }

private:
    std::unique_ptr<ITransport> inner_;
    std::atomic<std::uint64_t>& sent_;
    std::atomic<std::uint64_t>& received_;
};

struct Run {
    double ms = -1;
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    std::size_t presets = 0;
};

std::uint8_t LargestModel()
{
    std::uint8_t best = 1;
    std::size_t bestSize = 0;
    for (std::uint8_t code : vsim::KnownModelCodes()) {
        vsim::SimOptions o;
        o.model = code;
        o.udp = false;
        vsim::SimServer probe(o);
        // Description bytes and preset bytes both cross the wire at connect.
        std::size_t size = probe.Device().Description().size();
        for (std::size_t i = 0; i < probe.Device().GetModel().PresetCount(); ++i)
            size += probe.Device().PresetImage(static_cast<std::uint8_t>(i))->size();
        if (size > bestSize) {
            bestSize = size;
            best = code;
        }
    }
    return best;
}

Run ConnectOnce(std::uint8_t model, bool serial)
{
    vsim::SimOptions o;
    o.model = model;
    o.port = 0;
    o.udp = !serial;
    o.serial = serial;
    o.baud = serial ? 19200 : 0;
    o.lock = 1234;
    vsim::SimServer sim(o);
    std::string why;
    if (!sim.Start(&why)) {
        std::fprintf(stderr, "simulator: %s\n", why.c_str());
        return {};
    }
    ConnectionSettings settings;
    settings.host = "127.0.0.1";
    settings.portNumber = sim.UdpPort();
    settings.transportIndex = serial ? 1 : 0;
    settings.portName = serial ? sim.SerialPath() : "TCP";
    settings.lockCode = 1234;

    const auto folder = std::filesystem::temp_directory_path() / ("vexlor_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::atomic<std::uint64_t> sent{0}, received{0};
    TransportFactory factory = [&sent, &received](const ConnectionSettings& s) -> std::unique_ptr<ITransport> {
        auto inner = DefaultTransportFactory()(s);
        if (!inner) return nullptr;
        return std::make_unique<CountingTransport>(std::move(inner), sent, received);
    };

    CTextViews views;
    views.lockCodeText = "1234";
    CCliLoop loop;
    Run run;
    {
        CSessionBridge bridge(loop.Queue(), factory);
        CConnectionController controller(bridge, settings, ControllerViews{views, views, views, views, views, views, views},
                                         loop.Timers());
        controller.SetWorkFolder(folder.string());
        loop.Attach(controller);
        const auto start = std::chrono::steady_clock::now();
        controller.ToggleConnection();
        const bool ready = loop.RunFor(std::chrono::seconds(600), [&] {
            return controller.State() == ConnectionState::Ready || controller.State() == ConnectionState::Disconnected;
        });
        if (ready && controller.State() == ConnectionState::Ready) {
            run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            run.sent = sent.load();
            run.received = received.load();
            run.presets = controller.PresetRows().size();
        }
        bridge.Disconnect();
        loop.RunFor(std::chrono::seconds(2), [&] { return controller.State() == ConnectionState::Disconnected; });
    }
    sim.Stop();
    std::filesystem::remove_all(folder);
    return run;
}

}  // namespace

int main()
{
    const std::uint8_t model = LargestModel();
    std::printf("model_code: %u\n", model);
    const Run udp = ConnectOnce(model, false);
    std::printf("connect_udp_ms: %.1f\n", udp.ms);
    const Run serial = ConnectOnce(model, true);
    std::printf("connect_serial_ms: %.1f\n", serial.ms);
    const double pauses = 15.0 * static_cast<double>(serial.presets);
    const auto total = static_cast<double>(serial.sent + serial.received);
    std::printf("serial_wire_bound_ms: %.1f\n", total / 1920.0 * 1000.0 + pauses);
    std::printf("serial_bytes_sent: %llu\n", static_cast<unsigned long long>(serial.sent));
    std::printf("serial_bytes_received: %llu\n", static_cast<unsigned long long>(serial.received));
    // The simulator paces only what it sends; the application's bytes reach it at once.
    std::printf("serial_paced_direction_bound_ms: %.1f\n",
                static_cast<double>(serial.received) / 1920.0 * 1000.0 + pauses);
    return udp.ms < 0 || serial.ms < 0 ? 1 : 0;
}
