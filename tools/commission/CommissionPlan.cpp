#include "tools/commission/CommissionPlan.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "model/TextNumber.h"
#include "pages/core/CCommonLogic.h"
#include "tools/config/ConfigFile.h"
#include "tools/config/ConfigSource.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace Commission {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// One line split at the separator. A field in double quotes may hold the
// separator, and "" inside it stands for one quote, as spreadsheets write it.
// False when a quote is left open.
bool SplitFields(std::string_view line, char separator, std::vector<std::string>& fields)
{
    fields.clear();
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && Trim(field).empty()) {
            field.clear();
            quoted = wasQuoted = true;
        } else if (c == separator) {
            fields.emplace_back(wasQuoted ? field : std::string(Trim(field)));
            field.clear();
            wasQuoted = false;
        } else if (!wasQuoted) {
            field += c;
        }
    }
    if (quoted)
        return false;
    fields.emplace_back(wasQuoted ? field : std::string(Trim(field)));
    return true;
}

// A whole decimal number of the text and nothing else.
std::optional<int32_t> WholeNumber(std::string_view text)
{
    const TextNumber::Result r = TextNumber::Parse(text, {.skipBlanks = false});
    if (r.digits == 0 || r.end != text.size())
        return std::nullopt;
    return r.value;
}

} // namespace

// The registers the Common page writes with the special commands; its
// protocol row is special too, but it is no bus setting: switching it
// reboots the unit into another protocol.
bool IsBusSetting(uint16_t address)
{
    if (address == CCommonLogic::kProtocolRegister)
        return false;
    for (const Page::Row& row : CCommonLogic::PageDescription().rows)
        if (row.address == address && row.access == Page::Access::Special)
            return true;
    return false;
}

namespace {

// Why a template cannot be a unit's plan: not an export file, or one that
// is not read whole (a damaged line would leave the unit with part of its
// plan); "" when it can.
std::string TemplateProblem(const std::filesystem::path& path)
{
    std::vector<uint8_t> bytes;
    const std::string name = LocalSystem::Utf8String(path);
    if (!ConfigFile::ReadWholeFile(name, bytes))
        return "cannot be read";
    const bool binary = ConfigFile::FormatOfName(name) == ConfigFile::Format::Binary;
    const ConfigSource source =
        ConfigSources::FromFile(bytes, binary ? ConfigFile::Format::Binary : ConfigFile::Format::Csv, {});
    if (source.result == Result::NotAnExportFile)
        return "is not an export file";
    if (!source.notReadWhole.empty())
        return "is damaged: " + source.notReadWhole;
    return {};
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// The overrides of one row; a problem's reason when one is bad.
std::optional<std::string> ParseOverrides(std::string_view text, const RegisterCatalogue& catalogue,
                                          std::vector<Override>& out)
{
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        if (at == text.size())
            break;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t')
            ++end;
        const std::string_view item = text.substr(at, end - at);
        at = end;

        const std::size_t eq = item.find('=');
        const auto address = eq == std::string_view::npos ? std::nullopt : WholeNumber(item.substr(0, eq));
        const auto value = eq == std::string_view::npos ? std::nullopt : WholeNumber(item.substr(eq + 1));
        if (!address || !value || *address < 1 || *address > 65535)
            return "set: " + Quoted(item) + " is not ADDR=VALUE";
        const auto a = static_cast<uint16_t>(*address);
        if (a == CCommonLogic::kProtocolRegister)
            return "set: the protocol (" + std::to_string(a) +
                   ") cannot be set from a plan: switching it reboots the unit";
        if (*value < -32768 || *value > 65535)
            return "set: the value of " + Quoted(item) + " is not a 16-bit number";
        if (!catalogue.IsUsed(RegisterTableKind::Holding, a))
            return "set: register " + std::to_string(a) + " does not exist";
        const RegisterEntry& entry = *catalogue.Entry(RegisterTableKind::Holding, a);
        const bool special = IsBusSetting(a);
        if (ConfigFile::IsProtected(a))
            return "set: register " + std::to_string(a) + " (" + entry.name + ") acts on the unit; it is not a setting";
        if (entry.readOnly && !special)
            return "set: register " + std::to_string(a) + " (" + entry.name + ") is read-only";
        if (!catalogue.InRange(a, *value))
            return "set: value " + std::to_string(*value) + " out of range [" + std::to_string(entry.min) + ";" +
                   std::to_string(entry.max) + "] of register " + std::to_string(a) + " (" + entry.name + ")";
        if (std::any_of(out.begin(), out.end(), [a](const Override& o) { return o.address == a; }))
            return "set: register " + std::to_string(a) + " is given twice";
        out.push_back({a, *value, special});
    }
    return std::nullopt;
}

Plan Refused(int line, std::string reason)
{
    Plan plan;
    plan.problem = PlanProblem{line, std::move(reason)};
    return plan;
}

} // namespace

std::string RoomFileName(const std::string& room)
{
    std::string name = room;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 32 ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    // Never a hidden file ("../x" would be ".._x"), and never a name that
    // Windows shortens: it drops dots and blanks at the end.
    for (std::size_t i = 0; i < name.size() && name[i] == '.'; ++i)
        name[i] = '_';
    for (std::size_t i = name.size(); i > 0 && (name[i - 1] == '.' || name[i - 1] == ' '); --i)
        name[i - 1] = '_';
    // Windows opens its devices under these names, whatever the extension.
    std::string upper = name.substr(0, name.find('.'));
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    const bool numbered = upper.size() == 4 && (upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0) &&
                          upper[3] >= '1' && upper[3] <= '9';
    if (numbered || std::find(std::begin(kDevices), std::end(kDevices), upper) != std::end(kDevices))
        name = "_" + name;
    return name;
}

Plan ParsePlan(std::string_view text, const std::filesystem::path& folder, const RegisterCatalogue& catalogue)
{
    // Spreadsheets on Windows start a UTF-8 file with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    Plan plan;
    char separator = 0;
    int roomColumn = -1, typeColumn = -1, templateColumn = -1, setColumn = -1;
    std::map<std::string, int> roomLines;
    // The rooms by the files they are written to, the case folded: Windows
    // takes "A1.json" and "a1.json" for one file.
    std::map<std::string, std::pair<std::string, int>> fileRooms; // room and line
    std::vector<std::string> fields;
    int lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trim(text.substr(at, end - at));
        at = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;

        if (separator == 0) {
            const std::size_t comma = line.find(','), semicolon = line.find(';');
            separator = semicolon < comma ? ';' : ',';
            if (!SplitFields(line, separator, fields))
                return Refused(lineNumber, "the header line has an open quote");
            for (std::size_t i = 0; i < fields.size(); ++i) {
                // A spreadsheet may have capitalised the names.
                std::string name = fields[i];
                for (char& c : name)
                    if (c >= 'A' && c <= 'Z')
                        c = static_cast<char>(c - 'A' + 'a');
                int* column = name == "room"          ? &roomColumn
                              : name == "device_type" ? &typeColumn
                              : name == "template"    ? &templateColumn
                              : name == "set"         ? &setColumn
                                                      : nullptr;
                if (!column)
                    continue; // a column of the installer's own
                if (*column >= 0)
                    return Refused(lineNumber, "the column " + Quoted(name) + " is there twice");
                *column = static_cast<int>(i);
            }
            if (roomColumn < 0)
                return Refused(lineNumber, "the header line has no \"room\" column");
            continue;
        }

        if (!SplitFields(line, separator, fields))
            return Refused(lineNumber, "a quote is left open");
        const auto field = [&fields](int column) -> std::string {
            return column >= 0 && static_cast<std::size_t>(column) < fields.size() ? fields[column] : std::string();
        };
        PlanRow row;
        row.line = lineNumber;
        row.room = field(roomColumn);
        if (row.room.empty())
            return Refused(lineNumber, "no room");
        if (const auto seen = roomLines.find(row.room); seen != roomLines.end())
            return Refused(lineNumber, "room " + Quoted(row.room) + " is already on line " +
                                           std::to_string(seen->second));
        roomLines.emplace(row.room, lineNumber);
        std::string fileKey = RoomFileName(row.room);
        for (char& c : fileKey)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (const auto other = fileRooms.find(fileKey); other != fileRooms.end())
            return Refused(lineNumber, "room " + Quoted(row.room) +
                                           " would be written to the same files as room " +
                                           Quoted(other->second.first) + " on line " +
                                           std::to_string(other->second.second) + " (" +
                                           RoomFileName(row.room) + ".json): rename one of them");

        if (const std::string type = field(typeColumn); !type.empty()) {
            const auto code = WholeNumber(type);
            if (!code || *code < 0 || *code > 65535)
                return Refused(lineNumber, "device_type " + Quoted(type) + " is not a number from 0 to 65535");
            row.deviceType = *code;
        }
        if (const std::string name = field(templateColumn); !name.empty()) {
            const std::filesystem::path path = LocalSystem::Utf8Path(name);
            row.templatePath = path.is_absolute() ? path : folder / path;
            std::error_code error;
            if (!std::filesystem::is_regular_file(row.templatePath, error))
                return Refused(lineNumber, "template file " + Quoted(name) + " is missing");
            if (const std::string problem = TemplateProblem(row.templatePath); !problem.empty())
                return Refused(lineNumber, "template file " + Quoted(name) + " " + problem);
        }
        if (const auto problem = ParseOverrides(field(setColumn), catalogue, row.overrides))
            return Refused(lineNumber, *problem);
        fileRooms.emplace(fileKey, std::pair{row.room, row.line});
        plan.rows.push_back(std::move(row));
    }
    if (separator == 0)
        return Refused(0, "the plan has no header line");
    return plan;
}

Plan ReadPlan(const std::string& path, const RegisterCatalogue& catalogue)
{
    std::vector<uint8_t> bytes;
    if (!ConfigFile::ReadWholeFile(path, bytes))
        return Refused(0, "the plan " + Quoted(path) + " cannot be read");
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return ParsePlan(text, LocalSystem::Utf8Path(path).parent_path(), catalogue);
}

std::string ProblemText(const PlanProblem& problem)
{
    if (problem.line == 0)
        return problem.reason;
    return "line " + std::to_string(problem.line) + ": " + problem.reason;
}

} // namespace Commission
