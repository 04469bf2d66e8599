// tavemo-unitsim as a child process for one test: started with the test's
// options, ready once it has printed its ready line ("<name> <device>"; no
// sleeping and guessing), ended with SIGTERM when the object goes. It
// publishes its port where the tool looks by default (the test process's
// private $XDG_RUNTIME_DIR/tavemo/ports) unless the options name another
// --ports-dir; its transcript and the firmware image it received are kept in
// a private folder of its own.
#pragma once

#include "link/PortDiscovery.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testsupport {

class SimProcess
{
public:
    // Generous: a sanitizer build starts slowly on a loaded machine.
    static constexpr int kReadyTimeoutMs = 10000;

    // options: the simulator's own (--device-type 2050, --pin 1234, ...);
    // name: the port name to publish, or empty for the simulator's choice
    // (the first free one of ttySIM0, ttySIM1, ...).
    explicit SimProcess(const std::vector<std::string>& options = {}, const std::string& name = {})
        : m_portsDir(PortDiscoveryRoots::DefaultPortsDirectory())
    {
        std::vector<std::string> args = {BinDir() + "/sim/tavemo-unitsim", "--transcript",
                                         (m_dir.path() / "transcript.txt").string(), "--dl-save",
                                         (m_dir.path() / "received.bin").string()};
        if (!name.empty())
            args.insert(args.end(), {"--name", name});
        args.insert(args.end(), options.begin(), options.end());
        for (std::size_t i = 0; i + 1 < options.size(); ++i)
            if (options[i] == "--ports-dir")
                m_portsDir = options[i + 1];
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
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);

        // The ready line is the only thing the simulator prints; once it is
        // read the pipe may go (the simulator ignores SIGPIPE).
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
        while (m_pid > 0 && line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{out[0], POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            char buf[256];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0)
                break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        const std::size_t space = line.find(' ');
        const std::size_t end = line.find('\n');
        if (space != std::string::npos && end != std::string::npos && space < end) {
            m_name = line.substr(0, space);
            m_device = line.substr(space + 1, end - space - 1);
        }
        m_ready = m_pid > 0 && !m_name.empty() && !m_device.empty() && (name.empty() || m_name == name);
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Started and published.
    bool ready() const { return m_ready; }
    // The published port name and the pseudo-terminal behind it.
    const std::string& name() const { return m_name; }
    const std::string& device() const { return m_device; }
    const std::filesystem::path& portsDir() const { return m_portsDir; }
    // The simulator's private folder (transcript, received image).
    const std::filesystem::path& folder() const { return m_dir.path(); }

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

    // Every line the simulator received ("RX ...") and sent ("TX ..."),
    // and its own remarks ("-- ...").
    std::string transcript() const { return ReadFile(m_dir.path() / "transcript.txt"); }
    std::vector<std::string> transcriptLines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(transcript());
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
    // The commands received (non-empty RX lines), without the "RX ".
    std::vector<std::string> commands() const
    {
        std::vector<std::string> out;
        for (const std::string& l : transcriptLines())
            if (l.rfind("RX ", 0) == 0 && l.size() > 3)
                out.push_back(l.substr(3));
        return out;
    }
    // Whether the simulator received this command line.
    bool received(const std::string& command) const
    {
        return ("\n" + transcript()).find("\nRX " + command + "\n") != std::string::npos;
    }
    // The firmware payload a download left with the unit (written at Finalize).
    std::vector<uint8_t> savedImage() const
    {
        const std::string bytes = ReadFile(m_dir.path() / "received.bin");
        return {bytes.begin(), bytes.end()};
    }

private:
    TempDir m_dir;
    std::filesystem::path m_portsDir;
    std::string m_name;
    std::string m_device;
    pid_t m_pid = -1;
    int m_status = -1;
    bool m_ready = false;
};

} // namespace testsupport
