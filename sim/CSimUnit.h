// The simulated serial interface adapter with the room unit behind it: the
// protocol logic of tavemo-unitsim, free of any port so that tests can also
// drive it in-process.
//
// Bytes from the tool go in through feed(); they collect into lines ending
// in LF. A line whose first byte is 0x01 is a download frame (0x01 ... 0x0A,
// escape 0x1B): it goes, bytes untouched, to the frame handler when one is
// set and is never taken for a command. Any other line, CR bytes removed, is
// a command of the adapter protocol and gets one reply line (CR LF), or none
// for an empty line and for the unlock command "u <pin>".
//
// Reply grammar (status < 0 = refused):
//   reads   "<status> = <function>(<number>): <value>"
//   writes  "<status> = <function>(<number>,<value>)"
// Status codes: 0 ok; -1 malformed command; -2 no such register or object;
// -3 register or object is read-only; -4 value outside the register's
// limits; -5 the unit has a PIN and was not unlocked with it.
// Commands the adapter does not know get "ERROR unknown command".
//
// Custom addressing (ReMa): the unit keeps one remapping table per kind
// (holding, input, coil) as the entries that differ from its own layout:
// customized address c shows register d, or nothing when d is 0. "Cr" /
// "Ci" / "Cc" answer "C R <n>" with the number of entries, "Cr<offset>
// <count>" answers the entries with their CRC; "Cw0" begins a new table
// (the unit's own layout), "Cw1 ..." lines add entries (a line whose CRC
// does not match is refused), "Cw2" puts the new table in force ("Cx", "Cy"
// for input and coil). Reads and writes of a register at a customized
// address reach the register shown there.
//
// Stores: holding, input and coil values seeded from the register
// catalogue's defaults for the chosen device type and units; BACnet objects
// 0..63 of each type with fixed seeds.
//
// Output is queued with a due time (the reply delay) and taken by the
// caller with takeOutput().
//
// Thread rules: one thread.
#pragma once

#include "model/RegisterCatalogue.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct SimOptions
{
    int deviceType = 2050;
    int pin = 0;          // 0 = a unit without PIN
    int protocol = 0;     // register 2045: 0 Modbus, 1 BACnet
    int tempUnit = 1;     // register 2010: 0 Fahrenheit, 1 Celsius
    int pressureUnit = 0; // register 3516
    int firmware = -1;    // register 2001; -1 = the catalogue default
    // Faults.
    bool silent = false;    // never answer
    bool junk = false;      // a junk line before each reply
    int wrongEchoEvery = 0; // every n-th reply echoes another number (0 = never)
    int replyDelayMs = 0;   // pause before each reply
    int baud = 0;           // register traffic at this wire speed (command and reply bytes, 10 bits each); 0 = as fast as the pty goes
    std::vector<uint16_t> failReads; // holding registers whose reads are refused
    std::vector<uint16_t> failWrites; // holding registers whose writes are refused
    int remaBadChunk = 0;            // this chunk (from 1) of a ReMa table read gets a wrong checksum
    int remaCountFault = 0;          // a ReMa table request: 1 gets no answer, 2 an answer without a count
    int remaRefuseLine = 0;          // this entry line (from 1) of a ReMa table write is refused
    int silentAfter = 0;    // answers this many commands, then never again (0 = no limit)
    // Holding registers that start with a word of their own, whatever the
    // limits say (a unit may hold a marker such as -420 the bus cannot write).
    std::vector<std::pair<uint16_t, uint16_t>> holdings;
};

class CSimUnit
{
public:
    using Clock = std::chrono::steady_clock;
    // Receives one download frame: the bytes from 0x01 up to and including
    // the 0x0A that ended it.
    using FrameHandler = std::function<void(const uint8_t* data, std::size_t length)>;

    static constexpr int kObjectCount = 64;
    // Seeded objects besides the regular ones (object i: analogue value
    // 20 + i/2, analogue input 21.25 + i, integer value 10 i, binary value
    // set for odd i, binary input set for even i, time "12:30:00", date-time
    // "24.12.2026 10:15:00", character string "Room i"): the integer value
    // -5 and a 61-character string.
    static constexpr int kSetpointShiftObject = 5;
    static constexpr int kDescriptionObject = 9;
    static constexpr std::size_t kMaxLine = 8192;
    static constexpr const char* kJunkLine = "?? adapter: line noise";

    enum Status { kOk = 0, kMalformed = -1, kUnknown = -2, kReadOnly = -3, kOutOfRange = -4, kLocked = -5 };

    explicit CSimUnit(const SimOptions& options = SimOptions());

    // Bytes from the tool.
    void feed(const uint8_t* data, std::size_t length);
    void feed(const std::string& bytes) { feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()); }
    // Appends the output whose time has come; returns whether any was taken.
    bool takeOutput(std::string& out, Clock::time_point now = Clock::now());
    // When the next queued output falls due; none when nothing is queued.
    std::optional<Clock::time_point> nextDue() const;

    // One command line (no CR LF) -> its reply line (no CR LF), "" = none.
    // No faults are applied here.
    std::string execute(const std::string& line);

    // ---- hook for the download protocol ----
    void setFrameHandler(FrameHandler handler) { m_frameHandler = std::move(handler); }
    // Queues bytes for the tool at once, untouched (no delay, no junk).
    void writeRaw(const uint8_t* data, std::size_t length);
    // The unit restarts: for ms milliseconds it ignores every byte and sends
    // nothing (output queued before the call still goes out).
    void goSilent(int ms);
    bool isSilent(Clock::time_point now = Clock::now()) const { return now < m_silentUntil; }

    // ---- stores ----
    RegisterCatalogue& catalogue() { return m_catalogue; }
    uint16_t holding(uint16_t address) const { return m_catalogue.Holding(address).value; }
    void setHolding(uint16_t address, uint16_t value) { m_catalogue.Holding(address).value = value; }
    void setFirmware(uint16_t version) { setHolding(Reg::Firmware, version); }
    bool unlocked() const { return m_unlocked; }
    // The ReMa table in force for a kind: c -> d (0 = nothing at c).
    const std::map<uint16_t, uint16_t>& remap(RegisterTableKind kind) const { return m_remap[static_cast<int>(kind)]; }

    // Every line received ("RX ...") and sent ("TX ..."), bytes outside
    // printable ASCII as \xNN, flushed line by line. Null = none.
    void setTranscript(std::FILE* file) { m_transcript = file; }

    const SimOptions& options() const { return m_options; }

private:
    struct Pending
    {
        Clock::time_point due;
        std::string bytes;
    };
    void handleLine(const std::string& raw);
    void queueReply(std::string line);
    void record(const char* direction, const std::string& bytes);
    bool writable(std::string* reply, const char* function, uint16_t number, const std::string& value);

    std::string readHolding(uint16_t a, bool special);
    // The sensor readings drift a little around their start values, so that
    // every read shows a live room.
    void moveReadings(Clock::time_point now);
    std::string writeHoldings(const std::string& args, bool special);
    std::string readInput(uint16_t a);
    std::string readCoil(uint16_t a);
    std::string writeCoil(const std::string& args);

    // ReMa: the table command of kind k (0 holding, 1 input, 2 coil).
    std::string remaCommand(int kind, bool write, const std::string& args);
    // The register a bus address reaches through the kind's table; none
    // when the table takes the address's register away.
    std::optional<uint16_t> reached(RegisterTableKind kind, uint16_t address) const;

    SimOptions m_options;
    RegisterCatalogue m_catalogue;
    Clock::time_point m_start = Clock::now();
    std::vector<double> m_av, m_ai;
    std::vector<int16_t> m_iv;
    std::vector<bool> m_bv, m_bi;
    std::vector<std::string> m_tv, m_dtv;
    std::vector<std::vector<uint16_t>> m_csv;
    bool m_unlocked = false;
    // Per kind: c -> d of the table in force, and of the one being written.
    std::map<uint16_t, uint16_t> m_remap[3];
    std::map<uint16_t, uint16_t> m_remapPending[3];
    bool m_remapWriting[3] = {false, false, false};
    int m_remapLines[3] = {0, 0, 0}; // entry lines of the table write under way
    long m_commands = 0; // command lines received

    std::string m_line;
    std::deque<Pending> m_out;
    Clock::time_point m_silentUntil{};
    long m_replies = 0;
    std::size_t m_commandBytes = 0; // the last command line as received, for the wire-speed emulation
    FrameHandler m_frameHandler;
    std::FILE* m_transcript = nullptr;
};
