#include "skin/ui/SkinManager.h"

#include "skin/SkinCore.h"
#include "skin/SkinPack.h"
#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinLog.h"
#include "skin/ui/SkinMessageBox.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace {

// Hands the registered windows' show and screen-change events to the manager.
class ScreenWatch : public QObject {
public:
    explicit ScreenWatch(CSkinManager& manager)
        : manager_(manager)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::ScreenChangeInternal)
            manager_.FollowScreen(static_cast<QWidget*>(watched));
        return false;
    }

private:
    CSkinManager& manager_;
};

} // namespace

CSkinManager::CSkinManager(std::string baseFolder, ISkinErrorSink* errors, std::string archivePath)
    : baseFolder_(std::move(baseFolder))
    , ownErrors_(errors ? nullptr : std::make_unique<CSkinMessageBox>())
    , errors_(errors ? errors : ownErrors_.get())
    , archivePath_(std::move(archivePath))
    , screenWatch_(std::make_unique<ScreenWatch>(*this))
{
}

CSkinManager::~CSkinManager() = default;

std::string CSkinManager::JoinFolder(const std::string& base, const std::string& name)
{
    if (base.empty() || base.back() == '\\' || base.back() == '/')
        return base + name;
    return base + '\\' + name;
}

std::unique_ptr<CSkin> CSkinManager::ReadSkin(const std::string& name) const
{
    auto skin = std::make_unique<CSkin>(errors_, archivePath_);
    if (!skin->Load(JoinFolder(baseFolder_, name)))
        return nullptr;
    // Only when asked for (the log is off by default): whether the program
    // carries its skin, which a strip after linking would have cut off.
    qCInfo(vexlorSkinLog, "skin %s loaded, %s", name.c_str(),
           CSkinPack::Find(archivePath_, CSkinCore::kDescriptionName) ? "its description from the program's archive"
                                                                      : "no description in the program's archive");
    return skin;
}

bool CSkinManager::UseSkin(std::unique_ptr<CSkin> next)
{
    if (!next)
        return false;
    // The windows take their new images while the old skin still holds the
    // old ones; only then does the old skin go.
    std::unique_ptr<CSkin> previous = std::move(skin_);
    skin_ = std::move(next);
    // ApplySkin may create, destroy or rebind windows: each window is looked up
    // again and applied through the binding it has now.
    std::vector<QWidget*> windows;
    for (const Entry& entry : windows_)
        windows.push_back(entry.window);
    for (QWidget* window : windows) {
        Entry* entry = Find(window);
        if (!entry)
            continue;
        entry->scale = SkinScale(window);
        entry->client->ApplySkin();
        window->update();
    }
    previous.reset();
    return true;
}

void CSkinManager::Register(QWidget* window, CSkinClient* client)
{
    if (!window || !client)
        return;
    if (Entry* entry = Find(window)) {
        entry->client = client;
        return;
    }
    windows_.push_back({window, client, SkinScale(window)});
    window->installEventFilter(screenWatch_.get());
}

void CSkinManager::Unregister(QWidget* window)
{
    if (skin_)
        skin_->ReleaseUser(window);
    if (Find(window))
        window->removeEventFilter(screenWatch_.get());
    std::erase_if(windows_, [window](const Entry& e) { return e.window == window; });
}

CSkinManager::Entry* CSkinManager::Find(const QWidget* window)
{
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [window](const Entry& e) { return e.window == window; });
    return it == windows_.end() ? nullptr : &*it;
}

void CSkinManager::FollowScreen(QWidget* window)
{
    Entry* entry = Find(window);
    const int scale = SkinScale(window);
    if (!entry || entry->scale == scale)
        return;
    entry->scale = scale;
    // ApplySkin may register or unregister windows; the entry is not used after it.
    entry->client->ApplySkin();
    window->update();
}

bool CSkinManager::IsRegistered(const QWidget* window) const
{
    return std::any_of(windows_.begin(), windows_.end(),
                       [window](const Entry& e) { return e.window == window; });
}
