// The debug window's lines: time stamps, folding of repeated lines, the
// 1000-line limit and the text a copy or a saved file gets.
#include "diag/CDebugLines.h"
#include "update/RowName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kAt = ((10 * 60 + 4) * 60 + 17) * 1000 + 250; // 10:04:17.250

struct FoldRow
{
    const char* name;
    std::vector<std::string> written;
    std::vector<std::string> shown;
};
TAVEMO_ROW_PRINTS_NAME(FoldRow)

class DebugLinesFolding : public testing::TestWithParam<FoldRow>
{};

TEST_P(DebugLinesFolding, ShowsTheLinesWithTimeAndCount)
{
    CDebugLines lines;
    int ms = kAt;
    for (const std::string& text : GetParam().written)
        lines.Add(text, ms++);
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < lines.Size(); ++i)
        shown.push_back(lines.Shown(i));
    EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DebugLinesFolding,
    testing::Values(
        FoldRow{"OneLineShowsItsTime", {"> Mr2001"}, {"10:04:17.250 > Mr2001"}},
        FoldRow{"IdenticalLinesInARowFoldKeepingTheFirstTime",
                {"CComPort::getArray(len =     0)", "CComPort::getArray(len =     0)",
                 "CComPort::getArray(len =     0)"},
                {"10:04:17.250 CComPort::getArray(len =     0) (x3)"}},
        FoldRow{"OnlyLinesInARowFold",
                {"> Mr2001", "< 0 = readHolding(2001): 1042", "> Mr2001", "> Mr2001"},
                {"10:04:17.250 > Mr2001", "10:04:17.251 < 0 = readHolding(2001): 1042",
                 "10:04:17.252 > Mr2001 (x2)"}},
        FoldRow{"TrailingLineBreaksGoBeforeLinesAreCompared",
                {"CB(len =     3): abc\n", "CB(len =     3): abc\r\n", "CB(len =     3): abc"},
                {"10:04:17.250 CB(len =     3): abc (x3)"}},
        FoldRow{"ALongLineIsCutTo239Characters",
                {std::string(300, 'x')},
                {"10:04:17.250 " + std::string(239, 'x')}},
        FoldRow{"LinesThatDifferOnlyBeyondTheCutFold",
                {std::string(239, 'y') + "1", std::string(239, 'y') + "2"},
                {"10:04:17.250 " + std::string(239, 'y') + " (x2)"}}),
    RowName());

struct TimeRow
{
    const char* name;
    int msOfDay;
    const char* text;
};
TAVEMO_ROW_PRINTS_NAME(TimeRow)

class DebugLinesTime : public testing::TestWithParam<TimeRow>
{};

TEST_P(DebugLinesTime, IsWrittenAsHoursMinutesSecondsAndMilliseconds)
{
    EXPECT_EQ(CDebugLines::TimeText(GetParam().msOfDay), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rows, DebugLinesTime,
                         testing::Values(TimeRow{"Midnight", 0, "00:00:00.000"},
                                         TimeRow{"EachFieldPadded", 3723004, "01:02:03.004"},
                                         TimeRow{"LastMillisecond", CDebugLines::kMsPerDay - 1, "23:59:59.999"},
                                         TimeRow{"NextDayWraps", CDebugLines::kMsPerDay, "00:00:00.000"},
                                         TimeRow{"BeforeMidnightWraps", -1, "23:59:59.999"}),
                         RowName());

// The clock's time in the local time zone; POSIX zone strings need no
// time zone data installed.
TEST(DebugLinesClock, TakesTheLocalTimeOfDay)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    // 2023-11-14 22:13:20.123 UTC
    const auto when = std::chrono::system_clock::time_point(std::chrono::milliseconds(1700000000123LL));
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    EXPECT_EQ(CDebugLines::TimeText(CDebugLines::LocalMsOfDay(when)), "22:13:20.123");
    ::setenv("TZ", "CET-1", 1);
    ::tzset();
    EXPECT_EQ(CDebugLines::TimeText(CDebugLines::LocalMsOfDay(when)), "23:13:20.123");
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(DebugLinesLimit, TheOldestLineGoesAndARepeatTakesNoRoom)
{
    CDebugLines lines;
    for (std::size_t i = 0; i < CDebugLines::kMaxLines; ++i)
        EXPECT_EQ(lines.Add("line " + std::to_string(i), kAt).dropped, 0u);

    const CDebugLines::Change repeat = lines.Add("line 999", kAt);
    EXPECT_TRUE(repeat.folded);
    EXPECT_EQ(repeat.dropped, 0u);
    EXPECT_EQ(lines.At(0).text, "line 0");

    const CDebugLines::Change next = lines.Add("line 1000", kAt);
    EXPECT_FALSE(next.folded);
    EXPECT_EQ(next.dropped, 1u);
    ASSERT_EQ(lines.Size(), CDebugLines::kMaxLines);
    EXPECT_EQ(lines.At(0).text, "line 1");
    EXPECT_EQ(lines.At(lines.Size() - 2).count, 2);
    EXPECT_EQ(lines.At(lines.Size() - 1).text, "line 1000");
}

TEST(DebugLinesText, EndsEveryShownLineAndStartsAfreshWhenCleared)
{
    CDebugLines lines;
    lines.Add("> Mr2001", kAt);
    lines.Add("> Mr2001", kAt + 5);
    lines.Add("< 0 = readHolding(2001): 1042", kAt + 40);
    EXPECT_EQ(lines.AllText("\r\n"),
              "10:04:17.250 > Mr2001 (x2)\r\n10:04:17.290 < 0 = readHolding(2001): 1042\r\n");
    lines.Clear();
    EXPECT_EQ(lines.Size(), 0u);
    EXPECT_EQ(lines.AllText("\r\n"), "");
    lines.Add("< 0 = readHolding(2001): 1042", kAt);
    EXPECT_EQ(lines.At(0).count, 1) << "a cleared list does not fold into lines it dropped";
}

} // namespace

// The PIN never reaches a line: the unlock line and every value of holding
// 2008, however it travels; other registers and the coils keep their values.
struct MaskRow
{
    const char* name;
    std::string written;
    std::string kept;
};
TAVEMO_ROW_PRINTS_NAME(MaskRow)

class DebugLinesMask : public testing::TestWithParam<MaskRow>
{};

TEST_P(DebugLinesMask, HidesThePinAndNothingElse)
{
    CDebugLines lines;
    lines.Add(GetParam().written, kAt);
    EXPECT_EQ(lines.At(0).text, GetParam().kept);
    EXPECT_EQ(CDebugLines::Masked(GetParam().written), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DebugLinesMask,
    testing::Values(MaskRow{"Unlock", "> u 1234", "> u ****"},
                    MaskRow{"UnlockWithLineEnd", "> u 42\r\n", "> u ****"},
                    MaskRow{"ReadReply", "< 0 = mbReadHoldingReg(2008): 4711", "< 0 = mbReadHoldingReg(2008): ****"},
                    MaskRow{"SpecialReadReply", "< 0 = mbReadHoldingRegSpecial(2008): 4711",
                            "< 0 = mbReadHoldingRegSpecial(2008): ****"},
                    MaskRow{"WriteCommand", "> Mw2008 4711", "> Mw2008 ****"},
                    MaskRow{"WriteReply", "< 0 = mbWriteHoldingReg(2008,4711)", "< 0 = mbWriteHoldingReg(2008,****)"},
                    MaskRow{"MultiWriteCoveringThePin", "> Mw2006 1 2 4711 5", "> Mw2006 1 2 **** 5"},
                    MaskRow{"FailedRead", "Error:   -10 - Addr:  2008 Val:  4711", "Error:   -10 - Addr:  2008 Val:  ****"},
                    MaskRow{"RefusedReply", "< 0 = mbReadHoldingReg(2008): 4711 (-3)",
                            "< 0 = mbReadHoldingReg(2008): **** (-3)"},
                    MaskRow{"OtherRegister", "< 0 = mbReadHoldingReg(2009): 4711", "< 0 = mbReadHoldingReg(2009): 4711"},
                    MaskRow{"MultiWriteBeforeThePin", "> Mw2005 1 2", "> Mw2005 1 2"},
                    MaskRow{"ReadCommand", "> Mr2008", "> Mr2008"},
                    MaskRow{"CoilOfTheSameNumber", "< 0 = mbReadCoil(2008): set", "< 0 = mbReadCoil(2008): set"},
                    MaskRow{"UnitWord", "< unit ready", "< unit ready"}),
    RowName());
