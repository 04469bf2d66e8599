// Shared pieces of the device link tests:
//   TempDir       a private temporary folder, removed afterwards
//   PtyPair       a pseudo-terminal whose master end the test plays itself
//   SimProcess    the real tavemo-unitsim, published in a private ports folder
//   RunCli        the real tavemo-cli with its output, errors and status
// Free of GoogleTest, so that the benchmarks use them too.
#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace linktest {

namespace fs = std::filesystem;

inline std::string BinDir()
{
    const char* bin = std::getenv("TAVEMO_BIN_DIR");
    return bin ? bin : ".";
}

class TempDir
{
public:
    TempDir()
    {
        static std::atomic<int> counter{0};
        m_path = fs::temp_directory_path() /
                 ("tavemo-link-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

inline std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A pseudo-terminal: the code under test opens slave(); the test reads and
// writes the master end. The test keeps the terminal's own end open too, so
// the master never sees a hang-up between the client's sessions.
class PtyPair
{
public:
    PtyPair()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_slave = ::ptsname(m_master);
        m_hold = ::open(m_slave.c_str(), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(m_hold, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_hold, TCSANOW, &tio);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair()
    {
        closeMaster();
        if (m_hold >= 0)
            ::close(m_hold);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0 && m_hold >= 0; }
    const std::string& slave() const { return m_slave; }
    int master() const { return m_master; }
    int slaveFd() const { return m_hold; }

    void write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno == EAGAIN) {
                pollfd fd{m_master, POLLOUT, 0};
                ::poll(&fd, 1, 100);
            } else if (n < 0 && errno != EINTR)
                return;
        }
    }

    // Everything that arrives until the line has been quiet for quietMs.
    std::string read(int quietMs = 50)
    {
        std::string out;
        for (;;) {
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, quietMs) <= 0)
                return out;
            char buf[4096];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                return out;
            out.append(buf, static_cast<std::size_t>(n));
        }
    }

    // A hang-up: the far end goes away.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_hold = -1;
    std::string m_slave;
};

// The real simulator, in a private ports folder, with a transcript.
class SimProcess
{
public:
    explicit SimProcess(const std::vector<std::string>& options = {})
    {
        m_transcript = m_dir.path() / "transcript.txt";
        std::vector<std::string> args = {BinDir() + "/sim/tavemo-unitsim", "--ports-dir", portsDir().string(),
                                         "--transcript", m_transcript.string()};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        ::posix_spawn_file_actions_addclose(&actions, out[0]);
        const int rc = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            m_pid = -1;
            ::close(out[0]);
            return;
        }
        // The ready line "<name> <device>"; no sleeping and polling.
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{out[0], POLLIN, 0};
            if (::poll(&fd, 1, 200) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0)
                break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        const std::size_t space = line.find(' ');
        const std::size_t end = line.find('\n');
        if (space != std::string::npos && end != std::string::npos) {
            m_name = line.substr(0, space);
            m_device = line.substr(space + 1, end - space - 1);
        }
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ok() const { return m_pid > 0 && !m_name.empty(); }
    const std::string& name() const { return m_name; }
    const std::string& device() const { return m_device; }
    fs::path portsDir() const { return m_dir.path() / "ports"; }
    const fs::path& folder() const { return m_dir.path(); }

    // SIGTERM and wait; the exit status, or -1 when it did not exit normally.
    int stop()
    {
        if (m_pid <= 0)
            return m_status;
        ::kill(m_pid, SIGTERM);
        int raw = 0;
        while (::waitpid(m_pid, &raw, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return m_status;
    }

    // The transcript lines ("RX ..." and "TX ...").
    std::vector<std::string> transcript() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadFile(m_transcript));
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
    // Commands received (non-empty RX lines), without the "RX " prefix.
    std::vector<std::string> commands() const
    {
        std::vector<std::string> out;
        for (const std::string& l : transcript())
            if (l.rfind("RX ", 0) == 0 && l.size() > 3)
                out.push_back(l.substr(3));
        return out;
    }

private:
    TempDir m_dir;
    fs::path m_transcript;
    pid_t m_pid = -1;
    int m_status = -1;
    std::string m_name, m_device;
};

struct CliRun
{
    int status = -1;
    std::string out, err;
};

// Runs tavemo-cli with the given environment assignments ("VAR=value")
// and arguments (each passed as one word).
inline CliRun RunCli(const std::vector<std::string>& env, const std::vector<std::string>& args)
{
    TempDir dir;
    std::string cmd = "env";
    const auto quote = [](const std::string& s) {
        std::string q = "'";
        for (char c : s)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    for (const std::string& e : env)
        cmd += " " + quote(e);
    cmd += " " + quote(BinDir() + "/tools/cli/tavemo-cli");
    for (const std::string& a : args)
        cmd += " " + quote(a);
    cmd += " >" + quote((dir.path() / "out").string()) + " 2>" + quote((dir.path() / "err").string());
    CliRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadFile(dir.path() / "out");
    r.err = ReadFile(dir.path() / "err");
    return r;
}

} // namespace linktest
