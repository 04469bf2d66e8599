// tavemo-unitsim: stands in for the serial interface adapter and the room
// unit behind it. It opens a pseudo-terminal, publishes it as a port in the
// ports directory, answers every command of the adapter protocol from its
// own stores (CSimUnit), and ends cleanly on SIGTERM or SIGINT, removing
// what it published.
//
// Once it is ready it prints one line on standard output,
//   <port name> <device path>
// and, with --ready-file, writes the same line to that file (renamed into
// place, so a reader never sees half of it). Tests wait for either instead
// of sleeping.
//
// Download protocol hook. A line from the tool whose first byte is 0x01 is a
// download frame (0x01 ... 0x0A, escape 0x1B) and is never taken for a
// command: CSimUnit hands it, bytes untouched, to its frame handler. The
// download simulator plugs in where marked below, with
//   unit.setFrameHandler([&](const uint8_t* frame, std::size_t length) {...});
// and answers through
//   unit.writeRaw(bytes, length)   bytes to the tool, at once and untouched
//   unit.goSilent(ms)              the unit reboots: deaf and mute for ms
//   unit.setFirmware(version)      the firmware register 2001 afterwards
//   unit.holding(Reg::DeviceType)  what the unit is
#include "diag/Version.h"
#include "link/PortDiscovery.h"
#include "sim/CSimPty.h"
#include "sim/CSimUnit.h"
#include "sim/SimDownload.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kFriendlyName = "Tavemo unit simulator";

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const int saved = errno;
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &b, 1);
    errno = saved;
}

void PrintUsage(std::FILE* out)
{
    std::fputs(
        "usage: tavemo-unitsim [options]\n"
        "  --help                show this text and exit\n"
        "  --version             show the program's name and version and exit\n"
        "  --name NAME           port name to publish (default: first free ttySIM<n>)\n"
        "  --ports-dir DIR       where to publish (default: $XDG_RUNTIME_DIR/tavemo/ports,\n"
        "                        or tavemo-ports-<uid> in the temporary directory)\n"
        "  --ready-file FILE     write \"<name> <device>\" there once ready\n"
        "  --transcript FILE     write every line received (RX) and sent (TX)\n"
        "  --device-type N       holding 2000 (default 2050)\n"
        "  --pin N               holding 2008, 0 = no PIN (default 0)\n"
        "  --protocol 0|1        holding 2045: 0 Modbus, 1 BACnet (default 0)\n"
        "  --temp-unit 0|1       holding 2010: 0 Fahrenheit, 1 Celsius (default 1)\n"
        "  --pressure-unit 0..3  holding 3516 (default 0)\n"
        "  --firmware N          holding 2001 (default from the register map)\n"
        "faults:\n"
        "  --silent              never answer\n"
        "  --silent-after N      answer N commands, then never again (an unplugged unit)\n"
        "  --junk                a junk line before each reply\n"
        "  --wrong-echo N        every N-th reply names another register\n"
        "  --delay MS            pause before each reply\n"
        "  --baud BAUD           register commands and replies take their time at this wire speed (115200 for a real line)\n"
        "  --fail-read ADDR      reads of holding ADDR are refused (repeatable)\n"
        "  --fail-write ADDR     writes of holding ADDR are refused (repeatable)\n"
        "  --rema-bad-chunk N    the N-th chunk (from 1) of a ReMa table read has a wrong checksum\n"
        "  --rema-refuse-line N  the N-th entry line (from 1) of a ReMa table write is refused\n"
        "  --rema-count-fault N  a ReMa table request gets no answer (1) or one without a count (2)\n"
        "  --holding ADDR=VALUE  holding ADDR starts at VALUE (-32768..65535, repeatable)\n"
        "download (the unit's side of the firmware download):\n",
        out);
    std::fputs(CSimDownload::Usage(), out);
}

bool ParseNumber(const char* text, long min, long max, int* out)
{
    long v = 0;
    const char* end = text + std::strlen(text);
    const auto r = std::from_chars(text, end, v);
    if (r.ec != std::errc() || r.ptr != end || v < min || v > max)
        return false;
    *out = static_cast<int>(v);
    return true;
}

bool WriteAll(int fd, std::string& pending)
{
    while (!pending.empty()) {
        const ssize_t n = ::write(fd, pending.data(), pending.size());
        if (n > 0) {
            pending.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK); // false: the line is gone
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    SimDownloadOptions dlOptions;
    std::string name, readyFile, transcriptFile;
    std::filesystem::path portsDir = PortDiscoveryRoots::DefaultPortsDirectory();

    struct NumberOption
    {
        const char* flag;
        int* target;
        long min, max;
    } numbers[] = {{"--device-type", &options.deviceType, 0, 65535},
                   {"--pin", &options.pin, 0, 9999},
                   {"--protocol", &options.protocol, 0, 1},
                   {"--temp-unit", &options.tempUnit, 0, 1},
                   {"--pressure-unit", &options.pressureUnit, 0, 3},
                   {"--firmware", &options.firmware, 0, 65535},
                   {"--wrong-echo", &options.wrongEchoEvery, 1, 1000000},
                   {"--rema-bad-chunk", &options.remaBadChunk, 1, 100},
                   {"--rema-refuse-line", &options.remaRefuseLine, 1, 100},
                   {"--rema-count-fault", &options.remaCountFault, 1, 2},
                   {"--delay", &options.replyDelayMs, 0, 600000},
                   {"--baud", &options.baud, 0, 10000000},
                   {"--silent-after", &options.silentAfter, 1, 100000000}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("tavemo-unitsim %s\n", TavemoVersion());
            return 0;
        }
        if (arg == "--silent") {
            options.silent = true;
            continue;
        }
        if (arg == "--junk") {
            options.junk = true;
            continue;
        }
        std::string dlError;
        if (CSimDownload::ParseOption(argc, argv, i, dlOptions, dlError)) {
            if (!dlError.empty()) {
                std::fprintf(stderr, "tavemo-unitsim: %s (see --help)\n", dlError.c_str());
                return 2;
            }
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "tavemo-unitsim: %s needs a value (see --help)\n", arg.c_str());
            return 2;
        }
        const char* value = argv[++i];
        if (arg == "--name") {
            name = value;
            if (name.empty() || name.find('/') != std::string::npos || name[0] == '.') {
                std::fprintf(stderr, "tavemo-unitsim: --name takes a plain name, not '%s'\n", value);
                return 2;
            }
            continue;
        }
        if (arg == "--ports-dir") {
            portsDir = value;
            continue;
        }
        if (arg == "--fail-read" || arg == "--fail-write") {
            int address = 0;
            if (!ParseNumber(value, 1, 9999, &address)) {
                std::fprintf(stderr, "tavemo-unitsim: %s takes a register from 1 to 9999, not '%s'\n", arg.c_str(),
                             value);
                return 2;
            }
            (arg == "--fail-read" ? options.failReads : options.failWrites).push_back(static_cast<uint16_t>(address));
            continue;
        }
        if (arg == "--holding") {
            const std::string text = value;
            const std::size_t eq = text.find('=');
            int address = 0, word = 0;
            if (eq == std::string::npos || !ParseNumber(text.substr(0, eq).c_str(), 1, 9999, &address) ||
                !ParseNumber(text.c_str() + eq + 1, -32768, 65535, &word)) {
                std::fprintf(stderr, "tavemo-unitsim: --holding takes ADDR=VALUE, not '%s'\n", value);
                return 2;
            }
            options.holdings.emplace_back(static_cast<uint16_t>(address), static_cast<uint16_t>(word));
            continue;
        }
        if (arg == "--ready-file") {
            readyFile = value;
            continue;
        }
        if (arg == "--transcript") {
            transcriptFile = value;
            continue;
        }
        NumberOption* match = nullptr;
        for (NumberOption& n : numbers)
            if (arg == n.flag)
                match = &n;
        if (!match) {
            std::fprintf(stderr, "tavemo-unitsim: unknown option '%s' (see --help)\n", arg.c_str());
            return 2;
        }
        if (!ParseNumber(value, match->min, match->max, match->target)) {
            std::fprintf(stderr, "tavemo-unitsim: %s takes a whole number from %ld to %ld, not '%s'\n", match->flag,
                         match->min, match->max, value);
            return 2;
        }
    }

    CSimUnit unit(options);
    std::FILE* transcript = nullptr;
    if (!transcriptFile.empty()) {
        transcript = std::fopen(transcriptFile.c_str(), "w");
        if (!transcript) {
            std::fprintf(stderr, "tavemo-unitsim: cannot write the transcript '%s': %s\n", transcriptFile.c_str(),
                         std::strerror(errno));
            return 1;
        }
        unit.setTranscript(transcript);
    }

    // ---- the download protocol plugs in here (see the top of this file) ----
    if (dlOptions.version.empty())
        dlOptions.version = CSimDownload::FirmwareText(unit.holding(Reg::Firmware));
    SimDownloadHost dlHost;
    dlHost.write = [&unit](const uint8_t* bytes, std::size_t length) { unit.writeRaw(bytes, length); };
    dlHost.goSilent = [&unit](int ms) { unit.goSilent(ms); };
    dlHost.setVersion = [&unit](const std::string& v) { unit.setFirmware(CSimDownload::FirmwareNumber(v)); };
    dlHost.note = [transcript](const std::string& line) {
        if (transcript) {
            std::fprintf(transcript, "-- %s\n", line.c_str());
            std::fflush(transcript);
        }
    };
    CSimDownload download(dlOptions, dlHost);
    unit.setFrameHandler(
        [&download](const uint8_t* frame, std::size_t length) { download.onFrame(frame, length); });

    if (::pipe(g_signalPipe) != 0) {
        std::perror("tavemo-unitsim: pipe");
        return 1;
    }
    for (int fd : g_signalPipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    struct sigaction action{};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    CSimPty pty;
    if (pty.open() != 0) {
        std::fprintf(stderr, "tavemo-unitsim: cannot open a pseudo-terminal: %s\n", std::strerror(pty.lastErrno()));
        return 1;
    }
    if (pty.publish(portsDir, name, kFriendlyName) != 0) {
        std::fprintf(stderr, "tavemo-unitsim: cannot publish the port in '%s': %s\n", portsDir.c_str(),
                     std::strerror(pty.lastErrno()));
        return 1;
    }
    const std::string readyLine = pty.name() + " " + pty.devicePath() + "\n";
    if (!readyFile.empty()) {
        const std::string tmp = readyFile + ".tmp";
        {
            std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
            out << readyLine;
        }
        std::error_code ec;
        std::filesystem::rename(tmp, readyFile, ec);
        if (ec) {
            std::fprintf(stderr, "tavemo-unitsim: cannot write the ready file '%s': %s\n", readyFile.c_str(),
                         ec.message().c_str());
            return 1;
        }
    }
    std::fputs(readyLine.c_str(), stdout);
    std::fflush(stdout);

    std::string pending;
    int status = 0;
    for (;;) {
        int timeout = -1;
        if (const auto due = unit.nextDue()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*due - CSimUnit::Clock::now());
            timeout = wait.count() > 0 ? static_cast<int>(wait.count()) + 1 : 0;
        }
        pollfd fds[2] = {{pty.masterFd(), static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0},
                         {g_signalPipe[0], POLLIN, 0}};
        const int n = ::poll(fds, 2, timeout);
        if (n < 0 && errno != EINTR) {
            std::perror("tavemo-unitsim: poll");
            status = 1;
            break;
        }
        if (n > 0 && fds[1].revents)
            break;
        if (n > 0 && (fds[0].revents & POLLIN)) {
            uint8_t buf[4096];
            const ssize_t got = ::read(pty.masterFd(), buf, sizeof buf);
            if (got > 0)
                unit.feed(buf, static_cast<std::size_t>(got));
        }
        unit.takeOutput(pending);
        if (!WriteAll(pty.masterFd(), pending)) {
            std::fprintf(stderr, "tavemo-unitsim: the terminal is gone: %s\n", std::strerror(errno));
            status = 1;
            break;
        }
    }
    pty.unpublish();
    if (transcript)
        std::fclose(transcript);
    return status;
}
