#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace {

class NoErrors : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon) override { ADD_FAILURE() << text; }
};

// A binding that is not itself the window, so one window can change bindings.
class CountingClient : public CSkinClient {
public:
    using CSkinClient::CSkinClient;
    void ApplySkin() override
    {
        ++applied;
        if (onApply)
            onApply();
    }
    int applied = 0;
    std::function<void()> onApply;
};

} // namespace

// While a new skin is applied, one window's code may hand another window to a
// new binding (a control rebuilt on re-skinning). The old binding is no longer
// the window's and may already be gone: only the window's current binding may
// be asked to apply the skin.
TEST(SkinManagerReapply, AWindowReboundDuringReapplyIsAppliedThroughItsNewBindingOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Test"));
    QFile ini(dir.path() + "/Test/skin.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("LONG(A::x, 1)\n");
    ini.close();

    NoErrors errors;
    CSkinManager manager(dir.path().toStdString(), &errors, "/nonexistent/vexlor-no-archive");
    ASSERT_TRUE(manager.LoadSkin("Test"));

    QWidget first;
    QWidget second;
    CountingClient rebuilder("A", manager);
    CountingClient oldBinding("B", manager);
    CountingClient newBinding("C", manager);
    rebuilder.Attach(&first);
    oldBinding.Attach(&second);
    bool rebound = false;
    rebuilder.onApply = [&] {
        if (rebound)
            return;
        rebound = true;
        oldBinding.Detach();
        newBinding.Attach(&second);
    };

    ASSERT_TRUE(manager.LoadSkin("Test"));
    EXPECT_EQ(rebuilder.applied, 1);
    EXPECT_EQ(oldBinding.applied, 0);
    EXPECT_EQ(newBinding.applied, 1);
}
