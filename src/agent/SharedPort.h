#pragma once

#include "agent/ClientPort.h"
#include "agent/Upstream.h"
#include "link/MemoryTransport.h"
#include "link/TransportFactory.h"
#include "processor/ProcessorLink.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <netinet/in.h>

// The UDP port on which the agent re-serves one processor. Each remote (by its
// address and port) gets its own protocol engine and lock state; every command
// is handled on this port's one thread in the order the datagrams arrive, so the
// remotes take turns on the single link, and each reply goes to its asker only.
// Front ends inside the agent (the browser remote) are remotes of the same
// port, attached in-process instead of over UDP; the port serves them even
// when the config re-serves the processor on no UDP port.
class CSharedPort {
public:
    // A remote's port silent for this long is forgotten; one heard within
    // kClientActive counts as a remote (remotes poll the status ten times a
    // second, and move to a fresh port for each transfer and retry).
    static constexpr std::chrono::seconds kClientIdle{30};
    static constexpr std::chrono::seconds kClientActive{2};
    // Past this many ports the one heard from longest ago is dropped.
    static constexpr std::size_t kMaxClients = 256;

    explicit CSharedPort(CUpstream& upstream);
    ~CSharedPort();
    CSharedPort(const CSharedPort&) = delete;
    CSharedPort& operator=(const CSharedPort&) = delete;

    // Binds the configured address and port (0 takes a free one) when the
    // config re-serves the processor, and starts the thread. False and why when
    // the port cannot be had.
    bool Start(std::string* why);
    void Stop();
    // The UDP port, 0 when none is listened on.
    std::uint16_t Port() const { return port_; }
    std::size_t Clients() const { return clients_.load(); }

    // Transports for an in-process remote named `name`: what its session sends
    // is served on this port's thread in turn with the UDP remotes, under the
    // lock code of the port, and the answers come back to it alone.
    TransportFactory LocalRemote(const std::string& name);

private:
    using Clock = processor::ProcessorLink::Clock;
    using Peer = std::pair<std::uint32_t, std::uint16_t>;  // address and port, network order
    struct Client {
        std::unique_ptr<CClientPort> port;
        std::unique_ptr<processor::ProcessorLink> link;
        sockaddr_in address{};
        std::shared_ptr<CMemoryWire> wire;  // set for an in-process remote
        Clock::time_point lastHeard{};
    };
    struct LocalPacket {
        std::shared_ptr<CMemoryWire> wire;
        std::string name;
        ByteString bytes;
    };

    void Run();
    Client MakeClient(const std::string& name, std::shared_ptr<bool> unlocked);
    void OnDatagram(const sockaddr_in& from, const std::uint8_t* data, std::size_t length, Clock::time_point now);
    void OnLocalPackets(Clock::time_point now);
    void Send(const Client& to, const std::vector<processor::Output>& out);

    CUpstream& upstream_;
    int fd_ = -1;
    int wake_ = -1;  // an eventfd: in-process remotes have sent something
    std::uint16_t port_ = 0;
    std::map<Peer, Client> peers_;  // the port's thread only
    std::map<std::uint32_t, std::shared_ptr<bool>> unlocked_;  // by remote address
    std::map<const CMemoryWire*, Client> locals_;  // the port's thread only
    std::mutex inboxMutex_;
    std::deque<LocalPacket> inbox_;
    std::vector<std::shared_ptr<CMemoryWire>> wires_;  // under inboxMutex_
    std::atomic<std::size_t> clients_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
