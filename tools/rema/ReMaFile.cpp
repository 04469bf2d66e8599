#include "tools/rema/ReMaFile.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ReMa {
namespace {

// The export's bar counts the customized address against the holding
// table's size, also for the smaller tables.
constexpr int kExportProgressScale = RegisterCatalogue::kHoldingCount;
// The date and time parts of the BACnet date-time object.
constexpr uint32_t kDateTimeFirst = 2019;
constexpr uint32_t kDateTimeLast = 2023;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

int Percent(long long part, long long whole)
{
    if (whole <= 0)
        return 100;
    const long long p = (part * 100 + whole / 2) / whole;
    return static_cast<int>(std::clamp<long long>(p, 0, 100));
}

// Whether the register d may stand in a file of this table.
bool Exportable(const RegisterCatalogue& catalogue, int selector, uint32_t d)
{
    return d >= 1 && d <= static_cast<uint32_t>(MaxRegister(selector)) &&
           catalogue.IsUsed(SelectorOf(selector).kind, d);
}

// A small reader of the entry line's two patterns, the way the line has
// always been read: literal characters match themselves, a blank matches
// any run of white space (also none); numbers skip leading white space.
class Scanner
{
public:
    explicit Scanner(const std::string& text) : m_text(text) {}
    bool literal(const char* pattern)
    {
        for (const char* p = pattern; *p; ++p) {
            if (*p == ' ') {
                skipSpace();
                continue;
            }
            if (m_pos >= m_text.size() || m_text[m_pos] != *p)
                return false;
            ++m_pos;
        }
        return true;
    }
    // An unsigned decimal number (an optional sign wraps it, as a C read does).
    bool decimal(uint32_t* out)
    {
        skipSpace();
        bool negative = false;
        if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-'))
            negative = m_text[m_pos++] == '-';
        uint32_t v = 0;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
            v = v * 10u + static_cast<uint32_t>(m_text[m_pos++] - '0');
        if (m_pos == start)
            return false;
        *out = negative ? 0u - v : v;
        return true;
    }
    // Up to four hexadecimal digits.
    bool hex4(uint32_t* out)
    {
        skipSpace();
        uint32_t v = 0;
        int digits = 0;
        while (digits < 4 && m_pos < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[m_pos]))) {
            const char c = m_text[m_pos++];
            v = v * 16u + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                                          : (std::tolower(c) - 'a' + 10));
            ++digits;
        }
        if (digits == 0)
            return false;
        *out = v;
        return true;
    }

private:
    void skipSpace()
    {
        while (m_pos < m_text.size() && IsSpace(m_text[m_pos]))
            ++m_pos;
    }
    const std::string& m_text;
    std::size_t m_pos = 0;
};

bool ParseTextEntry(const std::string& line, uint32_t* c, uint32_t* d)
{
    Scanner s(line);
    if (line.find("0x") != std::string::npos)
        return s.literal("Fav: 0x") && s.hex4(c) && s.literal("; Addr: 0x") && s.hex4(d);
    return s.literal("Fav: ") && s.decimal(c) && s.literal("; Addr: ") && s.decimal(d);
}

// Where the header ends, or npos when the file does not start with it.
// Text files take any white space (or none) for its line end. A binary
// file's header ends in exactly CR LF: the entries after it are raw bytes,
// and a customized address such as 32 starts with a byte that looks like
// white space.
std::size_t HeaderEnd(const std::string& bytes, const std::string& header, FileFormat format)
{
    if (bytes.compare(0, header.size(), header) != 0)
        return std::string::npos;
    std::size_t pos = header.size();
    if (format == FileFormat::Binary)
        return bytes.compare(pos, 2, "\r\n") == 0 ? pos + 2 : std::string::npos;
    while (pos < bytes.size() && IsSpace(bytes[pos]))
        ++pos;
    return pos;
}

} // namespace

bool FileCanName(const RegisterCatalogue& catalogue, int selector, int protocol, uint32_t d)
{
    if (!Exportable(catalogue, selector, d))
        return false;
    const Selector& s = SelectorOf(selector);
    if (protocol != kProtocolBacnet || s.kind != RegisterTableKind::Holding)
        return true;
    const RegisterEntry* e = catalogue.Entry(s.kind, d);
    return !((d >= kDateTimeFirst && d <= kDateTimeLast) || e->textPart == 2 || e->textPart == 3);
}

FileFormat FormatOfName(const std::string& fileName)
{
    if (fileName.size() >= 4) {
        std::string ext = fileName.substr(fileName.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return std::tolower(ch); });
        if (ext == ".bin")
            return FileFormat::Binary;
    }
    return FileFormat::Text;
}

std::string ExportTable(RegisterCatalogue& catalogue, int selector, int protocol, const uint32_t* map,
                        FileFormat format, const Progress& progress)
{
    const Selector& s = SelectorOf(selector);
    std::string out = HeaderText(selector, protocol) + "\r\n";
    for (int c = 1; c < s.size; ++c) {
        if (progress)
            progress(Percent(c, kExportProgressScale));
        const uint32_t d = MappedOf(map[c]);
        if (!FileCanName(catalogue, selector, protocol, d))
            continue;
        const RegisterEntry* e = catalogue.Entry(s.kind, d);
        if (format == FileFormat::Binary) {
            const char entry[4] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8),
                                   static_cast<char>(d & 0xFF), static_cast<char>(d >> 8)};
            out.append(entry, 4);
        } else {
            out += "Fav: " + std::to_string(c) + "; Addr: " + std::to_string(d) + "; Des: " + e->name + "\r\n";
        }
    }
    if (progress)
        progress(100);
    return out;
}

ImportResult ImportTable(const std::string& bytes, const RegisterCatalogue& catalogue, int selector, int protocol,
                         FileFormat format, std::vector<uint32_t>& out, const Progress& progress,
                         const uint32_t* current)
{
    const Selector& s = SelectorOf(selector);
    out.assign(static_cast<std::size_t>(s.size), 0);
    for (int c = 0; c < s.size; ++c) {
        const uint32_t keep = current ? MappedOf(current[c]) : kUnmapped;
        const bool unnamed = keep != kUnmapped && !FileCanName(catalogue, selector, protocol, keep);
        out[static_cast<std::size_t>(c)] = Word(unnamed ? keep : kUnmapped, static_cast<uint32_t>(c));
    }
    std::size_t pos = HeaderEnd(bytes, HeaderText(selector, protocol), format);
    if (pos == std::string::npos)
        return {Result::RemaWrongHeader, 1};
    const auto take = [&](uint32_t c, uint32_t d) {
        if (Exportable(catalogue, selector, d) && c < static_cast<uint32_t>(s.size))
            out[c] = Word(d, c);
    };
    const long long size = static_cast<long long>(bytes.size());
    // Lines count from the header's (text files: the header and any blank
    // lines after it were taken together).
    int line = 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(pos), '\n'));
    while (pos < bytes.size()) {
        if (format == FileFormat::Binary) {
            if (bytes.size() - pos < 4)
                return {Result::RemaShortEntry, 0};
            const auto b = [&](std::size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos + i])); };
            take(b(0) | b(1) << 8, b(2) | b(3) << 8);
            pos += 4;
        } else {
            std::size_t end = bytes.find('\n', pos);
            end = end == std::string::npos ? bytes.size() : end + 1;
            const std::string text = bytes.substr(pos, end - pos);
            pos = end;
            const bool blank = std::all_of(text.begin(), text.end(), IsSpace);
            uint32_t c = 0, d = 0;
            // A blank line (an editor's last line) holds no entry and no fault.
            if (!blank) {
                if (!ParseTextEntry(text, &c, &d))
                    return {Result::RemaBadLine, line};
                take(c, d);
            }
            ++line;
        }
        if (progress)
            progress(Percent(static_cast<long long>(pos), size));
    }
    if (progress)
        progress(100);
    return {Result::Ok, 0};
}

int SaveTableFile(const std::string& path, RegisterCatalogue& catalogue, int selector, int protocol,
                  const uint32_t* map, const Progress& progress)
{
    const std::string bytes = ExportTable(catalogue, selector, protocol, map, FormatOfName(path), progress);
    std::ofstream file(LocalSystem::Utf8Path(path), std::ios::binary | std::ios::trunc);
    if (!file)
        return Result::RemaFileNotOpened;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return file ? Result::Ok : Result::RemaFileNotWritten;
}

ImportResult LoadTableFile(const std::string& path, const RegisterCatalogue& catalogue, int selector, int protocol,
                           std::vector<uint32_t>& out, const Progress& progress, const uint32_t* current)
{
    std::ifstream file(LocalSystem::Utf8Path(path), std::ios::binary);
    if (!file)
        return {Result::RemaFileNotOpened, 0};
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad())
        return {Result::RemaFileNotOpened, 0};
    return ImportTable(content.str(), catalogue, selector, protocol, FormatOfName(path), out, progress, current);
}

std::string FileErrorText(const ImportResult& result, const std::string& path)
{
    switch (result.code) {
    case Result::Ok: return "Done";
    case Result::RemaFileNotOpened: return "Error: cannot open " + path;
    case Result::RemaWrongHeader: return "Error: " + path + " holds no table of this kind (wrong header)";
    case Result::RemaBadLine:
        return "Error: line " + std::to_string(result.line) + " of " + path + " is no table entry";
    case Result::RemaShortEntry: return "Error: " + path + " ends inside an entry";
    case Result::RemaFileNotWritten: return "Error: " + path + " could not be written completely";
    default: return "Error: " + path + ": " + ResultText(result.code);
    }
}

} // namespace ReMa
