// The value texts of the pages: tenths, markers, typed numbers, entry
// filters, the 12-register text codec and the messages.
#include "diag/Result.h"
#include "pages/core/PageText.h"

#include <gtest/gtest.h>

using namespace PageText;
using Page::Display;
using Page::Marker;

TEST(PageText, TenthsPutTheSignOnceInFront)
{
    const struct
    {
        int value;
        const char* text;
    } rows[] = {{215, "21.5"}, {0, "0.0"}, {-25, "-2.5"}, {-5, "-0.5"}, {-420, "-42.0"}, {65535, "6553.5"}};
    for (const auto& r : rows)
        EXPECT_EQ(Tenths(r.value), r.text) << r.value;
}

TEST(PageText, FormatValueAppliesDisplayAndMarkers)
{
    const struct
    {
        Display display;
        Marker marker;
        uint16_t word;
        const char* text;
    } rows[] = {
        {Display::TenthsSigned, Marker::Signed420, static_cast<uint16_t>(-420), "---"},
        {Display::TenthsSigned, Marker::Signed420, static_cast<uint16_t>(-25), "-2.5"},
        {Display::TenthsSigned, Marker::None, static_cast<uint16_t>(-420), "-42.0"},
        {Display::TenthsUnsigned, Marker::Word0xFFFF, 0xFFFF, "---"},
        {Display::TenthsUnsigned, Marker::Word0xFFFF, 555, "55.5"},
        {Display::Number, Marker::Word0xFFFF, 0xFFFF, "---"},
        {Display::Number, Marker::None, 0xFFFF, "65535"},
        {Display::Number, Marker::Signed420, 1234, "1234"},
    };
    for (const auto& r : rows) {
        Page::Row b;
        b.display = r.display;
        b.marker = r.marker;
        EXPECT_EQ(FormatValue(b, r.word), r.text) << r.word;
    }
}

TEST(PageText, ParseNumberReadsDecimalsExactlyAndTruncates)
{
    const struct
    {
        const char* text;
        int scale;
        int32_t value;
    } rows[] = {
        {"21,5", 10, 215}, {"21.5", 10, 215}, {"2.3", 10, 23},      {"  -0.59", 10, -5}, {"-2.5", 10, -25},
        {"", 10, 0},       {"abc", 1, 0},     {"12abc", 10, 120},   {"12.7", 1, 12},     {"+7", 1, 7},
        {"1.2.3", 10, 12}, {"99999999999999", 1, 2147483647},        {"-99999999999999", 10, -2147483647 - 1},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ParseNumber(r.text, r.scale), r.value) << r.text;
}

TEST(PageText, TypedNumbersMustFitTheRegisterLimits)
{
    EXPECT_TRUE(NumberInLimits(-200, -200, 1220));
    EXPECT_FALSE(NumberInLimits(-201, -200, 1220));
    EXPECT_TRUE(NumberInLimits(60000, 0, 60000));
    EXPECT_FALSE(NumberInLimits(-1, 0, 65535));   // no wrap to 65535
    EXPECT_FALSE(NumberInLimits(65557, 0, 100));  // no wrap to 21
    EXPECT_FALSE(NumberInLimits(40000, -10, 10)); // outside 16 bits signed
}

TEST(PageText, NumericFilterDropsWhatDoesNotBelongToANumber)
{
    const struct
    {
        const char* typed;
        bool decimals;
        const char* kept;
        int caret;
        bool sign = true; // false: a digits-only field
    } rows[] = {
        {"12a", false, "12", 2},    {"1a2b", false, "12", 2},  {"-12", false, "-12", -1}, {"1-2", false, "12", 1},
        {"21,5", true, "21.5", -1}, {"2.1.5", true, "2.15", 3}, {"2.5", false, "25", 1},  {"", true, "", -1},
        {"-07", false, "07", 0, false}, {"07", false, "07", -1, false},
    };
    for (const auto& r : rows) {
        const Filtered f = FilterNumericEntry(r.typed, r.decimals, r.sign);
        EXPECT_EQ(f.text, r.kept) << r.typed;
        EXPECT_EQ(f.caret, r.caret) << r.typed;
        EXPECT_EQ(f.changed, f.text != r.typed) << r.typed;
    }
}

TEST(PageText, PinFilterKeepsFourDigitsAndTheCaretsPlace)
{
    Filtered f = FilterPinEntry("12.345", 6);
    EXPECT_EQ(f.text, "1234");
    EXPECT_EQ(f.caret, 4);
    f = FilterPinEntry("1-23", 2);
    EXPECT_EQ(f.text, "123");
    EXPECT_EQ(f.caret, 1);
    f = FilterPinEntry("0042", 2);
    EXPECT_FALSE(f.changed);
    EXPECT_EQ(f.caret, 2);
}

TEST(PageText, TwelveRegisterTextsRoundTrip)
{
    uint16_t regs[12];
    TextToRegisters("Küche", regs);
    EXPECT_EQ(regs[0], 'K');
    EXPECT_EQ(regs[1], 0xFC);
    for (int i = 5; i < 12; ++i)
        EXPECT_EQ(regs[i], 0) << i; // a 5-character label leaves 7 zero registers
    EXPECT_EQ(RegistersToText(regs), "Küche");

    TextToRegisters("ABCDEFGHIJKLMNOP", regs);
    EXPECT_EQ(RegistersToText(regs), "ABCDEFGHIJKL");
    EXPECT_EQ(CutText("ABCDEFGHIJKLMNOP"), "ABCDEFGHIJKL");

    // A character outside the basic plane takes two registers and is not split.
    TextToRegisters("ABCDEFGHIJK\xF0\x9F\x98\x80", regs);
    EXPECT_EQ(RegistersToText(regs), "ABCDEFGHIJK");
    TextToRegisters("\xF0\x9F\x98\x80", regs);
    EXPECT_EQ(RegistersToText(regs), "\xF0\x9F\x98\x80");
}

TEST(PageText, MessagesHaveTheirFixedLayout)
{
    EXPECT_EQ(StatusLineText(0), "Done.");
    EXPECT_EQ(StatusLineText(-10), "Error: -10");
    EXPECT_EQ(RangeMessage(-200, 1220), "Error: selected value out of range [-200;1220] !");
    EXPECT_EQ(RegisterInfo(2011, 80, ""), "Modbus Adress =  2011 - Value =    80");
    EXPECT_EQ(RegisterInfo(409, 5, "RCBBMS_Fan_Lock_409_bit1"), "RCBBMS_Fan_Lock_409_bit1:     5");
}
