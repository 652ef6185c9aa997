#include "settings/ProfileStore.h"

#include "settings/SettingsStore.h"

#include <QStringList>

#include <algorithm>
#include <memory>

namespace {

const QString kGroup = QStringLiteral("Profiles");
const QString kCurrent = QStringLiteral("sCurrent");
const QString kName = QStringLiteral("sName");
const QString kPortName = QStringLiteral("sPortName");
const QString kHost = QStringLiteral("sHost");
const QString kPort = QStringLiteral("dwPort");
const QString kLockCode = QStringLiteral("dwLockCode");

// A stored text with a control character is a damaged line (an open quote that
// ran into the lines after it).
bool ReadText(const QSettings& store, const QString& key, std::string& out)
{
    const QVariant v = store.value(key);
    if (!v.isValid() || !v.canConvert<QString>()) return false;
    const QString text = v.toString();
    if (HasControlCharacter(text)) return false;
    out = text.toStdString();
    return true;
}

bool ReadNumber(const QSettings& store, const QString& key, std::uint32_t& out)
{
    bool ok = false;
    const qulonglong n = store.value(key).toULongLong(&ok);
    if (!ok || n > 0xFFFFFFFFull) return false;
    out = static_cast<std::uint32_t>(n);
    return true;
}

std::optional<ConnectionProfile> ReadProfile(QSettings& store, int slot)
{
    ConnectionProfile p;
    p.slot = slot;
    store.beginGroup(QString::number(slot));
    const bool ok = ReadText(store, kName, p.name) && ReadText(store, kPortName, p.portName) &&
                    ReadText(store, kHost, p.host) && ReadNumber(store, kPort, p.portNumber) &&
                    ReadNumber(store, kLockCode, p.lockCode);
    store.endGroup();
    if (!ok) return std::nullopt;
    return p;
}

std::vector<int> StoredSlots(const QSettings& store)
{
    std::vector<int> found;
    for (const QString& group : store.childGroups()) {
        bool ok = false;
        const int slot = group.toInt(&ok);
        if (ok && slot > 0) found.push_back(slot);
    }
    std::sort(found.begin(), found.end());
    return found;
}

void WriteProfile(QSettings& store, const ConnectionProfile& p)
{
    store.beginGroup(QString::number(p.slot));
    store.setValue(kName, QString::fromStdString(p.name));
    store.setValue(kPortName, QString::fromStdString(p.portName));
    store.setValue(kHost, QString::fromStdString(p.host));
    store.setValue(kPort, QVariant::fromValue(static_cast<quint32>(p.portNumber)));
    store.setValue(kLockCode, QVariant::fromValue(static_cast<quint32>(p.lockCode)));
    store.endGroup();
}

}  // namespace

CConnectionProfiles CProfileStore::Load()
{
    CConnectionProfiles profiles;
    auto store = OpenSettingsStore(kGroup);
    for (const int slot : StoredSlots(*store)) {
        auto profile = ReadProfile(*store, slot);
        // A damaged or clashing entry stays in the store as it is.
        if (profile && profiles.Restore(*profile)) ownSlots_.insert(slot);
    }
    std::string current;
    if (ReadText(*store, kCurrent, current)) profiles.Select(current);
    if (profiles.Current().empty() && !profiles.List().empty()) profiles.Select(profiles.List().front().name);
    return profiles;
}

bool CProfileStore::Save(CConnectionProfiles& profiles)
{
    auto store = OpenSettingsStore(kGroup);
    // Writing rewrites the whole file, which would lose what a damaged one
    // holds past its damage; the settings leave such a file alone too.
    if (StoreDamaged(*store) || StoreDamaged(*OpenSettingsStore(QStringLiteral("Settings")))) return false;
    const std::vector<int> taken = StoredSlots(*store);
    int next = taken.empty() ? 1 : taken.back() + 1;
    std::set<int> kept;
    for (std::size_t i = 0; i < profiles.List().size(); ++i) {
        if (profiles.List()[i].slot == 0) profiles.SetSlot(i, next++);
        WriteProfile(*store, profiles.List()[i]);
        kept.insert(profiles.List()[i].slot);
    }
    for (const int slot : ownSlots_) {
        if (!kept.count(slot)) store->remove(QString::number(slot));
    }
    ownSlots_ = kept;
    store->setValue(kCurrent, QString::fromStdString(profiles.Current()));
    store->sync();
    return store->status() == QSettings::NoError;
}
