#include "settings/SettingsStore.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

std::unique_ptr<QSettings> OpenSettingsStore(const QString& group)
{
#ifdef Q_OS_WIN
    auto store = std::make_unique<QSettings>(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Tessavorn\\Vexlor"),
                                             QSettings::NativeFormat);
#else
    auto store = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Tessavorn"), QStringLiteral("Vexlor"));
#endif
    store->beginGroup(group);
    return store;
}

bool HasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

bool StoreDamaged(const QSettings& store)
{
    if (store.status() == QSettings::FormatError)
        return true;
#ifdef Q_OS_WIN
    return false;
#else
    QFile file(store.fileName());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Subgroups are written "1\name" in the file and read "1/name".
    const QStringList keys = store.allKeys();
    const QString section = QLatin1Char('[') + store.group() + QLatin1Char(']');
    bool inGroup = false;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == section;
            continue;
        }
        if (!inGroup)
            continue;
        const auto eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return true;
        const QString key = line.left(eq).trimmed().replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QVariant value = store.value(key);
        if (!keys.contains(key) || !value.canConvert<QString>() || HasControlCharacter(value.toString()))
            return true;
    }
    return false;
#endif
}
