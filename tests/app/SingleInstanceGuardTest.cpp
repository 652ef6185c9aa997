// The single-instance guard is per user: copies of other users (or their
// leftovers in the shared temporary folder) never keep this user out.
#include "app/ui/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the test with XDG_RUNTIME_DIR and TMPDIR of its own, restoring them after.
class SingleInstanceGuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime_.isValid() && shared_.isValid());
        QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        Save("XDG_RUNTIME_DIR", runtime_.path());
        Save("TMPDIR", shared_.path());
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    void Save(const std::string& name, const QString& value)
    {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.toLocal8Bit().constData(), 1);
    }
    // A lock file as a copy with process `pid` leaves it.
    static void WriteLock(const QString& path, qint64 pid)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(pid) + "\nvexlor\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }

    QTemporaryDir runtime_;
    QTemporaryDir shared_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

qint64 DeadPid()
{
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace

TEST_F(SingleInstanceGuardTest, LockLivesInTheUsersRuntimeFolderNotTheSharedOne)
{
    EXPECT_TRUE(CSingleInstanceGuard::LockPath().startsWith(runtime_.path() + "/"));
    // Another user's copy holds the old shared name; this user starts anyway.
    WriteLock(QDir(shared_.path()).filePath(QString(CSingleInstanceGuard::kMutexName) + ".lock"), 1);
    CSingleInstanceGuard guard;
    EXPECT_TRUE(guard.Acquire());
    // A second copy in the same session is refused.
    CSingleInstanceGuard second;
    EXPECT_FALSE(second.Acquire());
}

TEST_F(SingleInstanceGuardTest, DeadCopysLockIsTakenOver)
{
    WriteLock(CSingleInstanceGuard::LockPath(), DeadPid());
    CSingleInstanceGuard guard;
    EXPECT_TRUE(guard.Acquire());
}

TEST_F(SingleInstanceGuardTest, ARunningCopyKeepsOthersOutUntilItDiesHoweverItDies)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t copy = fork();
    ASSERT_GE(copy, 0);
    if (copy == 0) {
        CSingleInstanceGuard guard;
        const char held = guard.Acquire() ? 'y' : 'n';
        [[maybe_unused]] const ssize_t sent = write(ready[1], &held, 1);
        pause(); // until killed, as a crash or a kill -9 ends a copy
        _exit(0);
    }
    close(ready[1]);
    char held = 0;
    const bool told = read(ready[0], &held, 1) == 1;
    close(ready[0]);
    CSingleInstanceGuard guard;
    const bool whileRunning = guard.Acquire();
    kill(copy, SIGKILL);
    waitpid(copy, nullptr, 0);
    ASSERT_TRUE(told);
    EXPECT_EQ(held, 'y');
    EXPECT_FALSE(whileRunning);
    // The killed copy could not clean up: its file stays, its lock does not.
    EXPECT_TRUE(QFile::exists(CSingleInstanceGuard::LockPath()));
    EXPECT_TRUE(guard.Acquire());
}

TEST_F(SingleInstanceGuardTest, ALinkPlantedAtTheLocksNameIsNotFollowed)
{
    const QString target = QDir(shared_.path()).filePath("someone-elses-file");
    WriteLock(target, 1);
    ASSERT_TRUE(QFile::link(target, CSingleInstanceGuard::LockPath()));
    CSingleInstanceGuard guard;
    EXPECT_FALSE(guard.Acquire());
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("1\nvexlor\n")); // not truncated or overwritten
}
