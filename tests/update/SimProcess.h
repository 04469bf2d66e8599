// Runs tavemo-unitsim for one test: its own ports folder and port name, a
// transcript, and the ready line read from its standard output (no sleeping
// and guessing). The simulator is ended with SIGTERM when the object goes.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace dnltest {

inline std::string BinDir()
{
    const char* bin = std::getenv("TAVEMO_BIN_DIR");
    return bin ? bin : ".";
}

class SimProcess
{
public:
    static constexpr int kReadyTimeoutMs = 10000; // generous for sanitizer builds

    explicit SimProcess(const std::vector<std::string>& extra)
    {
        static int counter = 0;
        const std::string tag = std::to_string(::getpid()) + "-" + std::to_string(++counter);
        m_dir = std::filesystem::temp_directory_path() / ("tavemo-simdl-" + tag);
        std::filesystem::create_directories(portsDir());
        name = "ttySIMDL" + tag;
        transcript = m_dir / "transcript.txt";
        savedImage = m_dir / "received.bin";
        std::vector<std::string> args = {BinDir() + "/sim/tavemo-unitsim", "--ports-dir", portsDir().string(),
                                         "--name", name, "--transcript", transcript.string(), "--dl-save",
                                         savedImage.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
        // The ready line: "<name> <device>\n".
        std::string line;
        const auto start = std::chrono::steady_clock::now();
        while (line.find('\n') == std::string::npos) {
            const auto left = kReadyTimeoutMs - std::chrono::duration_cast<std::chrono::milliseconds>(
                                                    std::chrono::steady_clock::now() - start)
                                                    .count();
            pollfd p{m_out, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return;
            char buf[256];
            const ssize_t n = ::read(m_out, buf, sizeof buf);
            if (n <= 0)
                return;
            line.append(buf, static_cast<std::size_t>(n));
        }
        std::istringstream(line) >> m_readyName >> device;
    }

    ~SimProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return m_pid > 0 && m_readyName == name && !device.empty(); }
    // Where the port is published: the default place for a program whose
    // XDG_RUNTIME_DIR is runtimeDir().
    std::filesystem::path portsDir() const { return m_dir / "tavemo" / "ports"; }
    std::filesystem::path runtimeDir() const { return m_dir; }

    std::string readTranscript() const
    {
        std::ifstream in(transcript, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<uint8_t> received() const
    {
        std::ifstream in(savedImage, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string name;
    std::string device;
    std::filesystem::path transcript;
    std::filesystem::path savedImage;

private:
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_readyName;
};

} // namespace dnltest
