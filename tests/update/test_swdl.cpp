// The download state machine against an in-process unit: the message
// sequence, progress, the device check, resends and the response time-out.
#include "DnlTestFile.h"
#include "FakeUnit.h"
#include "LogCapture.h"
#include "RowName.h"
#include "diag/Result.h"
#include "update/CSwDl.h"

#include <gtest/gtest.h>

using namespace dnltest;

namespace {

uint32_t g_now = 1000;
uint32_t FakeClock() { return g_now; }

class SwDl : public testing::Test
{
protected:
    void SetUp() override
    {
        g_now = 1000;
        swdl.setClock(&FakeClock);
        swdl.setTransmitter(&unit);
    }

    // Loads a file with a payload of payloadLength bytes.
    void load(uint32_t payloadLength, const std::string& version = "2.1.0",
              std::vector<std::string> devices = {"RU-Ctrl", "RU-Touch"})
    {
        DnlSpec s;
        s.version = version;
        s.devices = std::move(devices);
        s.image = Image(payloadLength - 8);
        file = std::make_unique<TempFile>(Build(s));
        ASSERT_EQ(swdl.LoadDNL(file->path()), 0);
        payload = Payload(s.image, s.leadingWord);
    }

    // Hands the unit's next answer to the machine; false when none is queued.
    bool step()
    {
        if (unit.answers.empty())
            return false;
        Bytes line = unit.answers.front();
        unit.answers.pop_front();
        EXPECT_TRUE(swdl.processRx(line.data(), static_cast<int>(line.size())));
        return true;
    }

    // Runs the exchange until the unit has nothing more to say.
    void run()
    {
        while (step()) {
        }
    }

    LogCapture log;
    FakeUnit unit;
    CSwDl swdl;
    std::unique_ptr<TempFile> file;
    Bytes payload;
};

} // namespace

TEST_F(SwDl, ThousandBytesGoAsTwoBlocksWithTheirProgress)
{
    load(1000);
    EXPECT_EQ(swdl.getProgress(), 0);
    ASSERT_EQ(swdl.Start(), 0);
    EXPECT_EQ(unit.raw.front(), (Bytes{'\r', '\n'})); // the adapter's line is emptied first
    std::vector<std::pair<int32_t, int>> seen = {{swdl.state(), swdl.getProgress()}};
    while (step())
        seen.emplace_back(swdl.state(), swdl.getProgress());
    const std::vector<std::pair<int32_t, int>> expected = {
        {3, 2}, {4, 4}, {5, 6}, {5, 52}, {6, 98}, {7, 100}, {7, 100}};
    EXPECT_EQ(seen, expected);

    ASSERT_EQ(unit.messages.size(), 6u);
    EXPECT_EQ(unit.messages[0], Bytes{DNLP_DEVICE_INFO_REQUEST});
    EXPECT_EQ(unit.messages[1], (Bytes{DNLP_START_TRANSFER, 0xE8, 0x03, 0, 0}));
    EXPECT_EQ(unit.messages[2].size(), 1u + 512);
    EXPECT_EQ(unit.messages[3].size(), 1u + 488);
    EXPECT_EQ(unit.messages[4], Bytes{DNLP_FINALIZE});
    EXPECT_EQ(unit.messages[5], Bytes{DNLP_REBOOT});
    EXPECT_EQ(unit.received, payload);
    EXPECT_TRUE(log.has("Device match!"));
    EXPECT_TRUE(log.has("SwDl: transfer done (1000/1000)"));
}

TEST_F(SwDl, ExactlyOneBlockThenFinalize)
{
    load(512);
    ASSERT_EQ(swdl.Start(), 0);
    run();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Reboot));
    EXPECT_EQ(unit.sendings(DNLP_DATA_BLOCK), 1u);
    EXPECT_EQ(unit.received, payload);
}

TEST_F(SwDl, RebootIsFinal)
{
    load(20);
    ASSERT_EQ(swdl.Start(), 0);
    run();
    ASSERT_EQ(swdl.state(), int32_t(SwDlState::Reboot));
    // The registration is gone: a late answer changes nothing and sends nothing.
    const std::size_t sent = unit.raw.size();
    Bytes late = {0x01, 0x06, 0x1B, 0x34, 0x86, 0xA7, 0x5A, 0x56, 0x0A};
    EXPECT_TRUE(swdl.processRx(late.data(), static_cast<int>(late.size())));
    g_now += 60000;
    swdl.tick();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Reboot));
    EXPECT_EQ(swdl.getProgress(), 100);
    EXPECT_EQ(unit.raw.size(), sent);
}

struct MatchRow
{
    const char* name;
    uint32_t deviceType;
    std::string unitVersion;
    std::string unitName;
    std::string fileVersion;
    bool proceeds;
    std::string logLine;
};
TAVEMO_ROW_PRINTS_NAME(MatchRow)

class SwDlMatch : public SwDl, public testing::WithParamInterface<MatchRow>
{};

TEST_P(SwDlMatch, ChecksTypeNameAndVersion)
{
    const MatchRow& row = GetParam();
    unit.deviceType = row.deviceType;
    unit.version = row.unitVersion;
    unit.name = row.unitName;
    load(40, row.fileVersion);
    ASSERT_EQ(swdl.Start(), 0);
    run();
    EXPECT_EQ(swdl.state(), row.proceeds ? int32_t(SwDlState::Reboot) : int32_t(SwDlState::Error));
    EXPECT_EQ(unit.sendings(DNLP_START_TRANSFER), row.proceeds ? 1u : 0u);
    EXPECT_TRUE(log.has(row.logLine)) << row.logLine;
}

const char kNoMatch[] = "no compatible device found or new FW is older than current FW on device";

INSTANTIATE_TEST_SUITE_P(
    Rows, SwDlMatch,
    testing::Values(MatchRow{"SameVersion", DNLP_DEVICE_TYPE, "2.0.0", "RU-Touch", "2.0.0", true, "Device match!"},
                    MatchRow{"NewerFile", DNLP_DEVICE_TYPE, "2.0.0", "RU-Ctrl", "2.0.1", true, "Device match!"},
                    MatchRow{"OlderFile", DNLP_DEVICE_TYPE, "2.0.0", "RU-Touch", "1.9.9", false, kNoMatch},
                    MatchRow{"NumbersNotText", DNLP_DEVICE_TYPE, "2.9.0", "RU-Touch", "2.10.0", true,
                             "Device match!"},
                    MatchRow{"MissingPartsAreZero", DNLP_DEVICE_TYPE, "3", "RU-Touch", "3.0.0", true,
                             "Device match!"},
                    MatchRow{"NameNotInFile", DNLP_DEVICE_TYPE, "2.0.0", "RU-Other", "2.1.0", false, kNoMatch},
                    MatchRow{"NameIsCaseSensitive", DNLP_DEVICE_TYPE, "2.0.0", "ru-touch", "2.1.0", false,
                             kNoMatch},
                    MatchRow{"WrongDeviceType", 0x41000001, "2.0.0", "RU-Touch", "2.1.0", false,
                             "DeviceType mismatch"}),
    RowName());

TEST_F(SwDl, FiveResendRequestsAreServedTheSixthIsTooMany)
{
    load(1000);
    unit.blockCodes[1] = {3, 3, 3, 3, 3};
    ASSERT_EQ(swdl.Start(), 0);
    run();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Reboot));
    EXPECT_EQ(unit.sendings(DNLP_DATA_BLOCK), 2u + 5u);
    // raw: CR LF, request, start, block 0, then block 1 six times, identical.
    ASSERT_EQ(unit.raw.size(), 3u + 1 + 6 + 2);
    for (std::size_t i = 5; i < 10; ++i)
        EXPECT_EQ(unit.raw[i], unit.raw[4]);
    EXPECT_EQ(log.count("Re-Send download message (" + std::to_string(unit.raw[4].size()) + ")"), 5u);
    EXPECT_EQ(unit.received, payload);

    // A positive Response clears the count: five more on the next download.
    unit = FakeUnit();
    unit.blockCodes[0] = {3, 3, 3, 3, 3, 3};
    log.clear();
    ASSERT_EQ(swdl.Start(), 0);
    run();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Error));
    EXPECT_EQ(unit.sendings(DNLP_DATA_BLOCK), 6u);
    EXPECT_TRUE(log.has("SwDl error to many retries"));
    EXPECT_EQ(swdl.getProgress(), 100);
}

TEST_F(SwDl, OtherErrorCodesEndAtOnce)
{
    for (int code : {1, 2, 4, 200}) {
        SCOPED_TRACE(code);
        unit = FakeUnit();
        unit.blockCodes[0] = {code};
        load(100);
        ASSERT_EQ(swdl.Start(), 0);
        run();
        EXPECT_EQ(swdl.state(), int32_t(SwDlState::Error));
        EXPECT_EQ(unit.sendings(DNLP_DATA_BLOCK), 1u);
    }
    unit = FakeUnit();
    unit.finalizeCode = 7;
    ASSERT_EQ(swdl.Start(), 0);
    run();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Error));
    EXPECT_EQ(unit.sendings(DNLP_REBOOT), 0u);
}

TEST_F(SwDl, SilenceIsResentEveryTenSecondsThenGivenUp)
{
    load(1000);
    unit.silentBlock = 1;
    ASSERT_EQ(swdl.Start(), 0);
    run();
    ASSERT_EQ(swdl.state(), int32_t(SwDlState::Transfer));
    const Bytes lastFrame = unit.raw.back();
    for (int resend = 1; resend <= 5; ++resend) {
        g_now += CSwDl::kResponseTimeoutMs; // not yet: the wait must be exceeded
        swdl.tick();
        EXPECT_EQ(unit.raw.size(), 5u + resend - 1);
        g_now += 1;
        swdl.tick();
        ASSERT_EQ(unit.raw.size(), 5u + resend);
        EXPECT_EQ(unit.raw.back(), lastFrame); // the same frame, as encoded
        EXPECT_EQ(swdl.state(), int32_t(SwDlState::Transfer));
    }
    g_now += CSwDl::kResponseTimeoutMs + 1;
    swdl.tick();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Error));
    EXPECT_EQ(log.count("SwDl: timeout, resend ..."), 6u);
    EXPECT_TRUE(log.has("SwDl error to many retries"));
    EXPECT_EQ(unit.raw.size(), 10u);
}

TEST_F(SwDl, ClosedPortEndsInErrorAtTheFirstResend)
{
    load(100);
    unit.portOpen = false;
    ASSERT_EQ(swdl.Start(), 0);
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Init));
    swdl.tick(); // nothing went out, so nothing is awaited
    g_now += 60000;
    swdl.tick();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Init));

    // The port closes after the first frame went out.
    unit.portOpen = true;
    ASSERT_EQ(swdl.Start(), 0);
    unit.portOpen = false;
    g_now += CSwDl::kResponseTimeoutMs + 1;
    swdl.tick();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Error));
    EXPECT_TRUE(log.has("SwDl error resending frame"));
}

TEST_F(SwDl, InvalidFileIsNotStarted)
{
    EXPECT_EQ(swdl.Start(), Result::NoValidFile);
    EXPECT_EQ(swdl.LoadDNL("/nonexistent/image.dnl"), Result::FileNotOpened);
    EXPECT_EQ(swdl.Start(), Result::NoValidFile);
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Idle));
    EXPECT_TRUE(unit.raw.empty());
    EXPECT_TRUE(log.has("SwDl: LoadDNL - invalid file"));
    EXPECT_TRUE(log.has("SwDl: Start - invalid file"));
}

TEST_F(SwDl, LateDeviceInfoDoesNotSkipAnAcknowledgement)
{
    load(1000);
    ASSERT_EQ(swdl.Start(), 0);
    const Bytes info = unit.answers.front();
    run();
    ASSERT_EQ(swdl.state(), int32_t(SwDlState::Reboot));
    // The same exchange with a second Device info arriving in Started.
    unit = FakeUnit();
    ASSERT_EQ(swdl.Start(), 0);
    step();
    ASSERT_EQ(swdl.state(), int32_t(SwDlState::Started));
    Bytes again = info;
    swdl.processRx(again.data(), static_cast<int>(again.size()));
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Started));
    run();
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Reboot));
    EXPECT_EQ(unit.sendings(DNLP_DATA_BLOCK), 2u);
}
