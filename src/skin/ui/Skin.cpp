#include "skin/ui/Skin.h"

#include "skin/ui/SkinDrawing.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPixmap>

#include <utility>

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

QByteArray ToByteArray(const ByteString& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

template <typename Map>
const auto* FindRecord(const Map& map, std::string_view element, std::string_view property)
{
    const auto it = map.find(SkinValues::Key(element, property));
    return it == map.end() ? nullptr : &it->second;
}

// Reads one file of the skin and hands a reader over its bytes to `decode`;
// a null value when the file cannot be read.
template <typename Decoder>
auto Decode(const CSkinCore& core, const std::string& path, Decoder decode)
    -> decltype(decode(std::declval<QImageReader&>()))
{
    const auto bytes = core.Files().ReadFile(path);
    if (!bytes)
        return {};
    QByteArray data = ToByteArray(*bytes);
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    return decode(reader);
}

} // namespace

QImage CSkin::ReadImage(const std::string& path) const
{
    return Decode(core_, path, [](QImageReader& reader) {
        const auto* file = qobject_cast<const QBuffer*>(reader.device());
        // Most skin images are plain 24-bit bitmaps, read directly; the image
        // reader's general path takes many times longer over their pixels.
        if (file)
            if (QImage plain = DecodePlainBitmap(file->data()); !plain.isNull())
                return plain;
        // The file's own header says how its pixels are stored.
        const QImage image = reader.read();
        return file ? InFileLayout(image, file->data()) : image;
    });
}

QIcon CSkin::ReadIcon(const std::string& path) const
{
    return Decode(core_, path, [](QImageReader& reader) {
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
Handle CSkin::Fetch(Table<Handle>& table, std::string_view element, std::string_view property,
                    const std::optional<std::string>& path, const char* what, Read read, SkinUser user)
{
    if (!path)
        return {};
    const std::string key = SkinValues::Key(element, property);
    auto it = table.find(key);
    if (it == table.end() || it->second.handle.isNull()) {
        Handle handle = read(*path);
        if (handle.isNull()) {
            Report(what, *path);
            return {};
        }
        it = table.insert_or_assign(key, Record<Handle>{std::move(handle), {}}).first;
    }
    it->second.users.insert(user);
    return it->second.handle;
}

QImage CSkin::GetImage(std::string_view element, std::string_view property, SkinUser user)
{
    return Fetch(images_, element, property, core_.GetImagePath(element, property), "image",
                 [this](const std::string& path) { return ReadImage(path); }, user);
}

QIcon CSkin::GetIcon(std::string_view element, std::string_view property, SkinUser user)
{
    return Fetch(icons_, element, property, core_.GetIconPath(element, property), "icon",
                 [this](const std::string& path) { return ReadIcon(path); }, user);
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
    auto release = [user](auto& table) {
        for (auto& [key, record] : table) {
            if (record.handle.isNull() || record.users.erase(user) == 0)
                continue;
            if (record.users.empty())
                record.handle = {};
        }
    };
    release(images_);
    release(icons_);
}

bool CSkin::IsImageLoaded(std::string_view element, std::string_view property) const
{
    const auto* record = FindRecord(images_, element, property);
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
