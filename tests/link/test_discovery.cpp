// Port discovery on a temporary tree standing in for /sys/class/tty,
// /dev/serial/by-id, /dev and the ports folder.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include "link/CComPortEx.h"
#include "link/PortDiscovery.h"

#include <cstdlib>
#include <unistd.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class DiscoveryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        roots.sysClassTty = dir.path() / "sys/class/tty";
        roots.serialById = dir.path() / "dev/serial/by-id";
        roots.devDir = dir.path() / "dev";
        roots.portsDir = dir.path() / "run/ports";
        for (const fs::path& p : {roots.sysClassTty, roots.serialById, roots.portsDir, devices()})
            fs::create_directories(p);
    }

    fs::path devices() const { return dir.path() / "sys/devices"; }

    // A tty with a device folder (at deviceDir below sys/devices) of the given
    // subsystem and a node in dev.
    void addTty(const std::string& name, const std::string& deviceDir, const std::string& subsystem)
    {
        const fs::path device = devices() / deviceDir;
        fs::create_directories(device);
        fs::create_directories(dir.path() / "sys/bus" / subsystem);
        fs::create_symlink(dir.path() / "sys/bus" / subsystem, device / "subsystem");
        fs::create_directories(roots.sysClassTty / name);
        fs::create_directory_symlink(device, roots.sysClassTty / name / "device");
        std::ofstream(roots.devDir / name).put('\n');
    }
    void writeText(const fs::path& file, const std::string& text) { std::ofstream(file) << text << "\n"; }
    void addVirtual(const std::string& name, const fs::path& target, const std::string& friendly = "")
    {
        fs::create_symlink(target, roots.portsDir / name);
        if (!friendly.empty())
            writeText(roots.portsDir / (name + ".txt"), friendly);
    }

    TempDir dir;
    PortDiscoveryRoots roots;
};

} // namespace

TEST_F(DiscoveryTest, ListsRealAndVirtualPortsWithTheirNames)
{
    // A USB adapter whose USB device folder names maker and product.
    addTty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial");
    writeText(devices() / "usb1/1-1/manufacturer", "FTDI");
    writeText(devices() / "usb1/1-1/product", "FT232R USB UART");
    // A modem-class adapter known only by its by-id link.
    addTty("ttyACM0", "usb1/1-2/1-2:1.0", "usb");
    fs::create_symlink("../../ttyACM0", roots.serialById / "usb-Acme_Widget_12AB-if00");
    // Board UARTs: a real one (pnp) in ttyS10 and ttyS2, and a platform slot without a chip.
    addTty("ttyS10", "pnp0/00:05", "pnp");
    addTty("ttyS2", "pnp0/00:04", "pnp");
    addTty("ttyS3", "platform/serial8250", "platform");
    // A console without hardware behind it.
    fs::create_directories(roots.sysClassTty / "tty0");
    // Published ports: one live with a friendly name, one whose simulator is gone.
    std::ofstream(dir.path() / "pts7").put('\n');
    addVirtual("ttySIM0", dir.path() / "pts7", "Tavemo unit simulator");
    addVirtual("ttySIM1", dir.path() / "gone");
    writeText(roots.portsDir / "notes.txt", "not a port");

    const auto ports = EnumeratePorts(roots);
    std::vector<std::string> rows;
    for (const PortEntry& p : ports)
        rows.push_back(p.name + " | " + p.device + " | " + p.description);
    // USB by its subsystem or strings, the board UARTs as such, the published port as virtual.
    std::vector<PortKind> kinds;
    for (const PortEntry& p : ports)
        kinds.push_back(p.kind);
    EXPECT_EQ(kinds, (std::vector<PortKind>{PortKind::Usb, PortKind::Board, PortKind::Board, PortKind::Usb,
                                            PortKind::Virtual}));
    const std::string dev = roots.devDir.string();
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "ttyACM0 | " + dev + "/ttyACM0 | Acme Widget 12AB",
                        "ttyS2 | " + dev + "/ttyS2 | ttyS2 : " + dev + "/ttyS2",
                        "ttyS10 | " + dev + "/ttyS10 | ttyS10 : " + dev + "/ttyS10",
                        "ttyUSB0 | " + dev + "/ttyUSB0 | FTDI FT232R USB UART",
                        "ttySIM0 | " + (dir.path() / "pts7").string() + " | Tavemo unit simulator",
                    }));
}

TEST_F(DiscoveryTest, PageListLeavesOutBluetoothAndFallsBack)
{
    EXPECT_EQ(PortListItems({}).size(), 1u);
    EXPECT_EQ(PortListItems({})[0].text, "No Active Ports Found");
    EXPECT_EQ(PortListItems({})[0].entry, -1);

    const std::vector<PortEntry> ports = {
        {"rfcomm0", "/dev/rfcomm0", "Standard Serial over BlueTooth link"},
        {"ttyUSB0", "/dev/ttyUSB0", "FTDI FT232R USB UART"},
        {"ttyS0", "/dev/ttyS0", "ttyS0 : /dev/ttyS0"},
    };
    const auto items = PortListItems(ports);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "ttyUSB0 - FTDI FT232R USB UART");
    EXPECT_EQ(items[0].entry, 1) << "each item opens its own entry";
    EXPECT_EQ(items[1].text, "ttyS0 - ttyS0 : /dev/ttyS0");
    EXPECT_EQ(items[1].entry, 2);

    const auto onlyBluetooth = PortListItems({ports[0]});
    ASSERT_EQ(onlyBluetooth.size(), 1u);
    EXPECT_EQ(onlyBluetooth[0].text, "No Active Ports Found");
}

TEST_F(DiscoveryTest, UsbByIdLinkMakesAnAdapterUsbEvenWithoutUsbStrings)
{
    // An adapter whose device folder shows no USB strings, known as USB
    // only by its usb-* link; a board UART with a by-id link stays a board port.
    addTty("ttyXR0", "pci0/0000:00:1d.0/xr0", "pci");
    fs::create_symlink("../../ttyXR0", roots.serialById / "usb-Exar_XR21V1410-if00");
    addTty("ttyS4", "pnp0/00:06", "pnp");
    fs::create_symlink("../../ttyS4", roots.serialById / "pci-Board_UART-if00");
    const auto ports = EnumeratePorts(roots);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].name, "ttyS4");
    EXPECT_EQ(ports[0].kind, PortKind::Board);
    EXPECT_EQ(ports[1].name, "ttyXR0");
    EXPECT_EQ(ports[1].kind, PortKind::Usb);
}

TEST(PortChoice, PrefersTheFirstUsbOrPublishedPortOverBoardSlots)
{
    const PortEntry board{"ttyS0", "/dev/ttyS0", "ttyS0 : /dev/ttyS0", PortKind::Board};
    const PortEntry board2{"ttyS1", "/dev/ttyS1", "ttyS1 : /dev/ttyS1", PortKind::Board};
    const PortEntry usb{"ttyUSB0", "/dev/ttyUSB0", "FTDI FT232R USB UART", PortKind::Usb};
    const PortEntry usb2{"ttyUSB1", "/dev/ttyUSB1", "Prolific USB-Serial", PortKind::Usb};
    const PortEntry sim{"ttySIM0", "/dev/pts/7", "Tavemo unit simulator", PortKind::Virtual};
    const PortEntry blueUsb{"ttyUSB2", "/dev/ttyUSB2", "Bluetooth USB serial", PortKind::Usb};
    const struct
    {
        const char* name;
        std::vector<PortEntry> ports;
        std::size_t item;
    } rows[] = {
        {"none listed", {}, 0},
        {"only board slots: the first", {board, board2}, 0},
        {"USB after board slots", {board, board2, usb}, 2},
        {"the first of two USB adapters", {board, usb, usb2}, 1},
        {"a published port after board slots", {board, sim}, 1},
        {"USB before a published port", {usb, sim}, 0},
        {"a left-out Bluetooth adapter is not chosen", {board, blueUsb, sim}, 1},
        {"only a left-out Bluetooth adapter", {blueUsb}, 0},
    };
    for (const auto& row : rows) {
        const auto items = PortListItems(row.ports);
        const std::size_t chosen = PreferredPortItem(items, row.ports);
        EXPECT_EQ(chosen, row.item) << row.name;
        EXPECT_LT(chosen, items.size()) << row.name;
    }
}

TEST_F(DiscoveryTest, ResolvesNamesToDevices)
{
    addVirtual("ttySIM0", "/dev/pts/77");
    EXPECT_EQ(ResolvePortDevice("/dev/ttyUSB3", roots), "/dev/ttyUSB3");
    EXPECT_EQ(ResolvePortDevice("ttySIM0", roots), (roots.portsDir / "ttySIM0").string());
    EXPECT_EQ(ResolvePortDevice("ttyUSB3", roots), (roots.devDir / "ttyUSB3").string());
    EXPECT_EQ(ResolvePortDevice("", roots), "");
}

TEST_F(DiscoveryTest, DefaultPortsFolderFollowsXdgRuntimeDir)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(PortDiscoveryRoots::DefaultPortsDirectory(), fs::path("/run/user/4242/tavemo/ports"));
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PortDiscoveryRoots::DefaultPortsDirectory(),
              fs::temp_directory_path() / ("tavemo-ports-" + std::to_string(::getuid())));
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

TEST_F(DiscoveryTest, SystemDeviceWinsOverAPublishedNameOfTheSameName)
{
    // Another user's simulator may publish the name of the real adapter;
    // the installer's "ttyUSB0" must stay the device in /dev.
    addTty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial");
    std::ofstream(dir.path() / "pts9").put('\n');
    addVirtual("ttyUSB0", dir.path() / "pts9");
    const auto ports = EnumeratePorts(roots);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].kind, PortKind::Usb);
    EXPECT_EQ(ResolvePortDevice("ttyUSB0", roots), (roots.devDir / "ttyUSB0").string());
    CComPortEx port;
    port.setDiscoveryRoots(roots);
    port.selectPort("ttyUSB0");
    EXPECT_EQ(port.selectedPort(), 0);
    EXPECT_FALSE(port.isOpen());
    port.selectPort("ttyusb0");
    EXPECT_EQ(port.selectedPort(), -1) << "names compare case-sensitively";
}

TEST_F(DiscoveryTest, PortsFolderOthersCanWriteOrOwnIsIgnored)
{
    std::ofstream(dir.path() / "pts9").put('\n');
    addVirtual("ttySIM0", dir.path() / "pts9");
    ASSERT_EQ(EnumeratePorts(roots).size(), 1u);

    fs::permissions(roots.portsDir, fs::perms::all, fs::perm_options::replace);
    EXPECT_TRUE(EnumeratePorts(roots).empty()) << "a folder anyone can write";
    EXPECT_EQ(ResolvePortDevice("ttySIM0", roots), (roots.devDir / "ttySIM0").string());
    fs::permissions(roots.portsDir, fs::perms::owner_all, fs::perm_options::replace);
    if (::geteuid() == 0) {
        ASSERT_EQ(::lchown(roots.portsDir.c_str(), 65534, 65534), 0);
        EXPECT_TRUE(EnumeratePorts(roots).empty()) << "another user's folder";
        ASSERT_EQ(::lchown(roots.portsDir.c_str(), 0, 0), 0);
    }
    // The fallback folder in the shared temporary folder counts only as the
    // user's own 0700 folder, which the simulator makes so.
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    const fs::path fallback = PortDiscoveryRoots::DefaultPortsDirectory();
    fs::remove_all(fallback);
    ASSERT_EQ(PortDiscoveryRoots::PreparePortsDirectory(fallback), 0);
    EXPECT_EQ(fs::status(fallback).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(PortDiscoveryRoots::TrustedPortsDirectory(fallback));
    fs::permissions(fallback, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::replace);
    EXPECT_FALSE(PortDiscoveryRoots::TrustedPortsDirectory(fallback)) << "0755 is not enough in /tmp";
    EXPECT_EQ(PortDiscoveryRoots::PreparePortsDirectory(fallback), -1);
    fs::remove_all(fallback);
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}
