// A log sink that writes one file per run into a folder (by default the
// user's cache folder, on Windows the local application data), keeping the
// ten newest files. Installers send these files to support.
//
// The configuration tool and tavemo-cli share the folder. A file is named
//   <yyyymmdd-hhmmss>-<pid, 7 digits>-<program>.log
// so that name order is age order whichever program wrote it, and the name
// still says which program it was. A run holds a shared lock on its own file
// while it writes; the clean-up at Open passes over files another run still
// holds, so a long session of the tool does not lose its log to a series of
// short command-line runs. A run that logged nothing removes its empty file
// when it ends, so it does not push out a log that says something; an empty
// file left by a run that was killed or hung does not count among the ten
// and goes at the next clean-up. A log stops at kMaxBytes with a last line
// saying it was cut, so a run that loops cannot fill the disk.
//
// Result codes (diag/Result.h): Open returns Ok or LogNotCreated.
//
// Thread rules: write is called under the logger's mutex, so it needs no
// lock of its own. Open and destruction on one thread, while the sink is not
// attached to the logger.
#pragma once

#include "diag/Logger.h"

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>

class LogFileSink : public LogSink
{
public:
    static constexpr int kKeepFiles = 10;
    // Wide enough for Linux's largest process id (4194304), so that two runs
    // started in the same second still sort by their ids.
    static constexpr int kPidDigits = 7;
    // The most one log holds (10 MiB), its closing line included.
    static constexpr std::size_t kMaxBytes = 10u * 1024u * 1024u;
    static constexpr const char* kCutLine = "--- the log was cut here: it reached 10 MiB ---\r\n";

    // "$XDG_CACHE_HOME/tavemo/logs", or "~/.cache/tavemo/logs"; on Windows
    // "Tavemo\logs" in the user's local application data folder.
    static std::filesystem::path DefaultFolder();

    LogFileSink() = default;
    ~LogFileSink() override;
    LogFileSink(const LogFileSink&) = delete;
    LogFileSink& operator=(const LogFileSink&) = delete;

    // Creates the folder, removes the oldest files beyond kKeepFiles - 1
    // (passing over files another run still writes) and opens a new file
    // named after the start time, the process and the program.
    // Returns Ok, or LogNotCreated when the folder or file cannot be created.
    int Open(const std::filesystem::path& folder, const std::string& program);
    const std::filesystem::path& Path() const { return m_path; }

    void write(std::string line, int levelHint, int moduleHint) override;

private:
    // Closes the file; removes it when nothing was written.
    void closeFile();

    std::FILE* m_file = nullptr;
    std::filesystem::path m_path;
    bool m_written = false;
    std::size_t m_bytes = 0; // written to this file so far
    bool m_cut = false;      // kMaxBytes reached: nothing more is written
};
