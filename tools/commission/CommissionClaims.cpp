#include "tools/commission/CommissionClaims.h"

#include "diag/Result.h"
#include "tools/commission/CommissionPlan.h"
#include "tools/commission/CommissionStatus.h"

#include <cstdio>

namespace Commission {

CClaims::CClaims(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::unique_ptr<LocalSystem::FileHold> CClaims::hold() const
{
    return std::make_unique<LocalSystem::FileHold>(m_folder / "claims.lock");
}

std::filesystem::path CClaims::path(const std::string& room) const
{
    return m_folder / LocalSystem::Utf8Path(RoomFileName(room) + ".claim");
}

std::optional<Claim> CClaims::read(const std::string& room) const
{
    std::error_code error;
    if (!std::filesystem::exists(path(room), error))
        return std::nullopt;
    Claim claim;
    std::FILE* file = LocalSystem::OpenForReading(path(room));
    if (!file)
        return claim; // there, but not readable: nobody can tell whose
    std::string text;
    char chunk[512];
    for (std::size_t n; text.size() < 4096 && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, n);
    std::fclose(file);
    std::size_t at = 0;
    for (std::size_t end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
        if (key == "host")
            claim.host = value;
        else if (key == "port")
            claim.port = value;
        else if (key == "since")
            claim.since = value;
        else if (key == "pid" && !value.empty() && value.size() < 10 &&
                 value.find_first_not_of("0123456789") == std::string::npos)
            claim.pid = std::stoi(value);
    }
    return claim;
}

int CClaims::take(const std::string& room, const std::string& port) const
{
    const std::filesystem::path file = path(room);
    std::error_code error;
    std::filesystem::remove(file, error);
    std::FILE* out = LocalSystem::CreateNewFile(file);
    if (!out)
        return Result::ExportNotCreated;
    const std::string text = "host: " + LocalSystem::HostName() +
                             "\npid: " + std::to_string(LocalSystem::ProcessId()) + "\nport: " + port +
                             "\nsince: " + IsoTimeNow() + "\n";
    const bool whole = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !whole) {
        std::filesystem::remove(file, error);
        return Result::ExportNotCreated;
    }
    return Result::Ok;
}

void CClaims::release(const std::string& room) const
{
    const auto held = hold();
    const std::optional<Claim> claim = read(room);
    if (claim && StateOf(*claim) == ClaimState::Mine) {
        std::error_code error;
        std::filesystem::remove(path(room), error);
    }
}

ClaimState CClaims::StateOf(const Claim& claim)
{
    if (claim.host.empty() || claim.host != LocalSystem::HostName())
        return ClaimState::OtherHost;
    if (claim.pid == LocalSystem::ProcessId())
        return ClaimState::Mine;
    return LocalSystem::ProcessRunning(claim.pid) ? ClaimState::Live : ClaimState::Dead;
}

bool CClaims::Holds(const Claim& claim, bool redo)
{
    const ClaimState state = StateOf(claim);
    return state == ClaimState::Live || state == ClaimState::Mine || (state == ClaimState::OtherHost && !redo);
}

std::string CClaims::Describe(const Claim& claim)
{
    const bool here = !claim.host.empty() && claim.host == LocalSystem::HostName();
    std::string text = "run " + (claim.pid > 0 ? std::to_string(claim.pid) : std::string("?")) + " on " +
                       (here                 ? std::string("this computer")
                        : claim.host.empty() ? std::string("an unknown computer")
                                             : claim.host);
    if (!claim.port.empty())
        text += ", port " + claim.port;
    if (!claim.since.empty())
        text += ", since " + claim.since;
    return text;
}

} // namespace Commission
