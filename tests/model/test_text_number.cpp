// The locale-free number reader: what it takes, where it stops, and how it
// saturates instead of overflowing.
#include "model/TextNumber.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using TextNumber::Base;
using TextNumber::Options;

constexpr Options kDefault{};
constexpr Options kHexWord{.base = Base::Hex, .skipBlanks = false, .allowSign = false, .maxChars = 4};
constexpr Options kAuto{.base = Base::Auto};
constexpr Options kPin{.skipBlanks = false, .allowSign = false, .maxChars = 4, .max = 9999};

TEST(TextNumberParse, TakesTheLeadingNumberAndStopsAtTheFirstOtherCharacter)
{
    const struct
    {
        const char* name;
        std::string_view text;
        Options options;
        int32_t value;
        std::size_t digits;
        std::size_t end;
    } rows[] = {
        {"plain", "42", kDefault, 42, 2, 2},
        {"digits then text", "12abc", kDefault, 12, 2, 2},
        {"all C blanks skipped", " \t\n\v\f\r7)", kDefault, 7, 1, 7},
        {"minus sign", "-45", kDefault, -45, 2, 3},
        {"plus sign", "+8", kDefault, 8, 1, 2},
        {"sign then blank is no number", "- 5", kDefault, 0, 0, 0},
        {"two signs are no number", "+-5", kDefault, 0, 0, 0},
        {"empty", "", kDefault, 0, 0, 0},
        {"no digits", "abc", kDefault, 0, 0, 0},
        {"a decimal point ends it", "21.46", kDefault, 21, 2, 2},
        {"decimal takes no hex prefix", "0x1F", kDefault, 0, 1, 1},
        {"saturates above", "99999999999999999999", kDefault, INT32_MAX, 20, 20},
        {"saturates below", "-99999999999999999999", kDefault, INT32_MIN, 20, 21},
        {"largest exact", "2147483647", kDefault, INT32_MAX, 10, 10},
        {"smallest exact", "-2147483648", kDefault, INT32_MIN, 10, 11},
        {"plain digits refuse a blank", " 7", TextNumber::kPlainDigits, 0, 0, 0},
        {"plain digits refuse a sign", "-5", TextNumber::kPlainDigits, 0, 0, 0},
        {"plain digits of a list item", "115200 Baud", TextNumber::kPlainDigits, 115200, 6, 6},
        {"hex word, four digits at most", "00e9AB", kHexWord, 0xE9, 4, 4},
        {"hex word, upper case", "FFFF", kHexWord, 0xFFFF, 4, 4},
        {"hex word cut short", "41 42", kHexWord, 0x41, 2, 2},
        {"hex word takes no blank", " 041", kHexWord, 0, 0, 0},
        {"auto: hex prefix", "0x1F", kAuto, 31, 2, 4},
        {"auto: upper-case prefix, signed", "-0X10", kAuto, -16, 2, 5},
        {"auto: prefix without hex digit is octal 0", "0xg", kAuto, 0, 1, 1},
        {"auto: leading zero is octal", "010", kAuto, 8, 3, 3},
        {"auto: octal stops at 8", "078", kAuto, 7, 2, 2},
        {"auto: decimal otherwise", " 12 =", kAuto, 12, 2, 3},
        {"character limit counts from the start", "123456", kPin, 1234, 4, 4},
        {"upper bound", "99999", Options{.skipBlanks = false, .allowSign = false, .max = 9999}, 9999, 5, 5},
        {"limit reached in the blanks", "   5", Options{.maxChars = 3}, 0, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const TextNumber::Result got = TextNumber::Parse(r.text, r.options);
        EXPECT_EQ(got.value, r.value);
        EXPECT_EQ(got.digits, r.digits);
        EXPECT_EQ(got.end, r.end);
        EXPECT_EQ(TextNumber::Leading(r.text, r.options), r.value);
    }
}

TEST(TextNumberParse, EveryByteIsADigitOnlyInItsBase)
{
    for (int c = 0; c < 256; ++c) {
        const char text[2] = {static_cast<char>(c), '\0'};
        const std::string_view one(text, 1);
        const bool decimal = c >= '0' && c <= '9';
        const bool hex = decimal || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        EXPECT_EQ(TextNumber::Parse(one).digits, decimal ? 1u : 0u) << c;
        EXPECT_EQ(TextNumber::Parse(one, kHexWord).digits, hex ? 1u : 0u) << c;
        EXPECT_EQ(TextNumber::IsDigit(static_cast<char>(c)), decimal) << c;
    }
}

} // namespace
