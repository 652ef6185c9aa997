#pragma once

#include <QAbstractListModel>

class CDebugLineStore;

// The debug window's list as a virtual list: the view asks for the lines it
// shows and the model holds nothing but the count it last reported.
class CDebugLogModel : public QAbstractListModel {
public:
    explicit CDebugLogModel(const CDebugLineStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Tells the view what changed in the store since the last call.
    void Sync();

private:
    const CDebugLineStore& store_;
    int shown_ = 0;
};
