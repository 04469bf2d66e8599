#include "diag/LogFileSink.h"

#include "diag/Result.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

fs::path LogFileSink::DefaultFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return fs::path(cache) / "tavemo" / "logs";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache" / "tavemo" / "logs";
    return fs::temp_directory_path() / "tavemo-logs";
}

LogFileSink::~LogFileSink()
{
    if (m_file)
        std::fclose(m_file);
}

int LogFileSink::Open(const fs::path& folder, const std::string& program)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return Result::LogNotCreated;

    // Keep the newest kKeepFiles - 1 logs, so that with the new one there are ten.
    // Names start with a sortable time stamp, so name order is age order.
    std::vector<fs::path> logs;
    for (const auto& item : fs::directory_iterator(folder, ec))
        if (item.is_regular_file(ec) && item.path().extension() == ".log")
            logs.push_back(item.path());
    std::sort(logs.begin(), logs.end());
    while (logs.size() >= static_cast<std::size_t>(kKeepFiles)) {
        fs::remove(logs.front(), ec);
        logs.erase(logs.begin());
    }

    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    m_path = folder / (std::string(stamp) + "-" + std::to_string(getpid()) + "-" + program + ".log");
    m_file = std::fopen(m_path.c_str(), "wb");
    return m_file ? Result::Ok : Result::LogNotCreated;
}

void LogFileSink::write(std::string line, int, int)
{
    if (!m_file)
        return;
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}
