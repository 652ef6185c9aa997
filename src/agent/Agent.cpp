#include "agent/Agent.h"

#include "agent/AgentLog.h"
#include "agent/Metrics.h"

CAgent::CAgent(AgentConfig config, TransportFactory factory) : config_(std::move(config))
{
    for (const ProcessorConfig& p : config_.processors) {
        upstreams_.push_back(std::make_unique<CUpstream>(p, factory));
        ports_.push_back(std::make_unique<CSharedPort>(*upstreams_.back()));
    }
    http_.Route("/metrics", [this](const http::Request&) {
        return http::Response{200, metrics::kContentType, MetricsText(), {}};
    });
    http_.Route("/", [](const http::Request&) {
        return http::Response{200, "text/plain; charset=utf-8", "vexlor-agent: metrics at /metrics\n", {}};
    });
}

CAgent::~CAgent()
{
    Stop();
}

bool CAgent::Start(std::string* why)
{
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        if (!ports_[i]->Start(why)) {
            *why = config_.processors[i].name + ": " + *why;
            Stop();
            return false;
        }
    }
    if (config_.metricsPort != 0) {
        http::ServerOptions options;
        options.address = config_.metricsAddress;
        options.port = config_.metricsPort;
        options.threads = 4;
        options.log = [](const std::string& line) { agentlog::Warning("metrics server: " + line); };
        if (!http_.Start(options, why)) {
            Stop();
            return false;
        }
        agentlog::Info("metrics at http://" + config_.metricsAddress + ":" + std::to_string(http_.Port()) + "/metrics");
    }
    for (std::size_t i = 0; i < upstreams_.size(); ++i) {
        upstreams_[i]->Start();
        if (config_.processors[i].listen)
            agentlog::Info(config_.processors[i].name + ": re-served on UDP " + config_.processors[i].listenAddress +
                           ":" + std::to_string(ports_[i]->Port()));
    }
    return true;
}

void CAgent::Stop()
{
    http_.Stop();
    for (auto& port : ports_)
        port->Stop();
    for (auto& upstream : upstreams_)
        upstream->Stop();
}

std::uint16_t CAgent::ListenPort(std::size_t index) const
{
    return index < ports_.size() ? ports_[index]->Port() : 0;
}

TransportFactory CAgent::LocalRemote(std::size_t index, const std::string& name)
{
    return ports_.at(index)->LocalRemote(name);
}

std::string CAgent::MetricsText() const
{
    std::vector<metrics::ProcessorMetrics> ps;
    for (std::size_t i = 0; i < upstreams_.size(); ++i) {
        const CUpstream& u = *upstreams_[i];
        ps.push_back({u.Config().name, u.Snap(), u.Meter().RoundTrips(), u.Meter().Retries(),
                      ports_[i]->Clients()});
    }
    return metrics::Format(ps, metrics::ReadProcessMetrics());
}
