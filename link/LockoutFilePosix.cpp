// The lockout file on POSIX systems: written with mkstemp beside the old
// file, synced, and renamed over it.
#include "link/LockoutFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
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

fs::path TempDirectory()
{
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);
    return ec ? fs::path("/tmp") : dir;
}

bool Read(const fs::path& path, unsigned char* bytes, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
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
    return true;
}

void Replace(const fs::path& path, const unsigned char* bytes, std::size_t size)
{
    std::string temp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return;
    ::fchmod(fd, 0644);
    const bool written = WriteAll(fd, bytes, size) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0)
        ::unlink(temp.c_str());
}

} // namespace LockoutFile
