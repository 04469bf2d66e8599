// The lockout file on Windows: written to a new file beside the old one,
// flushed to disk, and moved over the old one with MoveFileExW (replace,
// write through). Readers open the file sharing everything, delete
// included, so that they never keep a replace from happening.
#include "link/LockoutFile.h"

#include <windows.h>

#include <random>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A replace that meets a reader of another program (a virus scanner, an
// indexer) that opened the file without sharing is tried again a few times.
constexpr int kReplaceTries = 5;
constexpr DWORD kReplaceRetryMs = 20;
constexpr int kTempNameTries = 16;

bool Contended(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }

} // namespace

namespace LockoutFile {

// The user's temporary folder lies in the user's profile, which other
// users cannot write.
fs::path StateDirectory()
{
    wchar_t dir[MAX_PATH + 2] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, dir);
    if (n > 0 && n <= MAX_PATH + 1)
        return fs::path(dir);
    std::error_code ec;
    fs::path fallback = fs::temp_directory_path(ec);
    return ec ? fs::current_path(ec) : fallback;
}

ReadResult Read(const fs::path& path, unsigned char* bytes, std::size_t size)
{
    // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened as itself and then
    // refused below, never followed.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                               : ReadResult::Unusable;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        CloseHandle(h);
        return ReadResult::Unusable;
    }
    std::size_t got = 0;
    while (got < size) {
        DWORD n = 0;
        if (!ReadFile(h, bytes + got, static_cast<DWORD>(size - got), &n, nullptr) || n == 0)
            break;
        got += n;
    }
    CloseHandle(h);
    return ReadResult::Ok;
}

void Replace(const fs::path& path, const unsigned char* bytes, std::size_t size)
{
    static std::mt19937 names{std::random_device{}()};
    std::wstring temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int i = 0; i < kTempNameTries && h == INVALID_HANDLE_VALUE; ++i) {
        temp = path.wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(names() & 0xFFFFFF) + L".new";
        h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return; // the directory cannot be written
    }
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size &&
                    FlushFileBuffers(h);
    CloseHandle(h);
    if (!ok) {
        DeleteFileW(temp.c_str());
        return;
    }
    // A read-only or hidden old file would refuse the replace.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (int i = 0; i < kReplaceTries; ++i) {
        if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return;
        if (!Contended(GetLastError()))
            break;
        Sleep(kReplaceRetryMs);
    }
    DeleteFileW(temp.c_str());
}

// A folder cannot be locked on Windows; the caller's lock orders the
// threads of one run.
FolderHold::FolderHold(const fs::path&) {}
FolderHold::~FolderHold() = default;

} // namespace LockoutFile
