#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second copy of the application from running in the same user's
// session: a lock file in the user's runtime folder, named after the
// application's mutex, held while the process lives. The lock of a process
// that died is taken over.
class CSingleInstanceGuard {
public:
    static constexpr const char* kMutexName = "TESSAVORN_VEXLOR_Application";

    CSingleInstanceGuard();
    // True when this process now holds the lock; false when another copy runs.
    bool Acquire();

    static QString LockPath();

private:
    QLockFile lock_;
};
