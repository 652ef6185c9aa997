#include "app/ui/WaitWindow.h"

CWaitWindow::CWaitWindow(CSkinManager& manager, QWidget* owner) : CInterimFace("Wait", manager, owner)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void CWaitWindow::ShowCentredOver(const QRect& area)
{
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    show();
    repaint();
}
