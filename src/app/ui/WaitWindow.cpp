#include "app/ui/WaitWindow.h"

#include "skin/ui/SkinAnimation.h"

CWaitWindow::CWaitWindow(CSkinManager& manager, QWidget* owner) : CSkinWnd("Wait", manager)
{
    CreateHidden(owner, true);
    setWindowFlags(windowFlags() | Qt::Tool | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName("Wait");
    animation_ = new CSkinAnimation("ProgressBar", manager);
    animation_->Start(this);
}

CWaitWindow::~CWaitWindow()
{
    animation_->Stop();
}

void CWaitWindow::ShowCentredOver(const QRect& area)
{
    // Half the difference of the two sizes on each side.
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    show();
    repaint();
}
