#include "ChildProcess.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int Spawn(const std::string& path, const std::vector<std::string>& args, int outFd, int errFd,
          const std::string& folder = "", int inFd = -1)
{
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    if (inFd >= 0) dup2(inFd, 0);
    dup2(outFd, 1);
    if (errFd >= 0) dup2(errFd, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
}

// Reads what is there within the time; false at end of file or time-out.
bool ReadSome(int fd, std::string& into, Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    char chunk[4096];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) return false;
    into.append(chunk, static_cast<std::size_t>(n));
    return true;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& path, const std::vector<std::string>& args,
                           const std::string& folder)
{
    int fds[2];
    int input[2];
    if (pipe(fds) != 0) return;
    if (pipe2(input, O_CLOEXEC) != 0) {
        close(fds[0]);
        close(fds[1]);
        return;
    }
    pid_ = Spawn(path, args, fds[1], -1, folder, input[0]);
    close(fds[1]);
    close(input[0]);
    out_ = fds[0];
    in_ = input[1];
}

bool ChildProcess::WriteLine(const std::string& line)
{
    const std::string text = line + '\n';
    return in_ >= 0 && write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

ChildProcess::~ChildProcess()
{
    Stop();
    if (out_ >= 0) close(out_);
    if (in_ >= 0) close(in_);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto eol = buffer_.find('\n');
        if (eol != std::string::npos) {
            std::string line = buffer_.substr(0, eol);
            buffer_.erase(0, eol + 1);
            return line;
        }
        if (!ReadSome(out_, buffer_, deadline)) return std::nullopt;
    }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    if (exitCode_ || pid_ <= 0) return exitCode_;
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        usleep(10'000);
    }
    return std::nullopt;
}

std::string ChildProcess::ReadAll(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (ReadSome(out_, buffer_, deadline)) {
    }
    std::string all = std::move(buffer_);
    buffer_.clear();
    return all;
}

void ChildProcess::Stop()
{
    if (pid_ <= 0 || exitCode_) return;
    kill(pid_, SIGTERM);
    if (!Wait(std::chrono::milliseconds(3000))) {
        kill(pid_, SIGKILL);
        Wait(std::chrono::milliseconds(3000));
    }
}

RunResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                     std::chrono::milliseconds timeout, const std::string& folder)
{
    RunResult result;
    int out[2], err[2];
    if (pipe(out) != 0) return result;
    if (pipe(err) != 0) {
        close(out[0]);
        close(out[1]);
        return result;
    }
    const int pid = Spawn(path, args, out[1], err[1], folder);
    close(out[1]);
    close(err[1]);
    const auto deadline = Clock::now() + timeout;
    bool outOpen = true, errOpen = true;
    while ((outOpen || errOpen) && Clock::now() < deadline) {
        pollfd p[2]{{out[0], static_cast<short>(outOpen ? POLLIN : 0), 0},
                    {err[0], static_cast<short>(errOpen ? POLLIN : 0), 0}};
        if (poll(p, 2, 100) <= 0) continue;
        char chunk[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP))) continue;
            const ssize_t n = read(p[i].fd, chunk, sizeof chunk);
            if (n <= 0)
                (i == 0 ? outOpen : errOpen) = false;
            else
                (i == 0 ? result.out : result.err).append(chunk, static_cast<std::size_t>(n));
        }
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) {
        // Out of time: end it, and say so in the result.
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.err += "\n[killed after time-out]";
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    close(out[0]);
    close(err[0]);
    return result;
}
