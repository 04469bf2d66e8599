// A private folder under the temporary directory for one test, removed with
// everything in it when the object goes; and reading a whole file.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace testsupport {

class TempDir
{
public:
    // A new folder of a random name; path() is empty when none could be made.
    TempDir()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base = fs::temp_directory_path(ec);
        if (ec)
            return;
        std::random_device random;
        for (int tries = 0; tries < 100; ++tries) {
            const unsigned long long name = (static_cast<unsigned long long>(random()) << 32) ^ random();
            const fs::path candidate = base / ("tavemo-" + std::to_string(name));
            if (fs::create_directory(candidate, ec)) {
                fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, ec);
                m_path = candidate;
                return;
            }
            if (ec)
                return;
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace testsupport
