// Log files on POSIX systems: the XDG cache folder, and a shared flock() on
// the open file that another run's exclusive try runs into.
#include "diag/LocalSystem.h"

#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace LocalSystem {

fs::path DefaultLogFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return fs::path(cache) / "tavemo" / "logs";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache" / "tavemo" / "logs";
    return fs::temp_directory_path() / "tavemo-logs";
}

fs::path SettingsFolder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return fs::path(config) / "tavemo";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".config" / "tavemo";
    return fs::temp_directory_path() / "tavemo-settings";
}

int ProcessId() { return static_cast<int>(::getpid()); }

bool ProcessRunning(int pid)
{
    // Signal 0 only asks; another user's process answers "not permitted".
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::string HostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

FileHold::FileHold(const fs::path& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // Each open() has a lock of its own: threads of one process wait for
    // each other as other processes do.
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return;
        }
    }
    m_handle = fd;
}

FileHold::~FileHold()
{
    if (m_handle != -1)
        ::close(static_cast<int>(m_handle)); // closing lets go of the lock
}

std::tm LocalTime(std::time_t time)
{
    std::tm tm{};
    localtime_r(&time, &tm);
    return tm;
}

std::FILE* OpenLogForWriting(const fs::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wbe");
    // Shared: a later run's clean-up can see the file is in use. A file
    // system without locks only loses that protection.
    if (file)
        ::flock(fileno(file), LOCK_SH | LOCK_NB);
    return file;
}

std::FILE* OpenForReading(const std::filesystem::path& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) // opens for reading, but holds nothing to read
        return nullptr;
    return std::fopen(path.c_str(), "rbe");
}

std::FILE* OpenForAppending(const fs::path& path)
{
    return std::fopen(path.c_str(), "abe");
}

bool AppendWhole(const fs::path& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // O_APPEND: each write lands at the end as one piece.
    ssize_t n;
    do
        n = ::write(fd, bytes.data(), bytes.size());
    while (n < 0 && errno == EINTR);
    const bool closed = ::close(fd) == 0;
    return n == static_cast<ssize_t>(bytes.size()) && closed;
}

std::FILE* CreateNewFile(const fs::path& path)
{
    return std::fopen(path.c_str(), "wbxe");
}

bool LogInUse(const fs::path& file)
{
    // Another run's shared lock refuses our exclusive one.
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

} // namespace LocalSystem
