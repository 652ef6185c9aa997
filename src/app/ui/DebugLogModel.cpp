#include "app/ui/DebugLogModel.h"

#include "app/DebugLineStore.h"

#include <algorithm>
#include <limits>

namespace {

int StoreRows(const CDebugLineStore& store)
{
    return static_cast<int>(std::min<std::size_t>(store.Count(), std::numeric_limits<int>::max()));
}

}  // namespace

CDebugLogModel::CDebugLogModel(const CDebugLineStore& store, QObject* parent)
    : QAbstractListModel(parent), store_(store), shown_(StoreRows(store))
{
}

int CDebugLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

QVariant CDebugLogModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_) return {};
    // Lines may carry any byte a packet held; Latin-1 shows each one.
    const std::string& line = store_.Line(static_cast<std::size_t>(index.row()));
    return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

void CDebugLogModel::Sync()
{
    const int now = StoreRows(store_);
    if (now > shown_) {
        beginInsertRows({}, shown_, now - 1);
        shown_ = now;
        endInsertRows();
    } else if (now < shown_) {
        beginResetModel();
        shown_ = now;
        endResetModel();
    }
}
