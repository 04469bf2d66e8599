// What the page tests need around the real pages: a private folder per test
// process for the published ports, the PIN lockout file and the log files
// (so parallel tests and the user's own files never meet), the one
// QApplication, tavemo-unitsim as a child process with a transcript, and
// answering a modal dialog once it is open.
#pragma once

#include <QApplication>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace pagestest {

inline const std::filesystem::path& Root()
{
    static const std::filesystem::path root = [] {
        namespace fs = std::filesystem;
        const fs::path dir = fs::temp_directory_path() / ("tavemo-pagestest-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        for (const char* sub : {"runtime", "tmp", "cache"})
            fs::create_directories(dir / sub);
        ::chmod((dir / "runtime").c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
        ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::path(std::getenv("TMPDIR")).parent_path(), ec);
        });
        return dir;
    }();
    return root;
}

inline std::filesystem::path PortsDir() { return Root() / "runtime" / "tavemo" / "ports"; }

inline QApplication& App()
{
    Root();
    static int argc = 1;
    static char name[] = "test_pages";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// tavemo-unitsim publishing port `name` in the private ports folder, with a
// transcript; ready once it has printed its port line; SIGTERM at the end.
class SimProcess
{
public:
    SimProcess(std::vector<std::string> options, std::string name) : m_name(std::move(name))
    {
        static int counter = 0;
        m_transcript = (Root() / ("transcript-" + m_name + "-" + std::to_string(++counter) + ".txt")).string();
        const char* bin = std::getenv("TAVEMO_BIN_DIR");
        std::vector<std::string> args = {std::string(bin ? bin : ".") + "/sim/tavemo-unitsim", "--name", m_name,
                                         "--ports-dir", PortsDir().string(), "--transcript", m_transcript};
        args.insert(args.end(), options.begin(), options.end());
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
    ~SimProcess()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return m_ready; }
    const std::string& name() const { return m_name; }
    // Every line the simulator received ("RX ...") and sent ("TX ...").
    std::string transcript() const
    {
        std::ifstream in(m_transcript);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool received(const std::string& command) const
    {
        return ("\n" + transcript()).find("\nRX " + command + "\n") != std::string::npos;
    }

private:
    std::string m_name;
    std::string m_transcript;
    pid_t m_pid = -1;
    bool m_ready = false;
};

// Runs f on the modal dialog of type D as soon as one is open. (The busy
// overlay lets timers run before the dialog exists, so one look is not
// enough.) The flag tells afterwards whether the dialog appeared.
template <class D>
std::shared_ptr<bool> WhenModal(std::function<void(D*)> f)
{
    auto shown = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, f, shown] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            *shown = true;
            f(dialog);
        }
    });
    QTimer::singleShot(10000, timer, [timer] { timer->deleteLater(); });
    timer->start(5);
    return shown;
}

} // namespace pagestest
