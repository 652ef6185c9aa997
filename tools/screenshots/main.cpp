// Writes pictures of the application as an operator sees it: the real main
// window, connected to a simulated processor on 127.0.0.1, on every page of the
// model's tree, on the preset list and, before connecting, on the settings.
//   vexlor-screenshots [--model N] [--pages N] OUTPUT_FOLDER
// --pages caps the number of pages pictured. On a screen of device pixel ratio
// 2 (QT_SCALE_FACTOR=2) the pictures have twice the pixels.
#include "SimServer.h"
#include "app/ConnectionController.h"
#include "app/ui/VexlorDlg.h"
#include "settings/ConnectionSettings.h"
#include "settings/RegistrySettings.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinTree.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTreeWidgetItemIterator>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

bool RunUntil(const std::function<bool()>& done, int limitMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Waits until the meters have moved a little, so that pictures show them lit.
void Settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The window as it stands on a desktop: the masked-out corners transparent,
// in the screen's own pixels (twice the size on a screen of ratio 2).
bool Save(QWidget& window, const QDir& folder, const QString& name)
{
    const qreal ratio = window.devicePixelRatioF();
    QImage shot((QSizeF(window.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    shot.setDevicePixelRatio(ratio);
    shot.fill(Qt::transparent);
    {
        QPainter painter(&shot);
        if (!window.mask().isEmpty()) painter.setClipRegion(window.mask());
        painter.drawPixmap(0, 0, window.grab());
    }
    const QString path = folder.filePath(name + ".png");
    const bool saved = shot.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    return saved;
}

QString FileName(int index, const QString& path)
{
    QString name = path.toLower();
    name.replace(QRegularExpression("[^a-z0-9]+"), "-");
    return QString("page-%1-%2").arg(index, 2, 10, QChar('0')).arg(name);
}

class WalkCounter : public IControllerObserver {
public:
    void OnRefreshWalkDone() override { ++walks; }
    std::size_t walks = 0;
};

}  // namespace

int main(int argc, char* argv[])
{
    int model = 12;
    int pages = 1000;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--model" && i + 1 < argc)
            model = std::atoi(argv[++i]);
        else if (arg == "--pages" && i + 1 < argc)
            pages = std::atoi(argv[++i]);
        else
            output = arg;
    }
    if (output.empty()) {
        std::fprintf(stderr, "usage: vexlor-screenshots [--model N] [--pages N] OUTPUT_FOLDER\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The stored settings of this run stay in a folder of their own.
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QDir folder(QString::fromStdString(output));
    folder.mkpath(".");

    std::string why;
    const auto sim = vsim::SimServer::StartOnLoopback(model, 1234, &why);
    if (!sim) {
        std::fprintf(stderr, "simulator: %s\n", why.c_str());
        return 1;
    }
    CSkinManager skin("Skins");
    if (!skin.LoadSkin("Vexlor")) return 1;

    CRegistrySettings stored;
    stored.host = std::string("127.0.0.1");
    stored.port = sim->UdpPort();
    stored.portName = std::string("TCP");
    stored.lockCode = 1234;
    ConnectionSettings settings;
    WalkCounter counter;
    CVexlorDlg window(skin, settings, stored, {});
    window.SetWorkFolder(config.path().toStdString());
    window.Controller().SetObserver(&counter);
    window.show();
    Save(window, folder, "settings");

    window.findChild<CSkinButton*>("BtnConnect")->click();
    CConnectionController& controller = window.Controller();
    if (!RunUntil([&] { return controller.State() == ConnectionState::Ready && !controller.RefreshWalkRunning(); })) {
        std::fprintf(stderr, "the window did not connect\n");
        return 1;
    }
    auto* tree = window.findChild<CSkinTree*>("Tree");
    int index = 0;
    // The tree may be filled again while a page loads, so each item is looked
    // up afresh by its place rather than kept across the wait.
    auto itemAt = [tree](int place) {
        QTreeWidgetItemIterator it(tree);
        for (int i = 0; *it && i < place; ++i) ++it;
        return *it;
    };
    for (int place = 0; index < pages; ++place) {
        QTreeWidgetItem* item = itemAt(place);
        if (!item) break;
        const std::size_t before = counter.walks;
        tree->setCurrentItem(item);
        RunUntil([&] { return counter.walks > before && !controller.RefreshWalkRunning(); }, 5000);
        // A group opens its first child; that page gets its own picture.
        if (tree->currentItem() != itemAt(place)) continue;
        Settle(400);
        const auto* record =
            controller.PageTree().Record(static_cast<std::size_t>(tree->currentItem()->data(0, Qt::UserRole).toInt()));
        Save(window, folder, FileName(++index, QString::fromStdString(record ? record->path : "page")));
    }

    window.findChild<CSkinButton*>("BtnPresets")->click();
    Settle(400);
    Save(window, folder, "presets");
    return 0;
}
