#include "skin/ui/Skin.h"

#include "skin/ui/SkinDrawing.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPixmap>

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

} // namespace

QImage CSkin::ReadImage(const std::string& path) const
{
    const auto bytes = core_.Files().ReadFile(path);
    if (!bytes)
        return {};
    QByteArray data = ToByteArray(*bytes);
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    return InFileLayout(reader.read(), data);
}

QIcon CSkin::ReadIcon(const std::string& path) const
{
    const auto bytes = core_.Files().ReadFile(path);
    if (!bytes)
        return {};
    QByteArray data = ToByteArray(*bytes);
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
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
}

void CSkin::Report(const char* what, const std::string& path) const
{
    if (errors_)
        errors_->OnSkinError(std::string("Unable to load ") + what + ": \"" + path + '"',
                             ISkinErrorSink::Icon::Error);
}

QImage CSkin::GetImage(std::string_view element, std::string_view property, SkinUser user)
{
    const auto path = core_.GetImagePath(element, property);
    if (!path)
        return {};
    const std::string key = SkinValues::Key(element, property);
    auto it = images_.find(key);
    if (it == images_.end() || it->second.handle.isNull()) {
        QImage image = ReadImage(*path);
        if (image.isNull()) {
            Report("image", *path);
            return {};
        }
        it = images_.insert_or_assign(key, Record<QImage>{std::move(image), {}}).first;
    }
    it->second.users.insert(user);
    return it->second.handle;
}

QIcon CSkin::GetIcon(std::string_view element, std::string_view property, SkinUser user)
{
    const auto path = core_.GetIconPath(element, property);
    if (!path)
        return {};
    const std::string key = SkinValues::Key(element, property);
    auto it = icons_.find(key);
    if (it == icons_.end() || it->second.handle.isNull()) {
        QIcon icon = ReadIcon(*path);
        if (icon.isNull()) {
            Report("icon", *path);
            return {};
        }
        it = icons_.insert_or_assign(key, Record<QIcon>{std::move(icon), {}}).first;
    }
    it->second.users.insert(user);
    return it->second.handle;
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
