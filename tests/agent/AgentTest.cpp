// The agent over real simulators on 127.0.0.1: remotes (vexlor-cli and raw
// UDP peers) reach the processors through it as if it were each processor.
#include "../app/ChildProcess.h"
#include "SimServer.h"
#include "agent/Agent.h"
#include "link/ITransport.h"
#include "link/Packet.h"
#include "presets/PresetFile.h"
#include "processor/ProcessorDevice.h"
#include "support/LoopbackUdpSocket.h"

#include <poll.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kLock = 4711;

// Waits, bounded, for a condition that other threads bring about.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 30s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A remote as raw datagrams: what it sends and the next datagram it gets.
class Peer {
public:
    void SendTo(std::uint16_t port, const ByteString& bytes)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(port);
        ::sendto(socket_.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    // Empty when nothing came in time.
    ByteString Receive(std::chrono::milliseconds limit)
    {
        pollfd p{socket_.Fd(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0)
            return {};
        std::uint8_t buffer[2048];
        const ssize_t n = ::recv(socket_.Fd(), buffer, sizeof buffer, 0);
        return n > 0 ? ByteString(buffer, buffer + n) : ByteString{};
    }

private:
    LoopbackUdpSocket socket_;
};

class AgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("vexlor_agent_" + std::to_string(::getpid()) + "_" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        agent_.reset();
        sims_.clear();
        fs::remove_all(folder_);
    }

    vsim::SimServer& StartSim(int model, std::uint16_t port = 0, bool serial = false)
    {
        vsim::SimOptions o;
        o.model = model;
        o.port = port;
        o.lock = kLock;
        o.udp = !serial;
        o.serial = serial;
        sims_.push_back(std::make_unique<vsim::SimServer>(o, [this](const std::string& line) {
            std::lock_guard lock(logMutex_);
            simLog_ += line + "\n";
        }));
        std::string why;
        EXPECT_TRUE(sims_.back()->Start(&why)) << why;
        return *sims_.back();
    }

    static ProcessorConfig Processor(const std::string& name, const vsim::SimServer& sim)
    {
        ProcessorConfig p;
        p.name = name;
        if (sim.Udp()) {
            p.link.host = "127.0.0.1";
            p.link.portNumber = sim.UdpPort();
        } else {
            p.link.transportIndex = 1;
            p.link.portName = sim.SerialPath();
            p.link.dataBits = 3;
        }
        p.link.lockCode = kLock;
        p.listenLockCode = kLock;
        return p;
    }

    // Starts the agent with a re-served port for each processor.
    void StartAgent(std::vector<ProcessorConfig> processors)
    {
        AgentConfig config;
        config.metricsPort = 0;
        for (auto& p : processors) {
            p.listen = true;
            p.listenPort = 0;
            config.processors.push_back(p);
        }
        // Each shared port binds a free port; the test asks which it got.
        agent_ = std::make_unique<CAgent>(config);
        std::string why;
        ASSERT_TRUE(agent_->Start(&why)) << why;
    }

    bool Up(const std::string& name, bool up = true)
    {
        return Eventually([&] {
            return Contains(agent_->MetricsText(), "vexlor_up{processor=\"" + name + "\"} " + (up ? "1" : "0"));
        });
    }

    // Generous limits: every preset of a connect crosses the agent's link too,
    // and the machine may be busy.
    RunResult Cli(std::uint16_t port, std::vector<std::string> args, const std::string& lock = std::to_string(kLock))
    {
        std::vector<std::string> all{"--port", std::to_string(port), "--lock", lock, "--timeout", "90"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(VEXLOR_CLI_PATH, all, 200s, folder_.string());
    }

    std::string SimLog()
    {
        std::lock_guard lock(logMutex_);
        return simLog_;
    }

    fs::path folder_;
    std::vector<std::unique_ptr<vsim::SimServer>> sims_;
    std::unique_ptr<CAgent> agent_;
    std::mutex logMutex_;
    std::string simLog_;
};

}  // namespace

TEST_F(AgentTest, TwoRemotesAtOnceSeeEachOthersWritesInStatusAndReads)
{
    vsim::SimServer& sim = StartSim(1);
    StartAgent({Processor("fm", sim)});
    ASSERT_TRUE(Up("fm"));
    const std::uint16_t port = agent_->ListenPort(0);
    ASSERT_NE(port, 0);

    // One remote watches the status while the other writes.
    ChildProcess watch(VEXLOR_CLI_PATH, {"--port", std::to_string(port), "--lock", std::to_string(kLock), "--timeout",
                                         "20", "--seconds", "40", "watch"});
    std::optional<std::string> line;
    do
        line = watch.ReadLine(30s);
    while (line && !Contains(*line, "status "));
    ASSERT_TRUE(line) << "the watching remote never got a status";
    ASSERT_TRUE(Contains(*line, "change=0")) << *line;

    const RunResult set = Cli(port, {"set", "0", "1", "2", "20"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(sim.Device().ReadValue({0, 1, 2}), 20);
    do
        line = watch.ReadLine(30s);
    while (line && !Contains(*line, "change=1"));
    EXPECT_TRUE(line) << "the write never showed in the other remote's status";

    const RunResult get = Cli(port, {"get", "0", "1", "2"});
    ASSERT_EQ(get.exitCode, 0) << get.err;
    EXPECT_TRUE(Contains(get.out, "00 01 02 = 20 ")) << get.out;
    EXPECT_TRUE(Contains(agent_->MetricsText(), "vexlor_clients{processor=\"fm\"} ")) << agent_->MetricsText();
}

TEST_F(AgentTest, APresetBackupThroughTheAgentEqualsOneTakenStraight)
{
    vsim::SimServer& sim = StartSim(1);
    // The processor serves one peer at a time: the straight backup comes first.
    const RunResult straight = Cli(sim.UdpPort(), {"backup", (folder_ / "straight").string()});
    ASSERT_EQ(straight.exitCode, 0) << straight.err;
    StartAgent({Processor("fm", sim)});
    ASSERT_TRUE(Up("fm"));
    const RunResult through = Cli(agent_->ListenPort(0), {"backup", (folder_ / "through").string()});
    ASSERT_EQ(through.exitCode, 0) << through.err;
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(folder_ / "straight")) {
        ++files;
        const ByteString expected = presets::ReadPresetFile(e.path().string());
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(presets::ReadPresetFile((folder_ / "through" / e.path().filename()).string()), expected)
            << e.path().filename();
    }
    EXPECT_EQ(files, sim.Device().GetModel().PresetCount());

    // A restore through the agent lands in the processor.
    const RunResult restore =
        Cli(agent_->ListenPort(0), {"restore", "2", (folder_ / "straight" / "F1.pst").string()});
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_EQ(*sim.Device().PresetImage(1), presets::ReadPresetFile((folder_ / "straight" / "F1.pst").string()));
}

TEST_F(AgentTest, ASerialOnlyProcessorIsReachableOverUdp)
{
    vsim::SimServer& sim = StartSim(5, 0, true);
    ASSERT_FALSE(sim.SerialPath().empty());
    StartAgent({Processor("stereo", sim)});
    ASSERT_TRUE(Up("stereo"));
    const RunResult info = Cli(agent_->ListenPort(0), {"info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(Contains(info.out, "model: VexlorStereo (code 5)")) << info.out;
}

TEST_F(AgentTest, TheLinkComesBackAfterTheProcessorWasGoneAndRemotesCarryOn)
{
    vsim::SimServer* sim = &StartSim(1);
    const std::uint16_t simPort = sim->UdpPort();
    // Short tries, so the loss is seen soon.
    ProcessorConfig p = Processor("fm", *sim);
    p.link.replyTimeoutMs = 300;
    p.link.tries = 3;
    StartAgent({p});
    ASSERT_TRUE(Up("fm"));
    sims_.clear();  // the processor is switched off
    ASSERT_TRUE(Up("fm", false));
    EXPECT_NE(Cli(agent_->ListenPort(0), {"--reply-ms", "200", "get", "0", "1", "2"}).exitCode, 0);

    sim = &StartSim(1, simPort);
    ASSERT_TRUE(Up("fm"));
    EXPECT_TRUE(Contains(agent_->MetricsText(), "vexlor_link_reconnects_total{processor=\"fm\"} 1"));
    const RunResult get = Cli(agent_->ListenPort(0), {"get", "0", "1", "2"});
    EXPECT_EQ(get.exitCode, 0) << get.err;
}

TEST_F(AgentTest, ARemoteVanishingMidTransferHoldsNobodyUp)
{
    vsim::SimServer& sim = StartSim(1);
    StartAgent({Processor("fm", sim)});
    ASSERT_TRUE(Up("fm"));
    {
        Peer peer;
        peer.SendTo(agent_->ListenPort(0), BuildGetConfig(kLock));
        ASSERT_EQ(peer.Receive(5s), processor::MakeReply(CMD_GET_CONFIG, {}));
        peer.SendTo(agent_->ListenPort(0), ByteString{'C'});
        const ByteString block = peer.Receive(5s);
        ASSERT_GE(block.size(), 3u);
        EXPECT_EQ(block[0], 0x01);  // the first block of the description
    }  // and the peer is gone
    const RunResult get = Cli(agent_->ListenPort(0), {"get", "0", "1", "2"});
    EXPECT_EQ(get.exitCode, 0) << get.err;
    const RunResult info = Cli(agent_->ListenPort(0), {"info"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
}

TEST_F(AgentTest, AWrongLockCodeGetsWhatTheProcessorGivesAndNoChanges)
{
    vsim::SimServer& sim = StartSim(1);
    StartAgent({Processor("fm", sim)});
    ASSERT_TRUE(Up("fm"));
    Peer straight, through;
    straight.SendTo(sim.UdpPort(), BuildGetConfig(1111));
    const ByteString fromProcessor = straight.Receive(5s);
    ASSERT_FALSE(fromProcessor.empty());
    through.SendTo(agent_->ListenPort(0), BuildGetConfig(1111));
    EXPECT_EQ(through.Receive(5s), fromProcessor);

    const std::uint8_t before = sim.Device().ReadValue({0, 1, 2});
    const std::uint8_t other = before == 7 ? 8 : 7;
    through.SendTo(agent_->ListenPort(0), BuildWriteParam(0, 1, 2, other));
    EXPECT_EQ(through.Receive(5s), ByteString{REPLY_NAK});
    EXPECT_EQ(sim.Device().ReadValue({0, 1, 2}), before);

    // With the port's code given, the same write goes through.
    through.SendTo(agent_->ListenPort(0), BuildGetConfig(kLock));
    ASSERT_EQ(through.Receive(5s), processor::MakeReply(CMD_GET_CONFIG, {}));
    through.SendTo(agent_->ListenPort(0), BuildWriteParam(0, 1, 2, other));
    EXPECT_EQ(through.Receive(5s), processor::MakeReply(CMD_WRITE_PARAM, {0, 1, 2, other}));
    EXPECT_EQ(sim.Device().ReadValue({0, 1, 2}), other);
}

namespace {

// A front end inside the agent, talking through a transport of
// CAgent::LocalRemote: what it sends and the next packet it gets.
class LocalPeer : private ITransportSink {
public:
    explicit LocalPeer(TransportFactory factory) : transport_(factory(ConnectionSettings{}))
    {
        transport_->SetSink(this);
        transport_->Open(ConnectionSettings{});
    }
    ~LocalPeer() override { transport_->Close(); }
    ByteString Ask(const ByteString& command, std::chrono::milliseconds limit = 5s)
    {
        std::unique_lock lock(mutex_);
        got_.clear();
        lock.unlock();
        transport_->Send(command.data(), command.size());
        lock.lock();
        arrived_.wait_for(lock, limit, [&] { return !got_.empty(); });
        return got_.empty() ? ByteString{} : got_.front();
    }

private:
    void OnTransportConnected() override {}
    void OnTransportDisconnected() override {}
    void OnTransportError(int) override {}
    void OnPacketReceived(const ByteString& packet) override
    {
        std::lock_guard lock(mutex_);
        got_.push_back(packet);
        arrived_.notify_all();
    }
    // Each arrival is one whole packet.
    std::optional<std::size_t> GetPacketLength(const ByteString& buffered) override { return buffered.size(); }

    std::unique_ptr<ITransport> transport_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<ByteString> got_;
};

}  // namespace

TEST_F(AgentTest, InProcessRemotesShareTheLinkUnderTheLockCodeEvenWithoutAUdpPort)
{
    vsim::SimServer& sim = StartSim(1);
    AgentConfig config;
    config.metricsPort = 0;
    config.processors.push_back(Processor("fm", sim));  // no listen_port: no UDP port
    agent_ = std::make_unique<CAgent>(config);
    std::string why;
    ASSERT_TRUE(agent_->Start(&why)) << why;
    ASSERT_TRUE(Up("fm"));
    EXPECT_EQ(agent_->ListenPort(0), 0);

    LocalPeer writer(agent_->LocalRemote(0, "writer")), reader(agent_->LocalRemote(0, "reader"));
    const std::uint8_t before = sim.Device().ReadValue({0, 1, 2});
    const std::uint8_t other = before == 7 ? 8 : 7;
    EXPECT_EQ(writer.Ask(BuildWriteParam(0, 1, 2, other)), ByteString{REPLY_NAK});
    EXPECT_EQ(writer.Ask(BuildGetConfig(kLock + 1)), ByteString{REPLY_NAK});
    EXPECT_EQ(sim.Device().ReadValue({0, 1, 2}), before);

    ASSERT_EQ(writer.Ask(BuildGetConfig(kLock)), processor::MakeReply(CMD_GET_CONFIG, {}));
    EXPECT_EQ(writer.Ask(BuildWriteParam(0, 1, 2, other)), processor::MakeReply(CMD_WRITE_PARAM, {0, 1, 2, other}));
    EXPECT_EQ(sim.Device().ReadValue({0, 1, 2}), other);
    // The other remote reads what the first one wrote, and only it gets that answer.
    EXPECT_EQ(reader.Ask(BuildReadParam(0, 1, 2)), processor::MakeReply(CMD_READ_PARAM, {0, 1, 2, other}));
    // The reader gave no lock code: its own writes stay refused.
    EXPECT_EQ(reader.Ask(BuildWriteParam(0, 1, 2, before)), ByteString{REPLY_NAK});
    EXPECT_EQ(sim.Device().ReadValue({0, 1, 2}), other);
}

TEST_F(AgentTest, TheProgramSaysGoodbyeToEveryProcessorOnSigterm)
{
    vsim::SimServer& a = StartSim(1);
    vsim::SimServer& b = StartSim(6);
    const fs::path config = folder_ / "agent.ini";
    std::ofstream(config) << "[agent]\nmetrics_port = 0\n\n[a]\nhost = 127.0.0.1\nport = " << a.UdpPort()
                          << "\nlock_code = " << kLock << "\n\n[b]\nhost = 127.0.0.1\nport = " << b.UdpPort()
                          << "\nlock_code = " << kLock << "\n";
    ChildProcess agent("/bin/sh", {"-c", std::string("exec ") + VEXLOR_AGENT_PATH + " --config " + config.string() + " 2>&1"});
    int connected = 0;
    while (connected < 2) {
        const auto line = agent.ReadLine(30s);
        ASSERT_TRUE(line) << "the agent did not connect to both";
        connected += Contains(*line, ": connected");
        EXPECT_EQ(line->rfind("<", 0), 0u) << *line;  // a journald priority leads every line
    }
    ASSERT_EQ(::kill(agent.Pid(), SIGTERM), 0);
    EXPECT_EQ(agent.Wait(20s), 0);
    // Each simulator logged the Disconnect it was sent.
    std::size_t goodbyes = 0;
    const std::string log = SimLog();
    for (auto at = log.find("Disconnecting."); at != std::string::npos; at = log.find("Disconnecting.", at + 1))
        ++goodbyes;
    EXPECT_EQ(goodbyes, 2u) << log;
}
