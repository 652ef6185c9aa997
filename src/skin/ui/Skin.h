#pragma once

#include "skin/SkinCore.h"
#include "skin/ui/FaceCache.h"

#include <QIcon>
#include <QImage>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QWidget;

// A window that uses skin images; the skin frees an image when its last user goes.
using SkinUser = const QWidget*;

// Images are drawn at scale 1 or, for screens with at least 1.5 device pixels
// per logical pixel, from their twins at scale 2 where the skin has them.
int SkinScaleFor(double devicePixelRatio);
// The scale of the screen the window shows on; 1 without a window.
int SkinScale(const QWidget* window);

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
    // every request. At scale 2 the image's twin (CSkinFiles::TwinPath), with
    // a device pixel ratio of 2 so that its size in logical pixels is the
    // image's; a skin without that twin gives the image itself, silently.
    QImage GetImage(std::string_view element, std::string_view property, SkinUser user, int scale = 1);
    QIcon GetIcon(std::string_view element, std::string_view property, SkinUser user);
    // Missing keys read as 0 and the empty text.
    std::int32_t GetLong(std::string_view element, std::string_view property) const;
    QString GetString(std::string_view element, std::string_view property) const;

    // Forgets `user` everywhere; an image or icon left without users is freed
    // and loads again from the skin files on its next request.
    void ReleaseUser(SkinUser user);

    bool IsImageLoaded(std::string_view element, std::string_view property, int scale = 1) const;
    bool IsIconLoaded(std::string_view element, std::string_view property) const;
    std::size_t ImageUserCount(std::string_view element, std::string_view property) const;

    // Keeps the large faces of the packed skin decoded in `folder` for later
    // runs, and takes them from there. Before any image is read.
    void KeepFacesIn(std::string folder) { faces_ = CFaceCache(std::move(folder)); }

    // Starts reading and decoding these images (element, property) at `scale`
    // on worker threads, so that the windows made meanwhile find them ready.
    // A lookup of one of them waits for it; each is read once, and the first
    // lookup reports it as usual when it cannot be read.
    void Prefetch(const std::vector<std::pair<std::string, std::string>>& keys, int scale);

    // One image of the skin's files, decoded or kept from an earlier run; null
    // when it cannot be read. Safe on any thread.
    QImage ReadImage(const std::string& path) const;

    // The shape of `image`, an image this skin gave out, without its pixels
    // of `maskColour` (RegionFromBitmap), worked out once per image and colour
    // while the image is held: controls sharing a face share its shape, and a
    // prefetched face comes with the shape its element's "bkcolormask" gives it.
    QRegion Shape(const QImage& image, std::uint32_t maskColour);

private:
    template <typename Handle>
    struct Record {
        Handle handle;
        std::set<SkinUser> users;
        std::string path; // the file it was read from
    };
    template <typename Handle>
    using Table = std::map<std::string, Record<Handle>, std::less<>>;

    // The shared handle of `key`, read from `path` when no window holds it;
    // `what` names it in the error message, none for no message.
    template <typename Handle, typename Read>
    Handle Fetch(Table<Handle>& table, const std::string& key, const std::string& path, const char* what, Read read,
                 SkinUser user);
    QImage FetchTwin(const std::string& key, const std::string& path, SkinUser user);
    // A face read on a worker, with its shape for its element's mask colour.
    struct Prefetched {
        QImage image;
        std::uint32_t maskColour = 0;
        QRegion shape;
    };
    // A face, at `scale`, with its shape when a mask colour is given: kept from
    // an earlier run when it can be, else decoded and, when large, kept.
    Prefetched ReadFace(const std::string& path, std::optional<std::uint32_t> maskColour, int scale) const;
    QImage DecodeImage(const std::string& path) const;
    // Writes a decoded face to the cache on a thread of its own.
    void KeepLater(const std::string& path, const SkinEntryPrint& print, CFaceCache::Face face) const;
    // The image of the file at `path`: prefetched, else read now.
    QImage Decoded(const std::string& path);

    // Drops the shapes of these images (cache keys) unless a record still holds them.
    void ForgetShapes(const std::vector<qint64>& images);
    QIcon ReadIcon(const std::string& path) const;
    void Report(const char* what, const std::string& path) const;

    ISkinErrorSink* errors_;
    CSkinCore core_;
    Table<QImage> images_;
    Table<QImage> twins_;
    // Images whose twin is missing or unusable: looked for once per skin.
    std::set<std::string, std::less<>> withoutTwin_;
    Table<QIcon> icons_;
    CFaceCache faces_;
    // Faces being written to the cache; a skin that goes waits for them.
    mutable std::mutex keepingMutex_;
    mutable std::vector<std::future<void>> keeping_;
    // Images being read on worker threads, by file path. Declared after the
    // files they read from and the writes they start, so a skin that goes
    // waits for its readers first.
    std::map<std::string, std::shared_future<Prefetched>, std::less<>> prefetched_;
    std::map<std::pair<qint64, std::uint32_t>, QRegion> shapes_;
};
