#include "tools/config/ConfigSource.h"

#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/CConfigExport.h"
#include "tools/config/CConfigFileReader.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"

#include <algorithm>

namespace {

constexpr uint32_t kFirstTableEnd = 10000; // a record from here on ends a file

} // namespace

const SourceValue* ConfigSource::find(uint32_t address) const
{
    const auto it = std::lower_bound(values.begin(), values.end(), address,
                                     [](const SourceValue& v, uint32_t a) { return v.address < a; });
    return it != values.end() && it->address == address ? &*it : nullptr;
}

void ConfigSource::set(const SourceValue& value)
{
    const auto it = std::lower_bound(values.begin(), values.end(), value.address,
                                     [](const SourceValue& v, uint32_t a) { return v.address < a; });
    if (it != values.end() && it->address == value.address)
        *it = value;
    else
        values.insert(it, value);
}

std::vector<uint32_t> ConfigSource::addresses() const
{
    std::vector<uint32_t> out;
    out.reserve(values.size());
    for (const SourceValue& v : values)
        out.push_back(v.address);
    return out;
}

namespace ConfigSources {

namespace {

// The word the import would write for a file's number; a number that does
// not fit 16 bits stays as it is (it is outside the limits).
uint32_t Word(uint32_t value)
{
    const auto number = static_cast<int32_t>(value);
    return number >= -32768 && number < 0 ? static_cast<uint16_t>(number) : value;
}

// Where a record starts, as the user finds it: "line 4" of a text file
// (counted from the header's line), "record 3" of a binary one.
std::string Where(std::span<const uint8_t> bytes, ConfigFile::Format format, std::size_t start)
{
    if (format == ConfigFile::Format::Binary) {
        const std::size_t header = ConfigFile::kHeader.size();
        return "record " + std::to_string((start > header ? start - header : 0) / ConfigFile::kRecordSize + 1);
    }
    std::size_t line = 1;
    for (std::size_t i = 0; i < start && i < bytes.size(); ++i)
        line += bytes[i] == '\n' ? 1 : 0;
    return "line " + std::to_string(line);
}

// A text line for a message: without its line end, at most kShownLine
// characters, the ANSI code page's letters as UTF-8 and anything else that
// a terminal could take for a control as '?'.
std::string Quoted(std::span<const uint8_t> bytes, std::size_t start)
{
    constexpr std::size_t kShownLine = 60;
    std::string text = "\"";
    std::size_t i = start;
    for (; i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n' && i - start < kShownLine; ++i) {
        const uint8_t c = bytes[i];
        if (c >= 0xA0) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
        }
    }
    if (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
        text += "...";
    return text + "\"";
}

bool OnlyBlanksFrom(std::span<const uint8_t> bytes, std::size_t start)
{
    for (std::size_t i = start; i < bytes.size(); ++i)
        if (bytes[i] != ' ' && bytes[i] != '\t' && bytes[i] != '\r' && bytes[i] != '\n')
            return false;
    return true;
}

} // namespace

ConfigSource FromFile(std::span<const uint8_t> bytes, ConfigFile::Format format, std::string label)
{
    ConfigSource source;
    source.label = std::move(label);
    ConfigFile::CConfigFileReader reader(bytes, format);
    if (!reader.readHeader()) {
        source.result = Result::NotAnExportFile;
        return source;
    }
    const bool binary = format == ConfigFile::Format::Binary;
    // The first reason only: what follows it may be read wrongly anyway.
    const auto notWhole = [&](std::size_t start, const std::string& why) {
        if (source.notReadWhole.empty())
            source.notReadWhole = Where(bytes, format, start) + " " + why;
    };
    ConfigFile::Record record;
    for (std::size_t start = reader.position(); reader.next(record); start = reader.position()) {
        const uint32_t a = record.address;
        if (record.parsed < 0) {
            source.fileEndedEarly = true;
            notWhole(start, "is cut short (" + std::to_string(bytes.size() - start) + " of " +
                                std::to_string(ConfigFile::kRecordSize) + " bytes)");
            break;
        }
        if (a < ConfigFile::kFirstExportable || ConfigFile::IsProtected(a)) {
            if (record.parsed == 2) {
                source.set({a, Word(record.value)});
            } else if (!record.blank) {
                ++source.linesNotUnderstood;
                // A line that names a register the import never writes is
                // skipped on purpose, whatever follows the address; one
                // that names none is not understood.
                if (record.parsed == 0)
                    notWhole(start, "is no record: " + Quoted(bytes, start) +
                                        " (expected \"Addr: NUMBER; Val: NUMBER;\")");
            }
            continue;
        }
        if (record.parsed < 2) {
            source.fileEndedEarly = true;
            notWhole(start, "has no value: " + Quoted(bytes, start) + "; the rest of the file was not read");
            break;
        }
        source.set({a, Word(record.value)});
        if (a >= kFirstTableEnd) {
            if (binary ? !reader.atEnd() : !OnlyBlanksFrom(bytes, reader.position()))
                notWhole(start, "names " + std::to_string(a) + (binary ? "" : ": " + Quoted(bytes, start)) +
                                    "; no register lies past 9999, the rest of the file was not read");
            break;
        }
    }
    if (source.fileEndedEarly || source.linesNotUnderstood > 0)
        source.result = Result::ImportIncomplete;
    return source;
}

ConfigSource FromDefaults(const RegisterCatalogue& catalogue, std::span<const uint32_t> addresses)
{
    ConfigSource source;
    source.label = "defaults";
    const auto add = [&](uint32_t a) {
        if (catalogue.IsUsed(RegisterTableKind::Holding, a))
            source.set({a, catalogue.Holding(static_cast<uint16_t>(a)).defaultValue});
    };
    if (addresses.empty()) {
        for (uint32_t a = ConfigFile::kFirstExportable; a <= ConfigFile::kLastExportable; ++a)
            if (ConfigFile::IsExportable(catalogue, a))
                add(a);
    }
    for (uint32_t a : addresses)
        add(a);
    return source;
}

bool Readable(const RegisterCatalogue& catalogue, uint32_t address)
{
    const ConfigFile::RecordCheck check = ConfigFile::CheckRecord(catalogue, address, 0);
    return check != ConfigFile::RecordCheck::Unknown;
}

ConfigSource FromUnit(IConfigUnit& unit, const RegisterCatalogue& catalogue, std::span<const uint32_t> addresses,
                      const ExportPacing& pacing, IConfigProgress& progress, int fromPercent, int toPercent)
{
    ConfigSource source;
    source.label = "unit";
    std::vector<uint16_t> asked;
    for (uint32_t a : addresses)
        if (Readable(catalogue, a))
            asked.push_back(static_cast<uint16_t>(a));
    std::sort(asked.begin(), asked.end());
    asked.erase(std::unique(asked.begin(), asked.end()), asked.end());

    int givenUpInRow = 0;
    bool missing = false;
    // What is left when the reading ends early: asked for, never had.
    const auto notAsked = [&](std::size_t from, int code) {
        for (std::size_t rest = from; rest < asked.size(); ++rest)
            source.values.push_back({asked[rest], 0, false, code});
    };
    for (std::size_t i = 0; i < asked.size(); ++i) {
        if (progress.cancelled()) {
            source.result = Result::JobCancelled;
            notAsked(i, Result::JobCancelled);
            break;
        }
        const auto share = static_cast<int>(i * static_cast<std::size_t>(toPercent - fromPercent) / asked.size());
        progress.showPercent(fromPercent + share);
        uint16_t word = 0;
        const RegisterRead read = CConfigExport::ReadRegister(unit, pacing, asked[i], &word);
        source.values.push_back({asked[i], word, read.have, read.have ? 0 : read.code});
        missing = missing || !read.have;
        givenUpInRow = !read.have && read.silent ? givenUpInRow + 1 : 0;
        if (read.portGone || givenUpInRow >= pacing.lostAfterRegisters) {
            source.result = Result::LinkLost;
            source.portGone = read.portGone;
            notAsked(i + 1, Result::LinkLost);
            break;
        }
    }
    if (source.result == Result::Ok && missing)
        source.result = Result::RegistersMissing;
    progress.showPercent(toPercent);
    return source;
}

} // namespace ConfigSources
