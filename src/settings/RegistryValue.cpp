#include "settings/RegistryValue.h"

#include <QSettings>
#include <QString>
#include <QVariant>

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
    out = v.toString().toStdString();
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
    if (store->status() != QSettings::NoError) {
        status_ = RegistryStatus::KeyNotOpened;
        return;
    }
    const QVariant stored = store->value(QString::fromStdString(name_));
    T read{};
    if (!stored.isValid() || !FromVariant(stored, read)) {
        status_ = RegistryStatus::ValueNotRead;
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
