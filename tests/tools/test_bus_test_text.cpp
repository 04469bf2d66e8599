// The Modbus and BACnet test pages' texts and the test log file, without a
// unit: how values read are shown, the entry filters, how typed numbers
// are taken, the log lines column by column, and the file with its entries.
#include "diag/Result.h"
#include "tools/bustest/BusTestText.h"
#include "tools/bustest/CTestLog.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace BusTestText;
namespace fs = std::filesystem;

// ---- values as a read shows them ----------------------------------------------

struct WordRow
{
    uint16_t word;
    const char* shown;
};

class WordShown : public testing::TestWithParam<WordRow>
{};

TEST_P(WordShown, AsSignedUnsignedAndFourHexDigits)
{
    EXPECT_EQ(WordText(GetParam().word), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, WordShown,
                         testing::Values(WordRow{1000, "1000 / 1000u / x03E8"}, WordRow{65535, "-1 / 65535u / xFFFF"},
                                         WordRow{65531, "-5 / 65531u / xFFFB"}, WordRow{1, "1 / 1u / x0001"},
                                         WordRow{0, "0 / 0u / x0000"},
                                         WordRow{32768, "-32768 / 32768u / x8000"},
                                         WordRow{32767, "32767 / 32767u / x7FFF"}));

TEST(BusTestValues, DecimalsHaveTwoPlacesAndAPointAndCoilsAreWords)
{
    EXPECT_EQ(Fixed2(21.456), "21.46");
    EXPECT_EQ(Fixed2(-0.5), "-0.50");
    EXPECT_EQ(Fixed2(0), "0.00");
    EXPECT_EQ(FlagText(true), "true");
    EXPECT_EQ(FlagText(false), "false");
}

// ---- entry filters -------------------------------------------------------------

enum class FilterKind { Digits, HoldingValue, Decimal, Time, DateTime };

struct FilterRow
{
    const char* name;
    FilterKind kind;
    const char* typed;
    const char* kept;
    int caret; // -1: nothing dropped
    friend void PrintTo(const FilterRow& row, std::ostream* os) { *os << row.name; }
};

class EntryFilter : public testing::TestWithParam<FilterRow>
{};

TEST_P(EntryFilter, KeepsWhatTheFieldTakesAndPutsTheCaretWhereTheLastDropStood)
{
    const FilterRow& row = GetParam();
    PageText::Filtered f;
    switch (row.kind) {
    case FilterKind::Digits: f = FilterDigitsEntry(row.typed); break;
    case FilterKind::HoldingValue: f = PageText::FilterNumericEntry(row.typed, false); break;
    case FilterKind::Decimal: f = PageText::FilterNumericEntry(row.typed, true); break;
    case FilterKind::Time: f = FilterTimeEntry(row.typed, false); break;
    case FilterKind::DateTime: f = FilterTimeEntry(row.typed, true); break;
    }
    EXPECT_EQ(f.text, row.kept);
    EXPECT_EQ(f.changed, std::string(row.kept) != row.typed);
    EXPECT_EQ(f.caret, row.caret);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EntryFilter,
    testing::Values(FilterRow{"AddressDigitsStay", FilterKind::Digits, "2000", "2000", -1},
                    FilterRow{"AddressDropsMinusAndLetters", FilterKind::Digits, "-20a0", "200", 3},
                    FilterRow{"HoldingValueDropsLetters", FilterKind::HoldingValue, "12ab3", "123", 3},
                    FilterRow{"HoldingValueKeepsLeadingMinus", FilterKind::HoldingValue, "-45", "-45", -1},
                    FilterRow{"HoldingValueDropsLaterMinus", FilterKind::HoldingValue, "4-5", "45", 1},
                    FilterRow{"HoldingValueDropsPoint", FilterKind::HoldingValue, "4.5", "45", 1},
                    FilterRow{"DecimalCommaBecomesPoint", FilterKind::Decimal, "21,456", "21.456", -1},
                    FilterRow{"DecimalKeepsOneSeparator", FilterKind::Decimal, "2.1.4", "2.14", 3},
                    FilterRow{"TimeKeepsDigitsAndColons", FilterKind::Time, "12:30:00", "12:30:00", -1},
                    FilterRow{"TimeDropsLetters", FilterKind::Time, "12:30 h", "12:30", 5},
                    FilterRow{"TimeDropsPoint", FilterKind::Time, "12.30", "1230", 2},
                    FilterRow{"DateTimeKeepsPointAndSpace", FilterKind::DateTime, "24.12.2026 10:15",
                              "24.12.2026 10:15", -1},
                    FilterRow{"DateTimeDropsSlashAndLetters", FilterKind::DateTime, "24/12x", "2412", 4},
                    // The caret counts characters as the field does, not bytes.
                    FilterRow{"TimeDropsAWideCharacter", FilterKind::Time, "12\xC3\xA4:3", "12:3", 2},
                    FilterRow{"TimeDropsACharacterBeyondThePlane", FilterKind::Time, "1\xF0\x9F\x98\x80" "2x",
                              "12", 2}),
    [](const testing::TestParamInfo<FilterRow>& row) { return std::string(row.param.name); });

// ---- typed numbers ---------------------------------------------------------------

struct NumberRow
{
    const char* typed;
    int32_t min;
    int32_t max;
    int expected; // -1: refused
};

class TypedWord : public testing::TestWithParam<NumberRow>
{};

TEST_P(TypedWord, GoesOutAsSixteenBitsOnlyWhenItFits)
{
    const NumberRow& row = GetParam();
    const std::optional<uint16_t> w = FieldWord(row.typed, row.min, row.max);
    if (row.expected < 0)
        EXPECT_FALSE(w.has_value()) << row.typed;
    else
        EXPECT_EQ(w, std::optional<uint16_t>(static_cast<uint16_t>(row.expected))) << row.typed;
}

INSTANTIATE_TEST_SUITE_P(Rows, TypedWord,
                         testing::Values(NumberRow{"", 0, 65535, 0}, NumberRow{"2000", 0, 65535, 2000},
                                         NumberRow{"65535", 0, 65535, 65535}, NumberRow{"65536", 0, 65535, -1},
                                         NumberRow{"70000", 0, 65535, -1}, NumberRow{"-1", 0, 65535, -1},
                                         NumberRow{"-1", -32768, 65535, 65535},
                                         NumberRow{"-32768", -32768, 65535, 32768},
                                         NumberRow{"-32769", -32768, 65535, -1},
                                         NumberRow{"99999999999999999999", 0, 65535, -1},
                                         NumberRow{"-", -32768, 65535, 0}));

TEST(AnalogueValueField, ReadsADecimalNumberFromItsFirstFifteenCharacters)
{
    EXPECT_DOUBLE_EQ(FieldDecimal("21.456"), 21.456);
    EXPECT_DOUBLE_EQ(FieldDecimal("21,456"), 21.456);
    EXPECT_DOUBLE_EQ(FieldDecimal("-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(FieldDecimal(""), 0.0);
    EXPECT_DOUBLE_EQ(FieldDecimal("-"), 0.0);
    EXPECT_DOUBLE_EQ(FieldDecimal("12.5x"), 12.5);
    EXPECT_DOUBLE_EQ(FieldDecimal("1234567890.1234567"), 1234567890.1234);
}

TEST(CharacterStringRead, ShowsWordsUpToTheFirstZeroAndAtMost48)
{
    std::vector<uint16_t> words(60, 'x');
    EXPECT_EQ(CsvText(words.data(), 60), std::string(48, 'x'));
    const uint16_t room[] = {'R', 'o', 'o', 'm', 0, 'x'};
    EXPECT_EQ(CsvText(room, 6), "Room");
    const uint16_t umlaut[] = {0x00E4, 0xD83D, 0xDE00};
    EXPECT_EQ(CsvText(umlaut, 3), "\xC3\xA4\xF0\x9F\x98\x80");
    EXPECT_EQ(CsvText(nullptr, 3), "");
}

// ---- log lines ----------------------------------------------------------------------

struct LineRow
{
    const char* name;
    std::string line;
    const char* expected;
    friend void PrintTo(const LineRow& row, std::ostream* os) { *os << row.name; }
};

class TestLogLine : public testing::TestWithParam<LineRow>
{};

TEST_P(TestLogLine, LinesUpItsColumns)
{
    EXPECT_EQ(GetParam().line, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TestLogLine,
    testing::Values(
        LineRow{"WriteHolding", LogLine(kWriteHolding, 400, Unsigned5(230), 0),
                "Write holding: Addr =   400,  val =   230 (res = 0)"},
        LineRow{"ReadHolding", LogLine(kReadHolding, 2000, Unsigned5(1000), 0),
                "Read  holding: Addr =  2000,  val =  1000 (res = 0)"},
        LineRow{"FailedReadInput", LogLine(kReadInput, 7, Unsigned5(0), -10),
                "Error: Read  input  : Addr =     7,  val =     0 (res = -10)"},
        LineRow{"UnconfirmedWriteCoil", LogLine(kWriteCoil, 12, Unsigned5(1), 27),
                "Error: Write coil   : Addr =    12,  val =     1 (res = 27)"},
        LineRow{"ReadCoil", LogLine(kReadCoil, 65535, Unsigned5(0), 0),
                "Read  coil   : Addr = 65535,  val =     0 (res = 0)"},
        LineRow{"WriteInstanceDecimal", LogLine(kWriteInstance, 3, Fixed2(21.456), 0),
                "Write instance: Addr =     3,  val = 21.46 (res = 0)"},
        LineRow{"ReadInstanceSigned", LogLine(kReadInstance, 5, Signed5(-5), 0),
                "Read  instance: Addr =     5,  val =    -5 (res = 0)"},
        LineRow{"ReadInstanceText", LogLine(kReadInstance, 2, "12:30:00", 0),
                "Read  instance: Addr =     2,  val = 12:30:00 (res = 0)"}),
    [](const testing::TestParamInfo<LineRow>& row) { return std::string(row.param.name); });

TEST(TestLogEntry, IsPrecededByAnEmptyLineAndStampedWithTheLocalTime)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 3;
    t.tm_sec = 9;
    EXPECT_EQ(LogEntry(t, "Read  coil   : Addr =    12,  val =     1 (res = 0)"),
              "\r\n2026-01-05 07:03:09 Read  coil   : Addr =    12,  val =     1 (res = 0)\r\n");
}

// ---- the file --------------------------------------------------------------------------

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

fs::path Folder(const char* name)
{
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    return folder;
}

} // namespace

TEST(TestLogFile, IsCreatedWithTheFirstEntryNamedByDateAndHoldsEntriesInOrder)
{
    const fs::path folder = Folder("testlog-order");
    CTestLog log(folder);
    std::time_t now = 1'800'000'000;
    log.setClock([&] { return now; });
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(fs::exists(folder)) << "a run that tests nothing leaves no file";

    ASSERT_EQ(log.append("first"), Result::Ok);
    now += 61;
    ASSERT_EQ(log.append("second"), Result::Ok);

    std::tm opened{};
    const std::time_t first = 1'800'000'000;
    localtime_r(&first, &opened);
    EXPECT_EQ(log.path(), folder / CTestLog::FileName(opened, ::getpid()));
    // Date, time and process id in digits ('#'), then what the file is.
    const std::string name = log.path().filename().string();
    const std::string shape = "########-######-#######-test-log.txt";
    bool fits = name.size() == shape.size();
    for (std::size_t i = 0; fits && i < shape.size(); ++i)
        fits = shape[i] == '#' ? std::isdigit(static_cast<unsigned char>(name[i])) != 0 : name[i] == shape[i];
    EXPECT_TRUE(fits) << name;
    std::tm later{};
    localtime_r(&now, &later);
    EXPECT_EQ(ReadAll(log.path()), LogEntry(opened, "first") + LogEntry(later, "second"));
}

TEST(TestLogFile, NamesSortByTimeAndKeepTheProcess)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 10;
    t.tm_hour = 15;
    t.tm_min = 4;
    t.tm_sec = 5;
    EXPECT_EQ(CTestLog::FileName(t, 4321), "20261210-150405-0004321-test-log.txt");
}

TEST(TestLogFile, SaysSoWhenItsFolderCannotBeMadeAndTriesAgainLater)
{
    const fs::path parent = Folder("testlog-readonly");
    fs::create_directories(parent);
    ::chmod(parent.c_str(), 0500);
    CTestLog log(parent / "logs");
    const bool rootCanWrite = ::access(parent.c_str(), W_OK) == 0; // root ignores the mode
    if (!rootCanWrite) {
        EXPECT_EQ(log.append("refused"), Result::LogNotCreated);
        EXPECT_TRUE(log.failed());
        EXPECT_FALSE(log.isOpen());
    }
    ::chmod(parent.c_str(), 0700);
    EXPECT_EQ(log.append("taken"), Result::Ok);
    EXPECT_FALSE(log.failed());
    EXPECT_NE(ReadAll(log.path()).find(" taken\r\n"), std::string::npos);
}
