// What the diagnostics need from the system: local time, the process id,
// and the log files' side (the default folder, opening a file so that other
// runs can tell it is in use, and telling so). One implementation per system
// (LocalSystemPosix.cpp, LocalSystemWin32.cpp).
//
// Result codes: none; see each function.
// Thread rules: no shared state.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace LocalSystem {

// Where the logs go unless the caller chooses.
std::filesystem::path DefaultLogFolder();

// Where the tool keeps the user's settings (the main window's size and
// place): $XDG_CONFIG_HOME/tavemo or ~/.config/tavemo on POSIX systems,
// "Tavemo" in the local application data folder on Windows.
std::filesystem::path SettingsFolder();

int ProcessId();

// Whether a process with this id runs on this computer now (a process of
// another user counts).
bool ProcessRunning(int pid);

// This computer's name ("" when the system does not tell).
std::string HostName();

// Holds a file (created when missing) for this object's life: another
// holder of the same file, in this process or another, waits until it is
// let go. What runs that share a folder use to decide one thing at a time.
class FileHold
{
public:
    explicit FileHold(const std::filesystem::path& path);
    ~FileHold();
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    // False when the file could not be opened or locked.
    bool held() const { return m_handle != -1; }

private:
    intptr_t m_handle = -1;
};

std::tm LocalTime(std::time_t time);

// A new file for writing, held so that InUse sees it while it is open;
// null when it cannot be created.
std::FILE* OpenLogForWriting(const std::filesystem::path& path);

// A file opened for appending (created when missing); null when it cannot
// be opened. Not inherited by programs the tool starts.
std::FILE* OpenForAppending(const std::filesystem::path& path);

// Appends the bytes to the file (created when missing) in one write that
// the system places at the end whole, whatever other threads and processes
// append at the same time; false when the file cannot be opened or not all
// was written.
bool AppendWhole(const std::filesystem::path& path, std::string_view bytes);

// A new file for writing that did not exist before (never someone else's
// file, never a link planted in its place); null when the name is taken or
// the file cannot be created.
std::FILE* CreateNewFile(const std::filesystem::path& path);

// Whether another run holds the file open for writing.
bool LogInUse(const std::filesystem::path& path);

// The tool holds file names as UTF-8 (the window's file dialogs, the
// command line). A path made from a plain std::string is read in the ANSI
// code page on Windows, which turns "Łódź.csv" into "Lódz.csv" or into a
// name that cannot be opened; made from UTF-8 it keeps every letter.
inline std::filesystem::path Utf8Path(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The other way: a path as UTF-8, every letter kept (messages, the names a
// file records).
inline std::string Utf8String(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// An existing file for reading (binary); null when it cannot be opened or
// is a folder. Not inherited by programs the tool starts.
std::FILE* OpenForReading(const std::filesystem::path& path);

} // namespace LocalSystem
