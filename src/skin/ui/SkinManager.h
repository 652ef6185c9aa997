#pragma once

#include "skin/ui/Skin.h"

#include <memory>
#include <string>
#include <vector>

class CSkinClient;
class QObject;
class QWidget;

// The one skin manager of the application: owns the current skin and knows
// every skinned window, so that a newly loaded skin reaches all of them.
class CSkinManager {
public:
    // baseFolder: where loose skin folders live, e.g. "Skins". errors: where
    // skin messages go; none means message boxes captioned "Skin Error".
    explicit CSkinManager(std::string baseFolder, ISkinErrorSink* errors = nullptr,
                          std::string archivePath = CSkinFiles::DefaultArchivePath());
    ~CSkinManager();
    CSkinManager(const CSkinManager&) = delete;
    CSkinManager& operator=(const CSkinManager&) = delete;

    // Loads the skin `name` from base folder + name. On success every
    // registered window takes the new skin before the old one is freed; on
    // failure the current skin stays.
    bool LoadSkin(const std::string& name) { return UseSkin(ReadSkin(name)); }
    // The two halves of LoadSkin. ReadSkin reads the skin's description and
    // touches no window: it is safe on any thread, also before the
    // application object exists, and gives none when the skin cannot be read.
    // UseSkin makes what it read the current skin; false for none.
    std::unique_ptr<CSkin> ReadSkin(const std::string& name) const;
    bool UseSkin(std::unique_ptr<CSkin> next);

    void Register(QWidget* window, CSkinClient* client);
    // Releases what the window used from the skin and forgets it.
    void Unregister(QWidget* window);
    bool IsRegistered(const QWidget* window) const;

    // A registered window showed, or moved to another screen: when the scale
    // of its images changed with it (SkinScale), its client applies the skin
    // again and so takes the images of the new scale.
    void FollowScreen(QWidget* window);

    // The current skin; none before the first successful load.
    CSkin* Skin() const { return skin_.get(); }
    const std::string& BaseFolder() const { return baseFolder_; }

    // Always drawing from stretched copies; the flag stays off.
    void SetDirectDrawing(bool) {}
    bool DirectDrawing() const { return false; }

    static std::string JoinFolder(const std::string& base, const std::string& name);

private:
    struct Entry {
        QWidget* window;
        CSkinClient* client;
        int scale; // of the images the client last applied
    };
    Entry* Find(const QWidget* window);

    std::string baseFolder_;
    std::unique_ptr<ISkinErrorSink> ownErrors_;
    ISkinErrorSink* errors_;
    std::string archivePath_;
    std::unique_ptr<CSkin> skin_;
    std::vector<Entry> windows_; // in the order they registered
    std::unique_ptr<QObject> screenWatch_; // sees the registered windows show and change screens
};
