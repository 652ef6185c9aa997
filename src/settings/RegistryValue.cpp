#include "settings/RegistryValue.h"

#include <QSettings>
#include <QString>
#include <QVariant>

#include <algorithm>
#include <memory>

namespace {

// The store and group every value lives in.
std::unique_ptr<QSettings> OpenStore()
{
#ifdef Q_OS_WIN
    auto store = std::make_unique<QSettings>(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Tessavorn\\Vexlor"),
                                             QSettings::NativeFormat);
#else
    auto store = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Tessavorn"), QStringLiteral("Vexlor"));
#endif
    store->beginGroup(QStringLiteral("Settings"));
    return store;
}

bool FromVariant(const QVariant& v, std::string& out)
{
    if (!v.canConvert<QString>())
        return false;
    const QString text = v.toString();
    // Host and port names never hold control characters; one that does is a
    // damaged line (an open quote that ran into the lines after it).
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; }))
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
    if (WrittenAtExit())
        Write();  // failures at exit are ignored
}

template <typename T>
bool CRegistryValue<T>::WrittenAtExit() const
{
    return !deleted_ && !(unreadable_ && value_ == *unreadable_);
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
        return;
    }
    if (!FromVariant(stored, read)) {
        status_ = RegistryStatus::ValueNotRead;
        unreadable_ = value_;
        return;
    }
    value_ = std::move(read);
    status_ = RegistryStatus::Success;
}

template <typename T>
void CRegistryValue<T>::Write()
{
    auto store = OpenStore();
    store->setValue(QString::fromStdString(name_), ToVariant(value_));
    store->sync();
    status_ = store->status() == QSettings::NoError ? RegistryStatus::Success : RegistryStatus::ValueNotWritten;
    if (status_ == RegistryStatus::Success)
        unreadable_.reset();
}

template <typename T>
void CRegistryValue<T>::Delete()
{
    auto store = OpenStore();
    store->remove(QString::fromStdString(name_));
    store->sync();
    deleted_ = true;
    status_ = store->status() == QSettings::NoError ? RegistryStatus::Success : RegistryStatus::ValueNotWritten;
}

template class CRegistryValue<std::string>;
template class CRegistryValue<std::uint32_t>;
