// Runs the built tavemo-cli and captures its standard output and exit status.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

struct CliResult
{
    int status = -1;
    std::string out;
};

inline std::string CliPath()
{
    const char* bin = std::getenv("TAVEMO_BIN_DIR");
    return std::string(bin ? bin : ".") + "/tools/cli/tavemo-cli";
}

// args is appended to the command line as it stands (the caller quotes).
inline CliResult RunCli(const std::string& args)
{
    CliResult r;
    const std::string cmd = CliPath() + " " + args + " 2>/dev/null";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}
