// The protocol client against a scripted adapter on a pseudo-terminal: the
// exact bytes of each command, the reply grammars' accept and reject
// paths, the retry rule, the text and character-string rules, the range
// wrappers and the trace.
#include "tests/support/PtyPair.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CUnitState.h"
#include "model/RegisterCatalogue.h"

#include <clocale>
#include <deque>
#include <mutex>
#include <thread>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// Plays the adapter: every non-empty line is a command; it answers with the
// next scripted reply (CR LF added per line; "" = no answer), or, when the
// script is empty, with what the default responder makes of the command.
// The unlock "u ..." never gets an answer.
class ScriptedAdapter
{
public:
    explicit ScriptedAdapter(PtyPair& pty) : m_pty(pty), m_thread([this] { run(); }) {}
    ~ScriptedAdapter()
    {
        m_stop = true;
        m_thread.join();
    }

    void script(std::vector<std::string> replies)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_script.assign(replies.begin(), replies.end());
    }
    std::string raw()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_raw;
    }
    std::vector<std::string> commands()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_commands;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_raw.clear();
        m_commands.clear();
    }
    // Default: a write-shaped acknowledgement for the command's number.
    std::function<std::string(const std::string&)> responder = [](const std::string& command) {
        std::size_t i = 2;
        while (i < command.size() && command[i] >= '0' && command[i] <= '9')
            ++i;
        return "0 = ack(" + command.substr(2, i - 2) + ",0)";
    };

private:
    void run()
    {
        std::string line;
        while (!m_stop) {
            pollfd fd{m_pty.master(), POLLIN, 0};
            if (::poll(&fd, 1, 10) <= 0)
                continue;
            char buf[512];
            const ssize_t n = ::read(m_pty.master(), buf, sizeof buf);
            if (n <= 0)
                continue;
            for (ssize_t i = 0; i < n; ++i) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_raw += buf[i];
                if (buf[i] == '\r')
                    continue;
                if (buf[i] != '\n') {
                    line += buf[i];
                    continue;
                }
                if (!line.empty()) {
                    m_commands.push_back(line);
                    // The unlock gets no answer, as from the adapter.
                    std::string reply;
                    if (line.rfind("u ", 0) == 0) {
                    } else if (!m_script.empty()) {
                        reply = m_script.front();
                        m_script.pop_front();
                    } else {
                        reply = responder(line);
                    }
                    std::string out;
                    std::size_t start = 0;
                    while (!reply.empty() && start <= reply.size()) {
                        const std::size_t end = reply.find('\n', start);
                        out += reply.substr(start, end - start) + "\r\n";
                        if (end == std::string::npos)
                            break;
                        start = end + 1;
                    }
                    m_pty.write(out);
                }
                line.clear();
            }
        }
    }

    PtyPair& m_pty;
    std::mutex m_mutex;
    std::deque<std::string> m_script;
    std::string m_raw;
    std::vector<std::string> m_commands;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class GrammarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        modbus.setUnitState(&state);
        modbus.setCatalogue(&catalogue);
        catalogue.Build();
        ASSERT_EQ(modbus.connect(pty.slave()), 0);
    }
    PtyPair pty;
    ScriptedAdapter adapter{pty};
    CUnitState state;
    RegisterCatalogue catalogue;
    CModbus modbus;
};

} // namespace

TEST_F(GrammarTest, ReadHoldingRepliesAcceptedAndRejected)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> replies;
        int result;
        uint16_t value;
    } cases[] = {
        {"plain", {"0 = mbReadHoldingReg(2000): 42"}, 0, 42},
        {"positive status", {"7 = f(2000): 5"}, 7, 5},
        {"blanks before numbers", {" 0 = f( 2000):  65535"}, 0, 65535},
        {"value kept to 16 bits", {"0 = f(2000): 70000"}, 0, 4464},
        {"negative value", {"0 = f(2000): -1"}, 0, 65535},
        {"digits then text", {"0 = f(2000): 12abc"}, 0, 12},
        {"junk line skipped", {"noise\n0 = f(2000): 9"}, 0, 9},
        {"other number twice", {"0 = f(2001): 42", "0 = f(2001): 42"}, -10, 0},
        {"negative status twice", {"-3 = f(2000): 42", "-3 = f(2000): 42"}, -10, 0},
        {"second attempt good", {"-3 = f(2000): 1", "0 = f(2000): 8"}, 0, 8},
        {"no colon", {"0 = f(2000) 42", "0 = f(2000) 42"}, -10, 0},
        {"no blank around =", {"0 =f(2000): 1", "0=f(2000): 1"}, -10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        adapter.script(c.replies);
        uint16_t v = 0;
        EXPECT_EQ(modbus.readHolding(2000, &v), c.result);
        EXPECT_EQ(v, c.value);
    }
}

TEST_F(GrammarTest, EachAttemptStartsWithTwoLineBreaks)
{
    adapter.script({"0 = f(2001): 1", "0 = f(2001): 1"});
    uint16_t v = 0;
    EXPECT_EQ(modbus.readHolding(2000, &v), Result::ReadFailed);
    EXPECT_EQ(adapter.raw(), "\r\n\r\nMr2000\r\n\r\n\r\nMr2000\r\n");

    adapter.clear();
    adapter.script({"0 = f(2045): 1"});
    EXPECT_EQ(modbus.readHoldingSpecial(2045, &v), 0);
    EXPECT_EQ(adapter.raw(), "\r\nXr2045\r\n") << "the special read has no extra line break";
    EXPECT_EQ(v, 1);

    adapter.clear();
    modbus.sendUnlock(1234);
    adapter.script({"0 = c(5): set"});
    bool on = false;
    EXPECT_EQ(modbus.readCoil(5, &on), 0);
    EXPECT_TRUE(on);
    EXPECT_EQ(adapter.raw(), "\r\nu 1234\r\n\r\nMc5\r\n") << "the unlock reads no reply";
}

TEST_F(GrammarTest, FlagReplyIsSetWhenItSaysSet)
{
    struct Case
    {
        const char* reply;
        bool value;
    } cases[] = {{"0 = c(5): set", true},  {"0 = c(5): not set", true}, {"0 = c(5): reset", true},
                 {"0 = c(5): clear", false}, {"0 = c(5): SET", false},   {"0 = c(5):set", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        adapter.script({c.reply});
        bool v = !c.value;
        EXPECT_EQ(modbus.readCoil(5, &v), 0);
        EXPECT_EQ(v, c.value);
    }
}

TEST_F(GrammarTest, SingleAttemptReadsAndWritesReportTheReply)
{
    // A refusal or a reply for another number is the reply line's length;
    // the output stays untouched. A reply no grammar accepts is no success.
    struct Case
    {
        const char* name;
        std::string reply;
        int result;
    } writes[] = {{"ok", "0 = w(2000,5)", 0},
                  {"refused", "-3 = w(2000,5)", 14},
                  {"other number", "0 = w(2001,5)", 13},
                  {"no comma", "0 = w(2000 5)", Result::NoReply}};
    for (const Case& c : writes) {
        SCOPED_TRACE(c.name);
        adapter.script({c.reply});
        EXPECT_EQ(modbus.writeHolding(2000, 5), c.result);
    }
    adapter.script({"0 = i(15): -45"});
    int16_t in = 0;
    EXPECT_EQ(modbus.readInput(15, &in), 0);
    EXPECT_EQ(in, -45);
    adapter.script({"-2 = i(15): 3"});
    EXPECT_EQ(modbus.readInput(15, &in), 13);
    EXPECT_EQ(in, -45);
    adapter.script({"i(15) 3"});
    EXPECT_EQ(modbus.readInput(15, &in), Result::NoReply);
}

TEST_F(GrammarTest, CommandsGoOutAsTheAdapterExpectsThem)
{
    const uint16_t twelve[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const uint16_t ab[2] = {0x0041, 0x0042};
    uint16_t fourteen[14];
    for (int i = 0; i < 14; ++i)
        fourteen[i] = static_cast<uint16_t>(0xAB00 + i);
    EXPECT_EQ(modbus.writeMultiHoldings(5350, twelve), 0);
    EXPECT_EQ(modbus.writeMultiHoldings(5350, nullptr), Result::NoValues);
    EXPECT_EQ(modbus.writeHoldingSpecial(2045, 1), 0);
    EXPECT_EQ(modbus.writeCoil(12, true), 0);
    EXPECT_EQ(modbus.writeCoil(13, false), 0);
    EXPECT_EQ(modbus.writeAvValue(3, 21.456), 0);
    EXPECT_EQ(modbus.writeIvValue(4, -5), 0);
    EXPECT_EQ(modbus.writeBvValue(4, -1), 0);
    EXPECT_EQ(modbus.writeTvValue(2, "12:30 h"), 0);
    EXPECT_EQ(modbus.writeDtvValue(1, "24.12.2026 10:15:00x1"), 0);
    EXPECT_EQ(modbus.writeCsvValue(1, ab, 2), 0);
    EXPECT_EQ(modbus.writeCsvValue(7, fourteen, 14), 0);
    EXPECT_EQ(adapter.commands(),
              (std::vector<std::string>{"Mw5350 1 2 3 4 5 6 7 8 9 10 11 12", "Xw2045 1", "Mx12 1", "Mx13 0",
                                        "Dw3 21.46", "DW4 -5", "Dx4 65535", "DT2 12:30", "DD1 24.12.2026 10:15:00",
                                        "DS1 004100420000",
                                        "DS7 AB00AB01AB02AB03AB04AB05AB06AB07AB08AB09AB0AAB0B0000"}));
}

TEST_F(GrammarTest, DecimalNumbersIgnoreTheProcessLocale)
{
    // A locale with a decimal comma, built for the test (a Qt application
    // takes the C library locale from the environment).
    TempDir locales;
    std::string source = "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\nLC_NUMERIC\ndecimal_point \",\"\n"
                         "thousands_sep \".\"\ngrouping 3;3\nEND LC_NUMERIC\n";
    for (const char* c : {"LC_COLLATE", "LC_MONETARY", "LC_TIME", "LC_MESSAGES", "LC_PAPER", "LC_NAME",
                          "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"})
        source += std::string(c) + "\ncopy \"POSIX\"\nEND " + c + "\n";
    std::ofstream(locales.path() / "comma.src") << source;
    const std::string cmd = "localedef -c -i '" + (locales.path() / "comma.src").string() + "' -f UTF-8 '" +
                            (locales.path() / "xx_COMMA.UTF-8").string() + "' >/dev/null 2>&1";
    [[maybe_unused]] const int built = std::system(cmd.c_str());
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    const bool switched = std::setlocale(LC_ALL, "xx_COMMA.UTF-8") != nullptr;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.5);
    if (!switched || std::string(probe) != "1,50") {
        std::setlocale(LC_ALL, "C");
        ::unsetenv("LOCPATH");
        GTEST_SKIP() << "no decimal-comma locale could be built here";
    }

    adapter.script({"0 = bnWriteAvReg(3,21.46)", "0 = bnReadAvReg(3): 21.46", "0 = bnReadAiReg(4): -3.5"});
    const int written = modbus.writeAvValue(3, 21.456);
    double av = 0, ai = 0;
    const int readAv = modbus.readAvValue(3, &av);
    const int readAi = modbus.readAiValue(4, &ai);
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");

    EXPECT_EQ(written, 0);
    EXPECT_EQ(adapter.commands().at(0), "Dw3 21.46");
    EXPECT_EQ(readAv, 0);
    EXPECT_FLOAT_EQ(static_cast<float>(av), 21.46f);
    EXPECT_EQ(readAi, 0);
    EXPECT_DOUBLE_EQ(ai, -3.5);
}

TEST_F(GrammarTest, AnalogValuesAreReadAgainWithTheFunctionName)
{
    struct Case
    {
        const char* reply;
        double value;
    } cases[] = {{"0 = bnReadAvReg(3): 21.46", static_cast<double>(21.46f)},
                 {"0 = bnReadAvReg( 3):   1e2", 100.0},
                 {"0 = bnReadXyReg(3): 21.46", 0.0},
                 {"0 = bnReadAvReg(3): n/a", 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        adapter.script({c.reply});
        double v = -1;
        EXPECT_EQ(modbus.readAvValue(3, &v), 0);
        EXPECT_DOUBLE_EQ(v, c.value);
    }
}

TEST_F(GrammarTest, TimeAndDateTimeTextsAreCut)
{
    struct Case
    {
        bool dateTime;
        const char* reply;
        int result;
        const char* text;
    } cases[] = {{false, "0 = bnReadTvReg(2): 12:30:00x", 0, "12:30:00"},
                 {false, "0 = bnReadTvReg(2): 123456789", 0, "12345678"},
                 {false, "0 = bnReadTvReg(2) : 12", Result::ReplyWithoutValue, "unchanged"},
                 {true, "0 = bnReadDtvReg(2): 24.12.2026 10:15:00 Uhr", 0, "24.12.2026 10:15:00"},
                 {true, "0 = bnReadDtvReg(2): 1.2.26/3", 0, "1.2.26"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        adapter.script({c.reply});
        std::string text = "unchanged";
        EXPECT_EQ(c.dateTime ? modbus.readDtvValue(2, &text) : modbus.readTvValue(2, &text), c.result);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(GrammarTest, CharacterStringsBecomeWords)
{
    struct Case
    {
        const char* name;
        std::string value;
        uint16_t capacity;
        std::vector<uint16_t> words;
    } cases[] = {
        {"two groups then the line end", "00410042", 48, {0x41, 0x42, 0}},
        {"capacity limits the words", "00410042", 2, {0x41, 0x42}},
        {"a short group ends the value", "41 42", 48, {0x41}},
        {"lower-case digits", "00e9", 48, {0xE9, 0}},
        {"never more than 64", std::string(70 * 4, '1'), 100, std::vector<uint16_t>(64, 0x1111)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        adapter.script({"0 = bnReadCsvReg(1): " + c.value});
        std::vector<uint16_t> words(std::max<std::size_t>(c.capacity, 2) + 1, 0xDEAD);
        uint16_t count = c.capacity;
        EXPECT_EQ(modbus.readCsvValue(1, words.data(), &count), 0);
        ASSERT_EQ(count, c.words.size());
        EXPECT_EQ(std::vector<uint16_t>(words.begin(), words.begin() + count), c.words);
        EXPECT_EQ(words[std::max<std::size_t>(c.capacity, 2)], 0xDEAD) << "nothing written beyond the capacity";
    }
    // Room for one word: clearing before an attempt stays inside it too.
    uint16_t one[2] = {0xBEEF, 0xDEAD};
    uint16_t count = 1;
    adapter.script({"0 = bnReadCsvReg(1): 0041"});
    EXPECT_EQ(modbus.readCsvValue(1, one, &count), 0);
    EXPECT_EQ(one[0], 0x41);
    EXPECT_EQ(one[1], 0xDEAD);
}

TEST_F(GrammarTest, NullOutputsAreRefusedWithoutSending)
{
    EXPECT_EQ(modbus.readHolding(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readHoldingSpecial(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readCoil(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readInput(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readAvValue(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readAiValue(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readIvValue(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readBvValue(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readBiValue(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readTvValue(1, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.readDtvValue(1, nullptr), Result::MissingArgument);
    uint16_t w[4];
    uint16_t n = 4;
    EXPECT_EQ(modbus.readCsvValue(1, nullptr, &n), Result::MissingArgument);
    EXPECT_EQ(modbus.readCsvValue(1, w, nullptr), Result::MissingArgument);
    EXPECT_EQ(modbus.writeCsvValue(1, nullptr, 3), Result::MissingArgument);
    EXPECT_TRUE(adapter.commands().empty());
}

TEST_F(GrammarTest, RangeWrappersCheckTheCatalogueFirst)
{
    // 2010 "Temp Unit" takes 0..1; 2001 "Firmware" is read-only.
    EXPECT_EQ(modbus.holdingInRange(10000, 1), Result::NoSuchRegister);
    EXPECT_EQ(modbus.holdingInRange(0, 1), Result::NoSuchRegister);
    EXPECT_EQ(modbus.holdingInRange(2010, 1), 0);
    EXPECT_EQ(modbus.holdingInRange(2010, 5), Result::OutOfLimits);
    EXPECT_EQ(catalogue.Holding(2010).value, 1) << "the catalogue keeps the clamped value";

    EXPECT_EQ(modbus.writeHoldingChecked(2010, 7), Result::OutOfLimits);
    EXPECT_EQ(modbus.writeHoldingChecked(0, 1), Result::NoSuchRegister);
    EXPECT_EQ(modbus.writeHoldingSpecialChecked(2010, 9), Result::OutOfLimits);
    EXPECT_TRUE(adapter.commands().empty()) << "nothing is sent for a refused value";

    EXPECT_EQ(modbus.writeHoldingChecked(2010, 0), 0);
    EXPECT_EQ(modbus.writeHoldingSpecialChecked(2010, 0), 0);
    EXPECT_EQ(catalogue.Holding(2010).value, 0) << "a special write that succeeded is stored";
    EXPECT_EQ(adapter.commands(), (std::vector<std::string>{"Mw2010 0", "Xw2010 0"}));

    CModbus bare;
    EXPECT_EQ(bare.holdingInRange(2010, 1), Result::NoLink) << "no catalogue, no check";
}

TEST_F(GrammarTest, MultiWriteChecksOnlyWhenAUnitIsKnown)
{
    // 2005..2016 holds 2006 "Parity / Stop Bits" (0..3) at index 1.
    uint16_t values[12] = {};
    values[1] = 9;
    state.deviceType = 2050;
    EXPECT_EQ(modbus.writeMultiHoldingsChecked(2005, values), Result::OutOfLimits);
    EXPECT_EQ(catalogue.Holding(2006).value, 3);
    EXPECT_TRUE(adapter.commands().empty());

    state.deviceType = kNoDevice;
    EXPECT_EQ(modbus.writeMultiHoldingsChecked(2005, values), 0);
    EXPECT_EQ(catalogue.Holding(2006).value, 9) << "without a unit the values are only stored";
    EXPECT_EQ(adapter.commands().size(), 1u);
    EXPECT_EQ(modbus.writeMultiHoldingsChecked(10000, values), Result::NoSuchRegister);
    EXPECT_EQ(modbus.writeMultiHoldingsChecked(2005, nullptr), Result::NoValues);
}

TEST_F(GrammarTest, DemoModeRefusesToConnect)
{
    modbus.disconnect();
    state.demoMode = 1;
    EXPECT_EQ(modbus.connect(pty.slave()), Result::DemoMode);
    EXPECT_FALSE(modbus.isOpen());
    state.demoMode = 0;
    EXPECT_EQ(modbus.connect(pty.slave()), 0);
}

TEST_F(GrammarTest, TraceHasOneLinePerStep)
{
    TempDir dir;
    const fs::path file = dir.path() / "trace.txt";
    ASSERT_EQ(modbus.openTrace(file.string()), 0);
    modbus.disconnect();
    ASSERT_EQ(modbus.connect(pty.slave()), 0);
    adapter.script({"0 = f(2000): 1"});
    uint16_t v = 0;
    modbus.readHolding(2000, &v);
    modbus.sendUnlock(0);
    modbus.disconnect();
    modbus.closeTrace();
    EXPECT_EQ(ReadFile(file), "CModbus::disconnect() : res = 0\r\n"
                              "CModbus::connect() : res = 0\r\n"
                              "CModbus::readHolding(TX) : res = 0\r\n"
                              "CModbus::readHolding(RX) : res = 14\r\n"
                              "CModbus::sendUnlock(TX) : res = 0\r\n"
                              "CModbus::disconnect() : res = 0\r\n");
}
