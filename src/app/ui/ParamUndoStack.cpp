#include "app/ui/ParamUndoStack.h"

#include "app/ConnectionController.h"
#include "skin/ui/SkinPopupMenu.h"

#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QToolTip>
#include <QWidget>

namespace {

// One step on the stack. Pushing runs redo() at once, but the write is done by
// then; later undo() and redo() ask the controller, which checks first.
class CParamCommand : public QUndoCommand {
public:
    CParamCommand(CConnectionController& controller, UndoStep step)
        : QUndoCommand(QString::fromStdString(step.caption)), controller_(controller), step_(std::move(step))
    {
    }
    void undo() override { controller_.Undo(step_); }
    void redo() override
    {
        if (pushed_) controller_.Redo(step_);
        pushed_ = true;
    }
    int id() const override { return -1; }  // never merged: the controller made the gesture
    const UndoStep& Step() const { return step_; }

private:
    CConnectionController& controller_;
    UndoStep step_;
    bool pushed_ = false;
};

enum MenuCommand { kMenuUndo = 1, kMenuRedo = 2 };

}  // namespace

CParamUndoStack::CParamUndoStack(CConnectionController& controller, QWidget& window, CSkinManager& manager)
    : controller_(controller), window_(window), manager_(manager)
{
    undoAction_ = new QAction(tr("Undo"), &window);
    undoAction_->setShortcut(QKeySequence::Undo);
    redoAction_ = new QAction(tr("Redo"), &window);
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* action : {undoAction_, redoAction_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(false);
        window.addAction(action);
    }
    connect(undoAction_, &QAction::triggered, this, &CParamUndoStack::Undo);
    connect(redoAction_, &QAction::triggered, this, &CParamUndoStack::Redo);
    connect(&stack_, &QUndoStack::canUndoChanged, undoAction_, &QAction::setEnabled);
    connect(&stack_, &QUndoStack::canRedoChanged, redoAction_, &QAction::setEnabled);
    qApp->installEventFilter(this);
}

CParamUndoStack::~CParamUndoStack()
{
    qApp->removeEventFilter(this);
}

bool CParamUndoStack::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (press || event->type() == QEvent::MouseButtonRelease) {
        auto* slider = qobject_cast<QAbstractSlider*>(watched);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (slider && slider->window() == window_.window() && mouse->button() == Qt::LeftButton)
            controller_.HoldGesture(press);
    }
    return QObject::eventFilter(watched, event);
}

void CParamUndoStack::PushStep(const UndoStep& step)
{
    stack_.push(new CParamCommand(controller_, step));
}

void CParamUndoStack::ClearSteps()
{
    stack_.clear();
}

void CParamUndoStack::DropStep(std::uint64_t id)
{
    // An obsolete command is taken off the stack the next time it is reached.
    for (int i = 0; i < stack_.count(); ++i) {
        auto* command = const_cast<QUndoCommand*>(stack_.command(i));
        if (static_cast<CParamCommand*>(command)->Step().id == id) command->setObsolete(true);
    }
}

const UndoStep* CParamUndoStack::StepAt(int index) const
{
    if (index < 0 || index >= stack_.count()) return nullptr;
    return &static_cast<const CParamCommand*>(stack_.command(index))->Step();
}

bool CParamUndoStack::Refused(const UndoStep& step)
{
    refusal_ = QString::fromStdString(controller_.UndoRefusal(step));
    if (refusal_.isEmpty()) return false;
    QToolTip::showText(window_.mapToGlobal(window_.rect().center()), refusal_, &window_);
    return true;
}

void CParamUndoStack::Undo()
{
    // A gesture still under way (a wheel burst) is the step to take back.
    controller_.FinishGesture();
    const UndoStep* step = StepAt(stack_.index() - 1);
    if (step && !Refused(*step)) stack_.undo();
}

void CParamUndoStack::Redo()
{
    const UndoStep* step = StepAt(stack_.index());
    if (step && !Refused(*step)) stack_.redo();
}

void CParamUndoStack::ShowMenu(const QPoint& globalPos)
{
    menu_ = std::make_unique<CSkinPopupMenu>("PopupMenu", manager_, &window_);
    CSkinPopupMenu* menu = menu_.get();
    QAction* undo = menu->AddItem(kMenuUndo, stack_.canUndo() ? tr("Undo %1").arg(stack_.undoText()) : tr("Undo"));
    QAction* redo = menu->AddItem(kMenuRedo, stack_.canRedo() ? tr("Redo %1").arg(stack_.redoText()) : tr("Redo"));
    undo->setEnabled(stack_.canUndo());
    redo->setEnabled(stack_.canRedo());
    menu->ApplySkin();
    connect(menu, &CSkinPopupMenu::CommandChosen, this, [this](int command) {
        if (command == kMenuUndo) Undo();
        if (command == kMenuRedo) Redo();
    });
    menu->popup(globalPos);
}
