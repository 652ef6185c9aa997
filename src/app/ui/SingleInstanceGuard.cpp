#include "app/ui/SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CSingleInstanceGuard::~CSingleInstanceGuard()
{
    if (fd_ >= 0) ::close(fd_);
}

bool CSingleInstanceGuard::Acquire()
{
    if (fd_ >= 0) return true;
    const QByteArray path = QFile::encodeName(LockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    // What earlier versions wrote (process, program, host): they read it to
    // tell a leftover file of a copy that has ended from a running copy's.
    // Nothing else needs it, so it is not flushed: start-up never waits for
    // the disk. The lock is held whether or not the text is written.
    const QByteArray owner = QByteArray::number(::getpid()) + '\n' + QCoreApplication::applicationName().toUtf8() +
                             '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
    // Written over the old text, then cut to length: emptying the file first
    // would free its block only to take it again, which costs a journal write.
    if (::pwrite(fd_, owner.constData(), static_cast<size_t>(owner.size()), 0) == owner.size()) {
        [[maybe_unused]] const int cut = ::ftruncate(fd_, owner.size());
    }
    return true;
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
