// The PIN lockout file's system side (CPassword): where the file lives,
// reading it, and replacing it whole. One implementation per system
// (LockoutFilePosix.cpp, LockoutFileWin32.cpp).
//
// The file must be the user's own and out of other users' reach: in a
// shared folder another user could own it (so that wrong PINs are never
// counted), plant a block, or put a FIFO or a link there that hangs or
// redirects the tool. So it lives in the user's state folder, which only
// the user can write, and a file there that is not a regular file of the
// user's is not used.
//
// Result codes: none; see each function.
// Thread rules: no shared state; the replace is safe against readers in
// other threads and processes (they see the old file or the new one, never
// a missing or short one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace LockoutFile {

// The folder of the lockout file: on POSIX systems $XDG_STATE_HOME/tavemo
// (or ~/.local/state/tavemo), created with mode 0700; on Windows the
// user's own temporary folder. Empty when there is no such folder that
// only the user can write (it cannot be created, belongs to someone else,
// or others may write it).
std::filesystem::path StateDirectory();

enum class ReadResult
{
    Ok,      // the bytes were read (a short file leaves the rest as it was)
    Missing, // no file: the caller may create one
    Unusable // something else is there (a link, a FIFO, a folder, another
             // user's file) or it cannot be read: never trusted, never replaced
};

// Reads up to size bytes into bytes without following links and without
// blocking on anything that is not a regular file.
ReadResult Read(const std::filesystem::path& path, unsigned char* bytes, std::size_t size);

// Writes the bytes to a new file beside path and moves it over path once it
// is on disk. Failures are not reported: path keeps its old content.
void Replace(const std::filesystem::path& path, const unsigned char* bytes, std::size_t size);

// Holds the lockout folder for one read-and-replace of the count, so that
// runs counting wrong PINs at the same moment (the window and tavemo-cli,
// several ports of one commissioning run) each add theirs. Blocks until the
// folder is free; a folder that cannot be held is simply not held (the
// caller's own lock still orders its threads).
class FolderHold
{
public:
    explicit FolderHold(const std::filesystem::path& folder);
    ~FolderHold();
    FolderHold(const FolderHold&) = delete;
    FolderHold& operator=(const FolderHold&) = delete;

private:
    intptr_t m_handle = -1;
};

} // namespace LockoutFile
