// tavemo-unitsim as a child process for the tests: started with a port
// name in the test's ports folder, ready once it has printed its port line,
// stopped with SIGTERM when the object goes.
#pragma once

#include "tests/app/AppTestEnv.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace apptest {

class SimProcess
{
public:
    // The simulator publishes port `name`; extra are its options (--pin 1234 ...).
    explicit SimProcess(std::vector<std::string> extra = {}, std::string name = "ttySIM7")
        : m_name(std::move(name))
    {
        Root();
        m_transcript =
            (Root() / ("transcript-" + m_name + "-" + std::to_string(++Counter()) + ".txt")).string();
        const char* bin = std::getenv("TAVEMO_BIN_DIR");
        std::vector<std::string> args = {std::string(bin ? bin : ".") + "/sim/tavemo-unitsim",
                                         "--name",
                                         m_name,
                                         "--ports-dir",
                                         PortsDir().string(),
                                         "--transcript",
                                         m_transcript};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);

        // Ready once the port line has arrived (or the process has gone).
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        while (m_pid > 0 && line.find('\n') == std::string::npos && ::poll(&p, 1, 5000) > 0) {
            char buf[256];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0)
                break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        m_ready = line.find('\n') != std::string::npos;
    }

    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    void stop()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }

    bool ready() const { return m_ready; }
    const std::string& name() const { return m_name; }

    // What the simulator received ("RX ...") and sent ("TX ...").
    std::string transcript() const
    {
        std::ifstream in(m_transcript);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Whether the simulator received this command line.
    bool received(const std::string& command) const
    {
        return ("\n" + transcript()).find("\nRX " + command + "\n") != std::string::npos;
    }

private:
    static int& Counter()
    {
        static int counter = 0;
        return counter;
    }

    std::string m_name;
    std::string m_transcript;
    pid_t m_pid = -1;
    bool m_ready = false;
};

} // namespace apptest
