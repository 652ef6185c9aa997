#pragma once

#include <string>

// The serial lock convention of the platform: while a program uses a device it
// keeps a file "LCK..<device>" in the lock folder holding its process id as ten
// characters and a newline. A lock whose process no longer runs (or that names
// no process) is stale and is taken over.
class CSerialLock {
public:
    CSerialLock() = default;
    ~CSerialLock() { Release(); }
    CSerialLock(const CSerialLock&) = delete;
    CSerialLock& operator=(const CSerialLock&) = delete;

    // Takes the lock of the device: 0, or EBUSY while a running process holds
    // it. Where the lock folder cannot be written the device goes unlocked (0),
    // as serial programs do; the exclusive open still keeps others out.
    int Acquire(const std::string& devicePath);
    // Gives the lock up, unless another program has taken it over since.
    void Release();

    // True while a running process (this one included) holds the device's lock.
    static bool IsHeld(const std::string& devicePath);
    // "<lock folder>/LCK..<device>": the device path below /dev, with '/' as '_'.
    static std::string LockFilePath(const std::string& devicePath);
    // The lock folder ("/var/lock" unless changed; tests point it elsewhere).
    static void SetFolder(const std::string& folder);

private:
    std::string path_;  // the lock file this object holds, or empty
};
