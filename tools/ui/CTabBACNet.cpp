#include "tools/ui/CTabBACNet.h"

#include "tools/bustest/BusTestText.h"

namespace {

using Page::EntryFilter;
using Page::Kind;
using Page::Row;
using P = CBusTestPage;

// Each object kind's row has its controls at these ids plus its base.
enum Part : Page::ControlId
{
    kInstance,
    kValue,
    kResult,
    kWrite,
    kRead,
    kParts,
};
enum ObjectKind : Page::ControlId
{
    AnalogueValue = 1,
    AnalogueInput,
    BinaryValue,
    BinaryInput,
    IntegerValue,
    CharacterString,
    DateTimeValue,
    TimeValue,
};
constexpr Page::ControlId IdOf(ObjectKind row, Part part)
{
    return static_cast<Page::ControlId>(row) * kParts + static_cast<Page::ControlId>(part);
}
constexpr Page::ControlId kHeadings = 900;

// The grid row of an object kind's row, under the headings.
constexpr int At(ObjectKind row) { return row + 1; }

// An object kind's row: its instance field (its label is the row's name),
// its value field or check box, its result field and its buttons, in the
// order the keyboard passes them.
constexpr Row InstanceField(ObjectKind row, const char* caption, const char* name)
{
    return {.id = IdOf(row, kInstance), .kind = Kind::Number, .caption = caption, .row = At(row),
            .column = P::kLabelColumn, .filter = EntryFilter::Integer, .accessibleName = name,
            .width = P::kNumberWidth};
}
constexpr Row ValueField(ObjectKind row, EntryFilter filter, int16_t width, int16_t maxLength, const char* name)
{
    return {.id = IdOf(row, kValue), .kind = Kind::Number, .row = At(row), .column = P::kValueColumn,
            .filter = filter, .accessibleName = name, .width = width, .maxLength = maxLength};
}
constexpr Row ResultField(ObjectKind row, const char* name)
{
    return {.id = IdOf(row, kResult), .kind = Kind::ReadOnly, .row = At(row), .column = P::kResultColumn,
            .accessibleName = name, .width = P::kResultWidth};
}
constexpr Row Button(ObjectKind row, Part part, const char* name)
{
    return {.id = IdOf(row, part), .kind = Kind::Button, .caption = part == kWrite ? "Write" : "Read", .row = At(row),
            .column = part == kWrite ? P::kWriteColumn : P::kReadColumn, .accessibleName = name, .needsUnit = true};
}

constexpr auto kTextMax = static_cast<int16_t>(BusTestText::kMaxStringChars);
constexpr auto kDecimalMax = static_cast<int16_t>(BusTestText::kMaxDecimalChars);
constexpr auto kDateTimeMax = static_cast<int16_t>(BusTestText::kMaxDateTimeChars);
constexpr auto kTimeMax = static_cast<int16_t>(BusTestText::kMaxTimeChars);

constexpr Row kRows[] = {
    {.id = kHeadings, .kind = Kind::Heading, .caption = "BACnet", .span = P::kColumns},
    {.id = kHeadings + 1, .kind = Kind::UnitLabel, .caption = "Instance", .row = 1, .column = P::kNumberColumn},
    {.id = kHeadings + 2, .kind = Kind::UnitLabel, .caption = "Value (out)", .row = 1, .column = P::kValueColumn},
    {.id = kHeadings + 3, .kind = Kind::UnitLabel, .caption = "Value (in)", .row = 1, .column = P::kResultColumn},

    InstanceField(AnalogueValue, "Analogue Value", "Analogue Value Instance"),
    ValueField(AnalogueValue, EntryFilter::Decimal, P::kValueWidth, kDecimalMax, "Analogue Value Value (out)"),
    ResultField(AnalogueValue, "Analogue Value Value (in)"),
    Button(AnalogueValue, kWrite, "Analogue Value Write"),
    Button(AnalogueValue, kRead, "Analogue Value Read"),

    InstanceField(AnalogueInput, "Analogue Input", "Analogue Input Instance"),
    ResultField(AnalogueInput, "Analogue Input Value (in)"),
    Button(AnalogueInput, kRead, "Analogue Input Read"),

    InstanceField(BinaryValue, "Binary Value", "Binary Value Instance"),
    {.id = IdOf(BinaryValue, kValue), .kind = Kind::Check, .caption = "Active", .row = At(BinaryValue),
     .column = P::kValueColumn, .accessibleName = "Binary Value Active"},
    ResultField(BinaryValue, "Binary Value Value (in)"),
    Button(BinaryValue, kWrite, "Binary Value Write"),
    Button(BinaryValue, kRead, "Binary Value Read"),

    InstanceField(BinaryInput, "Binary Input", "Binary Input Instance"),
    ResultField(BinaryInput, "Binary Input Value (in)"),
    Button(BinaryInput, kRead, "Binary Input Read"),

    InstanceField(IntegerValue, "Integer Value", "Integer Value Instance"),
    ValueField(IntegerValue, EntryFilter::Integer, P::kValueWidth, 0, "Integer Value Value (out)"),
    ResultField(IntegerValue, "Integer Value Value (in)"),
    Button(IntegerValue, kWrite, "Integer Value Write"),
    Button(IntegerValue, kRead, "Integer Value Read"),

    InstanceField(CharacterString, "Character String Value", "Character String Value Instance"),
    ValueField(CharacterString, EntryFilter::None, P::kTextWidth, kTextMax, "Character String Value Value (out)"),
    ResultField(CharacterString, "Character String Value Value (in)"),
    Button(CharacterString, kWrite, "Character String Value Write"),
    Button(CharacterString, kRead, "Character String Value Read"),

    InstanceField(DateTimeValue, "Date Time Value", "Date Time Value Instance"),
    ValueField(DateTimeValue, EntryFilter::DateTime, P::kTextWidth, kDateTimeMax, "Date Time Value Value (out)"),
    ResultField(DateTimeValue, "Date Time Value Value (in)"),
    Button(DateTimeValue, kWrite, "Date Time Value Write"),
    Button(DateTimeValue, kRead, "Date Time Value Read"),

    InstanceField(TimeValue, "Time Value", "Time Value Instance"),
    ValueField(TimeValue, EntryFilter::Time, P::kTextWidth, kTimeMax, "Time Value Value (out)"),
    ResultField(TimeValue, "Time Value Value (in)"),
    Button(TimeValue, kWrite, "Time Value Write"),
    Button(TimeValue, kRead, "Time Value Read"),

    P::OpenTestLogRow(At(TimeValue) + 2),
};

} // namespace

CTabBACNet::CTabBACNet(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent)
    : CBusTestPage(kRows, connection, host, log, parent), m_logic(connection, host, log)
{
    using L = CBACnetTestLogic;
    const struct
    {
        ObjectKind row;
        Write write; // null: the object is only read
        Read read;
    } actions[] = {{AnalogueValue, &L::writeAnalogueValue, &L::readAnalogueValue},
                   {AnalogueInput, nullptr, &L::readAnalogueInput},
                   {BinaryValue, nullptr, &L::readBinaryValue},
                   {BinaryInput, nullptr, &L::readBinaryInput},
                   {IntegerValue, &L::writeIntegerValue, &L::readIntegerValue},
                   {CharacterString, &L::writeCharacterString, &L::readCharacterString},
                   {DateTimeValue, &L::writeDateTime, &L::readDateTime},
                   {TimeValue, &L::writeTime, &L::readTime}};
    for (const auto& a : actions) {
        const Page::ControlId instance = IdOf(a.row, kInstance);
        const Page::ControlId value = IdOf(a.row, kValue);
        if (a.write)
            onClick(IdOf(a.row, kWrite), [=, this] { (m_logic.*a.write)(text(instance), text(value)); });
        onClick(IdOf(a.row, kRead),
                [=, this, read = a.read] { showResult(IdOf(a.row, kResult), (m_logic.*read)(text(instance))); });
    }
    onClick(IdOf(BinaryValue, kWrite),
            [this] { m_logic.writeBinaryValue(text(IdOf(BinaryValue, kInstance)), checked(IdOf(BinaryValue, kValue))); });
}
