// The download file: CRC, layout with padding on absolute offsets, and the
// refusal of every damaged or oversized file.
#include "DnlTestFile.h"
#include "LogCapture.h"
#include "RowName.h"
#include "diag/Result.h"
#include "update/CDnlFile.h"
#include "update/DnlCrc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

using namespace dnltest;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

} // namespace

TEST(DnlCrc, MatchesCheckValueAndRunsToZeroOverItsOwnCrc)
{
    const auto digits = Bytes("123456789");
    EXPECT_EQ(DNLF_Crc(0, digits.data(), digits.size()), 0x2DFD2D88u);
    EXPECT_EQ(DNLF_Crc(0, nullptr, 0), 0u);
    auto block = WithOverallCrc(Image(300));
    EXPECT_EQ(DNLF_Crc(0, block.data(), block.size()), 0u);
    // Continuing a CRC is the same as running it in one go.
    EXPECT_EQ(DNLF_Crc(DNLF_Crc(0, digits.data(), 4), digits.data() + 4, 5), 0x2DFD2D88u);
}

TEST(CByteReader, NeverReadsPastTheEnd)
{
    CByteReader r;
    r.Assign({5, 0, 0, 0, 'a', 'b', 'c', 'd', 'e'}); // a 5-byte text that ends the buffer
    std::string text = "old";
    EXPECT_FALSE(r.ReadText(text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(r.Position(), 4u); // after the length field only
    uint32_t v = 77;
    EXPECT_TRUE(r.ReadU32(v));
    EXPECT_EQ(v, 0x64636261u);
    EXPECT_FALSE(r.ReadU32(v));
    EXPECT_EQ(v, 0x64636261u);
    uint8_t last = 0;
    EXPECT_TRUE(r.ReadBytes(&last, 1));
    r.Align4();
    EXPECT_EQ(r.Position(), 9u); // stops at the end, not at 12

    r.Assign({0xF0, 0xFF, 0xFF, 0xFF, 1, 2}); // a length near 4 GiB
    EXPECT_FALSE(r.ReadText(text));
    EXPECT_EQ(r.Position(), 4u);
}

struct LayoutRow
{
    const char* name;
    std::string version;
    std::vector<std::string> devices;
    uint32_t header;
};
TAVEMO_ROW_PRINTS_NAME(LayoutRow)

class DnlLayout : public testing::TestWithParam<LayoutRow>
{};

TEST_P(DnlLayout, PadsOnAbsoluteOffsets)
{
    const LayoutRow& row = GetParam();
    DnlSpec spec;
    spec.version = row.version;
    spec.devices = row.devices;
    spec.image = Image(100);
    CDnlFile f;
    ASSERT_EQ(f.ParseBytes(Build(spec)), 0);
    EXPECT_TRUE(f.valid());
    EXPECT_EQ(f.headerLength(), row.header);
    EXPECT_EQ(f.version(), row.version);
    EXPECT_EQ(f.devices(), row.devices);
    EXPECT_EQ(f.payloadLength(), 108u);
    const auto payload = Payload(spec.image, spec.leadingWord);
    EXPECT_EQ(std::vector<uint8_t>(f.payload(), f.payload() + f.payloadLength()), payload);
    EXPECT_EQ(f.device(row.devices.size()), "invalid");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DnlLayout,
    testing::Values(
        // "1.2.3" ends at 17, the count sits at 20; a 4-character name needs no padding.
        LayoutRow{"Version5Name4", "1.2.3", {"ABCD"}, 32},
        LayoutRow{"EmptyNameIsItsLengthOnly", "1.2.3", {""}, 28},
        LayoutRow{"OddNames", "1.2", {"A", "BC"}, 36},
        LayoutRow{"NoVersionNoDevices", "", {}, 16},
        LayoutRow{"NameOf24", "10.20.30", {"RU-Touch", "ABCDEFGHIJKLMNOPQRSTUVWX"}, 64}),
    RowName());

struct ParseErrorRow
{
    const char* name;
    std::vector<uint8_t> bytes;
    int code;
    std::string logLine;
};
TAVEMO_ROW_PRINTS_NAME(ParseErrorRow)

class DnlParseError : public testing::TestWithParam<ParseErrorRow>
{};

TEST_P(DnlParseError, IsRefusedWithItsCode)
{
    const ParseErrorRow& row = GetParam();
    LogCapture log;
    CDnlFile f;
    EXPECT_EQ(f.ParseBytes(row.bytes), row.code);
    EXPECT_FALSE(f.valid());
    EXPECT_EQ(f.payloadLength(), 0u);
    EXPECT_EQ(f.payload(), nullptr);
    EXPECT_TRUE(log.has(row.logLine)) << row.logLine;
}

std::vector<ParseErrorRow> ParseErrorRows()
{
    std::vector<ParseErrorRow> rows;
    auto spec = [] {
        DnlSpec s;
        s.image = Image(40);
        return s;
    };
    {
        // The CRC is checked before anything else, even a wrong magic.
        DnlSpec s = spec();
        s.magic = "XXXX";
        s.badOverallCrc = true;
        rows.push_back({"OverallCrcBeforeMagic", Build(s), Result::FileCrcWrong, "DNLF: overall CRC error"});
    }
    {
        DnlSpec s = spec();
        s.magic = "Orv2";
        rows.push_back(
            {"WrongMagic", Build(s), Result::NotADownloadFile, "DNLF: unexpected file format 'Orv2'"});
    }
    // Four bytes that are their own CRC (0) hold no magic.
    rows.push_back({"OnlyACrc", {0, 0, 0, 0}, Result::NotADownloadFile, "DNLF: unexpected file format ''"});
    {
        DnlSpec s = spec();
        s.headerDelta = 4;
        rows.push_back(
            {"HeaderFourTooLong", Build(s), Result::FileHeaderWrong, "DNLF: header length mismatch 40 / 36"});
    }
    {
        DnlSpec s = spec();
        s.headerDelta = -4;
        rows.push_back({"HeaderFourTooShort", Build(s), Result::FileHeaderWrong,
                        "DNLF: header length mismatch 32 / 36"});
    }
    {
        // A count whose entries cannot fit is refused before the list is sized.
        DnlSpec s = spec();
        s.deviceCount = 0x40000000;
        rows.push_back({"DeviceCountBeyondHeader", Build(s), Result::FileHeaderWrong,
                        "DNLF: header length mismatch 36 / 24"});
    }
    {
        // A version text longer than the file: no allocation, no read past the end.
        auto body = Bytes("Orv1");
        Put32(body, 16);
        Put32(body, 0xFFFFFFF0u);
        Put32(body, 0);
        // The text is skipped; the count at 12 ends the header at 16, which
        // leaves no payload.
        rows.push_back(
            {"VersionLengthBeyondFile", WithOverallCrc(body), Result::ImageCrcWrong, "DNLF: sw version ''"});
    }
    {
        DnlSpec s = spec();
        s.badPayloadCrc = true;
        rows.push_back({"PayloadCrc", Build(s), Result::ImageCrcWrong, "DNLF: payload CRC error"});
    }
    {
        // A header followed only by 4 payload bytes and the file CRC.
        auto body = Bytes("Orv1");
        Put32(body, 16);
        Put32(body, 0);
        Put32(body, 0);
        Put32(body, 0);
        rows.push_back(
            {"PayloadOfFourBytes", WithOverallCrc(body), Result::ImageCrcWrong, "DNLF: payload CRC error"});
    }
    {
        // The header runs up to the CRC: nothing is left for a payload.
        auto body = Bytes("Orv1");
        Put32(body, 16);
        Put32(body, 0);
        Put32(body, 0);
        rows.push_back({"NoPayloadAtAll", WithOverallCrc(body), Result::ImageCrcWrong, "DNLF: 16 - 0"});
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, DnlParseError, testing::ValuesIn(ParseErrorRows()),
                         RowName());

TEST(DnlFile, EmptyImageNeedsAZeroCrc)
{
    DnlSpec s;
    s.image = {};
    CDnlFile f;
    const auto bytes = Build(s);
    ASSERT_EQ(f.ParseBytes(bytes), 0);
    EXPECT_EQ(f.payloadLength(), 8u);
    const uint8_t zeros[4] = {};
    EXPECT_EQ(0, std::memcmp(f.payload() + 4, zeros, 4));
}

TEST(DnlFile, LogsTheWholeParse)
{
    DnlSpec s;
    s.version = "1.2.3";
    s.devices = {"ABCD"};
    s.image = Bytes("123456789");
    LogCapture log;
    CDnlFile f;
    ASSERT_EQ(f.ParseBytes(Build(s)), 0);
    const std::vector<std::string> expected = {
        "DNLF: parsing ..",
        "DNLF: overall CRC OK",
        "DNLF: found magic 4f 72 76 31   O r v 1",
        "DNLF: found magic 'Orv1'",
        "DNLF: header length 32",
        "DNLF: sw version '1.2.3'",
        "DNLF: num devices 1",
        "DNLF: device[0] 'ABCD'",
        "DNLF: 32 - 17",
        "DNLF: payload CRC OK - x2dfd2d88 | x88 x2d xfd x2d",
    };
    EXPECT_EQ(log.texts(), expected);
}

TEST(DnlFile, ACrcFailureNamesTheCrcFoundAndTheCrcExpected)
{
    for (const bool overall : {true, false}) {
        SCOPED_TRACE(overall ? "overall CRC" : "payload CRC");
        DnlSpec s;
        s.image = Image(40);
        s.badOverallCrc = overall;
        s.badPayloadCrc = !overall;
        const std::vector<uint8_t> bytes = Build(s);
        LogCapture log;
        CDnlFile f;
        EXPECT_EQ(f.ParseBytes(bytes), overall ? Result::FileCrcWrong : Result::ImageCrcWrong);
        EXPECT_NE(f.crcFound(), f.crcExpected());
        if (overall) {
            EXPECT_EQ(f.crcFound(), DNLF_GetLe32(&bytes[bytes.size() - 4]));
            EXPECT_EQ(f.crcExpected(), DNLF_Crc(0, bytes.data(), bytes.size() - 4));
        }
        char line[80];
        std::snprintf(line, sizeof line, "DNLF: CRC found x%x, expected x%x", f.crcFound(), f.crcExpected());
        EXPECT_TRUE(log.has(line)) << line;
    }
}

TEST(DnlFile, LoadReportsEachFileProblem)
{
    LogCapture log;
    CDnlFile f;
    EXPECT_EQ(f.Parse(), Result::FileNotLoaded);
    EXPECT_TRUE(log.has("DNLF: missing deserializer"));

    const std::string missing = (std::filesystem::temp_directory_path() / "tavemo-no-such-file.dnl").string();
    EXPECT_EQ(f.LoadAndParse(missing), Result::FileNotOpened);
    EXPECT_TRUE(log.has("DNLF: unable to open file " + missing));

    TempFile empty({});
    EXPECT_EQ(f.LoadAndParse(empty.path()), Result::FileEmpty);
    EXPECT_TRUE(log.has("DNLF: empty file " + empty.path()));
    EXPECT_EQ(f.LoadAndParse(empty.dir().string()), Result::FileNotOpened); // a folder is no file

    // One byte over the limit; the first bytes are all there is to it.
    std::vector<uint8_t> big(CDnlFile::kMaxFileSize + 1, 0);
    TempFile tooLarge(big);
    EXPECT_EQ(f.LoadAndParse(tooLarge.path()), Result::FileTooLarge);
    EXPECT_TRUE(log.has("DNLF: file " + tooLarge.path() + " too large 16777217>16777216"));
    EXPECT_FALSE(f.valid());
}

TEST(DnlFile, AcceptsExactlySixteenMiB)
{
    DnlSpec s;
    const std::size_t overhead = Build(s).size(); // everything but the image
    s.image = Image(CDnlFile::kMaxFileSize - overhead);
    const auto bytes = Build(s);
    ASSERT_EQ(bytes.size(), CDnlFile::kMaxFileSize);
    TempFile file(bytes);
    CDnlFile f;
    EXPECT_EQ(f.LoadAndParse(file.path()), 0);
    EXPECT_TRUE(f.valid());
    EXPECT_EQ(f.payloadLength(), CDnlFile::kMaxFileSize - f.headerLength() - 4);
}

TEST(DnlFile, SecondLoadStartsFromAClearedObject)
{
    DnlSpec s;
    s.image = Image(64);
    TempFile good(Build(s));
    s.badPayloadCrc = true;
    s.version = "9.9.9";
    TempFile bad(Build(s));
    CDnlFile f;
    ASSERT_EQ(f.LoadAndParse(good.path()), 0);
    ASSERT_TRUE(f.valid());
    EXPECT_EQ(f.LoadAndParse(bad.path()), Result::ImageCrcWrong);
    EXPECT_FALSE(f.valid());
    EXPECT_EQ(f.payloadLength(), 0u);
    EXPECT_EQ(f.LoadAndParse("/nonexistent/x.dnl"), Result::FileNotOpened);
    EXPECT_FALSE(f.valid());
    EXPECT_EQ(f.version(), "");
    EXPECT_TRUE(f.devices().empty());
    EXPECT_EQ(f.headerLength(), 0u);
}
