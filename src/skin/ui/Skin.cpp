#include "skin/ui/Skin.h"

#include "skin/ui/SkinDrawing.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <system_error>
#include <utility>

int SkinScaleFor(double devicePixelRatio)
{
    return devicePixelRatio >= 1.5 ? 2 : 1;
}

int SkinScale(const QWidget* window)
{
    return window ? SkinScaleFor(window->devicePixelRatioF()) : 1;
}

CSkin::CSkin(ISkinErrorSink* errors, std::string archivePath)
    : errors_(errors)
    , core_(errors, std::move(archivePath))
{
}

bool CSkin::Load(const std::string& folder)
{
    return core_.Load(folder);
}

namespace {

template <typename Map>
const auto* FindRecord(const Map& map, std::string_view element, std::string_view property)
{
    const auto it = map.find(SkinValues::Key(element, property));
    return it == map.end() ? nullptr : &it->second;
}

// Hands a reader over the bytes of one file of the skin to `decode`.
template <typename Decoder>
auto Decode(const ByteString& bytes, Decoder decode) -> decltype(decode(std::declval<QImageReader&>()))
{
    // A view, not a copy: a twice-size background is megabytes, and the
    // decoders copy what they keep.
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    return decode(reader);
}

} // namespace

QImage CSkin::DecodeImage(const std::string& path) const
{
    auto bytes = core_.Files().ReadFile(path);
    if (!bytes)
        return {};
    // The project's own faces become images without a copy; other plain
    // bitmaps are read directly, since the image reader's general path takes
    // many times longer over their pixels.
    if (QImage adopted = AdoptPlainBitmap(*bytes); !adopted.isNull())
        return adopted;
    const QByteArrayView file(reinterpret_cast<const char*>(bytes->data()), static_cast<qsizetype>(bytes->size()));
    if (QImage plain = DecodePlainBitmap(file); !plain.isNull())
        return plain;
    // The file's own header says how its pixels are stored.
    return Decode(*bytes, [file](QImageReader& reader) { return InFileLayout(reader.read(), file); });
}

namespace {

// A twin stands for an image of exactly half its size; one with an odd side
// stands for none.
QImage AsTwin(QImage twin)
{
    if (twin.width() % 2 != 0 || twin.height() % 2 != 0)
        return {};
    twin.setDevicePixelRatio(2);
    return twin;
}

} // namespace

QImage CSkin::ReadImage(const std::string& path) const
{
    return ReadFace(path, std::nullopt, 1).image;
}

CSkin::Prefetched CSkin::ReadFace(const std::string& path, std::optional<std::uint32_t> maskColour, int scale) const
{
    // Only large faces are looked for, so a small one's packed bytes are read once.
    const auto print = faces_.Enabled() ? core_.Files().ArchivePrint(path, CFaceCache::kMinFileBytes) : std::nullopt;
    auto kept = print ? faces_.Find(path, *print) : std::nullopt;
    // Moved on, never shared: marking a shared image as a twin copies its pixels.
    QImage image = kept ? std::move(kept->image) : DecodeImage(path);
    Prefetched read;
    read.image = scale >= 2 ? AsTwin(std::move(image)) : std::move(image);
    read.maskColour = maskColour.value_or(0);
    if (maskColour)
        read.shape = kept && kept->shape && kept->maskColour == *maskColour ? *kept->shape
                                                                            : RegionFromBitmap(read.image, *maskColour);
    // A loose copy of the entry is read when the archive's does not inflate;
    // only what the archive gives is kept under its print.
    if (print && !kept && !read.image.isNull() && !core_.Files().HasLooseFile(path)) {
        const auto shape = maskColour ? std::optional(read.shape) : std::nullopt;
        KeepLater(path, *print, {read.image, shape, read.maskColour});
    }
    return read;
}

void CSkin::KeepLater(const std::string& path, const SkinEntryPrint& print, CFaceCache::Face face) const
{
    std::lock_guard lock(keepingMutex_);
    try {
        keeping_.push_back(std::async(std::launch::async, [this, path, print, face = std::move(face)] {
            faces_.Keep(path, print, face);
        }));
    } catch (const std::system_error&) {
        // No thread to spare: the face is decoded again next time.
    }
}

void CSkin::Prefetch(const std::vector<std::pair<std::string, std::string>>& keys, int scale)
{
    for (const auto& [element, property] : keys) {
        const auto path = core_.GetImagePath(element, property);
        if (!path)
            continue;
        const std::string file = scale >= 2 ? CSkinFiles::TwinPath(*path) : *path;
        if (prefetched_.count(file))
            continue;
        const auto mask = static_cast<std::uint32_t>(core_.GetLong(element, "bkcolormask"));
        try {
            prefetched_.emplace(file, std::async(std::launch::async, [this, file, mask, scale] {
                                          return ReadFace(file, mask, scale);
                                      }).share());
        } catch (const std::system_error&) {
            // No thread to spare: the lookup reads the image itself.
        }
    }
}

QImage CSkin::Decoded(const std::string& path)
{
    const auto it = prefetched_.find(path);
    if (it == prefetched_.end())
        return ReadImage(path);
    const Prefetched read = it->second.get();
    prefetched_.erase(it);
    if (!read.image.isNull())
        shapes_.insert_or_assign({read.image.cacheKey(), read.maskColour}, read.shape);
    return read.image;
}

QRegion CSkin::Shape(const QImage& image, std::uint32_t maskColour)
{
    const std::pair key{image.cacheKey(), maskColour};
    const auto it = shapes_.find(key);
    if (it != shapes_.end())
        return it->second;
    QRegion shape = RegionFromBitmap(image, maskColour);
    if (!image.isNull())
        shapes_.emplace(key, shape);
    return shape;
}

QIcon CSkin::ReadIcon(const std::string& path) const
{
    const auto bytes = core_.Files().ReadFile(path);
    if (!bytes)
        return {};
    return Decode(*bytes, [](QImageReader& reader) {
        // An icon file holds one image per size; keep them all.
        QIcon icon;
        for (int i = 0; i < 16; ++i) {
            const QImage image = reader.read();
            if (image.isNull())
                break;
            icon.addPixmap(QPixmap::fromImage(image));
            if (!reader.jumpToNextImage())
                break;
        }
        return icon;
    });
}

void CSkin::Report(const char* what, const std::string& path) const
{
    if (errors_)
        errors_->OnSkinError(std::string("Unable to load ") + what + ": \"" + path + '"',
                             ISkinErrorSink::Icon::Error);
}

template <typename Handle, typename Read>
Handle CSkin::Fetch(Table<Handle>& table, const std::string& key, const std::string& path, const char* what, Read read,
                    SkinUser user)
{
    auto it = table.find(key);
    if (it == table.end() || it->second.handle.isNull()) {
        // Elements often share a file (every button of a kind): it is read once.
        const auto sharing = std::find_if(table.begin(), table.end(), [&path](const auto& entry) {
            return !entry.second.handle.isNull() && entry.second.path == path;
        });
        Handle handle = sharing != table.end() ? sharing->second.handle : read(path);
        if (handle.isNull()) {
            if (what)
                Report(what, path);
            return {};
        }
        it = table.insert_or_assign(key, Record<Handle>{std::move(handle), {}, path}).first;
    }
    it->second.users.insert(user);
    return it->second.handle;
}

QImage CSkin::FetchTwin(const std::string& key, const std::string& path, SkinUser user)
{
    if (withoutTwin_.count(key))
        return {};
    QImage twin = Fetch(twins_, key, CSkinFiles::TwinPath(path), nullptr,
                        [this](const std::string& file) { return AsTwin(Decoded(file)); }, user);
    if (twin.isNull())
        withoutTwin_.insert(key);
    return twin;
}

QImage CSkin::GetImage(std::string_view element, std::string_view property, SkinUser user, int scale)
{
    const auto path = core_.GetImagePath(element, property);
    if (!path)
        return {};
    const std::string key = SkinValues::Key(element, property);
    if (scale >= 2)
        if (QImage twin = FetchTwin(key, *path, user); !twin.isNull())
            return twin;
    return Fetch(images_, key, *path, "image", [this](const std::string& file) { return Decoded(file); }, user);
}

QIcon CSkin::GetIcon(std::string_view element, std::string_view property, SkinUser user)
{
    const auto path = core_.GetIconPath(element, property);
    if (!path)
        return {};
    return Fetch(icons_, SkinValues::Key(element, property), *path, "icon",
                 [this](const std::string& file) { return ReadIcon(file); }, user);
}

std::int32_t CSkin::GetLong(std::string_view element, std::string_view property) const
{
    return core_.GetLong(element, property);
}

QString CSkin::GetString(std::string_view element, std::string_view property) const
{
    const std::string text = core_.GetString(element, property);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void CSkin::ReleaseUser(SkinUser user)
{
    std::vector<qint64> dropped;
    auto release = [user, &dropped](auto& table) {
        for (auto& [key, record] : table) {
            if (record.handle.isNull() || record.users.erase(user) == 0)
                continue;
            if (record.users.empty()) {
                dropped.push_back(record.handle.cacheKey());
                record.handle = {};
            }
        }
    };
    release(images_);
    release(twins_);
    release(icons_);
    ForgetShapes(dropped);
}

void CSkin::ForgetShapes(const std::vector<qint64>& images)
{
    // An image read again is a new image: its old shapes would only pile up.
    const auto held = [this](qint64 image) {
        const auto holds = [image](const auto& entry) { return entry.second.handle.cacheKey() == image; };
        return std::any_of(images_.begin(), images_.end(), holds) || std::any_of(twins_.begin(), twins_.end(), holds);
    };
    for (const qint64 image : images)
        if (!held(image))
            shapes_.erase(shapes_.lower_bound({image, 0}), shapes_.upper_bound({image, UINT32_MAX}));
}

bool CSkin::IsImageLoaded(std::string_view element, std::string_view property, int scale) const
{
    const auto* record = FindRecord(scale >= 2 ? twins_ : images_, element, property);
    return record && !record->handle.isNull();
}

bool CSkin::IsIconLoaded(std::string_view element, std::string_view property) const
{
    const auto* record = FindRecord(icons_, element, property);
    return record && !record->handle.isNull();
}

std::size_t CSkin::ImageUserCount(std::string_view element, std::string_view property) const
{
    const auto* record = FindRecord(images_, element, property);
    return record && !record->handle.isNull() ? record->users.size() : 0;
}
