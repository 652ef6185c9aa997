#include "app/ui/DebugWindow.h"

#include "app/ui/DebugLogModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

CDebugWindow::CDebugWindow(QWidget* parent, IDebugClock* clock)
    : QDialog(parent),
      store_(clock ? *clock : systemClock_),
      model_(new CDebugLogModel(store_, this)),
      list_(new QListView(this)),
      showLeds_(new QCheckBox(tr("Show leds information"), this)),
      showDetail_(new QCheckBox(tr("Show detail information"), this)),
      changesOnly_(new QCheckBox(tr("Only parameter c&hanges"), this))
{
    setWindowTitle(tr("Debug"));
    setObjectName("Debug");
    list_->setObjectName("DebugList");
    list_->setModel(model_);
    // Every row has the same height, so the view never measures lines it does not show.
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setMinimumWidth(580);
    list_->setFont(QFont("DejaVu Sans Mono", 9));

    showLeds_->setChecked(store_.ShowLeds());
    showDetail_->setChecked(store_.ShowDetail());
    connect(showLeds_, &QCheckBox::toggled, this, [this](bool on) { store_.SetShowLeds(on); });
    connect(showDetail_, &QCheckBox::toggled, this, [this](bool on) { store_.SetShowDetail(on); });
    connect(changesOnly_, &QCheckBox::toggled, this, [this](bool on) { store_.SetChangesOnly(on); });

    auto* clear = new QPushButton(tr("&Clear"), this);
    auto* save = new QPushButton(tr("&Save to file"), this);
    clear->setAutoDefault(false);
    save->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &CDebugWindow::ClearLines);
    connect(save, &QPushButton::clicked, this, &CDebugWindow::SaveLines);

    auto* controls = new QHBoxLayout;
    controls->addWidget(showLeds_);
    controls->addWidget(showDetail_);
    controls->addWidget(changesOnly_);
    controls->addStretch();
    controls->addWidget(clear);
    controls->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(controls);
    resize(620, 420);
}

CDebugWindow::~CDebugWindow() = default;

void CDebugWindow::AddLine(const std::string& text)
{
    const std::size_t before = store_.Count();
    store_.AddLine(text);
    if (store_.Count() == before) return;
    QScrollBar* bar = list_->verticalScrollBar();
    followPending_ = followPending_ || bar->value() == bar->maximum();
    model_->Sync();
    // Lines come in bursts; move the focus (and the view) once per burst.
    if (!focusPending_) {
        focusPending_ = true;
        QTimer::singleShot(0, this, &CDebugWindow::FocusLastLine);
    }
}

void CDebugWindow::FocusLastLine()
{
    focusPending_ = false;
    const QModelIndex last = model_->index(model_->rowCount() - 1);
    list_->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
    // Follow the newest line only when the operator has not scrolled back.
    if (followPending_) list_->scrollToBottom();
    followPending_ = false;
}

void CDebugWindow::Open()
{
    store_.SetRecording(true);
    show();
    raise();
    activateWindow();
}

void CDebugWindow::Close()
{
    store_.SetRecording(false);
    hide();
}

void CDebugWindow::reject()
{
    Close();
}

void CDebugWindow::closeEvent(QCloseEvent* event)
{
    Close();
    event->accept();
}

void CDebugWindow::ClearLines()
{
    store_.Clear();
    model_->Sync();
}

void CDebugWindow::SaveLines()
{
    // A file that cannot be created is ignored, as the operator expects no message.
    store_.SaveToFile(savePath_);
}
