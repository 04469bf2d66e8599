// Discovery of the serial ports present on this machine, each with a
// description the installer recognises, and of the virtual ports that
// programs such as tavemo-unitsim publish.
//
// Real ports: every entry of /sys/class/tty with a real device behind it
// (a "device" link whose subsystem is not "platform": the 32 legacy ttyS
// slots without a UART are left out). Name "ttyUSB0", device "/dev/ttyUSB0".
// Its friendly name is the USB manufacturer and product strings of the
// device, else the name of its /dev/serial/by-id link.
// Virtual ports: every symbolic link in the ports directory
// ($XDG_RUNTIME_DIR/tavemo/ports, or tavemo-ports-<uid> in the temporary
// directory when that variable is unset) whose target exists, when the
// folder is the user's own and no one else can write it. Name = the
// link's name, device = its target; "<name>.txt" beside it, when present,
// holds the friendly name (its first line). A published name that a
// system device already has is left out: the system device wins.
//
// Kind: a real port is Usb when its device sits on a USB bus (USB strings,
// a usb-* by-id link or a usb subsystem), else Board (a UART on the board or
// a card); a published port is Virtual.
//
// Description: "<name> : <device>" until a friendly name is found.
// Order: real ports by name (ttyS2 before ttyS10), then virtual ports by name.
//
// On Windows (PortDiscoveryWin32.cpp) the ports are the COM ports the
// system knows: the ports device class with each device's friendly name, the
// SERIALCOMM device map, and the DOS device names (the ports of a driver
// that registers no device, and every port under wine). Name "COM7", device
// "\\.\COM7", description the friendly name or "COM7 : <target>" with the
// system's device path (\Device\Serial0). Order: by port number.
//
// Result codes: none; a folder that cannot be read contributes no port.
// Thread rules: no shared state; callers keep their own lists.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

enum class PortKind
{
    Board,
    Usb,
    Virtual
};

struct PortEntry
{
    std::string name;        // what the user picks and tavemo-cli --port takes
    std::string device;      // the path that is opened
    std::string description; // friendly name, or "<name> : <device>"
    PortKind kind = PortKind::Board;
};

// Where discovery looks; tests point every root into a temporary tree.
struct PortDiscoveryRoots
{
    std::filesystem::path sysClassTty = "/sys/class/tty";
    std::filesystem::path serialById = "/dev/serial/by-id";
    std::filesystem::path devDir = "/dev";
    std::filesystem::path portsDir = DefaultPortsDirectory();

    static std::filesystem::path DefaultPortsDirectory();
    // tavemo-ports-<uid> in the temporary folder, for a session without
    // $XDG_RUNTIME_DIR.
    static std::filesystem::path FallbackPortsDirectory();
    // Whether the ports folder may be believed: a real folder (no link) of
    // the user's that no one else can write; the fallback one must be
    // mode 0700. Another user could otherwise publish a name and receive
    // the PIN sent to it.
    static bool TrustedPortsDirectory(const std::filesystem::path& dir);
    // Creates the ports folder (mode 0700) for publishing; 0 when it is
    // there and trusted, -1 otherwise.
    static int PreparePortsDirectory(const std::filesystem::path& dir);
};

// The ports present, in the order above.
std::vector<PortEntry> EnumeratePorts(const PortDiscoveryRoots& roots = PortDiscoveryRoots());

// One item of the connection page's port list: "<name> - <description>" and
// the index of its entry, or -1 for the single "No Active Ports Found" item.
struct PortListItem
{
    std::string text;
    int entry = -1;
};
constexpr const char* kNoActivePorts = "No Active Ports Found";

// Leaves out ports whose description names Bluetooth (any letter case);
// an empty result becomes the single "No Active Ports Found" item.
std::vector<PortListItem> PortListItems(const std::vector<PortEntry>& ports);

// One COM port as one of Windows' sources reports it: name ("COM7"), the
// system's device path behind it (may be empty), friendly name (may be
// empty) and kind.
struct PortSighting
{
    std::string name;
    std::string target;
    std::string friendly;
    PortKind kind = PortKind::Board;
};

// The port list from the sightings of all sources, the better sources first:
// one entry per port number ("COM" and a number 1 to 256 without leading
// zeros; other names are left out), ordered by number, device "\\.\COMn",
// description the first friendly name seen, else "COMn : <first target>"
// (the device when no source named a target); the first kind other than
// Board wins.
std::vector<PortEntry> MergePortSightings(const std::vector<PortSighting>& sightings);

// The item to select when the list is (re)filled: the first item whose
// port is a USB adapter or a published (simulator) port, since the
// interface adapter is one of those and a board UART is almost never it;
// else the first item. Always a valid index into items (0 when empty).
std::size_t PreferredPortItem(const std::vector<PortListItem>& items, const std::vector<PortEntry>& ports);

// The path to open for a port name: a name with a '/' is a path already; a
// published virtual port's link; otherwise the name in /dev. On Windows:
// "\\.\" and the name, unless the name is a path already (holds a '\').
std::string ResolvePortDevice(const std::string& name, const PortDiscoveryRoots& roots = PortDiscoveryRoots());

// Whether the port name names a device that is there now (ResolvePortDevice's
// path exists; on Windows, the system knows the name): a misspelt name is
// told apart from an adapter that was pulled out.
bool PortExists(const std::string& name, const PortDiscoveryRoots& roots = PortDiscoveryRoots());
