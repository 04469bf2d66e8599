#include "tools/bustest/BusTestText.h"

#include "model/TextNumber.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace BusTestText {

namespace {

std::string PadLeft(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

// UTF-16 units a UTF-8 lead byte stands for: a character beyond the basic
// plane takes two, every other one; continuation bytes none.
int Utf16Units(unsigned char byte)
{
    if ((byte & 0xC0) == 0x80)
        return 0;
    return (byte & 0xF8) == 0xF0 ? 2 : 1;
}

// Keeps the characters keep() accepts; the caret as the filters give it.
template <class Keep> PageText::Filtered FilterBy(std::string_view text, Keep keep)
{
    PageText::Filtered out;
    int place = 0; // UTF-16 units before the byte looked at
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80 && keep(static_cast<char>(byte)))
            out.text += static_cast<char>(byte);
        else if (Utf16Units(byte) > 0)
            out.caret = place; // a character that is not kept: all its bytes go
        place += Utf16Units(byte);
    }
    out.changed = out.text.size() != text.size();
    if (out.caret > static_cast<int>(out.text.size()))
        out.caret = static_cast<int>(out.text.size());
    return out;
}

} // namespace

std::string WordText(uint16_t word)
{
    static const char kHex[] = "0123456789ABCDEF";
    const std::string hex = {kHex[(word >> 12) & 15], kHex[(word >> 8) & 15], kHex[(word >> 4) & 15],
                             kHex[word & 15]};
    return std::to_string(static_cast<int16_t>(word)) + " / " + std::to_string(word) + "u / x" + hex;
}

std::string FlagText(bool set) { return set ? "true" : "false"; }

std::string Fixed2(double value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0.00");
}

std::string Unsigned5(uint16_t value) { return PadLeft(std::to_string(value), 5); }

std::string Signed5(int16_t value) { return PadLeft(std::to_string(value), 5); }

std::string LogLine(const char* operation, uint16_t number, const std::string& value, int result)
{
    return std::string(result != 0 ? "Error: " : "") + operation + ": Addr = " + Unsigned5(number) +
           ",  val = " + value + " (res = " + std::to_string(result) + ")";
}

std::string LogEntry(const std::tm& local, const std::string& line)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04i-%02i-%02i %02i:%02i:%02i", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return "\r\n" + std::string(stamp) + " " + line + "\r\n";
}

PageText::Filtered FilterDigitsEntry(std::string_view text)
{
    return FilterBy(text, [](char c) { return TextNumber::IsDigit(c); });
}

PageText::Filtered FilterTimeEntry(std::string_view text, bool dateAllowed)
{
    return FilterBy(text, [dateAllowed](char c) {
        return TextNumber::IsDigit(c) || c == ':' || (dateAllowed && (c == '.' || c == ' '));
    });
}

int32_t FieldNumber(std::string_view text) { return TextNumber::Leading(text); }

std::optional<uint16_t> FieldWord(std::string_view text, int32_t min, int32_t max)
{
    const int32_t value = FieldNumber(text);
    if (value < min || value > max)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

double FieldDecimal(std::string_view text)
{
    std::string number(text.substr(0, kMaxDecimalChars));
    std::replace(number.begin(), number.end(), ',', '.');
    const char* p = number.c_str();
    while (TextNumber::IsBlank(*p))
        ++p;
    const char* end = number.c_str() + number.size();
    // from_chars takes a leading '-' but no '+'.
    if (*p == '+' && p + 1 < end && p[1] != '-')
        ++p;
    double value = 0;
    const auto r = std::from_chars(p, end, value, std::chars_format::fixed);
    return r.ec == std::errc() ? value : 0.0;
}

std::string CsvText(const uint16_t* words, int count)
{
    if (!words)
        return {};
    return PageText::RegistersToText(words, std::clamp(count, 0, kCsvReadWords));
}

} // namespace BusTestText
