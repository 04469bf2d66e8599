// The lockout file on POSIX systems: in the user's state folder (mode
// 0700), written with mkstemp beside the old file, synced, and renamed over
// it.
#include "link/LockoutFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool WriteAll(int fd, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

namespace LockoutFile {

fs::path StateDirectory()
{
    fs::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || *home != '/') {
            const passwd* user = ::getpwuid(::geteuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (!home || *home != '/')
            return {};
        base = fs::path(home) / ".local" / "state";
    }
    std::error_code ec;
    fs::create_directories(base, ec);
    const fs::path dir = base / "tavemo";
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    // Only a real folder of the user's that no one else can write keeps the
    // count honest; anything else leaves the tool locked rather than trusting it.
    struct stat st = {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return {};
    return dir;
}

ReadResult Read(const fs::path& path, unsigned char* bytes, std::size_t size)
{
    // O_NOFOLLOW: a link is refused, not followed; O_NONBLOCK: opening a
    // FIFO returns at once instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Unusable;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return ReadResult::Unusable;
    }
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return ReadResult::Ok;
}

void Replace(const fs::path& path, const unsigned char* bytes, std::size_t size)
{
    std::string temp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return;
    ::fchmod(fd, 0600);
    const bool written = WriteAll(fd, bytes, size) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0)
        ::unlink(temp.c_str());
}

FolderHold::FolderHold(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return;
        }
    }
    m_handle = fd;
}

FolderHold::~FolderHold()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle)); // closing lets go of the hold
}

} // namespace LockoutFile
