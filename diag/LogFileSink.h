// A log sink that writes one file per run into a folder (the user's cache
// folder by default), keeping the ten newest files. Installers send these
// files to support.
//
// Thread rules: write is called under the logger's mutex, so it needs no
// lock of its own.
#pragma once

#include "diag/Logger.h"

#include <cstdio>
#include <filesystem>
#include <string>

class LogFileSink : public LogSink
{
public:
    static constexpr int kKeepFiles = 10;

    // "$XDG_CACHE_HOME/tavemo/logs", or "~/.cache/tavemo/logs".
    static std::filesystem::path DefaultFolder();

    LogFileSink() = default;
    ~LogFileSink() override;
    LogFileSink(const LogFileSink&) = delete;
    LogFileSink& operator=(const LogFileSink&) = delete;

    // Creates the folder, removes the oldest files beyond kKeepFiles - 1 and
    // opens a new file named after the program and the start time.
    // Returns Ok, or LogNotCreated when the folder or file cannot be created
    // (diag/Result.h).
    int Open(const std::filesystem::path& folder, const std::string& program);
    const std::filesystem::path& Path() const { return m_path; }

    void write(std::string line, int levelHint, int moduleHint) override;

private:
    std::FILE* m_file = nullptr;
    std::filesystem::path m_path;
};
