#include "agent/SharedPort.h"

#include "agent/AgentLog.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kTickMs = 10;
constexpr std::size_t kMaxDatagram = 2048;

std::string PeerText(const sockaddr_in& a)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(a.sin_port));
}

}  // namespace

CSharedPort::CSharedPort(CUpstream& upstream) : upstream_(upstream) {}

CSharedPort::~CSharedPort()
{
    Stop();
}

bool CSharedPort::Start(std::string* why)
{
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
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void CSharedPort::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    peers_.clear();
    clients_ = 0;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void CSharedPort::Send(const sockaddr_in& to, const std::vector<processor::Output>& out)
{
    // A remote that has gone answers with an ICMP error; nothing to do about it.
    for (const processor::Output& o : out)
        (void)::sendto(fd_, o.bytes.data(), o.bytes.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                       sizeof to);
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
        Client client;
        client.port = std::make_unique<CClientPort>(upstream_, upstream_.Config().listenLockCode, name, unlocked);
        processor::LinkOptions options;
        options.name = name;
        options.transferIdle = std::chrono::seconds(10);
        client.link = std::make_unique<processor::ProcessorLink>(*client.port, options);
        client.address = from;
        it = peers_.emplace(key, std::move(client)).first;
        agentlog::Debug(name + " heard");
    }
    Client& client = it->second;
    client.lastHeard = now;
    Send(from, client.link->Feed(data, length, now, true));
    if (client.link->TakeGoodbye()) {
        agentlog::Debug(upstream_.Config().name + " remote " + PeerText(from) + " left");
        peers_.erase(it);
    }
}

void CSharedPort::Run()
{
    std::uint8_t buffer[kMaxDatagram];
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, kTickMs);
        if (ready > 0 && (p.revents & POLLIN)) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n =
                ::recvfrom(fd_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &len);
            if (n >= 0)
                OnDatagram(from, buffer, static_cast<std::size_t>(n), Clock::now());
        }
        const auto now = Clock::now();
        std::size_t active = 0;
        for (auto it = peers_.begin(); it != peers_.end();) {
            Client& client = it->second;
            Send(client.address, client.link->Poll(now));
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
