// The real vexlor-sim binary as a child process: argument errors, ports it
// prints, a clean stop on signals and the state file across a restart.
#include "SimSessionRig.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace simtest;
using namespace std::chrono_literals;

namespace {

class Child {
public:
    explicit Child(std::vector<std::string> args)
    {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::close(out[0]);
            ::close(err[0]);
            std::vector<char*> argv{const_cast<char*>(VEXLOR_SIM_PATH)};
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(VEXLOR_SIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Child()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : {out_, err_})
            if (fd >= 0)
                ::close(fd);
    }

    // Reads stdout until a line starting with `prefix` arrives; gives the rest of it.
    std::string WaitForLine(const std::string& prefix, std::chrono::milliseconds limit = 5000ms)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            for (std::size_t nl; (nl = outText_.find('\n')) != std::string::npos;) {
                const std::string line = outText_.substr(0, nl);
                outText_.erase(0, nl + 1);
                if (line.rfind(prefix, 0) == 0)
                    return line.substr(prefix.size());
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left <= 0ms || !ReadInto(out_, outText_, static_cast<int>(left.count())))
                return {};
        }
    }

    // Sends the signal (0: none) and waits for the exit; gives the exit code or -1.
    int Stop(int signal, std::chrono::milliseconds limit = 5000ms)
    {
        if (signal)
            ::kill(pid_, signal);
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                while (ReadInto(err_, errText_, 0)) {
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }
    const std::string& Stderr() const { return errText_; }

private:
    static bool ReadInto(int fd, std::string& text, int timeoutMs)
    {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        text.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    bool exited_ = false;
    int out_ = -1, err_ = -1;
    std::string outText_, errText_;
};

struct Client {
    RecordingSessionSink sink;
    CVexlorSession session{&sink, RealTransports()};
    ~Client()
    {
        if (session.IsConnected()) {
            session.Disconnect();
            sink.WaitFor("disconnect", 1, 3000ms);
        }
    }
    bool Connect(ConnectionSettings s)
    {
        s.host = "127.0.0.1";
        s.replyTimeoutMs = 500;
        session.Connect(s);
        return sink.WaitFor("connect", 1, 3000ms);
    }
};

// Connects `c` to the UDP port that `child` prints.
void ConnectOverUdp(Child& child, Client& c)
{
    const std::string port = child.WaitForLine("vexlor-sim: udp 127.0.0.1:");
    ASSERT_FALSE(port.empty());
    ConnectionSettings s;
    s.portNumber = static_cast<std::uint32_t>(std::stoul(port));
    ASSERT_TRUE(c.Connect(s));
}

std::filesystem::path TempFile(const std::string& name)
{
    return std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
}

}  // namespace

TEST(SimProcess, BadArgumentsEndWithAReasonAndExitCode2)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--model", "17"}, {"--drop", "2"}, {"--port"}, {"--bogus"}}) {
        Child child(args);
        EXPECT_EQ(child.Stop(0), 2) << args[0];
        EXPECT_EQ(child.Stderr().rfind("vexlor-sim: ", 0), 0u) << child.Stderr();
    }
}

TEST(SimProcess, AnswersOnThePrintedPortAndLineThenStopsCleanlyOnSigterm)
{
    Child child({"--port", "0", "--serial", "--model", "5"});
    const std::string model = child.WaitForLine("vexlor-sim: model ");
    EXPECT_EQ(model, "5 VexlorStereo");
    const std::string udp = child.WaitForLine("vexlor-sim: udp 127.0.0.1:");
    const std::string pty = child.WaitForLine("vexlor-sim: serial ");
    ASSERT_FALSE(udp.empty());
    ASSERT_FALSE(pty.empty());
    {
        Client c;
        ConnectionSettings s;
        s.portNumber = static_cast<std::uint32_t>(std::stoul(udp));
        ASSERT_TRUE(c.Connect(s));
        c.session.ReadVersion();
        ASSERT_TRUE(c.sink.WaitFor("version", 1, 3000ms));
        EXPECT_EQ(c.sink.Events("version")[0].bytes, (ByteString{'1', '1', '0'}));
    }
    {
        Client c;
        ConnectionSettings s;
        s.transportIndex = 1;
        s.portName = pty;
        ASSERT_TRUE(c.Connect(s));
        c.session.GetFactoryPresetNumber();
        ASSERT_TRUE(c.sink.WaitFor("count", 1, 3000ms));
        EXPECT_EQ(c.sink.Events("count")[0].number, 32);
    }
    EXPECT_EQ(child.Stop(SIGTERM), 0);
}

TEST(SimProcess, PresetsSurviveARestartThroughTheStateFile)
{
    const auto state = TempFile("vexlor-sim-state.json");
    std::filesystem::remove(state);
    ByteString saved;
    {
        Child child({"--port", "0", "--state", state.string()});
        Client c;
        ASSERT_NO_FATAL_FAILURE(ConnectOverUdp(child, c));
        c.session.WriteParam(0, 1, 2, 33);
        c.session.SavePreset(6);
        c.session.RenamePreset(6, "NIGHT");
        c.session.GetPreset(6);
        ASSERT_TRUE(c.sink.WaitFor("preset", 1, 3000ms));
        saved = c.sink.Events("preset")[0].bytes;
        EXPECT_EQ(std::string(saved.begin(), saved.begin() + 6), std::string("NIGHT\0", 6));
        EXPECT_EQ(child.Stop(SIGINT), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(state));
    {
        Child child({"--port", "0", "--state", state.string()});
        Client c;
        ASSERT_NO_FATAL_FAILURE(ConnectOverUdp(child, c));
        c.session.GetPreset(6);
        ASSERT_TRUE(c.sink.WaitFor("preset", 1, 3000ms));
        EXPECT_EQ(c.sink.Events("preset")[0].bytes, saved);
        c.session.EnableStatusUpdates(true);
        ASSERT_TRUE(c.sink.WaitFor("status", 1, 3000ms));
        EXPECT_EQ(c.sink.Events("status")[0].bytes[5], 6);  // still on the saved preset
        EXPECT_EQ(child.Stop(SIGTERM), 0);
    }
    // A damaged state file is refused and left as it is.
    { std::ofstream(state, std::ios::trunc) << "{ broken"; }
    Child child({"--port", "0", "--state", state.string()});
    EXPECT_EQ(child.Stop(0), 1);
    EXPECT_NE(child.Stderr().find("state file"), std::string::npos);
    std::ifstream in(state);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "{ broken");
    std::filesystem::remove(state);
}
