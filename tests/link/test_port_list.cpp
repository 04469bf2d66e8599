// The Windows port list built from its sources' sightings; the rules are
// the same on every system, so they are tested everywhere.
#include <gtest/gtest.h>

#include "link/PortDiscovery.h"

namespace {

std::vector<std::string> Texts(const std::vector<PortEntry>& ports)
{
    std::vector<std::string> texts;
    for (const PortEntry& p : ports)
        texts.push_back(p.name + "|" + p.device + "|" + p.description);
    return texts;
}

} // namespace

TEST(PortSightings, MergeOnePortPerNumberInNumberOrderWithTheBestDescription)
{
    const std::vector<PortSighting> sightings = {
        // The ports class: friendly names, no device path.
        {"COM10", "", "USB Serial Port (COM10)", PortKind::Usb},
        {"COM3", "", "Communications Port (COM3)", PortKind::Board},
        // The device map: device paths.
        {"COM3", "\\Device\\Serial0", "", PortKind::Board},
        {"COM7", "\\Device\\VCP0", "", PortKind::Board},
        // The DOS names: a port only they know, without a target.
        {"COM2", "", "", PortKind::Board},
        {"COM7", "\\Device\\Other", "", PortKind::Board},
        {"COM10", "\\Device\\VCP1", "", PortKind::Board},
    };
    const std::vector<std::string> expected = {
        "COM2|\\\\.\\COM2|COM2 : \\\\.\\COM2",
        "COM3|\\\\.\\COM3|Communications Port (COM3)",
        "COM7|\\\\.\\COM7|COM7 : \\Device\\VCP0",
        "COM10|\\\\.\\COM10|USB Serial Port (COM10)",
    };
    const std::vector<PortEntry> ports = MergePortSightings(sightings);
    EXPECT_EQ(Texts(ports), expected);
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[3].kind, PortKind::Usb) << "a USB sighting marks the port as the adapter's kind";
}

TEST(PortSightings, LeaveOutWhatIsNoComPort)
{
    const std::vector<PortSighting> sightings = {
        {"LPT1", "", "Printer Port (LPT1)"}, {"COM0", "", ""}, {"COM007", "", ""}, {"COM257", "", ""},
        {"COMX", "", ""},                    {"COM", "", ""},  {"com4", "", ""},   {"COM256", "", ""},
        {"COM1", "", ""},
    };
    std::vector<std::string> names;
    for (const PortEntry& p : MergePortSightings(sightings))
        names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM256"}));
}

TEST(PortSightings, BluetoothFriendlyNamesStayOffThePageList)
{
    const std::vector<PortEntry> ports = MergePortSightings({
        {"COM4", "", "Standard Serial over BLUETOOTH link (COM4)"},
        {"COM5", "", "USB Serial Port (COM5)", PortKind::Usb},
    });
    const std::vector<PortListItem> items = PortListItems(ports);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "COM5 - USB Serial Port (COM5)");
    EXPECT_EQ(PortListItems(MergePortSightings({}))[0].text, kNoActivePorts);
}
