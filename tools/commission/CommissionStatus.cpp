#include "tools/commission/CommissionStatus.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <thread>
#include <vector>

namespace Commission {

namespace {

// A field as CSV writes it: quoted when it holds a separator, a quote or a
// line break, so that a failure reason with commas stays one field.
std::string Field(const std::string& text)
{
    if (text.find_first_of(",;\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return out + "\"";
}

std::string Number(int value)
{
    return value < 0 ? std::string() : std::to_string(value);
}

std::vector<std::string> SplitLine(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

// Writes the header into a file of its own and links it in under the
// status file's name: of several runs starting at once exactly one file
// appears, and it has its header before anyone appends.
void CreateWithHeader(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return;
    std::ostringstream name;
    name << path.filename().string() << '.' << LocalSystem::ProcessId() << '.' << std::this_thread::get_id()
         << ".new";
    const std::filesystem::path fresh = path.parent_path() / name.str();
    if (std::FILE* file = LocalSystem::CreateNewFile(fresh)) {
        const std::string header = std::string(kStatusHeader) + "\n";
        const bool whole = std::fwrite(header.data(), 1, header.size(), file) == header.size();
        if (std::fclose(file) == 0 && whole)
            std::filesystem::create_hard_link(fresh, path, error); // fails when another run was first
        std::filesystem::remove(fresh, error);
    }
}

} // namespace

CStatusFile::CStatusFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::string CStatusFile::Line(const StatusRecord& r)
{
    return Field(r.room) + "," + Field(r.port) + "," + Number(r.deviceType) + "," + Number(r.firmware) + "," +
           Number(r.productionDate) + "," + Number(r.operationDays) + "," + Field(r.result) + "," +
           std::to_string(r.written) + "," + Field(r.started) + "," + Field(r.finished);
}

int CStatusFile::Append(const StatusRecord& record)
{
    const std::lock_guard lock(m_mutex);
    CreateWithHeader(m_path);
    std::FILE* file = LocalSystem::OpenForAppending(m_path);
    if (!file)
        return Result::ExportNotCreated;
    // One buffer for the whole line: it reaches the file in one write, which
    // the append mode places at the end whole, whatever other processes do.
    const std::string line = Line(record) + "\n";
    std::vector<char> buffer(line.size() + 64);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    const bool whole = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return whole && flushed && closed ? Result::Ok : Result::ExportNotCreated;
}

std::map<std::string, std::string> CStatusFile::ReadLastResults(const std::filesystem::path& path)
{
    std::map<std::string, std::string> last;
    std::FILE* file = LocalSystem::OpenForReading(path);
    if (!file)
        return last;
    std::string text;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, n);
    std::fclose(file);

    std::size_t at = 0;
    bool header = true;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = text.substr(at, end - at);
        if (header) { // the first whole line names the columns
            header = false;
            continue;
        }
        const std::vector<std::string> fields = SplitLine(line);
        if (fields.size() >= 7 && !fields[0].empty())
            last[fields[0]] = fields[6];
    }
    // What follows the last line feed was cut off by a killed run.
    return last;
}

std::string IsoTimeNow()
{
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalSystem::LocalTime(now);
    // The offset is the local calendar time read as if it were UTC, minus
    // the moment itself (no tm_gmtoff on every system).
    const auto daysFromCivil = [](long long y, unsigned m, unsigned d) {
        y -= m <= 2;
        const long long era = (y >= 0 ? y : y - 399) / 400;
        const unsigned yoe = static_cast<unsigned>(y - era * 400);
        const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + static_cast<long long>(doe) - 719468;
    };
    const long long asUtc = daysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                                          static_cast<unsigned>(local.tm_mday)) *
                                86400 +
                            local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
    const long long minutes = (asUtc - static_cast<long long>(now)) / 60;
    const char sign = minutes < 0 ? '-' : '+';
    // Time zones lie within a day of UTC.
    const int offset = static_cast<int>(std::min(minutes < 0 ? -minutes : minutes, 24LL * 60 - 1));
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, sign, offset / 60,
                  offset % 60);
    return text;
}

} // namespace Commission
