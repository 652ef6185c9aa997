#include "app/ui/SingleInstanceGuard.h"

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

CSingleInstanceGuard::CSingleInstanceGuard() : lock_(LockPath())
{
    // A running copy keeps its lock however long it runs; only a dead owner's
    // lock is stale.
    lock_.setStaleLockTime(0);
}

bool CSingleInstanceGuard::Acquire()
{
    return lock_.tryLock(0);
}

QString CSingleInstanceGuard::LockPath()
{
    const QString name = QString(kMutexName) + ".lock";
    // The user's runtime folder (XDG_RUNTIME_DIR, or a private folder Qt makes
    // for the user under the temporary folder): one guard per user session,
    // which other users' copies neither see nor block.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) return QDir(runtime).filePath(name);
    // No folder of our own to be had: a name of our own in the shared one.
    return QDir(QDir::tempPath()).filePath(QString(kMutexName) + "-" + QString::number(::getuid()) + ".lock");
}
