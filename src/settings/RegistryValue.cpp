#include "settings/RegistryValue.h"

#include "settings/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <algorithm>
#include <memory>

namespace {

// The store and group every value lives in.
std::unique_ptr<QSettings> OpenStore()
{
    return OpenSettingsStore(QStringLiteral("Settings"));
}

// The store holds the lock code: its file is created readable by its owner
// only (the file keeps its rights when rewritten), and a file made before is
// narrowed to that.
void KeepStoreOwnerOnly(const QSettings& store)
{
#ifndef Q_OS_WIN
    const QString path = store.fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) file.close();
    if (file.exists()) file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#else
    Q_UNUSED(store);
#endif
}

bool FromVariant(const QVariant& v, std::string& out)
{
    if (!v.canConvert<QString>())
        return false;
    const QString text = v.toString();
    // Host and port names never hold control characters; one that does is a
    // damaged line (an open quote that ran into the lines after it).
    if (HasControlCharacter(text))
        return false;
    out = text.toStdString();
    return true;
}

bool FromVariant(const QVariant& v, std::uint32_t& out)
{
    bool ok = false;
    const qulonglong n = v.toULongLong(&ok);
    if (!ok || n > 0xFFFFFFFFull)
        return false;
    out = static_cast<std::uint32_t>(n);
    return true;
}

QVariant ToVariant(const std::string& value) { return QString::fromStdString(value); }
QVariant ToVariant(std::uint32_t value) { return QVariant::fromValue(static_cast<quint32>(value)); }

}  // namespace

template <typename T>
CRegistryValue<T>::CRegistryValue(std::string name, T fallback) : name_(std::move(name)), value_(std::move(fallback))
{
    Read();
}

template <typename T>
CRegistryValue<T>::~CRegistryValue()
{
    if (!deleted_)
        Write();  // failures at exit are ignored
}

template <typename T>
void CRegistryValue<T>::Read()
{
    auto store = OpenStore();
    // A malformed line elsewhere in the file (a format error) leaves every
    // readable value readable; only a store that cannot be opened has none.
    if (store->status() == QSettings::AccessError) {
        status_ = RegistryStatus::KeyNotOpened;
        return;
    }
    const QVariant stored = store->value(QString::fromStdString(name_));
    T read{};
    if (!stored.isValid()) {
        status_ = RegistryStatus::ValueNotRead;
    } else if (!FromVariant(stored, read)) {
        status_ = RegistryStatus::ValueNotRead;
        keepUnlessChanged_ = value_;
        return;
    } else {
        value_ = std::move(read);
        status_ = RegistryStatus::Success;
    }
    // Writing any value rewrites the whole file, and with it would drop what a
    // damaged file holds past its damage (a value hidden there included).
    if (StoreDamaged(*store))
        keepUnlessChanged_ = value_;
}

template <typename T>
void CRegistryValue<T>::Write()
{
    // Still what was taken from an unreadable value or a damaged file: writing
    // it would put a default over what the store holds.
    if (keepUnlessChanged_ && value_ == *keepUnlessChanged_)
        return;
    auto store = OpenStore();
    KeepStoreOwnerOnly(*store);
    // Every write rewrites and flushes the whole file; one that would change
    // nothing (each connect writes every value) is left out.
    const QString key = QString::fromStdString(name_);
    T stored{};
    if (FromVariant(store->value(key), stored) && stored == value_ && store->status() == QSettings::NoError) {
        status_ = RegistryStatus::Success;
        keepUnlessChanged_.reset();
        return;
    }
    store->setValue(key, ToVariant(value_));
    store->sync();
    status_ = store->status() == QSettings::NoError ? RegistryStatus::Success : RegistryStatus::ValueNotWritten;
    if (status_ == RegistryStatus::Success)
        keepUnlessChanged_.reset();
}

template <typename T>
void CRegistryValue<T>::Delete()
{
    auto store = OpenStore();
    KeepStoreOwnerOnly(*store);
    store->remove(QString::fromStdString(name_));
    store->sync();
    deleted_ = true;
    status_ = store->status() == QSettings::NoError ? RegistryStatus::Success : RegistryStatus::ValueNotWritten;
}

std::string KeepDamagedSettingsCopy()
{
    const auto store = OpenStore();
    if (!StoreDamaged(*store))
        return {};
    QFile file(store->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const QString copyPath = store->fileName() + QStringLiteral(".damaged");
    QFile copy(copyPath);
    if (copy.open(QIODevice::ReadOnly) && copy.readAll() == bytes)
        return {};  // this damage was kept, and told, before
    copy.close();
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(bytes) != bytes.size())
        return {};
    copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return copyPath.toStdString();
}

template class CRegistryValue<std::string>;
template class CRegistryValue<std::uint32_t>;
