// Port discovery on Windows. Three sources, the most telling first:
//   1. the ports device class (SetupAPI): each present device's "PortName"
//      and its friendly name, e.g. "USB Serial Port (COM7)";
//   2. the SERIALCOMM device map, which every serial driver fills, also one
//      that registers no device in the ports class (some virtual ports);
//   3. the DOS device names: every COMn the system resolves, with its
//      device path (under wine also the ports linked in the prefix's
//      dosdevices folder by hand).
// MergePortSightings (PortDiscovery.cpp) makes one list of them.
#include "link/PortDiscovery.h"

#include "diag/Win32Text.h"

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include <cwctype>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The registry's texts may lack their terminating NUL; longer than any
// port name or friendly name.
constexpr DWORD kRegTextChars = 512;
// The port numbers a DOS device name can carry.
constexpr int kHighestPortNumber = 256;

std::wstring RegistryText(HKEY key, const wchar_t* value)
{
    wchar_t text[kRegTextChars + 1] = {};
    DWORD type = 0;
    DWORD bytes = kRegTextChars * sizeof(wchar_t);
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    text[bytes / sizeof(wchar_t)] = L'\0';
    return text;
}

// Devices on a USB bus: their enumerator is "USB", or the bus driver of a
// USB converter family (FTDI's own).
bool EnumeratorIsUsb(const std::wstring& enumerator)
{
    std::wstring upper = enumerator;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    return upper == L"USB" || upper == L"FTDIBUS" || upper == L"USBSER";
}

void AddDeviceClassPorts(std::vector<PortSighting>& out)
{
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &info); ++i) {
        HKEY key = SetupDiOpenDevRegKey(devices, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        const std::wstring portName = RegistryText(key, L"PortName");
        RegCloseKey(key);
        if (portName.empty())
            continue; // a printer port (LPT) has its name elsewhere; not ours
        const auto property = [&](DWORD which) {
            wchar_t text[kRegTextChars + 1] = {};
            DWORD type = 0;
            if (!SetupDiGetDeviceRegistryPropertyW(devices, &info, which, &type, reinterpret_cast<BYTE*>(text),
                                                   kRegTextChars * sizeof(wchar_t), nullptr) ||
                type != REG_SZ)
                return std::wstring();
            return std::wstring(text);
        };
        const std::wstring friendly = property(SPDRP_FRIENDLYNAME);
        const std::wstring enumerator = property(SPDRP_ENUMERATOR_NAME);
        out.push_back({Win32Text::Narrow(portName), {}, Win32Text::Narrow(friendly),
                       EnumeratorIsUsb(enumerator) ? PortKind::Usb : PortKind::Board});
    }
    SetupDiDestroyDeviceInfoList(devices);
}

void AddSerialCommPorts(std::vector<PortSighting>& out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        wchar_t device[kRegTextChars + 1] = {};
        wchar_t port[kRegTextChars + 1] = {};
        DWORD deviceChars = kRegTextChars;
        DWORD portBytes = kRegTextChars * sizeof(wchar_t);
        DWORD type = 0;
        const LONG rc = RegEnumValueW(key, i, device, &deviceChars, nullptr, &type, reinterpret_cast<BYTE*>(port),
                                      &portBytes);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS || type != REG_SZ)
            continue;
        port[portBytes / sizeof(wchar_t)] = L'\0';
        out.push_back({Win32Text::Narrow(port), Win32Text::Narrow(device), {}, PortKind::Board});
    }
    RegCloseKey(key);
}

// Asks for every port name COM1 to COM256 whether it is a defined device,
// with the system's device path behind it ("\Device\Serial0").
void AddDosDevicePorts(std::vector<PortSighting>& out)
{
    for (int number = 1; number <= kHighestPortNumber; ++number) {
        const std::wstring name = L"COM" + std::to_wstring(number);
        wchar_t target[kRegTextChars + 1] = {};
        if (QueryDosDeviceW(name.c_str(), target, kRegTextChars) != 0)
            out.push_back({Win32Text::Narrow(name), Win32Text::Narrow(target), {}, PortKind::Board});
    }
}

} // namespace

fs::path PortDiscoveryRoots::DefaultPortsDirectory()
{
    // Windows ports need no publishing folder: a virtual port pair driver
    // makes its ports COM ports like any other.
    return {};
}

fs::path PortDiscoveryRoots::FallbackPortsDirectory() { return {}; }

bool PortDiscoveryRoots::TrustedPortsDirectory(const fs::path&) { return false; }

int PortDiscoveryRoots::PreparePortsDirectory(const fs::path&) { return -1; }

std::vector<PortEntry> EnumeratePorts(const PortDiscoveryRoots&)
{
    std::vector<PortSighting> sightings;
    AddDeviceClassPorts(sightings);
    AddSerialCommPorts(sightings);
    AddDosDevicePorts(sightings);
    return MergePortSightings(sightings);
}

std::string ResolvePortDevice(const std::string& name, const PortDiscoveryRoots&)
{
    if (name.empty() || name.find('\\') != std::string::npos)
        return name;
    return "\\\\.\\" + name;
}

bool PortExists(const std::string& name, const PortDiscoveryRoots&)
{
    if (name.empty())
        return false;
    // A path of the caller's own is taken as given: opening it tells.
    if (name.find('\\') != std::string::npos)
        return true;
    wchar_t target[1024];
    return QueryDosDeviceW(Win32Text::Wide(name).c_str(), target, 1024) != 0;
}
