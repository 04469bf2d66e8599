#include "tools/bustest/CTestLog.h"

#include "diag/LocalSystem.h"
#include "diag/LogFileSink.h"
#include "diag/Result.h"
#include "tools/bustest/BusTestText.h"

#include <system_error>

namespace fs = std::filesystem;

CTestLog::CTestLog() : CTestLog(LogFileSink::DefaultFolder()) {}

CTestLog::CTestLog(fs::path folder) : m_folder(std::move(folder)) {}

CTestLog::~CTestLog()
{
    if (m_file)
        std::fclose(m_file);
}

std::string CTestLog::FileName(const std::tm& local, long pid)
{
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string id = std::to_string(pid);
    if (id.size() < static_cast<std::size_t>(LogFileSink::kPidDigits))
        id.insert(0, static_cast<std::size_t>(LogFileSink::kPidDigits) - id.size(), '0');
    return std::string(stamp) + "-" + id + "-test-log.txt";
}

int CTestLog::open(const std::tm& local)
{
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    if (ec)
        return Result::LogNotCreated;
    const fs::path path = m_folder / FileName(local, LocalSystem::ProcessId());
    // Appending: a second start within the same second of the same process
    // (a test log that failed once) adds to the file instead of clearing it.
    m_file = LocalSystem::OpenForAppending(path);
    if (!m_file)
        return Result::LogNotCreated;
    m_path = path;
    return Result::Ok;
}

int CTestLog::append(const std::string& line)
{
    const std::tm local = LocalSystem::LocalTime(m_clock ? m_clock() : std::time(nullptr));
    if (!m_file && open(local) != Result::Ok) {
        m_failed = true;
        return Result::LogNotCreated;
    }
    const std::string entry = BusTestText::LogEntry(local, line);
    const bool written = std::fwrite(entry.data(), 1, entry.size(), m_file) == entry.size();
    m_failed = !written || std::fflush(m_file) != 0;
    return m_failed ? Result::LogNotCreated : Result::Ok;
}
