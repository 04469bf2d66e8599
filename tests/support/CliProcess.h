// The built tavemo-cli as a child process: its arguments each passed as one
// word, the test's environment plus any assignments ("VAR=value") the test
// adds, standard output read as it comes (so a test can act at a given
// moment, such as pressing Ctrl-C once the transfer runs) and standard
// error collected; RunCli runs it to its end.
#pragma once

#include "tests/support/TestEnvironment.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testsupport {

class CliProcess
{
public:
    // Long enough for a whole download in a sanitizer build.
    static constexpr int kFinishTimeoutMs = 120000;

    explicit CliProcess(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
    {
        std::vector<std::string> argStore = {BinDir() + "/tools/cli/tavemo-cli"};
        argStore.insert(argStore.end(), args.begin(), args.end());
        // The assignments replace variables of the same name.
        std::vector<std::string> envStore = env;
        for (char** e = environ; *e; ++e) {
            const char* eq = std::strchr(*e, '=');
            const std::size_t len = eq ? static_cast<std::size_t>(eq - *e) + 1 : std::strlen(*e);
            bool replaced = false;
            for (const std::string& a : env)
                replaced = replaced || a.compare(0, len, *e, len) == 0;
            if (!replaced)
                envStore.emplace_back(*e);
        }
        std::vector<char*> argv, envp;
        for (std::string& a : argStore)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string& e : envStore)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        int out[2], err[2];
        if (::pipe(out) != 0)
            return;
        if (::pipe(err) != 0) {
            ::close(out[0]);
            ::close(out[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]})
            ::posix_spawn_file_actions_addclose(&actions, fd);
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~CliProcess()
    {
        if (m_pid > 0 && m_status == -1) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        for (int fd : {m_out, m_err})
            if (fd >= 0)
                ::close(fd);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Reads standard output until it holds text or the time is up.
    bool waitFor(const std::string& text, int timeoutMs) { return waitOn(m_out, out, text, timeoutMs); }
    // The same on standard error, where progress goes.
    bool waitForError(const std::string& text, int timeoutMs) { return waitOn(m_err, err, text, timeoutMs); }

    void signal(int sig)
    {
        if (m_pid > 0)
            ::kill(m_pid, sig);
    }

    // Reads both streams to their end and returns the exit status (128 plus
    // the signal when a signal ended it, -1 when it did not start).
    int finish()
    {
        if (m_pid <= 0)
            return -1;
        pollfd p[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        bool open[2] = {true, true};
        while (open[0] || open[1]) {
            if (::poll(p, 2, kFinishTimeoutMs) <= 0)
                break;
            for (int i = 0; i < 2; ++i)
                if (open[i] && p[i].revents && !readSome(p[i].fd, i == 0 ? out : err)) {
                    open[i] = false;
                    p[i].fd = -1;
                }
        }
        int raw = 0;
        while (::waitpid(m_pid, &raw, 0) < 0 && errno == EINTR) {
        }
        m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return m_status;
    }

    std::string out, err;

private:
    static bool waitOn(int fd, std::string& into, const std::string& text, int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (into.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{fd, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || !readSome(fd, into))
                return false;
        }
        return true;
    }
    static bool readSome(int fd, std::string& into)
    {
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        into.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_out = -1, m_err = -1;
    int m_status = -1;
};

struct CliRun
{
    int status = -1;
    std::string out, err;
};

// Runs tavemo-cli to its end.
inline CliRun RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
{
    CliProcess cli(args, env);
    CliRun r;
    r.status = cli.finish();
    r.out = std::move(cli.out);
    r.err = std::move(cli.err);
    return r;
}

// The same with the arguments written as one line, split at its spaces.
inline CliRun RunCliLine(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;)
        words.push_back(w);
    return RunCli(words);
}

} // namespace testsupport
