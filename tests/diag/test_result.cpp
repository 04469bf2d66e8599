// The result table: one meaning per number, words for every code, and the
// numbers the status line shows staying what installers know.
#include "diag/Result.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(ResultTable, HoldsEachCodeOnceWithWords)
{
    std::set<int> seen;
    for (std::size_t i = 0; i < Result::TableSize(); ++i) {
        const Result::Entry& e = Result::Table()[i];
        EXPECT_TRUE(seen.insert(e.code).second) << "code " << e.code << " has two meanings";
        ASSERT_NE(e.words, nullptr) << e.code;
        EXPECT_NE(std::string(e.words), "") << e.code;
        EXPECT_EQ(ResultText(e.code), e.words);
    }
}

struct FixedNumberRow
{
    int code;
    int number;
};

class ResultStatusNumber : public testing::TestWithParam<FixedNumberRow>
{};

// The status line shows these as "Error: %i"; guides and installers know them.
TEST_P(ResultStatusNumber, StaysAsTheStatusLineShowsIt)
{
    EXPECT_EQ(GetParam().code, GetParam().number);
    EXPECT_EQ(StatusLineText(GetParam().code), "Error: " + std::to_string(GetParam().number));
}

INSTANTIATE_TEST_SUITE_P(Rows, ResultStatusNumber,
                         testing::Values(FixedNumberRow{Result::NoLink, -1}, FixedNumberRow{Result::OutOfLimits, -2},
                                         FixedNumberRow{Result::NoReply, -4},
                                         FixedNumberRow{Result::ReadFailed, -10},
                                         FixedNumberRow{Result::NoValues, -99},
                                         FixedNumberRow{Result::DemoMode, -100}));

TEST(ResultStatusLine, SaysDoneForSuccess) { EXPECT_EQ(StatusLineText(Result::Ok), "Done."); }

struct WordsRow
{
    const char* name;
    int code;
    const char* words; // a part of the text that must be there
};

class ResultWords : public testing::TestWithParam<WordsRow>
{};

TEST_P(ResultWords, SayWhatHappenedAndWhatToCheck)
{
    const std::string text = ResultText(GetParam().code);
    EXPECT_NE(text.find(GetParam().words), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ResultWords,
    testing::Values(
        WordsRow{"NoReply", Result::NoReply, "no answer from the unit within 2000 ms: check the adapter, the cable "
                                             "and the unit's power"},
        WordsRow{"DemoMode", Result::DemoMode, "demo mode is active"},
        WordsRow{"PortBusy", Result::PortBusy, "in use by another program"},
        WordsRow{"TypedNumber", Result::TypedOutOfLimits, "outside the register's limits; nothing was written"},
        WordsRow{"UnconfirmedWrite", 17, "the adapter did not confirm the write (its reply line had 17 characters)"},
        WordsRow{"Unknown", -12345, "unknown result (-12345)"}),
    [](const testing::TestParamInfo<WordsRow>& row) { return std::string(row.param.name); });
