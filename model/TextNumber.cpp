#include "model/TextNumber.h"

#include <algorithm>

namespace TextNumber {

namespace {

// Beyond this the magnitude stops growing: far outside any 32-bit bound,
// far from overflowing 64 bits in base 16.
constexpr int64_t kMagnitudeCap = int64_t{1} << 40;

} // namespace

Result Parse(std::string_view text, const Options& options)
{
    text = text.substr(0, options.maxChars);
    std::size_t i = 0;
    if (options.skipBlanks)
        while (i < text.size() && IsBlank(text[i]))
            ++i;
    bool negative = false;
    if (options.allowSign && i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    int base = 10;
    switch (options.base) {
    case Base::Decimal: break;
    case Base::Hex: base = 16; break;
    case Base::Auto:
        if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
            DigitValue(text[i + 2]) >= 0) {
            base = 16;
            i += 2;
        } else if (i < text.size() && text[i] == '0') {
            base = 8;
        }
        break;
    }

    Result result;
    int64_t magnitude = 0;
    for (int d; i < text.size() && (d = DigitValue(text[i])) >= 0 && d < base; ++i) {
        if (magnitude < kMagnitudeCap)
            magnitude = magnitude * base + d;
        ++result.digits;
    }
    if (result.digits == 0)
        return Result{};
    result.end = i;
    result.value = static_cast<int32_t>(std::clamp<int64_t>(negative ? -magnitude : magnitude, options.min,
                                                            options.max));
    return result;
}

int32_t Leading(std::string_view text, const Options& options) { return Parse(text, options).value; }

} // namespace TextNumber
