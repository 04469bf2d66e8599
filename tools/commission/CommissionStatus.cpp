#include "tools/commission/CommissionStatus.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "tools/report/ReportClock.h"

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
    return LocalSystem::AppendWhole(m_path, Line(record) + "\n") ? Result::Ok : Result::ExportNotCreated;
}

int CStatusFile::checkWritable()
{
    const std::lock_guard lock(m_mutex);
    CreateWithHeader(m_path);
    std::FILE* file = LocalSystem::OpenForAppending(m_path);
    if (!file)
        return Result::ExportNotCreated;
    std::fclose(file);
    return Result::Ok;
}

std::map<std::string, CStatusFile::RoomState> CStatusFile::ReadRooms(const std::filesystem::path& path)
{
    std::map<std::string, RoomState> last;
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
        if (fields.size() >= 7 && !fields[0].empty()) {
            RoomState& room = last[fields[0]];
            room.last = fields[6];
            room.done = room.done || fields[6] == "ok";
        }
    }
    // What follows the last line feed was cut off by a killed run.
    return last;
}

std::string IsoTimeNow()
{
    return ReportClock::Iso8601(std::time(nullptr));
}

} // namespace Commission
