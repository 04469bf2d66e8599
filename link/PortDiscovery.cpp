// The port list's rules, the same on every system: which ports are offered
// and which one is chosen first. Finding the ports is the backend's
// (PortDiscoveryPosix.cpp, PortDiscoveryWin32.cpp).
#include "link/PortDiscovery.h"

#include <algorithm>
#include <cctype>
#include <map>

std::vector<PortListItem> PortListItems(const std::vector<PortEntry>& ports)
{
    std::vector<PortListItem> items;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        std::string lower = ports[i].description;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower.find("bluetooth") != std::string::npos)
            continue;
        items.push_back({ports[i].name + " - " + ports[i].description, static_cast<int>(i)});
    }
    if (items.empty())
        items.push_back({kNoActivePorts, -1});
    return items;
}

std::size_t PreferredPortItem(const std::vector<PortListItem>& items, const std::vector<PortEntry>& ports)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int entry = items[i].entry;
        if (entry < 0 || static_cast<std::size_t>(entry) >= ports.size())
            continue;
        const PortKind kind = ports[static_cast<std::size_t>(entry)].kind;
        if (kind == PortKind::Usb || kind == PortKind::Virtual)
            return i;
    }
    return 0;
}


namespace {

constexpr int kHighestComPort = 256;

// 7 for "COM7"; 0 for anything that is not "COM" and a number 1 to 256
// written without leading zeros.
int ComPortNumber(const std::string& name)
{
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0 || name[3] == '0')
        return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number <= kHighestComPort ? number : 0;
}

} // namespace

std::vector<PortEntry> MergePortSightings(const std::vector<PortSighting>& sightings)
{
    struct Merged
    {
        std::string name, target, friendly;
        PortKind kind = PortKind::Board;
    };
    std::map<int, Merged> byNumber;
    for (const PortSighting& s : sightings) {
        const int number = ComPortNumber(s.name);
        if (number == 0)
            continue;
        Merged& m = byNumber[number];
        m.name = s.name;
        if (m.target.empty())
            m.target = s.target;
        if (m.friendly.empty())
            m.friendly = s.friendly;
        if (m.kind == PortKind::Board)
            m.kind = s.kind;
    }
    std::vector<PortEntry> ports;
    for (const auto& [number, m] : byNumber) {
        const std::string device = "\\\\.\\" + m.name;
        const std::string description =
            !m.friendly.empty() ? m.friendly : m.name + " : " + (m.target.empty() ? device : m.target);
        ports.push_back({m.name, device, description, m.kind});
    }
    return ports;
}
