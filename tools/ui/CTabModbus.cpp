#include "tools/ui/CTabModbus.h"

namespace {

using P = CBusTestPage;

// Each row's controls at ids from its base on (CBusTestPage::Part).
constexpr Page::ControlId kHeadings = 1;
constexpr Page::ControlId kHolding = 10;
constexpr Page::ControlId kInput = 20;
constexpr Page::ControlId kCoil = 30;

constexpr auto kRows =
    Page::Join(P::Headings(kHeadings, "Modbus (access only to default Tavemo addresses):", "Address"),
               P::Controls<"Holding", "Address">(kHolding, 2, {.number = Page::EntryFilter::RegisterNumber,
                                                             .value = Page::EntryFilter::Integer}),
               P::Controls<"Input", "Address">(kInput, 3, {.number = Page::EntryFilter::RegisterNumber,
                                                         .written = false}),
               P::Controls<"Coil", "Address">(kCoil, 4, {.number = Page::EntryFilter::RegisterNumber,
                                                       .checkBox = true}),
               P::OpenTestLogRow(6));

} // namespace

CTabModbus::CTabModbus(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent)
    : CBusTestPage(kRows, connection, host, log, parent), m_logic(connection, host, log)
{
    onClick(kHolding + kWrite, [this] { m_logic.writeHolding(text(kHolding + kNumber), text(kHolding + kValue)); });
    onClick(kHolding + kRead,
            [this] { showResult(kHolding + kResult, m_logic.readHolding(text(kHolding + kNumber))); });
    onClick(kInput + kRead, [this] { showResult(kInput + kResult, m_logic.readInput(text(kInput + kNumber))); });
    onClick(kCoil + kWrite, [this] { m_logic.writeCoil(text(kCoil + kNumber), checked(kCoil + kValue)); });
    onClick(kCoil + kRead, [this] { showResult(kCoil + kResult, m_logic.readCoil(text(kCoil + kNumber))); });
}
