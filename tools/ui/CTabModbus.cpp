#include "tools/ui/CTabModbus.h"

namespace {

using Page::EntryFilter;
using Page::Kind;
using Page::Row;
using P = CBusTestPage;

enum Id : Page::ControlId
{
    Heading = 1,
    AddressHeading,
    ValueOutHeading,
    ValueInHeading,
    HoldingAddress,
    HoldingValue,
    HoldingResult,
    HoldingWrite,
    HoldingRead,
    InputAddress,
    InputResult,
    InputRead,
    CoilAddress,
    CoilActive,
    CoilResult,
    CoilWrite,
    CoilRead,
};

// A row's number field (its label is the row's name), value field, result
// field and buttons, in the order the keyboard passes them.
constexpr Row Address(Page::ControlId id, const char* row, int at, const char* name)
{
    return {.id = id, .kind = Kind::Number, .caption = row, .row = at, .column = P::kLabelColumn,
            .filter = EntryFilter::RegisterNumber, .accessibleName = name, .width = P::kNumberWidth};
}
constexpr Row Result(Page::ControlId id, int at, const char* name)
{
    return {.id = id, .kind = Kind::ReadOnly, .row = at, .column = P::kResultColumn, .accessibleName = name,
            .width = P::kResultWidth};
}
constexpr Row Action(Page::ControlId id, const char* caption, int at, int column, const char* name)
{
    return {.id = id, .kind = Kind::Button, .caption = caption, .row = at, .column = column, .accessibleName = name,
            .needsUnit = true};
}

constexpr Row kRows[] = {
    {.id = Heading, .kind = Kind::Heading, .caption = "Modbus (access only to default Tavemo addresses):",
     .span = P::kColumns},
    {.id = AddressHeading, .kind = Kind::UnitLabel, .caption = "Address", .row = 1, .column = P::kNumberColumn},
    {.id = ValueOutHeading, .kind = Kind::UnitLabel, .caption = "Value (out)", .row = 1, .column = P::kValueColumn},
    {.id = ValueInHeading, .kind = Kind::UnitLabel, .caption = "Value (in)", .row = 1, .column = P::kResultColumn},

    Address(HoldingAddress, "Holding", 2, "Holding Address"),
    {.id = HoldingValue, .kind = Kind::Number, .row = 2, .column = P::kValueColumn, .filter = EntryFilter::Integer,
     .accessibleName = "Holding Value (out)", .width = P::kValueWidth},
    Result(HoldingResult, 2, "Holding Value (in)"),
    Action(HoldingWrite, "Write", 2, P::kWriteColumn, "Holding Write"),
    Action(HoldingRead, "Read", 2, P::kReadColumn, "Holding Read"),

    Address(InputAddress, "Input", 3, "Input Address"),
    Result(InputResult, 3, "Input Value (in)"),
    Action(InputRead, "Read", 3, P::kReadColumn, "Input Read"),

    Address(CoilAddress, "Coil", 4, "Coil Address"),
    {.id = CoilActive, .kind = Kind::Check, .caption = "Active", .row = 4, .column = P::kValueColumn,
     .accessibleName = "Coil Active"},
    Result(CoilResult, 4, "Coil Value (in)"),
    Action(CoilWrite, "Write", 4, P::kWriteColumn, "Coil Write"),
    Action(CoilRead, "Read", 4, P::kReadColumn, "Coil Read"),

    P::OpenTestLogRow(6),
};

} // namespace

CTabModbus::CTabModbus(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent)
    : CBusTestPage(kRows, connection, host, log, parent), m_logic(connection, host, log)
{
    onClick(HoldingWrite, [this] { m_logic.writeHolding(text(HoldingAddress), text(HoldingValue)); });
    onClick(HoldingRead, [this] { showResult(HoldingResult, m_logic.readHolding(text(HoldingAddress))); });
    onClick(InputRead, [this] { showResult(InputResult, m_logic.readInput(text(InputAddress))); });
    onClick(CoilWrite, [this] { m_logic.writeCoil(text(CoilAddress), checked(CoilActive)); });
    onClick(CoilRead, [this] { showResult(CoilResult, m_logic.readCoil(text(CoilAddress))); });
}
