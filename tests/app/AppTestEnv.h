// The environment of the application tests: a private folder per test
// process for the published ports ($XDG_RUNTIME_DIR), the PIN lockout file
// ($TMPDIR) and the log files ($XDG_CACHE_HOME), so that parallel tests and
// the user's own files never meet. Child processes (the simulator,
// tavemo-cli) inherit it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace apptest {

inline const std::filesystem::path& Root()
{
    static const std::filesystem::path root = [] {
        namespace fs = std::filesystem;
        const fs::path dir = fs::temp_directory_path() / ("tavemo-apptest-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        for (const char* sub : {"runtime", "tmp", "cache"})
            fs::create_directories(dir / sub);
        ::chmod((dir / "runtime").c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
        ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::path(std::getenv("TMPDIR")).parent_path(), ec);
        });
        return dir;
    }();
    return root;
}

inline std::filesystem::path LockoutDir()
{
    return Root() / "tmp";
}
inline std::filesystem::path PortsDir()
{
    return Root() / "runtime" / "tavemo" / "ports";
}

} // namespace apptest
