#include "tools/config/CAtomicFile.h"

#include "diag/LocalSystem.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

CAtomicFile::CAtomicFile(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    for (int tries = 0; tries < 100 && !m_file; ++tries) {
        m_path = LocalSystem::Utf8Path(target + ".~" + std::to_string(LocalSystem::ProcessId()) + "-" +
                                       std::to_string(counter++));
        m_file = LocalSystem::CreateNewFile(m_path); // exclusive: never someone else's file
        if (!m_file && errno != EEXIST)
            break;
    }
    if (!m_file)
        m_error = std::strerror(errno);
    m_created = m_file != nullptr;
}

CAtomicFile::~CAtomicFile()
{
    if (m_file)
        std::fclose(m_file);
    if (m_created && !m_kept) {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
}

void CAtomicFile::write(const void* data, std::size_t size)
{
    if (ok() && std::fwrite(data, 1, size, m_file) != size)
        m_error = std::strerror(errno);
}

bool CAtomicFile::keepAs(const std::string& path)
{
    if (!m_file)
        return false;
    const bool flushed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed && m_error.empty())
        m_error = std::strerror(errno);
    if (!m_error.empty())
        return false;
    std::error_code ec;
    std::filesystem::rename(m_path, LocalSystem::Utf8Path(path), ec);
    if (ec) {
        m_error = ec.message();
        return false;
    }
    m_kept = true;
    return true;
}
