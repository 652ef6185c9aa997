#pragma once

#include "agent/AgentConfig.h"
#include "agent/SharedPort.h"
#include "agent/Upstream.h"
#include "http/HttpServer.h"

#include <memory>
#include <string>
#include <vector>

// vexlor-agent: one link per configured processor, each re-served on its own
// UDP port, and the metrics of them all over HTTP.
class CAgent {
public:
    explicit CAgent(AgentConfig config, TransportFactory factory = DefaultTransportFactory());
    ~CAgent();
    CAgent(const CAgent&) = delete;
    CAgent& operator=(const CAgent&) = delete;

    // Opens every listening port, then starts the links. False and why when a
    // port cannot be had; nothing is left running then.
    bool Start(std::string* why);
    // Closes the ports and says goodbye to every processor.
    void Stop();

    std::string MetricsText() const;
    std::uint16_t MetricsPort() const { return http_.Port(); }
    // The UDP port processor `index` is re-served on (0 when it is not).
    std::uint16_t ListenPort(std::size_t index) const;

    const std::vector<ProcessorConfig>& Processors() const { return config_.processors; }
    // Transports for a front end inside the agent: one more remote of processor
    // `index`'s shared link (see CSharedPort::LocalRemote). Such a front end
    // must be stopped before the agent is.
    TransportFactory LocalRemote(std::size_t index, const std::string& name);

private:
    AgentConfig config_;
    std::vector<std::unique_ptr<CUpstream>> upstreams_;
    std::vector<std::unique_ptr<CSharedPort>> ports_;
    http::Server http_;
};
