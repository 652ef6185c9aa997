#include "web/WebAuth.h"
#include "web/WebConfig.h"
#include "web/WebGate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;

TEST(WebPasswords, HashVerifiesOnlyItsOwnPasswordAndIsSalted)
{
    const std::string hash = HashPassword("correct horse", HashCost::Minimum());
    ASSERT_EQ(hash.rfind("$argon2id$", 0), 0u);
    EXPECT_TRUE(VerifyPassword(hash, "correct horse"));
    EXPECT_FALSE(VerifyPassword(hash, "correct horse "));
    EXPECT_FALSE(VerifyPassword(hash, ""));
    EXPECT_NE(HashPassword("correct horse", HashCost::Minimum()), hash);
}

TEST(WebPasswords, AnythingButArgon2idIsRefused)
{
    const std::string hash = HashPassword("pw", HashCost::Minimum());
    std::string argon2i = hash;
    argon2i.replace(0, 10, "$argon2i$");
    EXPECT_FALSE(VerifyPassword(argon2i, "pw"));
    EXPECT_FALSE(VerifyPassword("pw", "pw"));
    EXPECT_FALSE(VerifyPassword("", ""));
    EXPECT_FALSE(ParseUserEntry("admin:plain").has_value());
    EXPECT_FALSE(ParseUserEntry("root:" + hash).has_value());
    const auto user = ParseUserEntry("readonly:" + hash);
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->role, WebRole::ReadOnly);
}

TEST(WebSessions, TokensAreRandomAndExpireWhenIdle)
{
    CSessionTable table;
    const auto t0 = WebClock::time_point{} + 1000h;
    std::set<std::string> tokens;
    for (int i = 0; i < 20; ++i) tokens.insert(table.Create("ann", WebRole::Admin, t0));
    EXPECT_EQ(tokens.size(), 20u);
    const std::string token = *tokens.begin();
    EXPECT_EQ(token.size(), 64u);
    EXPECT_EQ(table.Find(token, t0 + 11h)->user, "ann");
    // Use refreshes the session.
    EXPECT_TRUE(table.Find(token, t0 + 22h).has_value());
    EXPECT_FALSE(table.Find(token, t0 + 35h).has_value());
    EXPECT_FALSE(table.Find("", t0).has_value());
    EXPECT_FALSE(table.Find(token.substr(0, 63), t0).has_value());
}

TEST(WebSessions, TableStaysWithinItsCapDroppingTheOldest)
{
    CSessionTable table;
    const auto t0 = WebClock::time_point{} + 1000h;
    const std::string first = table.Create("ann", WebRole::Admin, t0);
    for (std::size_t i = 1; i <= CSessionTable::kCap; ++i) table.Create("bob", WebRole::ReadOnly, t0 + i * 1s);
    EXPECT_EQ(table.Size(), CSessionTable::kCap);
    EXPECT_FALSE(table.Find(first, t0 + 1h).has_value());
}

TEST(WebLoginLimit, FiveFailuresLockTheAddressForTheWindowOnly)
{
    CLoginLimiter limiter;
    const auto t0 = WebClock::time_point{} + 1000h;
    for (int i = 0; i < CLoginLimiter::kMaxFailures; ++i) {
        EXPECT_TRUE(limiter.Allowed("127.0.0.21", t0 + i * 1s));
        limiter.Failed("127.0.0.21", t0 + i * 1s);
    }
    EXPECT_FALSE(limiter.Allowed("127.0.0.21", t0 + 30s));
    EXPECT_TRUE(limiter.Allowed("127.0.0.22", t0 + 30s));
    EXPECT_TRUE(limiter.Allowed("127.0.0.21", t0 + 61s));
    limiter.Failed("127.0.0.23", t0);
    limiter.Succeeded("127.0.0.23");
    for (int i = 0; i < CLoginLimiter::kMaxFailures - 1; ++i) limiter.Failed("127.0.0.23", t0);
    EXPECT_TRUE(limiter.Allowed("127.0.0.23", t0));
}

TEST(WebCookies, SessionCookieIsHttpOnlyStrictAndFoundAmongOthers)
{
    const std::string cookie = SessionCookie("abc", false);
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
    EXPECT_EQ(cookie.find("Secure"), std::string::npos);
    EXPECT_NE(SessionCookie("abc", true).find("; Secure"), std::string::npos);
    EXPECT_EQ(CookieValue("a=1; vexlor_session=tok; b=2", "vexlor_session"), "tok");
    EXPECT_EQ(CookieValue("xvexlor_session=tok", "vexlor_session"), "");
    EXPECT_EQ(CookieValue("", "vexlor_session"), "");
}

TEST(WebOrigin, OnlyThisServerAsAddressedOrAConfiguredOrigin)
{
    EXPECT_TRUE(OriginAllowed("http://127.0.0.1:8080", "127.0.0.1:8080", false, {}));
    EXPECT_FALSE(OriginAllowed("https://127.0.0.1:8080", "127.0.0.1:8080", false, {}));
    EXPECT_TRUE(OriginAllowed("https://studio:8443", "studio:8443", true, {}));
    EXPECT_FALSE(OriginAllowed("http://evil.example", "127.0.0.1:8080", false, {}));
    EXPECT_FALSE(OriginAllowed(nullptr, "127.0.0.1:8080", false, {}));
    EXPECT_FALSE(OriginAllowed("http://127.0.0.1:8080", nullptr, false, {}));
    EXPECT_TRUE(OriginAllowed("https://proxy.site", "127.0.0.1:8080", false, {"https://proxy.site"}));
    EXPECT_EQ(QueryValue("p=1&index=12", "index"), "12");
    EXPECT_EQ(QueryValue("pp=1", "p"), "");
}

TEST(WebConfigFile, ReadsGroupsAndReportsWhatItCannotRead)
{
    const std::string hash = HashPassword("pw", HashCost::Minimum());
    std::vector<std::string> errors;
    const WebConfig c = ParseWebConfig("[web]\nlisten = 0.0.0.0\nport = 9000\nbogus = 1\n"
                                       "[studio]\nhost = 127.0.0.1\nport = 1300\nlock_code = 1234\n"
                                       "[users]\nann = admin:" + hash + "\nbad name = admin:" + hash + "\n",
                                       errors);
    EXPECT_EQ(c.listen, "0.0.0.0");
    EXPECT_FALSE(c.Loopback());
    EXPECT_EQ(c.port, 9000);
    EXPECT_TRUE(c.enabled);
    // The processor groups are the agent's: none of their lines is an error here.
    ASSERT_EQ(c.users.size(), 1u);
    EXPECT_EQ(c.users.at("ann").role, WebRole::Admin);
    EXPECT_EQ(errors.size(), 2u);
}

TEST(WebConfigFile, AddingAUserReplacesItsLineAndKeepsTheRest)
{
    const WebUser first{WebRole::Admin, HashPassword("one", HashCost::Minimum())};
    const WebUser second{WebRole::ReadOnly, HashPassword("two", HashCost::Minimum())};
    std::string text = "# site\n[web]\nport = 9000\n";
    text = SetUserInConfig(text, "ann", first);
    text = SetUserInConfig(text, "bob", first);
    text = SetUserInConfig(text, "ann", second);
    std::vector<std::string> errors;
    const WebConfig c = ParseWebConfig(text, errors);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(c.port, 9000);
    ASSERT_EQ(c.users.size(), 2u);
    EXPECT_EQ(c.users.at("ann").role, WebRole::ReadOnly);
    EXPECT_TRUE(VerifyPassword(c.users.at("ann").hash, "two"));
    EXPECT_TRUE(VerifyPassword(c.users.at("bob").hash, "one"));
    EXPECT_EQ(text.rfind("# site\n", 0), 0u);
    EXPECT_FALSE(ParseWebConfig("[agent]\nmetrics_port = 0\n[studio]\nhost = h\n", errors).enabled);
}

TEST(WebConfigFile, AddUserWritesAValidHashOnlyForAGoodNameRoleAndPassword)
{
    const auto path = std::filesystem::temp_directory_path() / ("web-users-" + std::to_string(::getpid()) + ".ini");
    { std::ofstream(path) << "[studio]\nhost = 127.0.0.1\n"; }
    std::string why;
    EXPECT_FALSE(AddUserToConfigFile(path.string(), "ann", "admin", "short", &why));
    EXPECT_FALSE(AddUserToConfigFile(path.string(), "ann", "root", "long enough", &why));
    EXPECT_FALSE(AddUserToConfigFile(path.string(), "a b", "admin", "long enough", &why));
    EXPECT_FALSE(AddUserToConfigFile((path.string() + ".missing"), "ann", "admin", "long enough", &why));
    ASSERT_TRUE(AddUserToConfigFile(path.string(), "ann", "readonly", "long enough", &why)) << why;
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    std::vector<std::string> errors;
    const WebConfig c = ParseWebConfig(text.str(), errors);
    EXPECT_EQ(text.str().rfind("[studio]\nhost = 127.0.0.1\n", 0), 0u);
    ASSERT_EQ(c.users.count("ann"), 1u);
    EXPECT_EQ(c.users.at("ann").role, WebRole::ReadOnly);
    EXPECT_TRUE(VerifyPassword(c.users.at("ann").hash, "long enough"));
    // Password hashes are for the owner's eyes only.
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::group_read,
              std::filesystem::perms::none);
    std::filesystem::remove(path);
}

}  // namespace
