// The configuration file of the export and import: which registers belong
// in it, and its two formats, byte for byte.
//
// Both formats start with the header "Orvelant 4000 Export\r\n" (ASCII, no
// byte-order mark, no terminating zero). Then either
//   text (.csv): one line per register, "Addr: %u; Val: %u; Des: %s\r\n"
//     (value as the unsigned 16-bit word, the description in the Windows
//     ANSI code page); the reader also takes "Addr: 0x%04X; Val: 0x%04X;";
//   binary (.bin): one 26-byte little-endian record per register:
//      0 u16 address        2 u16 value          4 u16 last read value
//      6 u8  read-only      7 3 bytes unused    10 s32 lower limit
//     14 s32 upper limit   18 u16 present       20 u16 default value
//     22 4 bytes unused (written as zero, ignored on reading).
//
// CConfigFileReader reads such a file record by record.
//
// Thread rules: pure functions and a reader object without shared state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class RegisterCatalogue;
struct RegisterEntry;

namespace ConfigFile {

constexpr std::string_view kHeader = "Orvelant 4000 Export\r\n";
constexpr std::size_t kRecordSize = 26;
// A text line is read up to this many characters (its line feed included).
constexpr std::size_t kMaxLine = 1023;
// The holding registers an export may hold.
constexpr uint16_t kFirstExportable = 2000;
constexpr uint16_t kLastExportable = 9999;

enum class Format { None, Csv, Binary };

// An export category: its check box caption, its tavemo-cli word and its
// inclusive address range.
struct Category
{
    const char* caption;
    const char* key;
    uint16_t first;
    uint16_t last;
};
std::span<const Category> Categories();

struct Range
{
    uint16_t first;
    uint16_t last;
};

// The registers that never travel in a file: "Save To NVRAM", "Factory
// Reset" and the unit's date and time (they act, they do not configure).
bool IsProtected(uint32_t address);
// Holding 2000..9999, not protected, present on the unit and writable.
bool IsExportable(const RegisterCatalogue& catalogue, uint32_t address);
bool InRanges(std::span<const Range> ranges, uint32_t address);

// What the import does with a record: takes it, or skips it as unknown (not
// a configuration register, or not present on this unit), read-only, or
// outside the limits (a value that does not fit a 16-bit register, below
// -32768 or above 65535, is outside them too). value is the file's number
// as read (a minus sign wrapped around, as the C library reads it).
enum class RecordCheck { Accepted, Unknown, ReadOnly, OutOfLimits };
RecordCheck CheckRecord(const RegisterCatalogue& catalogue, uint32_t address, uint32_t value);

// The lines a summary gives about the records of a file that were not
// taken: skipped as unknown, read-only or outside the limits (with their
// addresses), lines not understood, a file cut short. Each line starts with
// newline ("\r\n" in the window's messages, "\n" on a terminal).
std::string SkippedRecordLines(const std::vector<uint32_t>& unknown, const std::vector<uint32_t>& readOnly,
                               const std::vector<uint32_t>& outOfLimits, int linesNotUnderstood,
                               bool fileEndedEarly, std::string_view newline);

// One register of a file being written.
struct Value
{
    uint16_t address;
    uint16_t word;
};
// Writes a whole export file of these registers, in the order given, with
// the catalogue's names and fields, as the export does: beside the target
// and renamed over it at the end. Ok, or ExportNotCreated with the system's
// words in *error.
int WriteExportFile(const std::string& path, Format format, const RegisterCatalogue& catalogue,
                    std::span<const Value> values, std::string* error);

// UTF-8 text in the Windows ANSI code page (1252); characters it lacks become '?'.
std::string ToAnsi(std::string_view utf8);

std::string CsvLine(uint16_t address, uint16_t value, std::string_view name);
std::array<uint8_t, kRecordSize> BinaryRecord(uint16_t address, uint16_t value, const RegisterEntry& entry);

// The format of a file name's extension (".csv", ".bin", any case); None otherwise.
Format FormatOfName(std::string_view path);

// The import's format: the file name's extension when it is ".csv" or
// ".bin", else the format of the filter chosen in the file dialog (None for
// "All (*.*)").
Format ImportFormat(std::string_view path, Format filterFormat);
// The export's file name: ".csv" or ".bin" appended unless the name ends so
// (any case); the format is the filter's.
std::string ExportPath(std::string_view path, Format filterFormat);

// The whole file to import, named in UTF-8; false when it cannot be read
// (missing, a folder, no permission, a read error).
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// A message lists at most this many addresses; the rest is counted.
constexpr std::size_t kListedAddresses = 20;
// "2001, 2002, ..." up to kListedAddresses, then " and N more".
template <class T> std::string AddressList(const std::vector<T>& addresses)
{
    std::string out;
    for (std::size_t i = 0; i < addresses.size() && i < kListedAddresses; ++i)
        out += (i ? ", " : "") + std::to_string(addresses[i]);
    if (addresses.size() > kListedAddresses)
        out += " and " + std::to_string(addresses.size() - kListedAddresses) + " more";
    return out;
}

// One record as the reader found it.
struct Record
{
    // Fields parsed: 2 a whole record; 1 or 0 a text line only partly or
    // not understood; -1 a binary record cut short.
    int parsed = 0;
    uint32_t address = 0; // 0 when none was parsed
    uint32_t value = 0;
    bool blank = false;   // a text line of white space only
};


// Parses one text line as the import does: the hexadecimal form when the
// line holds "0x", else the decimal one. Returns the fields parsed (0..2).
int ParseCsvLine(std::string_view line, uint32_t* address, uint32_t* value);

} // namespace ConfigFile
