// The texts of the configuration pages: how register values are shown, how
// typed numbers are read, the entry filters, the 12-register text codec, the
// status and range messages and the register information line. Pure
// functions, no locale: the decimal point is always ".", whatever the
// process locale says.
//
// Thread rules: none (pure functions).
#pragma once

#include "pages/core/PageTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace PageText {

// The unit's own marker text for a value it does not have.
inline constexpr const char* kMissing = "---";
inline constexpr const char* kRunning = "Running...";
inline constexpr const char* kDone = "Done.";
inline constexpr const char* kReady = "Ready.";
inline constexpr const char* kNoDevice = "Error: No device connected or PIN wrong.";
// A 12-register text: one UTF-16 character per register, 0 after its end.
inline constexpr int kTextRegisters = 12;

// "%i.%i": integer part and tenths digit, the minus sign once in front.
// -25 -> "-2.5", -5 -> "-0.5", 215 -> "21.5".
std::string Tenths(int value);
// A register word as the binding shows it (tenths, number, marker "---").
// Display::Text and Display::Custom without a format give the plain number.
std::string FormatValue(const Page::Row& binding, uint16_t word);
bool IsMissingMarker(Page::Marker marker, uint16_t word);

// "Error: selected value out of range [%d;%d] !"
std::string RangeMessage(int32_t min, int32_t max);
// A number field held no number when Enter was pressed.
inline constexpr const char* kNoNumber = "Error: enter a number - nothing was written.";
// The identity check found another unit than the one connected.
inline constexpr const char* kAnotherUnit = "another unit is attached: connect again";
// A field the user left with a change that is not written yet.
inline constexpr const char* kPressEnter = "Press Enter to write";
// "Modbus Adress = %5i - Value = %5i", or "%s: %5i" when name is not empty.
std::string RegisterInfo(uint32_t address, uint16_t value, std::string_view name);

// A typed number: "," counts as ".", leading blanks are skipped, reading
// stops at the first character that does not belong to the number, an empty
// text is 0. scale 10 gives tenths. The decimal digits are taken exactly and
// truncated toward zero ("2.37" x 10 = 23, "-0.59" x 10 = -5); the result
// saturates at the int32 limits.
int32_t ParseNumber(std::string_view text, int scale);
// Whether a typed text is a number at all: blanks around it, an optional
// sign, digits with at most one "." or "," among or after them, and at least
// one digit. An empty text, "-" or "abc" are no number (ParseNumber would
// read them as 0).
bool IsNumber(std::string_view text);
// Whether a typed number fits the limits under the catalogue rule: signed
// 16-bit when min is negative, else unsigned 16-bit. Numbers that do not
// fit in 16 bits at all are outside.
bool NumberInLimits(int32_t value, int32_t min, int32_t max);

// The filter of numeric edit fields. Keeps digits, "-" only as the first
// character (unless sign is false: digits only) and, when decimals are
// allowed, the first "." or "," (as ".").
struct Filtered
{
    std::string text;
    bool changed = false;
    int caret = -1; // where the last dropped character stood; -1 when nothing was dropped
};
Filtered FilterNumericEntry(std::string_view text, bool decimals, bool sign = true);
// The PIN field: digits only, at most four. caret is the caret before the
// change; the result's caret is moved left by the characters removed before it.
Filtered FilterPinEntry(std::string_view text, int caret);

// 12-register texts. Decoding stops at the first 0 register; encoding takes
// the first 12 UTF-16 characters and fills the rest with 0.
std::string RegistersToText(const uint16_t* registers, int count = kTextRegisters);
void TextToRegisters(std::string_view utf8, uint16_t* registers);
// The first 12 UTF-16 characters of a text.
std::string CutText(std::string_view utf8, int characters = kTextRegisters);

} // namespace PageText
