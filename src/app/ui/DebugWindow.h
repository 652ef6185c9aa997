#pragma once

#include "app/DebugLineStore.h"

#include <QDialog>

class CDebugLogModel;
class QCheckBox;
class QListView;

// The "Debug" window: collects the log lines of the session, the controller
// and the preset logic while it is open, stamped, filtered, and saved on request.
// Created hidden with the main window; Open shows it and starts recording,
// closing it stops recording (the lines stay).
class CDebugWindow : public QDialog, public IDebugLog {
public:
    explicit CDebugWindow(QWidget* parent = nullptr, IDebugClock* clock = nullptr);
    ~CDebugWindow() override;

    void AddLine(const std::string& text) override;
    void Open();

    const CDebugLineStore& Store() const { return store_; }
    // Where "Save to file" writes.
    void SetSavePath(std::string path) { savePath_ = std::move(path); }

    void reject() override;  // Escape and the close box

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Close();
    void ClearLines();
    void SaveLines();
    void FocusLastLine();

    CSystemDebugClock systemClock_;
    CDebugLineStore store_;
    CDebugLogModel* model_;
    QListView* list_;
    QCheckBox* showLeds_;
    QCheckBox* showDetail_;
    QCheckBox* changesOnly_;
    bool focusPending_ = false;
    bool followPending_ = false;
    std::string savePath_ = CDebugLineStore::DefaultSavePath();
};
