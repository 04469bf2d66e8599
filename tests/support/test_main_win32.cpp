// The main of every test executable of the Windows build: a private
// temporary folder (TMP and TEMP: the PIN lockout file) and a private local
// application data folder (LOCALAPPDATA: log files) for the life of the
// process, removed afterwards, so that one test process never meets
// another's files nor the user's own; then GoogleTest.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

class PrivateFolders
{
public:
    PrivateFolders()
    {
        std::error_code ec;
        const fs::path base = fs::temp_directory_path(ec);
        if (ec)
            return;
        std::random_device random;
        for (int tries = 0; tries < 100 && m_root.empty(); ++tries) {
            const fs::path candidate = base / ("tavemo-test-" + std::to_string(random()));
            if (fs::create_directory(candidate, ec))
                m_root = candidate;
            else if (ec)
                return;
        }
        if (m_root.empty())
            return;
        for (const wchar_t* sub : {L"tmp", L"appdata"})
            fs::create_directories(m_root / sub, ec);
        const std::wstring tmp = (m_root / L"tmp").wstring();
        SetEnvironmentVariableW(L"TMP", tmp.c_str());
        SetEnvironmentVariableW(L"TEMP", tmp.c_str());
        SetEnvironmentVariableW(L"LOCALAPPDATA", (m_root / L"appdata").wstring().c_str());
    }
    ~PrivateFolders()
    {
        std::error_code ec;
        if (!m_root.empty())
            fs::remove_all(m_root, ec);
    }
    PrivateFolders(const PrivateFolders&) = delete;
    PrivateFolders& operator=(const PrivateFolders&) = delete;

private:
    fs::path m_root;
};

} // namespace

int main(int argc, char** argv)
{
    const PrivateFolders folders;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
