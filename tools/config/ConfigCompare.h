// The comparison of two configurations (ConfigSource.h): per register named
// on either side its address, name and category, the two values as words
// and in the form the register's page shows them ("21.5 °C", "-3", the
// list entry's text), whether they are equal, and what the import would do
// with the right side's record when it would not write it (unknown,
// read-only, outside the limits) or why a side has no value (not read).
//
// The left side is what is there (the unit, a first file), the right side
// what would be written (the file): a marked register is listed, never
// offered for writing.
//
// Thread rules: pure functions over the catalogue; its thread.
#pragma once

#include "model/RegisterCatalogue.h"
#include "tools/config/ConfigSource.h"

#include <cstdint>
#include <string>
#include <vector>

enum class CompareMark
{
    None,
    Unknown,     // not a configuration register of this unit
    ReadOnly,
    OutOfLimits, // the right side's value lies outside the register's limits
    NotRead,     // a side asked the unit and got no value
};

struct CompareRow
{
    uint32_t address = 0;
    std::string name;     // the catalogue's name; "" when it has none
    std::string category; // the export category's caption ("Room Climate"); "" outside them
    const char* categoryKey = ""; // its tavemo-cli word ("room-climate")
    bool hasLeft = false, hasRight = false; // a value is there (read, when from a unit)
    uint32_t left = 0, right = 0;
    std::string leftShown, rightShown; // "absent" / "not read" when there is none
    bool equal = false;
    CompareMark mark = CompareMark::None;

    // Offered for writing: differs, and the import would write it.
    bool writable() const { return !equal && mark == CompareMark::None && hasRight; }
};

struct ConfigComparison
{
    std::vector<CompareRow> rows; // every register named on either side, ascending
    int differing = 0;
    int notRead = 0; // rows marked NotRead
};

namespace ConfigCompare {

inline constexpr const char* kAbsent = "absent";
inline constexpr const char* kNotRead = "not read";

ConfigComparison Compare(const RegisterCatalogue& catalogue, const ConfigSource& left, const ConfigSource& right);

// The catalogue two files are named and judged by, with no unit to ask.
// deviceType >= 0 is the profile the user gives; otherwise the device type
// that a 2000 record of each file names, when both name the same known
// one, and else every device type's registers together (a register that
// some unit has is not unknown). Temperatures are shown in tempUnit (0 °F,
// 1 °C; -1 not given: °C).
RegisterCatalogue FilesCatalogue(const ConfigSource& left, const ConfigSource& right, int deviceType, int tempUnit);

// The register's value as its page shows it; the plain number for one the
// catalogue does not know or a number that does not fit 16 bits.
std::string Shown(const RegisterCatalogue& catalogue, uint32_t address, uint32_t value);

// "skipped as read-only", "not read", ...; "" for None.
const char* MarkText(CompareMark mark);

// The unit's PIN (2008) is compared like any register, but a screen shows
// only whether one is set, as the commissioning report does: someone
// looking over the installer's shoulder must not read it.
bool IsSecret(uint32_t address);
// A side of a row as a screen shows it by default: its shown form, or for
// the PIN "set" / "none" ("absent" and "not read" stay as they are).
std::string MaskedShown(const CompareRow& row, bool left);

// "2011 Display Brightness: 55 -> 60", with the mark in brackets after it.
std::string Line(const CompareRow& row);
// The CSV header "address,name,category,left,right,note" and a row: the
// category's tavemo-cli word, the words as unsigned decimals (a file's
// number that fits no register as the file gave it, signed), empty where
// absent, and the mark as a word (CsvNote). Columns only ever get added at
// the end, so scripts that read them by name or place keep working.
std::string CsvHeader();
// "unknown", "read-only", "outside limits", "not read"; "" for None.
const char* CsvNote(CompareMark mark);
std::string CsvLine(const CompareRow& row);

} // namespace ConfigCompare
