// Runs the built tavemo-cli with its own environment additions, reads its
// standard output as it comes (so a test can act at a given moment, such as
// pressing Ctrl-C once the transfer runs) and collects standard error.
#pragma once

#include "SimProcess.h"

#include <csignal>
#include <fcntl.h>
#include <string>
#include <vector>

namespace dnltest {

class CliProcess
{
public:
    CliProcess(const std::vector<std::string>& args, const std::string& runtimeDir)
    {
        std::vector<std::string> argv = {BinDir() + "/tools/cli/tavemo-cli"};
        argv.insert(argv.end(), args.begin(), args.end());
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {out[0], out[1], err[0], err[1]})
                ::close(fd);
            ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            std::vector<char*> v;
            for (auto& a : argv)
                v.push_back(a.data());
            v.push_back(nullptr);
            ::execv(v[0], v.data());
            ::_exit(127);
        }
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
    bool waitFor(const std::string& text, int timeoutMs)
    {
        const auto start = std::chrono::steady_clock::now();
        while (out.find(text) == std::string::npos) {
            const auto left = timeoutMs - std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start)
                                              .count();
            pollfd p{m_out, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || !readSome(m_out, out))
                return false;
        }
        return true;
    }

    void signal(int sig) { ::kill(m_pid, sig); }

    // Reads both streams to their end and returns the exit status.
    int finish()
    {
        pollfd p[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        bool open[2] = {true, true};
        while (open[0] || open[1]) {
            if (::poll(p, 2, 120000) <= 0)
                break;
            for (int i = 0; i < 2; ++i)
                if (open[i] && p[i].revents && !readSome(p[i].fd, i == 0 ? out : err)) {
                    open[i] = false;
                    p[i].fd = -1;
                }
        }
        int raw = 0;
        ::waitpid(m_pid, &raw, 0);
        m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return m_status;
    }

    std::string out, err;

private:
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

} // namespace dnltest
