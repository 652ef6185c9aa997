#include "app/ui/ApplicationIcon.h"

#include <QDirIterator>

QIcon ApplicationIcon()
{
    // The resources hold the icon theme's folders as they are installed:
    // hicolor/<n>x<n>/apps/vexlor.png.
    QIcon icon;
    QDirIterator it(":/icons/hicolor", {"vexlor.png"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        icon.addFile(it.next());
    return icon;
}
