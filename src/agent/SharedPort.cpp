#include "agent/SharedPort.h"

#include "agent/AgentLog.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Transfers need their resends and time-outs run often; between them the port
// only waits for datagrams (and forgets silent remotes).
constexpr int kTickMs = 10;
constexpr int kIdleTickMs = 100;
constexpr std::size_t kMaxDatagram = 2048;
// An in-process remote waits for each answer, so a longer backlog means a fault.
constexpr std::size_t kMaxLocalBacklog = 256;

std::string PeerText(const sockaddr_in& a)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(a.sin_port));
}

}  // namespace

CSharedPort::CSharedPort(CUpstream& upstream)
    : upstream_(upstream), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

CSharedPort::~CSharedPort()
{
    Stop();
    if (wake_ >= 0)
        ::close(wake_);
}

TransportFactory CSharedPort::LocalRemote(const std::string& name)
{
    auto wire = std::make_shared<CMemoryWire>();
    // The wire holds its handler: a weak pointer back avoids a cycle.
    wire->SetPeer([this, name, weak = std::weak_ptr<CMemoryWire>(wire)](const ByteString& bytes) {
        {
            std::lock_guard lock(inboxMutex_);
            if (inbox_.size() < kMaxLocalBacklog)
                inbox_.push_back({weak.lock(), name, bytes});
        }
        const std::uint64_t one = 1;
        (void)!::write(wake_, &one, sizeof one);
    });
    {
        std::lock_guard lock(inboxMutex_);
        wires_.push_back(wire);
    }
    return [wire](const ConnectionSettings&) { return std::make_unique<CMemoryTransport>(wire); };
}

bool CSharedPort::Start(std::string* why)
{
    if (wake_ < 0) {
        *why = std::string("cannot make an event: ") + std::strerror(errno);
        return false;
    }
    stop_ = false;
    if (!upstream_.Config().listen) {
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    const ProcessorConfig& config = upstream_.Config();
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(config.listenPort);
    if (::inet_pton(AF_INET, config.listenAddress.c_str(), &addr.sin_addr) != 1) {
        *why = "listen_address " + config.listenAddress + " is not an IPv4 address";
        return false;
    }
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    socklen_t len = sizeof addr;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        *why = "cannot listen on UDP " + config.listenAddress + ":" + std::to_string(config.listenPort) + ": " +
               std::strerror(errno);
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return false;
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void CSharedPort::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    peers_.clear();
    locals_.clear();
    {
        std::lock_guard lock(inboxMutex_);
        inbox_.clear();
    }
    clients_ = 0;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    port_ = 0;
}

void CSharedPort::Send(const Client& to, const std::vector<processor::Output>& out)
{
    for (const processor::Output& o : out) {
        if (to.wire) {
            to.wire->ToHost(o.bytes);
            continue;
        }
        // A remote that has gone answers with an ICMP error; nothing to do about it.
        (void)::sendto(fd_, o.bytes.data(), o.bytes.size(), MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&to.address), sizeof to.address);
    }
}

CSharedPort::Client CSharedPort::MakeClient(const std::string& name, std::shared_ptr<bool> unlocked)
{
    Client client;
    client.port = std::make_unique<CClientPort>(upstream_, upstream_.Config().listenLockCode, name, std::move(unlocked));
    processor::LinkOptions options;
    options.name = name;
    options.transferIdle = std::chrono::seconds(10);
    client.link = std::make_unique<processor::ProcessorLink>(*client.port, options);
    return client;
}

void CSharedPort::OnLocalPackets(Clock::time_point now)
{
    std::deque<LocalPacket> packets;
    {
        std::lock_guard lock(inboxMutex_);
        packets.swap(inbox_);
    }
    for (LocalPacket& packet : packets) {
        if (!packet.wire)
            continue;
        auto it = locals_.find(packet.wire.get());
        if (it == locals_.end()) {
            Client client = MakeClient(upstream_.Config().name + " " + packet.name, std::make_shared<bool>(false));
            client.wire = packet.wire;
            it = locals_.emplace(packet.wire.get(), std::move(client)).first;
        }
        Client& client = it->second;
        client.lastHeard = now;
        // The session sends each packet whole, as a datagram.
        Send(client, client.link->Feed(packet.bytes.data(), packet.bytes.size(), now, true));
        if (client.link->TakeGoodbye())
            locals_.erase(it);
    }
}

void CSharedPort::OnDatagram(const sockaddr_in& from, const std::uint8_t* data, std::size_t length,
                             Clock::time_point now)
{
    const Peer key{from.sin_addr.s_addr, from.sin_port};
    auto it = peers_.find(key);
    if (it == peers_.end()) {
        if (length == 0)
            return;
        if (peers_.size() >= kMaxClients)
            peers_.erase(std::min_element(peers_.begin(), peers_.end(), [](const auto& a, const auto& b) {
                return a.second.lastHeard < b.second.lastHeard;
            }));
        auto& unlocked = unlocked_[from.sin_addr.s_addr];
        if (!unlocked)
            unlocked = std::make_shared<bool>(false);
        const std::string name = upstream_.Config().name + " remote " + PeerText(from);
        Client client = MakeClient(name, unlocked);
        client.address = from;
        it = peers_.emplace(key, std::move(client)).first;
        agentlog::Debug(name + " heard");
    }
    Client& client = it->second;
    client.lastHeard = now;
    Send(client, client.link->Feed(data, length, now, true));
    if (client.link->TakeGoodbye()) {
        agentlog::Debug(upstream_.Config().name + " remote " + PeerText(from) + " left");
        peers_.erase(it);
    }
}

void CSharedPort::Run()
{
    std::uint8_t buffer[kMaxDatagram];
    bool transferring = false;
    while (!stop_) {
        pollfd p[2] = {{wake_, POLLIN, 0}, {fd_, POLLIN, 0}};
        const int ready = ::poll(p, fd_ >= 0 ? 2 : 1, transferring ? kTickMs : kIdleTickMs);
        if (ready > 0 && (p[0].revents & POLLIN)) {
            std::uint64_t count = 0;
            (void)!::read(wake_, &count, sizeof count);
        }
        OnLocalPackets(Clock::now());
        if (ready > 0 && fd_ >= 0 && (p[1].revents & POLLIN)) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n =
                ::recvfrom(fd_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &len);
            if (n >= 0)
                OnDatagram(from, buffer, static_cast<std::size_t>(n), Clock::now());
        }
        const auto now = Clock::now();
        std::size_t active = 0;
        transferring = false;
        for (auto& [wire, client] : locals_) {
            Send(client, client.link->Poll(now));
            transferring = transferring || client.link->CurrentMode() != processor::ProcessorLink::Mode::Command;
            active += now - client.lastHeard <= kClientActive ? 1 : 0;
        }
        for (auto it = peers_.begin(); it != peers_.end();) {
            Client& client = it->second;
            Send(client, client.link->Poll(now));
            transferring = transferring || client.link->CurrentMode() != processor::ProcessorLink::Mode::Command;
            if (now - client.lastHeard > kClientIdle) {
                it = peers_.erase(it);
            } else {
                active += now - client.lastHeard <= kClientActive ? 1 : 0;
                ++it;
            }
        }
        clients_ = active;
    }
}
