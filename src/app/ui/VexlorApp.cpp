#include "app/ui/VexlorApp.h"

#include "app/ui/ApplicationIcon.h"
#include "app/ui/FontWarmUp.h"
#include "app/ui/SignalExit.h"
#include "app/ui/SingleInstanceGuard.h"
#include "app/ui/VexlorDlg.h"
#include "settings/ConnectionSettings.h"
#include "settings/ProfileStore.h"
#include "settings/RegistrySettings.h"
#include "settings/ui/SettingsPanel.h"
#include "skin/HeldSkinErrors.h"
#include "skin/ui/FaceCache.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinMessageBox.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <future>
#include <memory>

namespace {

// The settings record with the stored values it came from and the profile
// list; all are written back when this goes, after the main window has
// applied its settings panel one last time.
struct AppSettings {
    CRegistrySettings stored;
    ConnectionSettings record;
    CProfileStore profileStore;
    CConnectionProfiles profiles;
    AppSettings() : profiles(profileStore.Load()) { SettingsFromRegistry(stored, record); }
    ~AppSettings() { profileStore.Save(profiles); }  // failures at exit are ignored
};

// What start-up reads from files before the window is made.
struct EarlyReads {
    std::unique_ptr<CSkin> skin;
    std::unique_ptr<AppSettings> settings;
};

// Whether the loaded skin names a face for the main window, which gives the
// window its size; a program whose archive was cut off names none. The face
// itself is decoded while the window is made.
bool SkinHasMainWindow(const CSkinManager& manager)
{
    const CSkin* skin = manager.Skin();
    return skin && skin->Core().GetImagePath("DlgMain", "background");
}

// Said on the terminal and in a plain box, since there is no skin to draw one.
void ReportMissingSkin()
{
    const QString text = QString::fromUtf8(apptext::kSkinMissing).arg(QCoreApplication::applicationFilePath());
    std::fprintf(stderr, "vexlor: %s\n", qPrintable(text));
    QMessageBox::critical(nullptr, apptext::kAppName, text, QMessageBox::Ok);
}

// Runs `then` once the window's first picture has been drawn.
void AfterFirstPicture(QWidget& window, std::function<void()> then)
{
    class Watch : public QObject {
    public:
        Watch(QWidget& window, std::function<void()> then) : QObject(&window), then_(std::move(then)) {}
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            // The window paints first, then its controls; the queued call
            // runs once all of them are done.
            if (event->type() == QEvent::Paint) {
                watched->removeEventFilter(this);
                QTimer::singleShot(0, parent(), std::move(then_));
                deleteLater();
            }
            return false;
        }

    private:
        std::function<void()> then_;
    };
    window.installEventFilter(new Watch(window, std::move(then)));
}

}  // namespace

int RunApplication(int argc, char* argv[])
{
    CFontWarmUp fonts;
    CSkinMessageBox skinBoxes;
    CHeldSkinErrors skinErrors(skinBoxes);
    CSkinManager manager(apptext::kSkinFolder, &skinErrors);
    // The files start-up needs are read on a worker while Qt connects to the
    // display; without a thread to spare, they are read when first asked for.
    auto early = std::async(std::launch::async | std::launch::deferred, [&manager] {
        CSettingsPanel::SerialPorts(); // looked up once, kept for the program's life
        return EarlyReads{manager.ReadSkin(apptext::kAppName), std::make_unique<AppSettings>()};
    });
    QApplication app(argc, argv);
    // Qt connects its accessibility bridge to the session bus on the first
    // accessible change; asked now, that happens before the large faces are
    // decoded. Without a bus address libdbus forks to look for one, and a fork
    // while the decoders fill fresh memory makes each of their pages fault twice.
    QAccessible::isActive();
    EarlyReads read = early.get();
    skinErrors.Release();
    AppSettings& settings = *read.settings;

    CSingleInstanceGuard guard;
    if (!guard.Acquire()) {
        QMessageBox::information(nullptr, apptext::kAppName, apptext::kAlreadyRunning, QMessageBox::Ok);
        return 0;
    }

    // Without its skin the window has nothing to draw; the manager has said why.
    if (!manager.UseSkin(std::move(read.skin))) return 1;
    if (!SkinHasMainWindow(manager)) {
        ReportMissingSkin();
        return 1;
    }
    // The largest images of the first window decode on worker threads while
    // this thread makes the window, or come decoded from an earlier run.
    manager.Skin()->KeepFacesIn(CFaceCache::DefaultFolder());
    manager.Skin()->Prefetch({{"DlgMain", "background"}, {"Settings", "background"}, {"Leds", "background"}},
                             SkinScaleFor(app.devicePixelRatio()));

    int code = 0;
    {
        CVexlorDlg window(manager, settings.record, settings.stored);
        // A face that is named but cannot be read was reported as such; the
        // window would be invisible.
        if (window.size().isEmpty()) {
            ReportMissingSkin();
            return 1;
        }
        window.SettingsPanel().SetProfiles(settings.profiles,
                                           [&settings] { settings.profileStore.Save(settings.profiles); });
        // A kill, a logout or Ctrl+C ends the program as Exit does.
        CSignalExit endOnSignal([&window](int) { window.close(); });
        window.show();
        if (!settings.stored.damagedCopy.empty())
            QMessageBox::warning(&window, apptext::kAppName,
                                 apptext::kSettingsDamaged + QString::fromStdString(settings.stored.damagedCopy));
        // The icon at all its sizes costs more than the first picture of the
        // window; it follows right after that picture.
        AfterFirstPicture(window, [] { QApplication::setWindowIcon(ApplicationIcon()); });
        code = app.exec();
    }
    return code;
}
