// tavemo-cli: the command-line companion of the configuration tool, for
// scripting the commissioning of many units.
#include "diag/LogFileSink.h"
#include "diag/Logger.h"
#include "diag/Result.h"
#include "diag/Version.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliConsole.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Command
{
    const char* name;
    int (*run)(const cli::GlobalOptions&, const cli::Args&);
    const char* usage;
};

const Command kCommands[] = {
    {"catalogue", cli::RunCatalogue,
     "catalogue [--device-type N] [--temp-unit U] [--pressure-unit P]   print the register map as CSV"},
    {"ports", cli::RunPorts, "ports   list the serial ports, one a line"},
    {"identify", cli::RunIdentify, "identify   unlock, then show device type, firmware, identity and protocol (--port, --pin)"},
    {"read", cli::RunRead, "read [--special] [--input|--coil] ADDR...   print ADDR=VALUE lines (--port, --pin)"},
    {"write", cli::RunWrite, "write [--special] [--coil] [--save] ADDR=VALUE...   range-checked writes, kept until the unit restarts; "
     "--save then makes the unit store them (Save To NVRAM) (--port, --pin)"},
    {"rema", cli::RunReMa,
     "rema read|write holding|input|coil FILE   the unit's custom addressing table to or from a file (.csv or "
     ".bin; write refuses a file that takes registers away unless --allow-removals is given); "
     "rema reset holding|input|coil   the unit's own layout (--port, --pin)"},
    {"export", cli::RunExport,
     "export [--non-default [--with-pin]] [--categories LIST] FILE.csv|FILE.bin   save the unit's configuration (LIST: common, sensors, "
     "room-climate, inputs, sun-protect, lights, time-programs, controller or all); --non-default writes a "
     "template: only what differs from the defaults, the PIN only with --with-pin (--port, --pin)"},
    {"import", cli::RunImport,
     "import [--changes-only [--undo-file UNDO.csv] | --bus-settings] FILE.csv|FILE.bin   write a saved "
     "configuration to the unit, then Save To NVRAM; --changes-only writes and verifies only what differs, the undo "
     "file keeps the values overwritten; --bus-settings also puts back the bus address, baud rate and parity the "
     "file names (a commissioning undo record), with the special write (--port, --pin)"},
    {"diff", cli::RunDiff,
     "diff [--csv] [--all] [--device-type N] [--temp-unit 0|1] A B | --port NAME diff FILE   the registers that "
     "differ, in the pages' form; a side may be a report's .json (exit 0 same, 1 differ, 2 trouble)"},
    {"commission", cli::RunCommission,
     "commission --plan PLAN.csv --ports P1[,P2...] --out DIR [--technician NAME] [--categories LIST] [--redo ROOM]   "
     "the plan's next rooms onto the units on the ports, all at once: only what differs is written and verified, "
     "each unit's report goes to DIR/ROOM.json and .html (LIST as for export) and its outcome to DIR/status.csv (exit 0 all ok, 1 a unit failed, 2 usage or plan, 130 Ctrl-C; --pin)"},
    {"report", cli::RunReport,
     "report [--categories LIST] [--technician NAME] [--note TEXT] FILE.html|FILE.pdf|FILE.json   the unit's "
     "commissioning report: identity and every setting of the categories (LIST as for export; --port, --pin)"},
    {"update", cli::RunUpdate, "update FILE.dnl   download a firmware file to the unit on --port (Ctrl-C cancels)"},
};

void PrintUsage(std::FILE* out)
{
    std::fputs("usage: tavemo-cli [--port NAME] [--pin N] COMMAND [ARGS]\n"
               "       tavemo-cli --help | --version\ncommands:\n",
               out);
    for (const Command& c : kCommands)
        std::fprintf(out, "  %s\n", c.usage);
}

int Run(const std::vector<std::string>& argv)
{
    cli::GlobalOptions global;
    cli::Args words;
    const std::size_t argc = argv.size();
    for (std::size_t i = 0; i < argc; ++i) {
        const std::string& arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return cli::kExitOk;
        }
        if (arg == "--version") {
            std::printf("tavemo-cli %s\n", TavemoVersion());
            return cli::kExitOk;
        }
        if (arg == "--port" || arg == "--pin") {
            if (i + 1 >= argc)
                return cli::UsageError(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--port") {
                global.port = value;
            } else {
                const auto pin = cli::ParseInt(value);
                if (!pin || *pin < 0 || *pin > 9999)
                    return cli::UsageError("--pin takes a number from 0 to 9999, not '" + value + "'");
                global.pin = static_cast<int>(*pin);
            }
            continue;
        }
        words.push_back(arg);
    }
    if (words.empty()) {
        PrintUsage(stderr);
        return cli::kExitUsage;
    }
    for (const Command& c : kCommands)
        if (words[0] == c.name)
            return c.run(global, cli::Args(words.begin() + 1, words.end()));
    return cli::UsageError("unknown command '" + words[0] + "' (see --help)");
}

} // namespace

int main(int argc, char** argv)
{
    // As the tool does: the download parts and the receive thread log through
    // the shared logger, and a failed update in the field must leave those
    // lines for support. No log file is no reason to refuse the command.
    LogFileSink logFile;
    const bool logging = logFile.Open(LogFileSink::DefaultFolder(), "tavemo-cli") == Result::Ok;
    LogSink* previous = logging ? Logger::Instance().SetSink(&logFile) : nullptr;
    const int status = Run(cli::CommandLineWords(argc, argv));
    if (logging)
        Logger::Instance().SetSink(previous);
    return status;
}
