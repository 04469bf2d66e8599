// The test log: a record, for the installer, of every action on the Modbus
// and BACnet test pages (what was read or written where, and what came
// back). One file per run of the tool, in the tool's log folder (the one
// LogFileSink writes to), named
//   <yyyymmdd-hhmmss>-<pid, 7 digits>-test-log.txt
// after the moment of the first test, so that it sorts by date beside the
// tool's own logs and says what it is. The file is created with the first
// entry: a run that tests nothing leaves none. Its extension keeps it out of
// the clean-up of the tool's ten newest logs, so a record is never removed
// by later runs.
//
// Each entry is one line preceded by an empty line and stamped with the
// local date and time (BusTestText::LogEntry); the file is flushed after
// each entry, UTF-8 text with CR LF.
//
// Result codes (diag/Result.h): append returns Ok or LogNotCreated (the
// folder or the file cannot be created or written; the next append tries
// again).
//
// Thread rules: user-interface thread only.
#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

class CTestLog
{
public:
    using Clock = std::function<std::time_t()>;

    // The tool's log folder (LogFileSink::DefaultFolder).
    CTestLog();
    explicit CTestLog(std::filesystem::path folder);
    ~CTestLog();
    CTestLog(const CTestLog&) = delete;
    CTestLog& operator=(const CTestLog&) = delete;

    // The time the entries are stamped with (and the file named after);
    // the system clock unless set.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Appends one entry, creating the file first when there is none yet.
    int append(const std::string& line);

    bool isOpen() const { return m_file != nullptr; }
    // The file of this run; empty until the first entry created it.
    const std::filesystem::path& path() const { return m_path; }
    const std::filesystem::path& folder() const { return m_folder; }
    // Whether the last append failed.
    bool failed() const { return m_failed; }

    // "<yyyymmdd-hhmmss>-<pid>-test-log.txt" for a local time and a process id.
    static std::string FileName(const std::tm& local, long pid);

private:
    int open(const std::tm& local);

    std::filesystem::path m_folder;
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    Clock m_clock;
    bool m_failed = false;
};
