#include "diag/LogFileSink.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string PaddedPid()
{
    std::string pid = std::to_string(LocalSystem::ProcessId());
    if (pid.size() < static_cast<std::size_t>(LogFileSink::kPidDigits))
        pid.insert(0, static_cast<std::size_t>(LogFileSink::kPidDigits) - pid.size(), '0');
    return pid;
}

} // namespace

fs::path LogFileSink::DefaultFolder() { return LocalSystem::DefaultLogFolder(); }

LogFileSink::~LogFileSink() { closeFile(); }

void LogFileSink::closeFile()
{
    if (!m_file)
        return;
    std::fclose(m_file); // also drops the lock
    m_file = nullptr;
    if (!m_written) {
        std::error_code ec;
        fs::remove(m_path, ec);
    }
}

int LogFileSink::Open(const fs::path& folder, const std::string& program)
{
    closeFile();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return Result::LogNotCreated;

    // Keep the newest kKeepFiles - 1 logs, so that with the new one there are ten.
    // Names start with a sortable time stamp, so name order is age order.
    // An empty log that no run holds was left by a run that was killed or
    // hung before it wrote a line: it says nothing and does not count.
    std::vector<fs::path> logs;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        std::error_code fec;
        if (!item.is_regular_file(fec) || item.path().extension() != ".log")
            continue;
        if (item.file_size(fec) == 0 && !fec && !LocalSystem::LogInUse(item.path())) {
            fs::remove(item.path(), fec);
            continue;
        }
        logs.push_back(item.path());
    }
    std::sort(logs.begin(), logs.end());
    constexpr std::size_t kKeepOld = kKeepFiles - 1;
    std::size_t excess = logs.size() > kKeepOld ? logs.size() - kKeepOld : 0;
    for (const fs::path& old : logs) {
        if (excess == 0)
            break;
        if (LocalSystem::LogInUse(old))
            continue; // still written by a running tool: it counts, but stays
        fs::remove(old, ec);
        --excess;
    }

    const std::time_t now = std::time(nullptr);
    const std::tm tm = LocalSystem::LocalTime(now);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    m_path = folder / (std::string(stamp) + "-" + PaddedPid() + "-" + program + ".log");
    m_file = LocalSystem::OpenLogForWriting(m_path);
    if (!m_file)
        return Result::LogNotCreated;
    m_written = false;
    m_bytes = 0;
    m_cut = false;
    return Result::Ok;
}

void LogFileSink::write(std::string line, int, int)
{
    if (!m_file || m_cut)
        return;
    const std::size_t cutLength = std::strlen(kCutLine);
    if (m_bytes + line.size() + cutLength > kMaxBytes) {
        line = kCutLine;
        m_cut = true;
    }
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
    m_bytes += line.size();
    m_written = true;
}
