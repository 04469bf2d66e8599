// Log files on Windows: "Tavemo\logs" in the user's local application data
// folder; a log is opened denying other writers, so another run's attempt
// to open it for writing fails while it is in use.
#include "diag/LocalSystem.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path LocalAppData()
{
    // The variable first, as Windows sets it for every process (and a test
    // can point it elsewhere); the shell's known folder when it is missing.
    wchar_t value[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", value, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH)
        return fs::path(value);
    PWSTR known = nullptr;
    fs::path folder;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known) == S_OK)
        folder = known;
    CoTaskMemFree(known);
    return folder;
}

} // namespace

namespace LocalSystem {

fs::path DefaultLogFolder()
{
    const fs::path local = LocalAppData();
    if (!local.empty())
        return local / "Tavemo" / "logs";
    std::error_code ec;
    return fs::temp_directory_path(ec) / "tavemo-logs";
}

fs::path SettingsFolder()
{
    const fs::path local = LocalAppData();
    if (!local.empty())
        return local / "Tavemo";
    std::error_code ec;
    return fs::temp_directory_path(ec) / "tavemo-settings";
}

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

bool ProcessRunning(int pid)
{
    if (pid <= 0)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) // another user's process cannot be opened, but is there
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

std::string HostName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size))
        return {};
    return Utf8String(fs::path(std::wstring(name, size)));
}

FileHold::FileHold(const fs::path& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED whole = {};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        CloseHandle(file);
        return;
    }
    m_handle = reinterpret_cast<intptr_t>(file);
}

FileHold::~FileHold()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle)); // closing lets go of the lock
}

std::tm LocalTime(std::time_t time)
{
    std::tm tm{};
    localtime_s(&tm, &time);
    return tm;
}

std::FILE* OpenLogForWriting(const fs::path& path)
{
    // Readers welcome (support may open the file while the tool runs);
    // writers refused, which is what InUse looks for.
    return _wfsopen(path.c_str(), L"wb", _SH_DENYWR);
}

std::FILE* OpenForReading(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return nullptr;
    return _wfsopen(path.c_str(), L"rbN", _SH_DENYNO);
}

std::FILE* OpenForAppending(const fs::path& path)
{
    return _wfsopen(path.c_str(), L"ab", _SH_DENYNO);
}

bool AppendWhole(const fs::path& path, std::string_view bytes)
{
    // Opened for appending (no FILE_WRITE_DATA), each write goes to the end
    // of the file; the C library's "a" mode seeks first and then writes, so
    // two writers may land on the same place. The whole-file lock keeps
    // systems that emulate the append (wine) from tearing lines too.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    OVERLAPPED whole{};
    const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != 0;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    if (locked)
        UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(file);
    return ok;
}

std::FILE* CreateNewFile(const fs::path& path)
{
    // The C library's exclusive mode letter is not in every Windows runtime;
    // the system's own "create new" is.
    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file)
        _close(fd);
    return file;
}

bool LogInUse(const fs::path& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace LocalSystem
