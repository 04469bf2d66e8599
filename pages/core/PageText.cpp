#include "pages/core/PageText.h"

#include <cstdio>
#include <limits>

namespace PageText {

std::string Tenths(int value)
{
    // The sign stands once in front, so -5 reads -0.5 and not 0.-5.
    const long long v = value;
    const long long magnitude = v < 0 ? -v : v;
    std::string text = v < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    text += '.';
    text += static_cast<char>('0' + magnitude % 10);
    return text;
}

bool IsMissingMarker(Page::Marker marker, uint16_t word)
{
    switch (marker) {
    case Page::Marker::None: return false;
    case Page::Marker::Signed420: return static_cast<int16_t>(word) == -420;
    case Page::Marker::Word0xFFFF: return word == 0xFFFF;
    }
    return false;
}

std::string FormatValue(const Page::Row& binding, uint16_t word)
{
    if (IsMissingMarker(binding.marker, word))
        return kMissing;
    switch (binding.display) {
    case Page::Display::TenthsSigned: return Tenths(static_cast<int16_t>(word));
    case Page::Display::TenthsUnsigned: return Tenths(word);
    case Page::Display::Custom:
        if (binding.format)
            return binding.format(word);
        break;
    case Page::Display::Number:
    case Page::Display::Text: break;
    }
    return std::to_string(word);
}

std::string RangeMessage(int32_t min, int32_t max)
{
    return "Error: selected value out of range [" + std::to_string(min) + ";" + std::to_string(max) + "] !";
}

std::string RegisterInfo(uint32_t address, uint16_t value, std::string_view name)
{
    char line[160];
    if (name.empty())
        std::snprintf(line, sizeof line, "Modbus Adress = %5u - Value = %5u", static_cast<unsigned>(address),
                      static_cast<unsigned>(value));
    else
        std::snprintf(line, sizeof line, "%.*s: %5u", static_cast<int>(name.size() > 100 ? 100 : name.size()),
                      name.data(), static_cast<unsigned>(value));
    return line;
}

bool IsNumber(std::string_view text)
{
    std::size_t i = 0;
    const auto blank = [&] { return i < text.size() && (text[i] == ' ' || text[i] == '\t'); };
    while (blank())
        ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    int digits = 0;
    bool separator = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if ((c == '.' || c == ',') && !separator)
            separator = true;
        else
            break;
    }
    while (blank())
        ++i;
    return digits > 0 && i == text.size();
}

int32_t ParseNumber(std::string_view text, int scale)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Integer part, then the decimal digits that the scale keeps; further
    // digits are dropped (truncation toward zero). Everything in 64 bits,
    // saturated, so no typed length can overflow.
    constexpr long long kCap = 1LL << 40;
    long long whole = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (whole < kCap)
            whole = whole * 10 + (text[i] - '0');
        ++i;
    }
    long long scaled = whole * scale;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        for (int unit = scale / 10; unit > 0 && i < text.size() && text[i] >= '0' && text[i] <= '9'; unit /= 10) {
            scaled += (text[i] - '0') * unit;
            ++i;
        }
    }
    if (negative)
        scaled = -scaled;
    if (scaled > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (scaled < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(scaled);
}

bool NumberInLimits(int32_t value, int32_t min, int32_t max)
{
    if (min < 0) {
        if (value < -32768 || value > 32767)
            return false;
        return value >= static_cast<int16_t>(min) && value <= static_cast<int16_t>(max);
    }
    if (value < 0 || value > 0xFFFF)
        return false;
    return value >= static_cast<uint16_t>(min) && value <= static_cast<uint16_t>(max);
}

Filtered FilterNumericEntry(std::string_view text, bool decimals, bool sign)
{
    Filtered out;
    bool separatorSeen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool keep = false;
        char kept = c;
        if (c >= '0' && c <= '9')
            keep = true;
        else if (sign && c == '-' && i == 0)
            keep = true;
        else if (decimals && (c == '.' || c == ',') && !separatorSeen) {
            keep = true;
            separatorSeen = true;
            kept = '.';
        }
        if (keep)
            out.text += kept;
        else
            out.caret = static_cast<int>(i);
        if (kept != c)
            out.changed = true;
    }
    if (out.caret >= 0)
        out.changed = true;
    if (out.caret > static_cast<int>(out.text.size()))
        out.caret = static_cast<int>(out.text.size());
    return out;
}

Filtered FilterPinEntry(std::string_view text, int caret)
{
    Filtered out;
    int removedBeforeCaret = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9' && out.text.size() < 4) {
            out.text += c;
        } else if (!(c >= '0' && c <= '9') && static_cast<int>(i) < caret) {
            ++removedBeforeCaret;
        }
    }
    out.changed = out.text != text;
    int place = caret - removedBeforeCaret;
    if (place < 0)
        place = 0;
    if (place > static_cast<int>(out.text.size()))
        place = static_cast<int>(out.text.size());
    out.caret = out.changed ? place : caret;
    return out;
}

namespace {

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Next code point of a UTF-8 text; malformed bytes come out as U+FFFD.
uint32_t NextCodePoint(std::string_view s, std::size_t& i)
{
    const auto b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80)
        return b;
    int extra = 0;
    uint32_t cp = 0;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        cp = b & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return cp > 0x10FFFF ? 0xFFFD : cp;
}

} // namespace

std::string RegistersToText(const uint16_t* registers, int count)
{
    std::string text;
    for (int i = 0; i < count && registers[i] != 0; ++i) {
        const uint16_t u = registers[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && registers[i + 1] >= 0xDC00 && registers[i + 1] <= 0xDFFF) {
            AppendUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (registers[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(text, 0xFFFD);
        } else {
            AppendUtf8(text, u);
        }
    }
    return text;
}

void TextToRegisters(std::string_view utf8, uint16_t* registers)
{
    int n = 0;
    std::size_t i = 0;
    while (i < utf8.size() && n < kTextRegisters) {
        const uint32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            // A character outside the basic plane takes two registers; one
            // that no longer fits whole is left out.
            if (n + 2 > kTextRegisters)
                break;
            registers[n++] = static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10));
            registers[n++] = static_cast<uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            registers[n++] = static_cast<uint16_t>(cp);
        }
    }
    while (n < kTextRegisters)
        registers[n++] = 0;
}

std::string CutText(std::string_view utf8, int characters)
{
    std::size_t i = 0;
    int units = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        const uint32_t cp = NextCodePoint(utf8, i);
        units += cp >= 0x10000 ? 2 : 1;
        if (units > characters)
            return std::string(utf8.substr(0, start));
    }
    return std::string(utf8);
}

} // namespace PageText
