// Port discovery on Linux: the kernel's tty class, the serial by-id links
// and the published virtual ports.
#include "link/PortDiscovery.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// "ttyS10" sorts after "ttyS2": compare the text before the trailing
// number, then the number.
bool NaturalLess(const std::string& a, const std::string& b)
{
    const auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1])))
            --i;
        const std::string digits = s.substr(i);
        // Long digit runs compare as text of equal length.
        return std::make_pair(s.substr(0, i), digits);
    };
    const auto [pa, na] = split(a);
    const auto [pb, nb] = split(b);
    if (pa != pb)
        return pa < pb;
    if (na.size() != nb.size())
        return na.size() < nb.size();
    return na < nb;
}

std::string FirstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    std::size_t start = 0;
    while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start])))
        ++start;
    return line.substr(start);
}

// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" -> "FTDI FT232R USB UART A50285BI"
std::string ByIdFriendlyName(std::string id)
{
    if (id.rfind("usb-", 0) == 0)
        id.erase(0, 4);
    // Drop the interface and port suffix.
    const std::size_t ifPos = id.rfind("-if");
    if (ifPos != std::string::npos && ifPos + 3 < id.size() &&
        std::isdigit(static_cast<unsigned char>(id[ifPos + 3])))
        id.erase(ifPos);
    std::replace(id.begin(), id.end(), '_', ' ');
    return id;
}

// The USB device's "manufacturer product" strings, found by walking up from
// the tty's device folder.
std::string UsbStrings(const fs::path& ttyEntry)
{
    std::error_code ec;
    fs::path dir = fs::canonical(ttyEntry / "device", ec);
    if (ec)
        return {};
    // Up to the USB device (two levels above a ttyUSB, one above a ttyACM),
    // never beyond the devices tree.
    for (int level = 0; level < 5 && dir.has_relative_path() && dir.filename() != "devices"; ++level) {
        const std::string product = FirstLine(dir / "product");
        const std::string maker = FirstLine(dir / "manufacturer");
        if (!product.empty() || !maker.empty()) {
            if (maker.empty())
                return product;
            if (product.empty() || product.rfind(maker, 0) == 0)
                return product.empty() ? maker : product;
            return maker + " " + product;
        }
        dir = dir.parent_path();
    }
    return {};
}

// A port with the description its driver or publisher gave, else the
// generic "name : device".
PortEntry MakePort(const std::string& name, const std::string& device, const std::string& friendly,
                   PortKind kind)
{
    return {name, device, friendly.empty() ? name + " : " + device : friendly, kind};
}

// Appends the ports in the order a person reads their names (ttyUSB2
// before ttyUSB10).
void AppendByName(std::vector<PortEntry> found, std::vector<PortEntry>& out)
{
    std::sort(found.begin(), found.end(),
              [](const PortEntry& a, const PortEntry& b) { return NaturalLess(a.name, b.name); });
    out.insert(out.end(), found.begin(), found.end());
}

void AddRealPorts(const PortDiscoveryRoots& roots, std::vector<PortEntry>& out)
{
    std::error_code ec;
    // by-id link target name -> link name
    std::map<std::string, std::string> byId;
    for (fs::directory_iterator it(roots.serialById, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code lec;
        const fs::path target = fs::read_symlink(it->path(), lec);
        if (!lec)
            byId[target.filename().string()] = it->path().filename().string();
    }

    std::vector<PortEntry> found;
    for (fs::directory_iterator it(roots.sysClassTty, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        const std::string name = entry.filename().string();
        std::error_code dec;
        if (!fs::exists(entry / "device", dec))
            continue; // a virtual terminal, a pseudo-terminal: no hardware behind it
        const fs::path subsystem = fs::read_symlink(entry / "device" / "subsystem", dec);
        if (!dec && subsystem.filename() == "platform")
            continue; // a legacy UART slot that the platform reserves whether a chip is there or not
        // "usb" for a modem-class adapter, "usb-serial" behind a converter driver.
        bool usb = !dec && subsystem.filename().string().rfind("usb", 0) == 0;
        const fs::path device = roots.devDir / name;
        if (!fs::exists(device, dec))
            continue;
        std::string friendly = UsbStrings(entry);
        usb = usb || !friendly.empty();
        const auto id = byId.find(name);
        if (id != byId.end()) {
            usb = usb || id->second.rfind("usb-", 0) == 0;
            if (friendly.empty())
                friendly = ByIdFriendlyName(id->second);
        }
        found.push_back(MakePort(name, device.string(), friendly, usb ? PortKind::Usb : PortKind::Board));
    }
    AppendByName(std::move(found), out);
}

void AddVirtualPorts(const PortDiscoveryRoots& roots, std::vector<PortEntry>& out)
{
    if (!PortDiscoveryRoots::TrustedPortsDirectory(roots.portsDir))
        return;
    std::error_code ec;
    std::vector<PortEntry> found;
    for (fs::directory_iterator it(roots.portsDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code lec;
        if (!it->is_symlink(lec) || lec)
            continue;
        const fs::path link = it->path();
        fs::path target = fs::read_symlink(link, lec);
        if (lec)
            continue;
        if (target.is_relative())
            target = roots.portsDir / target;
        // A link left behind by a simulator that was killed points nowhere.
        if (!fs::exists(target, lec))
            continue;
        const std::string name = link.filename().string();
        // A system device of the same name wins: a published name must not
        // take the place of the adapter the installer means.
        if (std::any_of(out.begin(), out.end(), [&](const PortEntry& port) { return port.name == name; }))
            continue;
        found.push_back(
            MakePort(name, target.string(), FirstLine(roots.portsDir / (name + ".txt")), PortKind::Virtual));
    }
    AppendByName(std::move(found), out);
}

} // namespace

fs::path PortDiscoveryRoots::DefaultPortsDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return fs::path(runtime) / "tavemo" / "ports";
    return FallbackPortsDirectory();
}

fs::path PortDiscoveryRoots::FallbackPortsDirectory()
{
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    if (ec)
        tmp = "/tmp";
    return tmp / ("tavemo-ports-" + std::to_string(::getuid()));
}

bool PortDiscoveryRoots::TrustedPortsDirectory(const fs::path& dir)
{
    struct stat st = {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    // The fallback sits in the shared temporary folder, where anyone could
    // have made it first: only the user's own 0700 folder counts. Elsewhere
    // (the runtime folder, a test's tree) nobody else may write it.
    const mode_t forbidden = dir == FallbackPortsDirectory() ? mode_t(S_IRWXG | S_IRWXO) : mode_t(S_IWGRP | S_IWOTH);
    return (st.st_mode & forbidden) == 0;
}

int PortDiscoveryRoots::PreparePortsDirectory(const fs::path& dir)
{
    std::error_code ec;
    fs::create_directories(dir.parent_path(), ec);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return -1;
    return TrustedPortsDirectory(dir) ? 0 : -1;
}

std::vector<PortEntry> EnumeratePorts(const PortDiscoveryRoots& roots)
{
    std::vector<PortEntry> ports;
    AddRealPorts(roots, ports);
    AddVirtualPorts(roots, ports);
    return ports;
}

std::string ResolvePortDevice(const std::string& name, const PortDiscoveryRoots& roots)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return name;
    std::error_code ec;
    const fs::path device = roots.devDir / name;
    if (fs::exists(fs::symlink_status(device, ec)))
        return device.string();
    const fs::path link = roots.portsDir / name;
    if (fs::is_symlink(link, ec) && PortDiscoveryRoots::TrustedPortsDirectory(roots.portsDir))
        return link.string();
    return device.string();
}

bool PortExists(const std::string& name, const PortDiscoveryRoots& roots)
{
    std::error_code ec;
    return !name.empty() && fs::exists(ResolvePortDevice(name, roots), ec);
}
