// Whole numbers at the start of a text: the adapter's reply lines, a typed
// PIN, a baud or device-type item, a character-string word. The digits,
// blanks and signs are fixed ASCII, so the process locale never changes how
// a number reads (a Qt application takes the C library locale from the
// environment).
//
// A number is read like the C library's strtol reads it, except that it
// never overflows: optional leading blanks, an optional sign, then the
// digits of the base; the first other character (or the end of the text, or
// the character limit) ends it. A magnitude beyond the bounds gives the
// bound. No digits: the value is 0 and nothing counts as taken.
//
// Result codes: none; Parse reports how many digits it took.
//
// Thread rules: pure functions, callable from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace TextNumber {

enum class Base
{
    Decimal, // 0-9
    Hex,     // 0-9, a-f, A-F, no prefix
    Auto,    // "0x" or "0X" and a hex digit: hex; a leading 0: octal; else decimal
};

struct Options
{
    Base base = Base::Decimal;
    bool skipBlanks = true; // space, tab, line feed, vertical tab, form feed, carriage return
    bool allowSign = true;  // one '+' or '-' before the digits
    // Characters looked at from the start of the text, blanks and sign
    // included; what lies beyond is not part of the number.
    std::size_t maxChars = std::string_view::npos;
    int32_t min = INT32_MIN; // a value below saturates here
    int32_t max = INT32_MAX; // a value above saturates here
};

// Only the digits themselves: no blanks, no sign (typed PINs, list items).
inline constexpr Options kPlainDigits{.skipBlanks = false, .allowSign = false};

struct Result
{
    int32_t value = 0;      // within min..max; 0 without digits
    std::size_t digits = 0; // digits taken (a hex prefix not counted); 0: no number
    std::size_t end = 0;    // offset just after the last digit; 0 without digits
};

Result Parse(std::string_view text, const Options& options = {});

// Parse(text, options).value.
int32_t Leading(std::string_view text, const Options& options = {});

// The C library's blanks and decimal digits in the "C" locale.
constexpr bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a digit in base 16 (0-9, a-f, A-F), or -1.
constexpr int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace TextNumber
