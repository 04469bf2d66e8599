// The protocol client against the real simulator binary over a real
// pseudo-terminal, asserting on results and on what the unit received.
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include "diag/DebugOutput.h"
#include "link/CComPortEx.h"
#include "link/CModbus.h"
#include "link/CUnitState.h"

#include <algorithm>

using namespace testsupport;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

long Count(const std::vector<std::string>& lines, const std::string& line)
{
    return std::count(lines.begin(), lines.end(), line);
}

// Starts the simulator with the options and connects a client to it.
class SimLink
{
public:
    explicit SimLink(const std::vector<std::string>& options = {}) : sim(options)
    {
        if (sim.ready())
            connected = modbus.connect(sim.device()) == 0;
    }
    SimProcess sim;
    CModbus modbus;
    bool connected = false;
};

// The debug window's lines while it lives (the client's thread only writes).
class DebugCapture : public IDebugOutput
{
public:
    DebugCapture() { m_previous = DebugOutput::Attach(this); }
    ~DebugCapture() override { DebugOutput::Attach(m_previous); }
    void debugLine(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;

private:
    IDebugOutput* m_previous = nullptr;
};

} // namespace

TEST(SimLinkTest, EveryCommandFamilyRoundTrips)
{
    SimLink link;
    ASSERT_TRUE(link.connected);
    CModbus& m = link.modbus;

    uint16_t u = 0;
    EXPECT_EQ(m.readHolding(2000, &u), 0);
    EXPECT_EQ(u, 2050);
    EXPECT_EQ(m.writeHolding(400, 215), 0);
    EXPECT_EQ(m.readHolding(400, &u), 0);
    EXPECT_EQ(u, 215);
    uint16_t label[12] = {'T', 'a', 'v', 'e', 'm', 'o'};
    EXPECT_EQ(m.writeMultiHoldings(5350, label), 0);
    EXPECT_EQ(m.readHolding(5355, &u), 0);
    EXPECT_EQ(u, 'o');
    EXPECT_EQ(m.writeHoldingSpecial(2045, 1), 0) << "the special write reaches a read-only register";
    EXPECT_EQ(m.readHoldingSpecial(2045, &u), 0);
    EXPECT_EQ(u, 1);

    bool flag = false;
    EXPECT_EQ(m.writeCoil(12, true), 0);
    EXPECT_EQ(m.readCoil(12, &flag), 0);
    EXPECT_TRUE(flag);
    int16_t s = 0;
    EXPECT_EQ(m.readInput(15, &s), 0);
    EXPECT_EQ(s, -45);

    double d = 0;
    EXPECT_EQ(m.writeAvValue(3, 21.456), 0);
    EXPECT_EQ(m.readAvValue(3, &d), 0);
    EXPECT_FLOAT_EQ(static_cast<float>(d), 21.46f);
    EXPECT_EQ(m.readAiValue(4, &d), 0);
    EXPECT_DOUBLE_EQ(d, 25.25);
    EXPECT_EQ(m.writeIvValue(4, -5), 0);
    EXPECT_EQ(m.readIvValue(4, &s), 0);
    EXPECT_EQ(s, -5);
    EXPECT_EQ(m.writeBvValue(4, -1), 0);
    EXPECT_EQ(m.readBvValue(4, &flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(m.readBiValue(1, &flag), 0);
    EXPECT_FALSE(flag);

    std::string text;
    EXPECT_EQ(m.writeTvValue(2, "12:30 h"), 0);
    EXPECT_EQ(m.readTvValue(2, &text), 0);
    EXPECT_EQ(text, "12:30");
    EXPECT_EQ(m.writeDtvValue(1, "31.12.2026 23:59:58"), 0);
    EXPECT_EQ(m.readDtvValue(1, &text), 0);
    EXPECT_EQ(text, "31.12.2026 23:59:58");
    const uint16_t ab[2] = {0x41, 0x42};
    uint16_t words[48];
    uint16_t count = 48;
    EXPECT_EQ(m.writeCsvValue(1, ab, 2), 0);
    EXPECT_EQ(m.readCsvValue(1, words, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::vector<uint16_t>(words, words + 3), (std::vector<uint16_t>{0x41, 0x42, 0}));

    const auto received = link.sim.commands();
    EXPECT_TRUE(Contains(received, "Dw3 21.46"));
    EXPECT_TRUE(Contains(received, "DT2 12:30"));
    EXPECT_TRUE(Contains(received, "DS1 004100420000"));
}

TEST(SimLinkTest, RefusalsComeBackAsTheirCodes)
{
    SimLink link;
    ASSERT_TRUE(link.connected);
    CModbus& m = link.modbus;
    // A refused write is the length of the adapter's reply line.
    EXPECT_EQ(m.writeHolding(2001, 5), static_cast<int>(std::string("-3 = mbWriteHoldingReg(2001,5)").size()));
    EXPECT_EQ(m.replyStatus(), -3);
    EXPECT_GT(m.writeHolding(2010, 7), 0) << "outside the unit's limits";
    uint16_t u = 77;
    EXPECT_EQ(m.readHolding(9999, &u), -10);
    EXPECT_EQ(u, 77);
    bool flag = false;
    EXPECT_GT(m.readCoil(399, &flag), 0) << "a single-attempt read reports the refusal's length";
}

TEST(SimLinkTest, UnitWithPinTakesWritesOnlyAfterTheUnlock)
{
    SimLink link({"--pin", "1234"});
    ASSERT_TRUE(link.connected);
    CModbus& m = link.modbus;
    uint16_t pin = 0;
    EXPECT_EQ(m.readHolding(2008, &pin), 0) << "reads are answered, so the tool can compare the PIN";
    EXPECT_EQ(pin, 1234);
    EXPECT_GT(m.writeHolding(400, 200), 0);
    m.sendUnlock(1111);
    EXPECT_GT(m.writeHolding(400, 200), 0);
    m.sendUnlock(1234);
    EXPECT_EQ(m.writeHolding(400, 200), 0);
    EXPECT_TRUE(Contains(link.sim.commands(), "u 1234"));
}

TEST(SimLinkTest, WrongEchoFailsBothAttempts)
{
    SimLink link({"--wrong-echo", "1"});
    ASSERT_TRUE(link.connected);
    uint16_t u = 0;
    EXPECT_EQ(link.modbus.readHolding(2000, &u), -10);
    EXPECT_GT(link.modbus.writeHolding(400, 210), 0);
    const auto lines = link.sim.transcriptLines();
    EXPECT_EQ(Count(lines, "RX Mr2000"), 2);
    // Each attempt: the extra line break, the exchange's own, the command.
    const auto first = std::find(lines.begin(), lines.end(), "RX Mr2000");
    ASSERT_GE(first - lines.begin(), 2);
    EXPECT_EQ(*(first - 1), "RX ");
    EXPECT_EQ(*(first - 2), "RX ");
}

TEST(SimLinkTest, JunkLinesBeforeRepliesAreSkipped)
{
    SimLink link({"--junk"});
    ASSERT_TRUE(link.connected);
    uint16_t u = 0;
    EXPECT_EQ(link.modbus.readHolding(2000, &u), 0);
    EXPECT_EQ(u, 2050);
    EXPECT_EQ(link.modbus.writeHolding(400, 210), 0);
    bool flag = true;
    EXPECT_EQ(link.modbus.readCoil(12, &flag), 0);
    EXPECT_FALSE(flag);
}

TEST(SimLinkTest, TheDebugWindowSeesEachLineSentAndReceived)
{
    SimLink link({"--junk"});
    ASSERT_TRUE(link.connected);
    DebugCapture debug;
    uint16_t u = 0;
    EXPECT_EQ(link.modbus.readHolding(2000, &u), 0);
    EXPECT_EQ(link.modbus.writeHolding(400, 210), 0);
    const std::vector<std::string>& lines = debug.lines;
    const auto sent = std::find(lines.begin(), lines.end(), "> Mr2000");
    ASSERT_NE(sent, lines.end()) << ::testing::PrintToString(lines);
    // The junk line arrives first: shown as received, then as refused by the port.
    ASSERT_GE(lines.end() - sent, 4) << ::testing::PrintToString(lines);
    EXPECT_EQ(sent[1].rfind("< ", 0), 0u) << sent[1];
    EXPECT_EQ(sent[2].rfind("CB(len = ", 0), 0u) << sent[2];
    EXPECT_EQ(sent[3], "< 0 = mbReadHoldingReg(2000): 2050");
    EXPECT_TRUE(Contains(lines, "> Mw400 210"));
    EXPECT_TRUE(Contains(lines, "< 0 = mbWriteHoldingReg(400,210)")) << ::testing::PrintToString(lines);
}

TEST(SimLinkTest, MissingReplyTimesOutAfterTwoSeconds)
{
    SimLink link({"--silent"});
    ASSERT_TRUE(link.connected);
    bool flag = false;
    const auto t0 = Clock::now();
    EXPECT_EQ(link.modbus.readCoil(5, &flag), -4);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(CModbus::kReplyTimeoutMs));
    EXPECT_TRUE(Contains(link.sim.commands(), "Mc5")) << "the unit heard the command";
}

TEST(SimLinkTest, DemoModeLeavesThePortAlone)
{
    SimProcess sim;
    ASSERT_TRUE(sim.ready());
    CUnitState state;
    state.demoMode = 1;
    CModbus m;
    m.setUnitState(&state);
    EXPECT_EQ(m.connect(sim.device()), -100);
    EXPECT_FALSE(m.isOpen());
}

TEST(SimProcessTest, PublishesItselfAndRemovesItsPortOnSigterm)
{
    SimProcess first;
    ASSERT_TRUE(first.ready());
    EXPECT_EQ(first.name(), "ttySIM0");

    PortDiscoveryRoots roots;
    roots.sysClassTty = first.folder() / "none";
    roots.portsDir = first.portsDir();
    const auto ports = EnumeratePorts(roots);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].name, "ttySIM0");
    EXPECT_EQ(ports[0].device, first.device());
    EXPECT_EQ(ports[0].description, "Tavemo unit simulator");
    CComPortEx download;
    download.setDiscoveryRoots(roots);
    download.selectPort("ttySIM0");
    EXPECT_TRUE(download.isOpen());
    download.selectPort("");
    EXPECT_FALSE(download.isOpen());

    // A second simulator beside it takes the next free name.
    SimProcess second({"--ports-dir", first.portsDir().string()});
    ASSERT_TRUE(second.ready());
    EXPECT_EQ(second.name(), "ttySIM1");

    EXPECT_EQ(first.stop(), 0);
    EXPECT_FALSE(fs::is_symlink(first.portsDir() / "ttySIM0"));
    EXPECT_FALSE(fs::exists(first.portsDir() / "ttySIM0.txt"));
    EXPECT_TRUE(fs::is_symlink(first.portsDir() / "ttySIM1")) << "only its own port";
    EXPECT_EQ(second.stop(), 0);
}

TEST(SimProcessTest, ReusesANameLeftBehindByAKilledSimulator)
{
    TempDir dir;
    fs::create_directories(dir.path() / "ports");
    fs::create_symlink(dir.path() / "gone", dir.path() / "ports" / "ttySIM0");
    SimProcess sim({"--ports-dir", (dir.path() / "ports").string()});
    ASSERT_TRUE(sim.ready());
    EXPECT_EQ(sim.name(), "ttySIM0");
    EXPECT_EQ(fs::read_symlink(dir.path() / "ports" / "ttySIM0"), fs::path(sim.device()));
}
