#include "tools/config/ConfigFile.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/CAtomicFile.h"

#include <cstdio>
#include <iterator>

namespace ConfigFile {

namespace {

constexpr Category kCategories[] = {
    {"Common", "common", 2000, 2299},
    {"Sensors", "sensors", 2300, 3599},
    {"Room Climate", "room-climate", 3600, 3899},
    {"Inputs", "inputs", 3900, 4199},
    {"Sun Protect", "sun-protect", 4200, 5299},
    {"Lights", "lights", 5300, 6999},
    {"Time programs", "time-programs", 7000, 7999},
    {"Controller", "controller", 8000, 8999},
};

constexpr uint16_t kFactoryReset = 2014;
constexpr uint16_t kFirstDateTime = 2018;
constexpr uint16_t kLastDateTime = 2023;

bool IsSpace(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void PutLe(uint8_t* at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A small formatted scan over one text line, the way the C library's scan
// reads "Addr: %u; Val: %u;": ordinary characters must match, a blank in
// the pattern matches any run of white space (none too), a number skips
// white space first and takes an optional sign.
class LineScan
{
public:
    explicit LineScan(std::string_view text) : m_text(text) {}

    bool literal(std::string_view pattern)
    {
        for (char p : pattern) {
            if (p == ' ') {
                skipSpace();
                continue;
            }
            if (m_pos >= m_text.size() || m_text[m_pos] != p)
                return false;
            ++m_pos;
        }
        return true;
    }
    // %u (base 10, no width) or %04X (base 16, at most four characters).
    bool number(int base, std::size_t width, uint32_t* out)
    {
        skipSpace();
        std::size_t used = 0;
        bool negative = false;
        if (m_pos < m_text.size() && (m_text[m_pos] == '-' || m_text[m_pos] == '+') && used < width) {
            negative = m_text[m_pos] == '-';
            ++m_pos;
            ++used;
        }
        uint64_t value = 0;
        bool any = false;
        while (m_pos < m_text.size() && used < width) {
            const int digit = Digit(m_text[m_pos], base);
            if (digit < 0)
                break;
            if (value <= 0xFFFFFFFFull)
                value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
            ++m_pos;
            ++used;
            any = true;
        }
        if (!any)
            return false;
        // As the C library's unsigned conversion: too large saturates, a
        // minus sign wraps around.
        uint32_t v = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
        if (negative)
            v = 0u - v;
        *out = v;
        return true;
    }

private:
    static int Digit(char c, int base)
    {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        return d < base ? d : -1;
    }
    void skipSpace()
    {
        while (m_pos < m_text.size() && IsSpace(static_cast<uint8_t>(m_text[m_pos])))
            ++m_pos;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

std::span<const Category> Categories()
{
    return kCategories;
}

bool IsProtected(uint32_t address)
{
    return address == Reg::SaveToNvram || address == kFactoryReset ||
           (address >= kFirstDateTime && address <= kLastDateTime);
}

bool IsExportable(const RegisterCatalogue& catalogue, uint32_t address)
{
    if (address < kFirstExportable || address > kLastExportable || IsProtected(address))
        return false;
    const RegisterEntry* e = catalogue.Entry(RegisterTableKind::Holding, address);
    return e && e->used == 1 && e->readOnly == 0;
}

bool InRanges(std::span<const Range> ranges, uint32_t address)
{
    for (const Range& r : ranges)
        if (address >= r.first && address <= r.last)
            return true;
    return false;
}

RecordCheck CheckRecord(const RegisterCatalogue& catalogue, uint32_t address, uint32_t value)
{
    if (address < kFirstExportable || address > kLastExportable || IsProtected(address))
        return RecordCheck::Unknown;
    const RegisterEntry& entry = catalogue.Holding(static_cast<uint16_t>(address));
    // A number that does not fit 16 bits would be cut to another value: it
    // is outside the limits, whatever its low bits say.
    const auto number = static_cast<int32_t>(value);
    const bool fits = number >= -32768 && number <= 65535;
    if (entry.used != 1)
        return RecordCheck::Unknown;
    if (entry.readOnly)
        return RecordCheck::ReadOnly;
    if (!fits || !catalogue.InRange(address, number))
        return RecordCheck::OutOfLimits;
    return RecordCheck::Accepted;
}

int WriteExportFile(const std::string& path, Format format, const RegisterCatalogue& catalogue,
                    std::span<const Value> values, std::string* error)
{
    CAtomicFile file(path);
    file.write(kHeader.data(), kHeader.size());
    for (const Value& v : values) {
        const RegisterEntry& entry = catalogue.Holding(v.address);
        if (format == Format::Binary) {
            const auto record = BinaryRecord(v.address, v.word, entry);
            file.write(record.data(), record.size());
        } else {
            const std::string line = CsvLine(v.address, v.word, entry.name);
            file.write(line.data(), line.size());
        }
    }
    if (file.keepAs(path))
        return Result::Ok;
    if (error)
        *error = file.error();
    return Result::ExportNotCreated;
}

std::string ToAnsi(std::string_view utf8)
{
    // Code page 1252 agrees with Latin-1 from 0xA0 on; its 0x80..0x9F
    // holds typographic marks, of which the euro sign is the one a name
    // might carry.
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<uint8_t>(utf8[i]);
        uint32_t cp = 0;
        std::size_t n = 1;
        if (c < 0x80)
            cp = c;
        else if ((c & 0xE0) == 0xC0)
            cp = c & 0x1Fu, n = 2;
        else if ((c & 0xF0) == 0xE0)
            cp = c & 0x0Fu, n = 3;
        else if ((c & 0xF8) == 0xF0)
            cp = c & 0x07u, n = 4;
        else
            cp = 0xFFFD;
        bool ok = i + n <= utf8.size();
        for (std::size_t k = 1; ok && k < n; ++k) {
            const auto cc = static_cast<uint8_t>(utf8[i + k]);
            ok = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        i += n;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
            out += static_cast<char>(cp);
        else if (cp == 0x20AC)
            out += static_cast<char>(0x80);
        else
            out += '?';
    }
    return out;
}

std::string CsvLine(uint16_t address, uint16_t value, std::string_view name)
{
    const std::string ansi = ToAnsi(name);
    char head[64];
    std::snprintf(head, sizeof head, "Addr: %u; Val: %u; Des: ", unsigned(address), unsigned(value));
    return head + ansi + "\r\n";
}

std::array<uint8_t, kRecordSize> BinaryRecord(uint16_t address, uint16_t value, const RegisterEntry& entry)
{
    std::array<uint8_t, kRecordSize> r{};
    PutLe(&r[0], address, 2);
    PutLe(&r[2], value, 2);
    PutLe(&r[4], entry.lastReadValue, 2);
    r[6] = entry.readOnly;
    PutLe(&r[10], static_cast<uint32_t>(entry.min), 4);
    PutLe(&r[14], static_cast<uint32_t>(entry.max), 4);
    PutLe(&r[18], entry.used, 2);
    PutLe(&r[20], entry.defaultValue, 2);
    return r;
}

Format FormatOfName(std::string_view path)
{
    if (path.size() < 4)
        return Format::None;
    std::string tail;
    for (char c : path.substr(path.size() - 4))
        tail += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (tail == ".csv")
        return Format::Csv;
    if (tail == ".bin")
        return Format::Binary;
    return Format::None;
}

Format ImportFormat(std::string_view path, Format filterFormat)
{
    const Format byName = FormatOfName(path);
    return byName != Format::None ? byName : filterFormat;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::FILE* file = LocalSystem::OpenForReading(LocalSystem::Utf8Path(path));
    if (!file)
        return false;
    uint8_t chunk[8192];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

std::string ExportPath(std::string_view path, Format filterFormat)
{
    std::string out(path);
    if (filterFormat == Format::Csv && FormatOfName(path) != Format::Csv)
        out += ".csv";
    else if (filterFormat == Format::Binary && FormatOfName(path) != Format::Binary)
        out += ".bin";
    return out;
}

int ParseCsvLine(std::string_view line, uint32_t* address, uint32_t* value)
{
    const bool hex = line.find("0x") != std::string_view::npos;
    LineScan scan(line);
    *address = 0;
    int fields = 0;
    if (!scan.literal(hex ? "Addr: 0x" : "Addr: ") || !scan.number(hex ? 16 : 10, hex ? 4 : SIZE_MAX, address))
        return fields;
    ++fields;
    if (!scan.literal(hex ? "; Val: 0x" : "; Val: ") || !scan.number(hex ? 16 : 10, hex ? 4 : SIZE_MAX, value))
        return fields;
    return ++fields;
}

std::string SkippedRecordLines(const std::vector<uint32_t>& unknown, const std::vector<uint32_t>& readOnly,
                               const std::vector<uint32_t>& outOfLimits, int linesNotUnderstood,
                               bool fileEndedEarly, std::string_view newline)
{
    std::string text;
    const auto skipped = [&](const char* why, const std::vector<uint32_t>& list) {
        if (!list.empty())
            text += std::string(newline) + "Skipped as " + why + ": " + std::to_string(list.size()) + " (" +
                    AddressList(list) + ").";
    };
    skipped("unknown", unknown);
    skipped("read-only", readOnly);
    skipped("outside the limits", outOfLimits);
    if (linesNotUnderstood > 0)
        text += std::string(newline) + "Lines not understood: " + std::to_string(linesNotUnderstood) + ".";
    if (fileEndedEarly)
        text += std::string(newline) + "Reading stopped at a record without a value or cut short; the rest was not read.";
    return text;
}

} // namespace ConfigFile
