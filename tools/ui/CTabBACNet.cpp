#include "tools/ui/CTabBACNet.h"

#include "tools/bustest/BusTestText.h"

namespace {

using Page::EntryFilter;
using P = CBusTestPage;

// Each object kind's controls at ids from its base on (CBusTestPage::Part).
constexpr Page::ControlId kHeadings = 1;
constexpr Page::ControlId kAnalogueValue = 10;
constexpr Page::ControlId kAnalogueInput = 20;
constexpr Page::ControlId kBinaryValue = 30;
constexpr Page::ControlId kBinaryInput = 40;
constexpr Page::ControlId kIntegerValue = 50;
constexpr Page::ControlId kCharacterString = 60;
constexpr Page::ControlId kDateTime = 70;
constexpr Page::ControlId kTime = 80;

constexpr auto kTextMax = static_cast<int16_t>(BusTestText::kMaxStringChars);
constexpr auto kDecimalMax = static_cast<int16_t>(BusTestText::kMaxDecimalChars);
constexpr auto kDateTimeMax = static_cast<int16_t>(BusTestText::kMaxDateTimeChars);
constexpr auto kTimeMax = static_cast<int16_t>(BusTestText::kMaxTimeChars);

constexpr auto kRows = Page::Join(
    P::Headings(kHeadings, "BACnet", "Instance"),
    P::Controls<"Analogue Value", "Instance">(kAnalogueValue, 2,
                                              {.value = EntryFilter::Decimal, .maxLength = kDecimalMax}),
    P::Controls<"Analogue Input", "Instance">(kAnalogueInput, 3, {.written = false}),
    P::Controls<"Binary Value", "Instance">(kBinaryValue, 4, {.checkBox = true}),
    P::Controls<"Binary Input", "Instance">(kBinaryInput, 5, {.written = false}),
    P::Controls<"Integer Value", "Instance">(kIntegerValue, 6, {.value = EntryFilter::Integer}),
    P::Controls<"Character String Value", "Instance">(kCharacterString, 7,
                                                      {.width = P::kTextWidth, .maxLength = kTextMax}),
    P::Controls<"Date Time Value", "Instance">(
        kDateTime, 8, {.value = EntryFilter::DateTime, .width = P::kTextWidth, .maxLength = kDateTimeMax}),
    P::Controls<"Time Value", "Instance">(kTime, 9,
                                          {.value = EntryFilter::Time, .width = P::kTextWidth, .maxLength = kTimeMax}),
    P::OpenTestLogRow(11));

} // namespace

CTabBACNet::CTabBACNet(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent)
    : CBusTestPage(kRows, connection, host, log, parent), m_logic(connection, host, log)
{
    using L = CBACnetTestLogic;
    const struct
    {
        Page::ControlId row;
        Write write; // null: the object is only read
        Read read;
    } actions[] = {{kAnalogueValue, &L::writeAnalogueValue, &L::readAnalogueValue},
                   {kAnalogueInput, nullptr, &L::readAnalogueInput},
                   {kBinaryValue, nullptr, &L::readBinaryValue},
                   {kBinaryInput, nullptr, &L::readBinaryInput},
                   {kIntegerValue, &L::writeIntegerValue, &L::readIntegerValue},
                   {kCharacterString, &L::writeCharacterString, &L::readCharacterString},
                   {kDateTime, &L::writeDateTime, &L::readDateTime},
                   {kTime, &L::writeTime, &L::readTime}};
    for (const auto& a : actions) {
        const Page::ControlId row = a.row;
        if (a.write)
            onClick(row + kWrite, [=, this, write = a.write] {
                (m_logic.*write)(text(row + kNumber), text(row + kValue));
            });
        onClick(row + kRead,
                [=, this, read = a.read] { showResult(row + kResult, (m_logic.*read)(text(row + kNumber))); });
    }
    onClick(kBinaryValue + kWrite,
            [this] { m_logic.writeBinaryValue(text(kBinaryValue + kNumber), checked(kBinaryValue + kValue)); });
}
