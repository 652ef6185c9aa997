// The application as a program on a real X server (Xvfb, xcb platform): what
// the offscreen platform cannot show, window shapes and real pointer clicks.
#include "SimServer.h"
#include "skin/SkinPack.h"
#include "skin/ui/SkinManager.h"
#include "support/AppSandbox.h"
#include "support/SimLog.h"
#include "support/XServer.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int kLock = 1234;
constexpr int kWindowWidth = 783;
constexpr int kWindowHeight = 470;

// Polls `done` every 20 ms until it holds or the limit passes.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class XvfbApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XvfbServer::Available()) GTEST_SKIP() << "Xvfb or xdotool missing (scripts/setup.sh installs them)";
        std::string why;
        sim_ = vsim::SimServer::StartOnLoopback(12, kLock, &why, simLog_.Sink());
        ASSERT_TRUE(sim_) << why;
        sandbox_ = std::make_unique<AppSandbox>(sim_->UdpPort(), kLock);
        ASSERT_TRUE(sandbox_->Ready());
        xvfb_ = std::make_unique<XvfbServer>(120s);
        ASSERT_TRUE(xvfb_->Started());
        sandbox_->Enter(xvfb_->Display(), "xcb");
        x_ = std::make_unique<XClient>(xvfb_->Display());
        ASSERT_TRUE(x_->Connected());
        skin_ = std::make_unique<CSkinManager>("Skins", nullptr, VEXLOR_APP_PATH);
        ASSERT_TRUE(skin_->LoadSkin("Vexlor"));
    }

    void TearDown() override
    {
        if (sim_) sim_->Stop();
    }

    // Starts the application and waits for its main window to be mapped and painted.
    std::unique_ptr<ChildProcess> StartApp(XWindow& window)
    {
        x_->WatchMaps();
        auto app = sandbox_->Start(VEXLOR_APP_PATH, 60s);
        const auto mapped = x_->WaitForMap(kWindowWidth, kWindowHeight, 20s);
        EXPECT_TRUE(mapped);
        if (!mapped) return app;
        window = *mapped;
        const std::uint32_t background = x_->PixelAt(1023, 767);
        EXPECT_TRUE(Eventually([&] { return x_->PixelAt(window.x + 400, window.y + 300) != background; }, 10s));
        return app;
    }

    // The screen position of the middle of a button element of the main window.
    QPoint Centre(const XWindow& window, const char* element)
    {
        CSkin* skin = skin_->Skin();
        const QImage up = skin->GetImage(element, "up", nullptr);
        return {window.x + skin->GetLong(element, "offset_left") + up.width() / 2,
                window.y + skin->GetLong(element, "offset_top") + up.height() / 2};
    }

    bool Click(const QPoint& at, const std::string& keys = "") { return ClickAt(xvfb_->Display(), at.x(), at.y(), keys); }

    bool SimLogged(const std::string& text) { return simLog_.Has(text); }

    // Starts the application, connects it through the window and waits for Ready.
    std::unique_ptr<ChildProcess> StartConnected(XWindow& window)
    {
        auto app = StartApp(window);
        if (window.id == 0) return app;
        std::this_thread::sleep_for(1s);  // the window settles as in the other tests
        EXPECT_TRUE(Click(Centre(window, "BtnConnect")));
        EXPECT_TRUE(WaitForReady(window, "127.0.0.1")) << x_->WindowName(window.id);
        return app;
    }

    // Waits until the window is named after profile `profile`, "Remote V" and the
    // version (the version reply is in) and the progress window has gone (the
    // preset list is in).
    bool WaitForReady(const XWindow& window, const std::string& profile)
    {
        const std::string title = profile + " - Remote V";
        return Eventually(
            [&] { return x_->WindowName(window.id).rfind(title, 0) == 0 && x_->MappedWindows().size() == 1; }, 30s);
    }

    // Whether any LED of the meter panel is lit green (level LEDs of model 12).
    bool MetersLit(const XWindow& window)
    {
        CSkin* skin = skin_->Skin();
        const int left = window.x + skin->GetLong("Leds", "offset_left");
        const int top = window.y + skin->GetLong("Leds", "offset_top");
        for (int y = 0; y < skin->GetLong("Leds", "height"); y += 3)
            for (int x = 0; x < skin->GetLong("Leds", "width"); x += 4) {
                const std::uint32_t c = x_->PixelAt(left + x, top + y);
                const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                if (g > 0xB0 && r < 0x80 && g > b) return true;
            }
        return false;
    }

    // Whether the middle row of the status line band, at window column `x`, has the accent colour.
    bool AccentInStatusLine(const XWindow& window, int x)
    {
        CSkin* skin = skin_->Skin();
        const int y = (skin->GetLong("Leds", "offset_top") + skin->GetLong("Leds", "height") +
                       skin->GetLong("BtnMenu", "offset_top")) / 2;
        return x_->PixelAt(window.x + x, window.y + y) == 0xE8A33Du;
    }

    // Whether the status line shows (its accent mark at its left end).
    bool StatusLineShown(const XWindow& window)
    {
        return AccentInStatusLine(window, skin_->Skin()->GetLong("Leds", "offset_left") + 1);
    }

    // Whether the status line offers Stop (the link was given up as lost and the
    // window reconnects): the button's frame at the line's right end.
    bool ReconnectingShown(const XWindow& window)
    {
        CSkin* skin = skin_->Skin();
        return AccentInStatusLine(window, skin->GetLong("Frame", "offset_left") + skin->GetLong("Frame", "width") - 1);
    }

    // A sample of the page caption band: which page is open.
    std::vector<std::uint32_t> CaptionBand(const XWindow& window)
    {
        CSkin* skin = skin_->Skin();
        std::vector<std::uint32_t> pixels;
        const int left = window.x + skin->GetLong("Frame", "offset_left");
        const int top = window.y + skin->GetLong("Frame", "offset_top");
        for (int y = 4; y < 22; y += 2)
            for (int x = 0; x < skin->GetLong("Frame", "width"); x += 2) pixels.push_back(x_->PixelAt(left + x, top + y));
        return pixels;
    }

    // The centre of row `row` (from 0) of the page tree.
    QPoint TreeRow(const XWindow& window, int row)
    {
        CSkin* skin = skin_->Skin();
        return {window.x + skin->GetLong("Tree", "offset_left") + 60,
                window.y + skin->GetLong("Tree", "offset_top") + 9 + 18 * row};
    }

    SimLog simLog_;
    std::unique_ptr<vsim::SimServer> sim_;
    std::unique_ptr<AppSandbox> sandbox_;
    std::unique_ptr<XvfbServer> xvfb_;
    std::unique_ptr<XClient> x_;
    std::unique_ptr<CSkinManager> skin_;
};

}  // namespace

TEST_F(XvfbApp, MaskCutsTheShapeClickOnConnectConnectsAndExitEndsTheProcess)
{
    XWindow window;
    auto app = StartApp(window);
    ASSERT_NE(window.id, 0u);

    // The face's corners carry the mask colour; the screen must show what lies
    // behind the window there, not the colour.
    const std::uint32_t background = x_->PixelAt(1023, 767);
    EXPECT_EQ(x_->PixelAt(window.x, window.y), background);
    EXPECT_EQ(x_->PixelAt(window.x + window.width - 1, window.y + window.height - 1), background);
    EXPECT_NE(x_->PixelAt(window.x + 1, window.y + window.height / 2), 0xFF00FFu);

    ASSERT_TRUE(Click(Centre(window, "BtnConnect")));
    // The window is named after the first start's profile, named after the host.
    EXPECT_TRUE(WaitForReady(window, "127.0.0.1")) << x_->WindowName(window.id);

    ASSERT_TRUE(Click(Centre(window, "BtnExit")));
    EXPECT_EQ(app->Wait(15s), std::optional<int>(0));
    // Exit while connected told the processor first.
    EXPECT_TRUE(SimLogged("Disconnecting"));
    // The settings went back to the store at exit, with the panel's fixed serial codes.
    QSettings stored(QString::fromStdString(sandbox_->SettingsFile().string()), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/dwBaud").toString(), "1");
    EXPECT_EQ(stored.value("Settings/sHost").toString(), "127.0.0.1");
    // And the first start's profile, which vexlor-cli --profile reads.
    EXPECT_EQ(stored.value("Profiles/sCurrent").toString(), "127.0.0.1");
    EXPECT_EQ(stored.value("Profiles/1/dwPort").toUInt(), sim_->UdpPort());
}

TEST_F(XvfbApp, LostLinkShowsTheStatusLineDarkensTheMetersAndReconnectsToTheSamePageSendingNothingMeanwhile)
{
    XWindow window;
    auto app = StartConnected(window);
    ASSERT_NE(window.id, 0u);
    const auto firstPage = CaptionBand(window);
    // Another page than the first: the third row of the tree.
    ASSERT_TRUE(Click(TreeRow(window, 2)));
    ASSERT_TRUE(Eventually([&] { return CaptionBand(window) != firstPage; }, 10s));
    std::this_thread::sleep_for(300ms);  // the page's values are read
    const auto page = CaptionBand(window);
    ASSERT_TRUE(Eventually([&] { return MetersLit(window); }, 10s));
    EXPECT_FALSE(StatusLineShown(window));
    EXPECT_FALSE(ReconnectingShown(window));

    const std::uint16_t port = sim_->UdpPort();
    sim_->Stop();
    sim_.reset();
    EXPECT_TRUE(Eventually([&] { return StatusLineShown(window); }, 10s));
    EXPECT_TRUE(Eventually([&] { return !MetersLit(window); }, 10s));
    // The simulator comes back only once the window has given the link up: a
    // line that answers again before that was never lost ("No answer" only).
    ASSERT_TRUE(Eventually([&] { return ReconnectingShown(window); }, 30s));

    // The operator clicks on the page meanwhile; nothing of it may reach the
    // processor, now or once it is back.
    ASSERT_TRUE(Click({window.x + 400, window.y + 260}));
    ASSERT_TRUE(Click({window.x + 600, window.y + 300}));

    simLog_.Clear();
    vsim::SimOptions options;
    options.model = 12;
    options.port = port;
    options.lock = kLock;
    sim_ = std::make_unique<vsim::SimServer>(options, simLog_.Sink());
    std::string why;
    ASSERT_TRUE(sim_->Start(&why)) << why;
    // Back by itself: the lock code presented again, the page read afresh
    // (after the first status), then the preset list, then status polling again;
    // meters lit and the same page open.
    EXPECT_TRUE(Eventually([&] { return simLog_.After("Get Preset", "Read Leds State"); }, 60s));
    const auto lines = simLog_.Lines();
    const auto at = [&](auto from, const char* text) {
        return std::find_if(from, lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    const auto pageRead = at(at(lines.begin(), "Read Leds State"), "Read :");
    EXPECT_LT(pageRead, at(lines.begin(), "Get Factory Preset Number"));
    EXPECT_FALSE(simLog_.After("Get Preset", "Read :"));
    EXPECT_TRUE(Eventually([&] { return MetersLit(window) && CaptionBand(window) == page; }, 10s));
    EXPECT_TRUE(SimLogged("Get Config. The Lock Code is 1234"));
    EXPECT_FALSE(SimLogged("Write :"));
    EXPECT_FALSE(app->Wait(0ms));
}

TEST_F(XvfbApp, SigtermWhileConnectedTellsTheProcessorKeepsTheSettingsAndExitsWithZero)
{
    XWindow window;
    auto app = StartConnected(window);
    ASSERT_NE(window.id, 0u);
    // Kept as soon as the processor took them, readable by their owner only.
    QSettings stored(QString::fromStdString(sandbox_->SettingsFile().string()), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/dwBaud").toString(), "1");
    EXPECT_EQ(std::filesystem::status(sandbox_->SettingsFile()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    ASSERT_EQ(kill(app->Pid(), SIGTERM), 0);
    EXPECT_EQ(app->Wait(15s), std::optional<int>(0));
    EXPECT_TRUE(SimLogged("Disconnecting"));
}

TEST_F(XvfbApp, ProgramWithoutItsSkinArchiveSaysSoAndExitsWithOne)
{
    const auto stripped = sandbox_->WorkFolder() / "vexlor-stripped";
    std::filesystem::copy_file(VEXLOR_APP_PATH, stripped);
    ASSERT_EQ(RunProgram("/usr/bin/strip", {stripped.string()}, 60s).exitCode, 0);
    ASSERT_FALSE(CSkinPack::Find(stripped.string(), "skin.ini"));

    auto app = sandbox_->Start(stripped.string(), 60s);
    std::optional<XWindow> box;
    ASSERT_TRUE(Eventually([&] { return (box = x_->FindByName("Vexlor")).has_value(); }, 20s));
    setenv("DISPLAY", xvfb_->Display().c_str(), 1);
    RunProgram("/usr/bin/xdotool", {"key", "--window", std::to_string(box->id), "Return"}, 10s);
    EXPECT_EQ(app->Wait(15s), std::optional<int>(1));
}

TEST_F(XvfbApp, SecondCopyShowsItsMessageAndEndsWhileTheFirstRunsOnAndADeadCopysLockIsTakenOver)
{
    XWindow window;
    auto first = StartApp(window);
    ASSERT_NE(window.id, 0u);

    auto second = sandbox_->Start(VEXLOR_APP_PATH, 60s);
    std::optional<XWindow> box;
    ASSERT_TRUE(Eventually([&] { return (box = x_->FindByName("Vexlor")).has_value(); }, 20s));
    EXPECT_LT(box->width, kWindowWidth);
    setenv("DISPLAY", xvfb_->Display().c_str(), 1);
    RunProgram("/usr/bin/xdotool", {"key", "--window", std::to_string(box->id), "Return"}, 10s);
    EXPECT_EQ(second->Wait(15s), std::optional<int>(0));

    // The first copy runs on with its window.
    EXPECT_FALSE(first->Wait(0ms));
    const auto windows = x_->MappedWindows();
    EXPECT_TRUE(std::any_of(windows.begin(), windows.end(), [&](const XWindow& w) { return w.id == window.id; }));

    // A copy that died without closing leaves its lock behind; the next one
    // starts, and so it does beside another user's lock in the shared folder.
    first.reset();
    std::ofstream(sandbox_->WorkFolder() / ".." / "tmp" / "TESSAVORN_VEXLOR_Application.lock")
        << getpid() << "\nvexlor\n\n";
    XWindow next;
    auto third = StartApp(next);
    EXPECT_NE(next.id, 0u);
}

// Two processors of different models, one profile each: the operator chooses
// the second profile in the settings panel, connects, drags a slider with the
// mouse and takes the drag back with Ctrl+Z. The undo writes exactly one value,
// the one the processor held before the drag, and the title names the profile.
TEST_F(XvfbApp, SecondProfileConnectsToItsProcessorAndCtrlZTakesADragBack)
{
    SimLog amLog;
    std::string why;
    auto am = vsim::SimServer::StartOnLoopback(13, kLock, &why, amLog.Sink());
    ASSERT_TRUE(am) << why;
    {
        QSettings stored(QString::fromStdString(sandbox_->SettingsFile().string()), QSettings::IniFormat);
        const std::pair<const char*, std::uint16_t> profiles[] = {{"FM Site", sim_->UdpPort()},
                                                                   {"AM Site", am->UdpPort()}};
        for (int i = 0; i < 2; ++i) {
            stored.beginGroup(QString("Profiles/%1").arg(i + 1));
            stored.setValue("sName", profiles[i].first);
            stored.setValue("sPortName", "TCP");
            stored.setValue("sHost", "127.0.0.1");
            stored.setValue("dwPort", profiles[i].second);
            stored.setValue("dwLockCode", kLock);
            stored.endGroup();
        }
        stored.setValue("Profiles/sCurrent", "FM Site");
    }
    XWindow window;
    auto app = StartApp(window);
    ASSERT_NE(window.id, 0u);
    std::this_thread::sleep_for(1s);  // the window settles as in the other tests

    // The second row of the panel's profile list, then Connect.
    CSkin* skin = skin_->Skin();
    const QPoint list(window.x + skin->GetLong("Settings", "offset_left") + skin->GetLong("ProfileList", "offset_left"),
                      window.y + skin->GetLong("Settings", "offset_top") + skin->GetLong("ProfileList", "offset_top"));
    ASSERT_TRUE(Click(list + QPoint(40, 18 + 9)));
    ASSERT_TRUE(Click(Centre(window, "BtnConnect")));
    ASSERT_TRUE(WaitForReady(window, "AM Site")) << x_->WindowName(window.id);
    EXPECT_FALSE(SimLogged("Read version"));
    ASSERT_TRUE(Eventually([&] { return amLog.Has("Get Preset"); }, 10s));
    std::this_thread::sleep_for(1s);  // the first page is read

    // A slider thumb on the first page: a column of the screen with the colours
    // of the thumb's middle column, top to bottom (the skin's "down" face is
    // the thumb at rest).
    const QImage thumb = skin->GetImage("Slider", "down", nullptr);
    ASSERT_FALSE(thumb.isNull());
    std::vector<std::uint32_t> column;
    for (int y = 1; y + 1 < thumb.height(); ++y) column.push_back(thumb.pixel(thumb.width() / 2, y) & 0xFFFFFFu);
    const auto thumbAt = [&](int x, int y) {
        for (std::size_t i = 0; i < column.size(); ++i)
            if (x_->PixelAt(x, y + static_cast<int>(i)) != column[i]) return false;
        return true;
    };
    std::optional<QPoint> found;
    const int left = window.x + skin->GetLong("Frame", "offset_left");
    const int top = window.y + skin->GetLong("Frame", "offset_top");
    for (int y = 40; y < skin->GetLong("Frame", "height") && !found; ++y)
        for (int x = 0; x < skin->GetLong("Frame", "width") && !found; x += 4)
            if (x_->PixelAt(left + x, top + y) == column[0] && thumbAt(left + x, top + y))
                found = QPoint(left + x, top + y - 1 + skin->GetLong("Slider", "thumb_center"));
    ASSERT_TRUE(found) << "no slider thumb on the first page";

    const std::size_t before = ParamWrites(amLog.Lines()).size();
    ASSERT_TRUE(DragAt(xvfb_->Display(), found->x(), found->y(), -30));
    ASSERT_TRUE(Eventually([&] { return ParamWrites(amLog.Lines()).size() > before; }, 10s));
    std::this_thread::sleep_for(1s);  // the drag's last write is in
    const auto drag = ParamWrites(amLog.Lines());
    const auto address = drag[before];
    for (std::size_t i = before; i < drag.size(); ++i)
        ASSERT_TRUE(std::equal(drag[i].begin(), drag[i].begin() + 3, address.begin())) << "the drag wrote another parameter";
    // What the processor held before the drag: its last answer to a read of the address.
    std::optional<unsigned> held;
    for (const std::string& text : amLog.Lines()) {
        if (text.find("< Write : ") != std::string::npos) break;
        unsigned a = 0, b = 0, c = 0, v = 0;
        const auto at = text.find("> 06 81 ");
        if (at != std::string::npos && std::sscanf(text.c_str() + at, "> 06 81 %x %x %x %x", &a, &b, &c, &v) == 4 &&
            a == address[0] && b == address[1] && c == address[2])
            held = v;
    }
    ASSERT_TRUE(held);
    ASSERT_NE(drag.back()[3], *held);

    ASSERT_TRUE(PressKeys(xvfb_->Display(), "ctrl+z"));
    ASSERT_TRUE(Eventually([&] { return ParamWrites(amLog.Lines()).size() > drag.size(); }, 10s));
    std::this_thread::sleep_for(500ms);  // nothing else follows
    const auto after = ParamWrites(amLog.Lines());
    ASSERT_EQ(after.size(), drag.size() + 1);
    EXPECT_EQ(after.back(), (std::array<std::uint8_t, 4>{address[0], address[1], address[2], std::uint8_t(*held)}));
    EXPECT_EQ(am->Device().ReadValue({address[0], address[1], address[2]}), *held);
    EXPECT_EQ(x_->WindowName(window.id).rfind("AM Site - Remote V", 0), 0u) << x_->WindowName(window.id);
    am->Stop();
}
