// The environment every test program runs in (the tests' main, the
// benchmarks and the screenshot tools set it up the same way):
//   TAVEMO_BIN_DIR   the build folder, where the tests find tavemo-unitsim
//                    and tavemo-cli (kept when the caller set it)
//   TMPDIR           a private temporary folder
//   XDG_STATE_HOME   a private state folder: the PIN lockout file
//   XDG_RUNTIME_DIR  a private runtime folder: published simulator ports
//   XDG_CACHE_HOME   a private cache folder: log files
//   XDG_CONFIG_HOME  a private settings folder: the main window's place
// so that the files of one test process never meet another's, nor the
// user's own. Child processes (the simulator, tavemo-cli) inherit it.
// Free of GoogleTest and Qt, so that every kind of test program can use it.
#pragma once

#include "TempDir.h" // beside it: the tests' main has no project include path

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

// Sets the environment up for the life of the object and removes the
// private folders afterwards. One per process, created before anything
// reads the environment (a QApplication, a simulator).
class TestEnvironment
{
public:
    // The folders go under the caller's temporary directory, which the
    // private one replaces from here on.
    explicit TestEnvironment(const char* binDir)
    {
        namespace fs = std::filesystem;
        if (binDir)
            ::setenv("TAVEMO_BIN_DIR", binDir, 0);
        const fs::path& root = m_root.path();
        if (root.empty())
            return;
        for (const char* sub : {"tmp", "run", "cache", "state", "config"})
            fs::create_directories(root / sub);
        // The runtime folder is the user's own, as the system's is.
        fs::permissions(root / "run", fs::perms::owner_all, fs::perm_options::replace);
        ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    }
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

private:
    TempDir m_root;
};

// The build folder (TAVEMO_BIN_DIR), or "." when it is not set.
inline std::string BinDir()
{
    const char* bin = std::getenv("TAVEMO_BIN_DIR");
    return bin ? bin : ".";
}

} // namespace testsupport
