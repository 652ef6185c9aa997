#pragma once

#include "app/UndoSteps.h"

#include <QObject>
#include <QUndoStack>

#include <memory>

class CConnectionController;
class CSkinManager;
class CSkinPopupMenu;
class QAction;
class QWidget;

// The window's undo and redo of parameter gestures on Qt's undo stack. The
// controller makes the steps and checks each against the processor before it
// writes; this keeps them in order, gives the keys (Ctrl+Z; Ctrl+Shift+Z and
// Ctrl+Y) and the skinned menu with "Undo …" and "Redo …".
//
//   CParamUndoStack undo(controller, window, manager);
//   controller.SetUndoView(&undo);
class CParamUndoStack : public QObject, public IUndoView {
    Q_OBJECT
public:
    CParamUndoStack(CConnectionController& controller, QWidget& window, CSkinManager& manager);
    ~CParamUndoStack() override;

    // IUndoView.
    void PushStep(const UndoStep& step) override;
    void ClearSteps() override;
    void DropStep(std::uint64_t id) override;

    // The operator's undo and redo; a refused step stays and the refusal is
    // shown as a tip at the window.
    void Undo();
    void Redo();
    // The skinned menu at globalPos, entries disabled when there is nothing to do.
    void ShowMenu(const QPoint& globalPos);

    const QUndoStack& Stack() const { return stack_; }
    QAction& UndoAction() const { return *undoAction_; }
    QAction& RedoAction() const { return *redoAction_; }
    const QString& Refusal() const { return refusal_; }

protected:
    // A slider pressed in the window holds the gesture open until released.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The step the next undo (offset 1) or redo (offset 0) acts on.
    const UndoStep* StepAt(int index) const;
    bool Refused(const UndoStep& step);

    CConnectionController& controller_;
    QWidget& window_;
    CSkinManager& manager_;
    QUndoStack stack_;
    QAction* undoAction_;
    QAction* redoAction_;
    QString refusal_;
    std::unique_ptr<CSkinPopupMenu> menu_;
};
