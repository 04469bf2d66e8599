#include "diag/LogFileSink.h"

#include "diag/Result.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Whether another run holds the file open for writing (its shared lock
// refuses our exclusive one).
bool InUse(const fs::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    const bool held = rc != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

std::string PaddedPid()
{
    std::string pid = std::to_string(::getpid());
    if (pid.size() < static_cast<std::size_t>(LogFileSink::kPidDigits))
        pid.insert(0, static_cast<std::size_t>(LogFileSink::kPidDigits) - pid.size(), '0');
    return pid;
}

} // namespace

fs::path LogFileSink::DefaultFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return fs::path(cache) / "tavemo" / "logs";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache" / "tavemo" / "logs";
    return fs::temp_directory_path() / "tavemo-logs";
}

LogFileSink::~LogFileSink() { closeFile(); }

void LogFileSink::closeFile()
{
    if (!m_file)
        return;
    std::fclose(m_file); // also drops the lock
    m_file = nullptr;
    if (!m_written) {
        std::error_code ec;
        fs::remove(m_path, ec);
    }
}

int LogFileSink::Open(const fs::path& folder, const std::string& program)
{
    closeFile();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return Result::LogNotCreated;

    // Keep the newest kKeepFiles - 1 logs, so that with the new one there are ten.
    // Names start with a sortable time stamp, so name order is age order.
    std::vector<fs::path> logs;
    for (const auto& item : fs::directory_iterator(folder, ec))
        if (item.is_regular_file(ec) && item.path().extension() == ".log")
            logs.push_back(item.path());
    std::sort(logs.begin(), logs.end());
    constexpr std::size_t kKeepOld = kKeepFiles - 1;
    std::size_t excess = logs.size() > kKeepOld ? logs.size() - kKeepOld : 0;
    for (const fs::path& old : logs) {
        if (excess == 0)
            break;
        if (InUse(old))
            continue; // still written by a running tool: it counts, but stays
        fs::remove(old, ec);
        --excess;
    }

    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    m_path = folder / (std::string(stamp) + "-" + PaddedPid() + "-" + program + ".log");
    m_file = std::fopen(m_path.c_str(), "wbe");
    if (!m_file)
        return Result::LogNotCreated;
    // Shared: a later run's clean-up can see the file is in use. A file
    // system without locks only loses that protection.
    ::flock(fileno(m_file), LOCK_SH | LOCK_NB);
    m_written = false;
    return Result::Ok;
}

void LogFileSink::write(std::string line, int, int)
{
    if (!m_file)
        return;
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
    m_written = true;
}
