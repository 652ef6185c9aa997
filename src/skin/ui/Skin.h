#pragma once

#include "skin/SkinCore.h"

#include <QIcon>
#include <QImage>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

class QWidget;

// A window that uses skin images; the skin frees an image when its last user goes.
using SkinUser = const QWidget*;

// One loaded skin: the values of its description and the images and icons it
// loads on first request, each shared by all the windows that asked for it.
// Images and icons are implicitly shared Qt values: a window keeps a copy while
// it draws with it, and the skin drops its own when the last user is released.
class CSkin {
public:
    // errors receives "Unable to load image: …" and the description's
    // messages; archivePath is the file carrying the skin archive.
    explicit CSkin(ISkinErrorSink* errors, std::string archivePath = CSkinFiles::DefaultArchivePath());
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    // Reads the description of the skin in folder (e.g. "Skins\Vexlor").
    bool Load(const std::string& folder);
    bool IsLoaded() const { return core_.IsLoaded(); }
    const CSkinCore& Core() const { return core_; }

    // The declared image, loaded now if no window holds it; `user` is recorded
    // as one of its users. Undeclared: a null image, silently. Declared but not
    // loadable: a null image and the "Unable to load image" message, again on
    // every request.
    QImage GetImage(std::string_view element, std::string_view property, SkinUser user);
    QIcon GetIcon(std::string_view element, std::string_view property, SkinUser user);
    // Missing keys read as 0 and the empty text.
    std::int32_t GetLong(std::string_view element, std::string_view property) const;
    QString GetString(std::string_view element, std::string_view property) const;

    // Forgets `user` everywhere; an image or icon left without users is freed
    // and loads again from the skin files on its next request.
    void ReleaseUser(SkinUser user);

    bool IsImageLoaded(std::string_view element, std::string_view property) const;
    bool IsIconLoaded(std::string_view element, std::string_view property) const;
    std::size_t ImageUserCount(std::string_view element, std::string_view property) const;

    // Reads and decodes one image of the skin's files; null when it cannot.
    QImage ReadImage(const std::string& path) const;

private:
    template <typename Handle>
    struct Record {
        Handle handle;
        std::set<SkinUser> users;
    };
    template <typename Handle>
    using Table = std::map<std::string, Record<Handle>, std::less<>>;

    // The shared handle of element.property, read from `path` when no window
    // holds it; `what` names it in the error message.
    template <typename Handle, typename Read>
    Handle Fetch(Table<Handle>& table, std::string_view element, std::string_view property,
                 const std::optional<std::string>& path, const char* what, Read read, SkinUser user);

    QIcon ReadIcon(const std::string& path) const;
    void Report(const char* what, const std::string& path) const;

    ISkinErrorSink* errors_;
    CSkinCore core_;
    Table<QImage> images_;
    Table<QIcon> icons_;
};
