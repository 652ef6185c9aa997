#include "app/ui/SingleInstanceGuard.h"

#include <QDir>

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
    return QDir(QDir::tempPath()).filePath(QString(kMutexName) + ".lock");
}
