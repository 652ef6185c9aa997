// A processor's web link over an in-process remote of a real agent and a
// simulator of model 12: browsers on different pages, changes made at the
// processor's front panel.
#include "SimServer.h"
#include "agent/Agent.h"
#include "web/WebLink.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;

namespace {

constexpr int kLock = 4711;
using Addr = std::array<int, 3>;

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// What each browser was sent, as parsed messages.
class Browsers : public IWebClients {
public:
    void Broadcast(std::size_t, const std::string& text, bool) override
    {
        std::lock_guard lock(mutex_);
        broadcast_.push_back(json::parse(text));
    }
    void Send(std::uint64_t client, const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        sent_[client].push_back(json::parse(text));
    }
    std::vector<json> Sent(std::uint64_t client)
    {
        std::lock_guard lock(mutex_);
        return sent_[client];
    }
    std::optional<json> LastBroadcast(const std::string& type)
    {
        std::lock_guard lock(mutex_);
        for (auto it = broadcast_.rbegin(); it != broadcast_.rend(); ++it)
            if ((*it)["t"] == type) return *it;
        return std::nullopt;
    }

private:
    std::mutex mutex_;
    std::vector<json> broadcast_;
    std::map<std::uint64_t, std::vector<json>> sent_;
};

void CollectAddresses(const json& j, std::set<Addr>& out)
{
    if (j.is_object()) {
        for (const auto& [key, value] : j.items()) {
            if (key == "address") out.insert(value.get<Addr>());
            else CollectAddresses(value, out);
        }
    } else if (j.is_array()) {
        for (const auto& e : j) CollectAddresses(e, out);
    }
}

// Every value of `address` sent to a browser, in order.
std::vector<int> ValuesOf(const std::vector<json>& messages, Addr address)
{
    std::vector<int> seen;
    for (const json& m : messages)
        if (m["t"] == "values")
            for (const auto& v : m["v"])
                if (Addr{v[0].get<int>(), v[1].get<int>(), v[2].get<int>()} == address) seen.push_back(v[3]);
    return seen;
}

// Whether `value` of `address` reached a browser after the first `since` messages it was sent.
bool Got(Browsers& browsers, std::uint64_t client, Addr address, int value, std::size_t since = 0)
{
    const std::vector<json> sent = browsers.Sent(client);
    const auto from = sent.begin() + static_cast<std::ptrdiff_t>(std::min(since, sent.size()));
    const auto seen = ValuesOf({from, sent.end()}, address);
    return std::find(seen.begin(), seen.end(), value) != seen.end();
}

class WebLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("vexlor_weblink_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        vsim::SimOptions o;
        o.model = 12;
        o.port = 0;
        o.lock = kLock;
        sim_ = std::make_unique<vsim::SimServer>(o, [](const std::string&) {});
        std::string why;
        ASSERT_TRUE(sim_->Start(&why)) << why;
        AgentConfig config;
        config.metricsPort = 0;
        ProcessorConfig p;
        p.name = "fm";
        p.link.host = "127.0.0.1";
        p.link.portNumber = sim_->UdpPort();
        p.link.lockCode = kLock;
        p.listenLockCode = kLock;
        config.processors.push_back(p);
        agent_ = std::make_unique<CAgent>(config);
        ASSERT_TRUE(agent_->Start(&why)) << why;
        link_ = std::make_unique<CWebLink>(0, "fm", kLock, agent_->LocalRemote(0, "web remote"), folder_.string(),
                                           browsers_, [](const std::string&) {});
        link_->Start();
    }
    void TearDown() override
    {
        link_.reset();
        agent_.reset();
        sim_.reset();
        fs::remove_all(folder_);
    }

    // Opens `page` for `client` and gives the addresses on it.
    std::set<Addr> Open(std::uint64_t client, std::size_t page)
    {
        link_->Submit(client, "tester", WebRole::Admin, json{{"t", "open"}, {"page", page}}.dump());
        std::set<Addr> addresses;
        EXPECT_TRUE(Eventually([&] {
            for (const json& m : browsers_.Sent(client))
                if (m["t"] == "page" && m["index"] == page) CollectAddresses(m["page"], addresses);
            return !addresses.empty();
        }));
        return addresses;
    }

    // A value of `address` other than the present one, set at the front panel.
    int ChangeAtPanel(Addr address)
    {
        const vsim::Address at{static_cast<std::uint8_t>(address[0]), static_cast<std::uint8_t>(address[1]),
                               static_cast<std::uint8_t>(address[2])};
        const int before = sim_->Device().ReadValue(at);
        EXPECT_TRUE(sim_->Device().FrontPanelWrite(at, static_cast<std::uint8_t>(before == 0 ? 1 : before - 1)));
        const int after = sim_->Device().ReadValue(at);
        EXPECT_NE(after, before);
        return after;
    }

    fs::path folder_;
    std::unique_ptr<vsim::SimServer> sim_;
    std::unique_ptr<CAgent> agent_;
    Browsers browsers_;
    std::unique_ptr<CWebLink> link_;
};

// Some address of `mine` on none of the `others`.
Addr OnlyOn(const std::set<Addr>& mine, std::initializer_list<const std::set<Addr>*> others)
{
    for (const Addr& a : mine)
        if (std::none_of(others.begin(), others.end(), [&](const std::set<Addr>* o) { return o->count(a) > 0; }))
            return a;
    ADD_FAILURE() << "no address of its own on the page";
    return {};
}

}  // namespace

TEST_F(WebLinkTest, EveryShownPageStaysFreshAndOnlyItsBrowserGetsItsValuesWhileUnwatchedPagesAreNotReRead)
{
    ASSERT_TRUE(Eventually([&] { return link_->Summary().find("\"ready\"") != std::string::npos; }, 120s));
    ASSERT_TRUE(Eventually([&] { return browsers_.LastBroadcast("tree").has_value(); }));
    std::vector<std::size_t> pages;
    const json tree = *browsers_.LastBroadcast("tree");
    for (std::size_t i = 0; i < tree["pages"].size(); ++i)
        if (tree["pages"][i]["hasPage"] == true && tree["pages"][i]["hidden"] == false) pages.push_back(i);
    ASSERT_GE(pages.size(), 3u);

    // A browser looks at a third page, gets its values, and goes away.
    link_->Join(3);
    const std::set<Addr> third = Open(3, pages[2]);
    link_->Join(1);
    link_->Join(2);
    const std::set<Addr> first = Open(1, pages[0]);
    const std::set<Addr> second = Open(2, pages[1]);
    const Addr a1 = OnlyOn(first, {&second, &third});
    const Addr a2 = OnlyOn(second, {&first, &third});
    const Addr a3 = OnlyOn(third, {&first, &second});
    ASSERT_TRUE(Eventually([&] { return !ValuesOf(browsers_.Sent(3), a3).empty(); }));
    const int oldThird = ValuesOf(browsers_.Sent(3), a3).back();
    link_->Leave(3);
    // Each watched page has its values.
    ASSERT_TRUE(Eventually([&] {
        return !ValuesOf(browsers_.Sent(1), a1).empty() && !ValuesOf(browsers_.Sent(2), a2).empty();
    }));

    // A change at the front panel on each watched page: each browser shows its own.
    const auto round = [&] {
        // Only what is sent from now on counts: a value may come back to one seen before.
        const std::size_t since1 = browsers_.Sent(1).size();
        const std::size_t since2 = browsers_.Sent(2).size();
        const int now1 = ChangeAtPanel(a1);
        const int now2 = ChangeAtPanel(a2);
        return Eventually([&] { return Got(browsers_, 1, a1, now1, since1) && Got(browsers_, 2, a2, now2, since2); });
    };
    EXPECT_TRUE(round());
    // Pages are read one at a time, so once the watched pages were read after
    // that round, no read of the third page begun before it was left is pending.
    const int new3 = ChangeAtPanel(a3);
    // Two more rounds: the walks have gone round every watched page since.
    EXPECT_TRUE(round());
    EXPECT_TRUE(round());
    EXPECT_TRUE(ValuesOf(browsers_.Sent(1), a2).empty());
    EXPECT_TRUE(ValuesOf(browsers_.Sent(2), a1).empty());
    EXPECT_TRUE(ValuesOf(browsers_.Sent(1), a3).empty());

    // Nobody watched the third page: a browser opening it gets the old value
    // with the page, then the new one read on opening.
    link_->Join(4);
    Open(4, pages[2]);
    ASSERT_TRUE(Eventually([&] { return Got(browsers_, 4, a3, new3); }));
    const auto seen = ValuesOf(browsers_.Sent(4), a3);
    EXPECT_EQ(seen.front(), oldThird);
}
