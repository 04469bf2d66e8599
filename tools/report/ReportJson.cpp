#include "tools/report/ReportJson.h"

#include "diag/Result.h"
#include "tools/config/ConfigFile.h"

#include <charconv>
#include <cstdio>

namespace ReportJson {

namespace {

constexpr const char* kFormat = "tavemo-report";
constexpr int kVersion = 1;

std::string Number(long long v)
{
    return std::to_string(v); // integers only: no locale involved
}

} // namespace

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string Render(const Report& r)
{
    std::string j;
    j.reserve(256 + r.registers.size() * 160);
    j += "{\n  \"format\": \"" + std::string(kFormat) + "\",\n  \"version\": " + Number(kVersion) + ",\n";
    j += "  \"created\": " + Quote(r.created) + ",\n";
    j += "  \"technician\": " + Quote(r.technician) + ",\n";
    j += "  \"note\": " + Quote(r.note) + ",\n";
    j += "  \"tool\": " + Quote(r.toolName) + ",\n";
    j += "  \"tool_version\": " + Quote(r.toolVersion) + ",\n";
    const ReportUnit& u = r.unit;
    j += "  \"unit\": {\"device_type\": " + Number(u.deviceType) + ", \"device_name\": " + Quote(u.deviceName) +
         ", \"firmware\": " + Number(u.firmware) + ", \"production_date\": " + Number(u.productionDate) +
         ", \"operation_days\": " + Number(u.operationDays) + ", \"bus_address\": " + Number(u.busAddress) +
         ", \"protocol\": " + (u.protocol < 0 ? std::string("null") : Quote(u.protocol == 1 ? "BACnet" : "Modbus")) +
         ", \"port\": " + Quote(u.port) + ", \"from_unit\": " + (u.fromUnit ? "true" : "false") + "},\n";
    j += "  \"before_file\": " + (r.beforeFile.empty() ? std::string("null") : Quote(r.beforeFile)) + ",\n";
    j += "  \"complete\": " + std::string(r.incomplete.empty() ? "true" : "false") + ",\n";
    if (!r.incomplete.empty())
        j += "  \"incomplete\": " + Quote(r.incomplete) + ",\n";
    j += "  \"registers\": [";
    for (std::size_t i = 0; i < r.registers.size(); ++i) {
        const ReportRegister& g = r.registers[i];
        j += i == 0 ? "\n" : ",\n";
        j += "    {\"address\": " + Number(g.address) + ", \"name\": " + Quote(g.name) +
             ", \"category\": " + Quote(g.category) +
             ", \"value\": " + (g.read && !g.secret ? Number(g.value) : std::string("null")) +
             ", \"default\": " + (g.secret ? std::string("null") : Number(g.defaultValue)) +
             ", \"shown\": " + Quote(g.shown) + ", \"read\": " + (g.read ? "true" : "false") + "}";
    }
    j += r.registers.empty() ? "],\n" : "\n  ],\n";
    j += "  \"changes\": [";
    for (std::size_t i = 0; i < r.changes.size(); ++i) {
        const ReportChange& c = r.changes[i];
        const bool pin = c.address == 2008;
        j += i == 0 ? "\n" : ",\n";
        j += "    {\"time\": " + Quote(c.time) + ", \"address\": " + Number(c.address) + ", \"name\": " + Quote(c.name) +
             ", \"before\": " + (pin ? std::string("null") : Number(c.before)) +
             ", \"after\": " + (pin ? std::string("null") : Number(c.after)) + ", \"result\": " + Number(c.result) + "}";
    }
    j += r.changes.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return j;
}

// ---- reading ----------------------------------------------------------------

namespace {

// Just enough JSON for the report: objects, arrays, strings, integers,
// true, false, null. Depth is bounded so that a hostile file cannot exhaust
// the stack.
struct Value
{
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    long long number = 0;
    bool integral = true;
    std::string text;
    std::vector<Value> items;
    // An object's members as two lists side by side: a vector of a pair
    // holding the struct itself is not allowed while the struct is still
    // being defined (clang rejects it), a vector of the struct is.
    std::vector<std::string> keys;
    std::vector<Value> members;
    const Value* member(std::string_view key) const
    {
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key)
                return &members[i];
        return nullptr;
    }
};

class Parser
{
public:
    explicit Parser(std::string_view text) : m_text(text) {}
    bool document(Value& v)
    {
        if (!value(v, 0))
            return false;
        skip();
        if (m_at != m_text.size())
            return fail("text after the end of the document");
        return true;
    }
    std::string error;
    std::size_t at() const { return m_at; }

private:
    static constexpr int kMaxDepth = 32;

    bool fail(const std::string& what)
    {
        if (error.empty())
            error = what + " at byte " + std::to_string(m_at);
        return false;
    }
    void skip()
    {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\n' || m_text[m_at] == '\r' || m_text[m_at] == '\t'))
            ++m_at;
    }
    bool literal(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return fail("not JSON");
        m_at += word.size();
        return true;
    }
    bool value(Value& v, int depth)
    {
        if (depth > kMaxDepth)
            return fail("nested too deeply");
        skip();
        if (m_at >= m_text.size())
            return fail("the document ends early");
        const char c = m_text[m_at];
        if (c == '{')
            return object(v, depth);
        if (c == '[')
            return array(v, depth);
        if (c == '"') {
            v.kind = Value::Kind::String;
            return string(v.text);
        }
        if (c == 't' || c == 'f') {
            v.kind = Value::Kind::Bool;
            v.boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            v.kind = Value::Kind::Null;
            return literal("null");
        }
        return number(v);
    }
    bool number(Value& v)
    {
        const std::size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-')
            ++m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
            ++m_at;
        const std::size_t digitsEnd = m_at;
        while (m_at < m_text.size() && (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E' ||
                                        m_text[m_at] == '+' || m_text[m_at] == '-' ||
                                        (m_text[m_at] >= '0' && m_text[m_at] <= '9')))
            ++m_at;
        if (digitsEnd == start || (digitsEnd == start + 1 && m_text[start] == '-'))
            return fail("not JSON");
        v.kind = Value::Kind::Number;
        v.integral = digitsEnd == m_at;
        const auto r = std::from_chars(m_text.data() + start, m_text.data() + digitsEnd, v.number);
        if (r.ec != std::errc())
            v.integral = false;
        return true;
    }
    bool string(std::string& out)
    {
        ++m_at; // the opening quote
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                break;
            const char e = m_text[m_at++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                unsigned code = 0;
                if (m_at + 4 > m_text.size() ||
                    std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, code, 16).ptr !=
                        m_text.data() + m_at + 4)
                    return fail("a bad \\u escape");
                m_at += 4;
                // The names and notes are compared by nothing: a character
                // outside the basic plane becomes '?'.
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else if (code >= 0xD800 && code < 0xE000) {
                    out += '?';
                } else {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default: return fail("a bad escape");
            }
        }
        return fail("a string that does not end");
    }
    bool array(Value& v, int depth)
    {
        v.kind = Value::Kind::Array;
        ++m_at;
        skip();
        if (m_at < m_text.size() && m_text[m_at] == ']') {
            ++m_at;
            return true;
        }
        for (;;) {
            v.items.emplace_back();
            if (!value(v.items.back(), depth + 1))
                return false;
            skip();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == ']') {
                ++m_at;
                return true;
            }
            return fail("an array without its ']'");
        }
    }
    bool object(Value& v, int depth)
    {
        v.kind = Value::Kind::Object;
        ++m_at;
        skip();
        if (m_at < m_text.size() && m_text[m_at] == '}') {
            ++m_at;
            return true;
        }
        for (;;) {
            skip();
            if (m_at >= m_text.size() || m_text[m_at] != '"')
                return fail("an object key that is no string");
            std::string key;
            if (!string(key))
                return false;
            skip();
            if (m_at >= m_text.size() || m_text[m_at] != ':')
                return fail("a key without ':'");
            ++m_at;
            Value member;
            if (!value(member, depth + 1))
                return false;
            v.keys.push_back(std::move(key));
            v.members.push_back(std::move(member));
            skip();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == '}') {
                ++m_at;
                return true;
            }
            return fail("an object without its '}'");
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

int Problem(std::string* problem, const std::string& what)
{
    if (problem)
        *problem = what;
    return Result::NotAReport;
}

bool Word(const Value* v, uint16_t* out)
{
    if (!v || v->kind != Value::Kind::Number || !v->integral || v->number < 0 || v->number > 0xFFFF)
        return false;
    *out = static_cast<uint16_t>(v->number);
    return true;
}

} // namespace

int Parse(std::string_view text, std::vector<StoredRegister>& registers, std::string* problem)
{
    registers.clear();
    Value doc;
    Parser parser(text);
    if (!parser.document(doc))
        return Problem(problem, "not JSON: " + parser.error);
    const Value* format = doc.member("format");
    if (doc.kind != Value::Kind::Object || !format || format->kind != Value::Kind::String || format->text != kFormat)
        return Problem(problem, "no \"format\": \"tavemo-report\"");
    const Value* version = doc.member("version");
    if (!version || version->kind != Value::Kind::Number || !version->integral)
        return Problem(problem, "no report version");
    if (version->number != kVersion)
        return Problem(problem, "report version " + std::to_string(version->number) + ", this tool reads version " +
                                    std::to_string(kVersion));
    const Value* list = doc.member("registers");
    if (!list || list->kind != Value::Kind::Array)
        return Problem(problem, "no \"registers\" list");
    std::vector<StoredRegister> out;
    out.reserve(list->items.size());
    // A register listed twice has no one value to compare with: the file
    // was put together by hand or from two units, not written by a report.
    std::vector<std::size_t> listedAt(0x10000, 0);
    for (std::size_t i = 0; i < list->items.size(); ++i) {
        const Value& item = list->items[i];
        const std::string where = "register " + std::to_string(i + 1) + " of the list";
        StoredRegister r;
        const Value* read = item.member("read");
        if (item.kind != Value::Kind::Object || !Word(item.member("address"), &r.address) || r.address == 0)
            return Problem(problem, where + " has no address from 1 to 65535");
        if (const std::size_t first = listedAt[r.address]; first != 0)
            return Problem(problem, where + " (" + std::to_string(r.address) + ") repeats register " +
                                        std::to_string(first) + " of the list");
        listedAt[r.address] = i + 1;
        if (!read || read->kind != Value::Kind::Bool)
            return Problem(problem, where + " (" + std::to_string(r.address) + ") has no \"read\" flag");
        const Value* value = item.member("value");
        if (!value)
            return Problem(problem, where + " (" + std::to_string(r.address) + ") has no \"value\"");
        // A register not read, and the PIN, carry null: nothing to compare.
        r.read = read->boolean && value->kind != Value::Kind::Null;
        if (r.read && !Word(value, &r.value))
            return Problem(problem, where + " (" + std::to_string(r.address) + ") has a value that is no word (0 to 65535)");
        out.push_back(r);
    }
    registers = std::move(out);
    return Result::Ok;
}

int ReadFile(const std::string& path, std::vector<StoredRegister>& registers, std::string* problem)
{
    std::vector<uint8_t> bytes;
    if (!ConfigFile::ReadWholeFile(path, bytes)) {
        if (problem)
            *problem = ResultText(Result::ImportNotOpened);
        return Result::ImportNotOpened;
    }
    return Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), registers, problem);
}

int ReadSource(const std::string& path, ConfigSource& source, std::string* problem)
{
    std::vector<StoredRegister> registers;
    source = ConfigSource{};
    source.label = path;
    source.result = ReadFile(path, registers, problem);
    if (source.result != Result::Ok)
        return source.result;
    for (const StoredRegister& r : registers)
        if (r.read)
            source.set({.address = r.address, .value = r.value});
    return Result::Ok;
}

} // namespace ReportJson
