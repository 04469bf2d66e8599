// The texts of the Modbus and BACnet test pages, free of any toolkit: how a
// value read from the unit is shown, the entry filters of their fields, how
// a typed number is read, the lines of the test log and its entries. Pure
// functions, no locale: numbers are always written with "." and ASCII
// digits.
//
// Result codes: none.
//
// Thread rules: none (pure functions).
#pragma once

#include "pages/core/PageText.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace BusTestText {

// What a result field shows when the read failed.
inline constexpr const char* kMissing = "---";
// The character-string read takes at most this many words from the unit.
inline constexpr int kCsvReadWords = 48;
// The analogue value field: at most this many characters are read as the number.
inline constexpr std::size_t kMaxDecimalChars = 15;
// The time and date-time fields hold what the adapter takes.
inline constexpr int kMaxTimeChars = 8;
inline constexpr int kMaxDateTimeChars = 19;
// A character-string value field holds up to this many characters; the
// adapter takes the first 12 of them.
inline constexpr int kMaxStringChars = 95;

// The operation names of the log lines, filled with spaces to one width so
// that the columns line up.
inline constexpr const char* kWriteHolding = "Write holding";
inline constexpr const char* kReadHolding = "Read  holding";
inline constexpr const char* kReadInput = "Read  input  ";
inline constexpr const char* kWriteCoil = "Write coil   ";
inline constexpr const char* kReadCoil = "Read  coil   ";
inline constexpr const char* kWriteInstance = "Write instance";
inline constexpr const char* kReadInstance = "Read  instance";

// A 16-bit word three ways: "%d / %uu / x%04X" (signed, unsigned, four
// upper-case hexadecimal digits). 65535 -> "-1 / 65535u / xFFFF".
std::string WordText(uint16_t word);
// A coil's state: "true" or "false".
std::string FlagText(bool set);
// "%0.2f" with a point, whatever the locale says.
std::string Fixed2(double value);
// "%5u" and "%5d": right-aligned in five places.
std::string Unsigned5(uint16_t value);
std::string Signed5(int16_t value);

// One log line: "Error: " when the result is not 0, the operation, the
// number and the value as the caller formatted it:
//   "%s%s: Addr = %5u,  val = %s (res = %i)"
std::string LogLine(const char* operation, uint16_t number, const std::string& value, int result);
// One entry of the test log as written to the file: an empty line, then
// the local date and time and the line:
//   "\r\n%04i-%02i-%02i %02i:%02i:%02i %s\r\n"
std::string LogEntry(const std::tm& local, const std::string& line);

// The entry filters. Each returns the filtered text, whether it differs
// from the text given, and where the caret goes (the place of the last
// dropped character in the text as typed, counted in UTF-16 units as a
// line edit counts; -1 when nothing was dropped).
// Digits only (register numbers).
PageText::Filtered FilterDigitsEntry(std::string_view text);
// Digits and ":", and with dateAllowed also "." and space.
PageText::Filtered FilterTimeEntry(std::string_view text, bool dateAllowed);

// A number field read as a signed integer: leading blanks and one sign,
// then digits; anything else ends it; no digits (an empty field) is 0.
int32_t FieldNumber(std::string_view text);
// The number of a number field as a 16-bit word, when it lies within
// min..max; nothing when it does not fit.
std::optional<uint16_t> FieldWord(std::string_view text, int32_t min, int32_t max);
// The analogue value field: its first 15 characters read as a decimal
// number ("," counts as "."); what follows the number is ignored, no
// number is 0.
double FieldDecimal(std::string_view text);

// A character-string value as read: one character per word, up to the
// first 0 word and at most 48 words (pairs of surrogates as one character).
std::string CsvText(const uint16_t* words, int count);

} // namespace BusTestText
