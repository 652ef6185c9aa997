#include "skin/ui/SkinMessageBox.h"

#include <QMessageBox>

void CSkinMessageBox::OnSkinError(const std::string& text, Icon icon)
{
    QMessageBox box(icon == Icon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, kSkinErrorCaption,
                    QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok);
    box.exec();
}
