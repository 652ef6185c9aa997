#include "agent/AgentConfig.h"
#include "agent/Metrics.h"

#include <gtest/gtest.h>

#include <set>

TEST(AgentConfig, ReadsTheAgentAndEveryProcessorWithDefaults)
{
    std::string why;
    const auto c = ParseAgentConfig(R"(
# a site
[agent]
metrics_port = 9600

[studio]
host = 127.0.0.1
port = 1300
lock_code = 42
listen_port = 11300

[tower]
name = Tower TX
serial = /dev/ttyUSB0
baud = 57600
listen_port = 11301
listen_address = 0.0.0.0
listen_lock_code = 7
)",
                                    &why);
    ASSERT_TRUE(c) << why;
    EXPECT_EQ(c->metricsAddress, "127.0.0.1");
    EXPECT_EQ(c->metricsPort, 9600);
    ASSERT_EQ(c->processors.size(), 2u);
    const ProcessorConfig& s = c->processors[0];
    EXPECT_EQ(s.name, "studio");
    EXPECT_EQ(s.link.transportIndex, 0);
    EXPECT_EQ(s.link.host, "127.0.0.1");
    EXPECT_EQ(s.link.portNumber, 1300u);
    EXPECT_EQ(s.link.lockCode, 42u);
    EXPECT_EQ(s.listenLockCode, 42u);  // the processor's own code unless told otherwise
    EXPECT_EQ(s.listenAddress, "127.0.0.1");
    const ProcessorConfig& t = c->processors[1];
    EXPECT_EQ(t.name, "Tower TX");
    EXPECT_EQ(t.link.transportIndex, 1);
    EXPECT_EQ(t.link.portName, "/dev/ttyUSB0");
    EXPECT_EQ(t.link.baudRate, 3u);  // the code of 57600
    EXPECT_EQ(t.link.lockCode, kDefaultLockCode);
    EXPECT_EQ(t.listenLockCode, 7u);
    EXPECT_EQ(t.listenAddress, "0.0.0.0");
}

TEST(AgentConfig, RefusesWhatCannotBeServedAndSaysWhere)
{
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"[a]\nhost=127.0.0.1\nserial=/dev/ttyS0\n", "either by host or by serial"},
        {"[a]\nport=1203\n", "either by host or by serial"},
        {"[a]\nserial=/dev/ttyS0\nbaud=1200\n", "line 3"},
        {"[a]\nhost=127.0.0.1\nlock_code=10000\n", "lock_code"},
        {"[a]\nhost=127.0.0.1\nlisten_port=5\n[b]\nhost=127.0.0.1\nlisten_port=5\n", "[b]"},
        {"[a]\nhost=127.0.0.1\n[b]\nname=a\nhost=127.0.0.1\n", "named \"a\""},
        {"[a]\nhost=127.0.0.1\nlistenport=5\n", "no key \"listenport\""},
        {"[a]\nhost=127.0.0.1\nport=x\n", "line 3"},
        {"[agent]\nmetrics_port=9000\n", "no processor"},
        {"host=127.0.0.1\n", "before any group"},
        {"[a\nhost=127.0.0.1\n", "line 1"},
        {"[a]\n[a]\n", "twice"},
    };
    for (const auto& [text, reason] : bad) {
        std::string why;
        EXPECT_FALSE(ParseAgentConfig(text, &why)) << text;
        EXPECT_NE(why.find(reason), std::string::npos) << text << " -> " << why;
    }
}

TEST(AgentMetrics, EveryModelsBarsGetUniqueLabelsAndTheInputPairComesFirst)
{
    for (const int code : {1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 15}) {
        const auto labels = metrics::MeterBarLabels(code);
        ASSERT_GE(labels.size(), 4u) << code;
        std::set<std::string> names;
        int inputs = 0, outputs = 0;
        for (const auto& l : labels) {
            EXPECT_TRUE(names.insert(l.bar).second) << code << " " << l.bar;
            inputs += l.role == "input";
            outputs += l.role == "output";
        }
        EXPECT_EQ(inputs, 2) << code;
        EXPECT_EQ(outputs, 2) << code;
        EXPECT_EQ(labels[0].role, "input");
        EXPECT_EQ(labels[1].role, "input");
    }
    EXPECT_TRUE(metrics::MeterBarLabels(0).empty());
}

namespace {

ByteString Status(std::uint8_t left, std::uint8_t right, std::uint8_t flags)
{
    ByteString s(29, 0);
    s[0] = 0x06;
    s[1] = 0x82;
    s[2] = s[3] = s[4] = 255;
    s[5] = flags;
    s[6] = left;
    s[7] = right;
    return s;
}

std::string Line(const std::string& text, const std::string& start)
{
    const auto at = text.find("\n" + start);
    if (at == std::string::npos)
        return {};
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

}  // namespace

TEST(AgentMetrics, SilentAndOverloadedInputsShowAsNoneAndAllLedsLit)
{
    metrics::ProcessorMetrics p;
    p.name = "FM \"1\"";
    p.snap.up = true;
    p.snap.model = 1;
    p.snap.status = Status(0, 255, 0x40 | 3);
    p.snap.reconnects = 2;
    p.roundTrips.count = 3;
    p.roundTrips.counts.fill(3);
    p.roundTrips.counts[0] = 1;
    p.clients = 2;
    const std::string text = metrics::Format({p}, metrics::ProcessMetrics{});
    const std::string proc = "processor=\"FM \\\"1\\\"\"";
    EXPECT_EQ(Line(text, "vexlor_up{"), "vexlor_up{" + proc + "} 1");
    EXPECT_EQ(Line(text, "vexlor_current_preset{"), "vexlor_current_preset{" + proc + "} 3");
    EXPECT_EQ(Line(text, "vexlor_compare_active{"), "vexlor_compare_active{" + proc + "} 1");
    EXPECT_EQ(Line(text, "vexlor_link_reconnects_total{"), "vexlor_link_reconnects_total{" + proc + "} 2");
    EXPECT_EQ(Line(text, "vexlor_clients{"), "vexlor_clients{" + proc + "} 2");
    EXPECT_EQ(Line(text, "vexlor_link_round_trip_seconds_bucket{" + proc + ",le=\"0.002\"}"),
              "vexlor_link_round_trip_seconds_bucket{" + proc + ",le=\"0.002\"} 1");
    EXPECT_EQ(Line(text, "vexlor_link_round_trip_seconds_bucket{" + proc + ",le=\"+Inf\"}"),
              "vexlor_link_round_trip_seconds_bucket{" + proc + ",le=\"+Inf\"} 3");
    const std::string left = proc + ",bar=\"L_1\",role=\"input\"}";
    const std::string right = proc + ",bar=\"R_1\",role=\"input\"}";
    EXPECT_EQ(Line(text, "vexlor_meter_leds_lit{" + left), "vexlor_meter_leds_lit{" + left + " 0");
    const std::string total = Line(text, "vexlor_meter_leds{" + right);
    ASSERT_FALSE(total.empty());
    EXPECT_EQ(Line(text, "vexlor_meter_leds_lit{" + right), "vexlor_meter_leds_lit{" + total.substr(18));

    // A processor that is down shows as such, with no stale readings.
    p.snap.up = false;
    const std::string down = metrics::Format({p}, metrics::ProcessMetrics{});
    EXPECT_EQ(Line(down, "vexlor_up{"), "vexlor_up{" + proc + "} 0");
    EXPECT_EQ(Line(down, "vexlor_current_preset{"), "");
    EXPECT_EQ(Line(down, "vexlor_meter_leds_lit{"), "");
}
