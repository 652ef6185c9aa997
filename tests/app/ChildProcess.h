#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A program started by a test, with its standard output readable line by line.
// Stopped (SIGTERM, then SIGKILL) and reaped by its own pid when destroyed.
class ChildProcess {
public:
    // `folder`, when given, is the program's working folder.
    ChildProcess(const std::string& path, const std::vector<std::string>& args, const std::string& folder = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    int Pid() const { return pid_; }
    // The next line of output, or nothing when none came before the time-out.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Writes a line to the program's standard input.
    bool WriteLine(const std::string& line);
    // Waits for the program to end by itself; its exit code, or nothing.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // Everything the program wrote to standard output so far (after Wait).
    std::string ReadAll(std::chrono::milliseconds timeout);
    void Stop();

private:
    int pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string buffer_;
    std::optional<int> exitCode_;
};

// Runs a program to its end with a time limit; gives exit code and output.
struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// `folder`, when given, is the program's working folder.
RunResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                     std::chrono::milliseconds timeout, const std::string& folder = "");
