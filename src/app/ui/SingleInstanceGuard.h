#pragma once

#include <QString>

// Keeps a second copy of the application from running in the same user's
// session: an exclusive kernel lock on a file in the user's runtime folder,
// named after the application's mutex, held while the process lives. The
// kernel drops the lock with the process however it ends, so a copy that died
// never keeps the next one out.
class CSingleInstanceGuard {
public:
    static constexpr const char* kMutexName = "TESSAVORN_VEXLOR_Application";

    CSingleInstanceGuard() = default;
    ~CSingleInstanceGuard();
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    // True when this process now holds the lock; false when another copy runs
    // (or the lock file cannot be opened at all).
    bool Acquire();

    static QString LockPath();

private:
    int fd_ = -1;
};
