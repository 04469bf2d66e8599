// The main of every test executable: sets the environment the tests rely on
// (unless the caller set it already), then runs GoogleTest.
//   TAVEMO_BIN_DIR   the build folder, where the tests find tavemo-unitsim
//                    and tavemo-cli
//   QT_QPA_PLATFORM  offscreen: widgets are driven without a display
// Each test process also gets a private temporary, runtime and cache folder,
// so that the PIN lockout file, published simulator ports and log files of
// one test never meet another test's, nor the user's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    ::setenv("TAVEMO_BIN_DIR", TAVEMO_TEST_BIN_DIR, 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "tavemo-test-XXXXXX").string();
    const char* home = ::mkdtemp(pattern.data());
    if (home) {
        const fs::path root = home;
        for (const char* sub : {"tmp", "run", "cache"})
            fs::create_directories(root / sub);
        fs::permissions(root / "run", fs::perms::owner_all, fs::perm_options::replace);
        ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    }

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    if (home) {
        std::error_code ec;
        fs::remove_all(home, ec);
    }
    return result;
}
