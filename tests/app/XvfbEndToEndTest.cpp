// The application as a program on a real X server (Xvfb, xcb platform): what
// the offscreen platform cannot show, window shapes and real pointer clicks.
#include "SimServer.h"
#include "skin/ui/SkinManager.h"
#include "support/AppSandbox.h"
#include "support/XServer.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
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
        sim_ = vsim::SimServer::StartOnLoopback(12, kLock, &why, [this](const std::string& line) {
            std::lock_guard<std::mutex> lock(logMutex_);
            simLog_.push_back(line);
        });
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

    // Whether the simulator has logged a line containing `text`.
    bool SimLogged(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        return std::any_of(simLog_.begin(), simLog_.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }

    std::mutex logMutex_;
    std::vector<std::string> simLog_;
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
    // The version reply names the window after its profile (the first start's,
    // named after the host), "Remote V" and the version; the
    // progress window goes when the preset list is in.
    EXPECT_TRUE(Eventually(
        [&] {
            return x_->WindowName(window.id).rfind("127.0.0.1 - Remote V", 0) == 0 && x_->MappedWindows().size() == 1;
        },
        30s))
        << x_->WindowName(window.id);

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

    // A copy that died without closing leaves its lock behind; the next one starts.
    first.reset();
    XWindow next;
    auto third = StartApp(next);
    EXPECT_NE(next.id, 0u);
}
