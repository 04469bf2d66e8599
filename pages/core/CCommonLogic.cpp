#include "pages/core/CCommonLogic.h"

#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "model/TextNumber.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/PageText.h"

#include <cstdio>

using namespace Page;
using namespace CommonId;

namespace {

constexpr const char* kBaudrates[] = {"0 = 9600 Baud", "1 = 19200 Baud", "2 = 38400 Baud", "3 = 57600 Baud",
                                      "4 = 115200 Baud"};
constexpr const char* kParities[] = {"0 = None, 1 Stopbit", "1 = Even, 1 Stopbit", "2 = Odd, 1 Stopbit",
                                     "3 = None, 2 Stopbits"};
constexpr const char* kLanguages[] = {"0 = german", "1 = english", "2 = spanish",
                                      "3 = french", "4 = italian", "5 = russian"};
constexpr const char* kTempUnits[] = {"0 = \u00b0F", "1 = \u00b0C"};
constexpr const char* kTimeFormats[] = {"0 = 12h", "1 = 24h", "2 = hidden"};
constexpr const char* kDateFormats[] = {"0 = DD.MM.", "1 = MM.DD", "2 = hidden"};
constexpr const char* kDls[] = {"0 = Europe", "1 = USA", "2 = no change"};
constexpr const char* kProtocols[] = {"0 = Modbus", "1 = BACnet"};

// Elements of the unit's display: the date at the top left, the time at the
// top right, the temperature unit beside the big reading, the text line in
// the chosen language under the date.
constexpr FramePercent kTimeFrame{75, 0, 100, 18};
constexpr FramePercent kDateFrame{0, 0, 42, 18};
constexpr PictureMark kTimeMark{Picture::DisplayNormal, {kTimeFrame}, 1};

// The identity and the bus settings at the left, the unit's settings at the
// right. Bus address, baud rate, parity and protocol change how the unit
// talks on its bus: the special commands. The protocol is read only when the
// unit answered its special read at identification (afterReads) and written
// by the protocol switch; the date and time are read as one moment.
constexpr Row kRows[] = {
    {.id = DeviceType, .kind = Kind::ReadOnly, .caption = "Device Type", .row = 0, .span = 3, .address = 2000,
     .display = Display::Custom, .format = CCommonLogic::DeviceTypeDisplay},
    {.id = Firmware, .kind = Kind::ReadOnly, .caption = "Firmware", .row = 1, .address = 2001},
    {.id = ProdDate, .kind = Kind::ReadOnly, .caption = "Prod. Date", .row = 2, .address = 2002},
    {.id = OperationDays, .kind = Kind::ReadOnly, .caption = "Operation Days", .row = 3, .address = 2003},
    {.id = InternalError, .kind = Kind::ReadOnly, .caption = "Internal Error", .row = 4, .address = 2025,
     .display = Display::Custom, .format = CCommonLogic::InternalErrorDisplay},
    {.id = BusAddress, .kind = Kind::Number, .caption = "Bus Address", .row = 5, .filter = EntryFilter::Integer,
     .address = 2004, .access = Access::Special, .alsoStore = true},
    {.id = Baudrate, .kind = Kind::List, .caption = "Baudrate", .row = 6, .items = kBaudrates, .initial = 2,
     .address = 2005, .access = Access::Special},
    {.id = Parity, .kind = Kind::List, .caption = "Parity / Stop Bits", .row = 7, .items = kParities, .initial = 1,
     .address = 2006, .access = Access::Special},
    {.id = Protocol, .kind = Kind::List, .caption = "Protocol", .row = 8, .items = kProtocols, .initial = 0,
     .address = CCommonLogic::kProtocolRegister, .access = Access::Special, .uses = Use::Hover},
    {.id = DateTime, .kind = Kind::ReadOnly, .caption = "Date / Time", .row = 9, .address = 2018,
     .uses = Use::Hover, .mark = {Picture::DisplayNormal, {kDateFrame, kTimeFrame}, 2}},
    {.id = ConfigureDateTime, .kind = Kind::Button, .caption = "Configure Date / Time", .row = 10, .column = 1},

    {.id = Pin, .kind = Kind::Number, .caption = "PIN", .row = 1, .column = 2, .filter = EntryFilter::Pin,
     .address = 2008, .display = Display::Custom, .format = CCommonLogic::PinDisplay, .alsoStore = true},
    {.id = Language, .kind = Kind::List, .caption = "Language", .row = 2, .column = 2, .items = kLanguages,
     .initial = 1, .address = 2009, .mark = {Picture::DisplayNormal, {FramePercent{0, 16, 40, 35}}, 1}},
    {.id = TempUnit, .kind = Kind::List, .caption = "Temp Unit", .row = 3, .column = 2, .items = kTempUnits,
     .initial = 1, .address = 2010, .mark = {Picture::DisplayNormal, {FramePercent{84, 48, 100, 68}}, 1}},
    {.id = Brightness, .kind = Kind::Number, .caption = "Display Brightness [%]", .row = 4, .column = 2,
     .filter = EntryFilter::Integer, .address = 2011},
    {.id = ScreenSaver, .kind = Kind::Number, .caption = "Screen Saver Timeout [s]", .row = 5, .column = 2,
     .filter = EntryFilter::Integer, .address = 2012,
     .mark = {Picture::DisplayScreenSaver, {FramePercent{0, 0, 100, 100}}, 1}},
    {.id = TimeFormat, .kind = Kind::List, .caption = "Time Format", .row = 6, .column = 2, .items = kTimeFormats,
     .initial = 1, .address = 2015, .mark = kTimeMark},
    {.id = DateFormat, .kind = Kind::List, .caption = "Date Format", .row = 7, .column = 2, .items = kDateFormats,
     .initial = 0, .address = 2016, .mark = {Picture::DisplayNormal, {kDateFrame}, 1}},
    {.id = Dls, .kind = Kind::List, .caption = "DLS", .row = 8, .column = 2, .items = kDls, .initial = 0,
     .address = 2017, .mark = kTimeMark},
    {.id = Darkmode, .kind = Kind::Check, .caption = "Darkmode", .row = 9, .column = 3, .address = 2024,
     .mark = {Picture::DisplayDark, {}, 0}},

    Page::ReadTargetButton(),
    Page::UndoChangesButton(),
    Page::SaveToNvramButton(CPageEngine::kSaveToNvramRegister),
    // It wipes the unit's settings: apart from the other buttons.
    {.id = FactoryReset, .kind = Kind::Button, .caption = "Factory Reset", .row = Page::kButtonBarApart,
     .address = CCommonLogic::kFactoryResetRegister},
};

// The unit's own order: the identity, the bus settings, the internal error,
// then the settings.
constexpr uint16_t kReadOrder[] = {2000, 2001, 2002, 2003, 2004, 2005, 2006, 2025, 2008,
                                   2009, 2010, 2011, 2012, 2015, 2016, 2017, 2024};

constexpr Description kPage = {
    .rows = kRows,
    .readOrder = kReadOrder,
    .defaultPicture = Picture::DisplayNormal,
};
static_assert(OrdersMatchRows(kPage));

} // namespace

CCommonLogic::CCommonLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                           IPageControls& controls, CConfiguration& configuration)
    : CPageEngine(kPage, catalogue, unit, host, controls), m_configuration(configuration)
{
}

const Description& CCommonLogic::PageDescription()
{
    return kPage;
}

std::string CCommonLogic::DeviceTypeDisplay(uint16_t value)
{
    const char* name = ::DeviceTypeText(value);
    return *name ? std::string(name) : std::to_string(value);
}

std::string CCommonLogic::InternalErrorDisplay(uint16_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "x%02X", static_cast<unsigned>(value));
    return text;
}

std::string CCommonLogic::PinDisplay(uint16_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04u", static_cast<unsigned>(value));
    return text;
}

std::string CCommonLogic::DateTimeText(const UnitDateTime& m)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04i/%02i/%02i %02i:%02i:%02i", m.year, m.month, m.day, m.hour, m.minute,
                  m.second);
    return text;
}

int CCommonLogic::afterReads(int result, bool connected)
{
    IPageControls& c = controls();
    const bool allRead = connected && result == 0;
    if (allRead && unit().specialReadWorks()) {
        c.setEnabled(Protocol, true);
        result = readAndShow(*rowOf(Protocol));
    } else {
        c.setEnabled(Protocol, false);
    }

    // The PIN always shows four digits. A field that shows no number (a
    // failed read's "---", or nothing yet) keeps its text: "0000" there
    // would claim a unit without PIN.
    const std::string pin = c.text(Pin);
    if (!pin.empty() && TextNumber::IsDigit(pin[0]) && !c.hasFocus(Pin)) {
        TextNumber::Options digits = TextNumber::kPlainDigits;
        digits.maxChars = 4;
        c.setText(Pin, PinDisplay(static_cast<uint16_t>(TextNumber::Leading(pin, digits))));
    }

    // The clock is read only from a unit that answered everything so far.
    // A clock not read shows "---": a moment made of zeros would look real.
    uint16_t clock[6] = {};
    static constexpr uint16_t kClockRegisters[6] = {2023, 2022, 2021, 2018, 2019, 2020};
    bool clockRead = false;
    if (unitKnown() && connected && result == 0) {
        clockRead = true;
        for (int i = 0; i < 6 && clockRead; ++i) {
            if (const int r = unit().readHolding(kClockRegisters[i], &clock[i]); r < 0) {
                result = r;
                clockRead = false;
            }
        }
    }
    m_unitClock.reset();
    if (clockRead) {
        m_unitClock = UnitDateTime{2000 + clock[0], clock[1], clock[2], clock[3], clock[4], clock[5]};
        m_unitClockReadAt = std::chrono::steady_clock::now();
    }
    c.setText(DateTime, m_unitClock ? DateTimeText(*m_unitClock) : std::string(PageText::kMissing));
    return result;
}

void CCommonLogic::afterCycle(int)
{
    IPageControls& c = controls();
    c.setEnabled(BusAddress, true);
    c.setEnabled(Baudrate, true);
    c.setEnabled(Parity, true);
    c.setIndex(Protocol, ProtocolOf(catalogue().Holding(kProtocolRegister).value));
}

int CCommonLogic::chooseTempUnit()
{
    const bool fahrenheit = controls().index(TempUnit) == 0;
    m_configuration.setText(CConfiguration::kTempUnitKey, fahrenheit ? "\u00b0F" : "\u00b0C");
    // A unit of no known type takes the defaults into the value store; after
    // a failed identification the change is refused and the store kept.
    if (!unitKnown() && unit().deviceType() >= 0) {
        for (const uint16_t address : kTemperatureRegisters) {
            RegisterEntry& e = catalogue().Holding(address);
            int32_t v = e.min < 0 ? static_cast<int16_t>(e.defaultValue) : e.defaultValue;
            if (fahrenheit)
                RegisterCatalogue::ToFahrenheitX10(address, v);
            e.value = static_cast<uint16_t>(v);
        }
    }
    const int result = writeOnChange(TempUnit);
    // The unit measures in the new unit now: the other pages follow it.
    if (result == 0 && readsFromUnit())
        catalogue().Holding(Reg::TempUnit).value = fahrenheit ? 0 : 1;
    return result;
}

int64_t CCommonLogic::unitClockAgeSeconds() const
{
    if (!m_unitClock)
        return 0;
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_unitClockReadAt)
        .count();
}

int CCommonLogic::writeDateTime(const UnitDateTime& m)
{
    const std::string shownBefore = controls().text(DateTime);
    controls().setText(DateTime, DateTimeText(m));
    const int result = onUnit({.sameDevice = true}, [&] {
        const struct
        {
            uint16_t address;
            int value;
        } writes[] = {{2023, m.year - 2000}, {2022, m.month}, {2021, m.day},
                      {2018, m.hour},        {2019, m.minute}, {2020, m.second}};
        for (const auto& w : writes)
            if (const int r = unit().writeHolding(w.address, static_cast<uint16_t>(w.value)); r != 0)
                return r;
        m_unitClock = m;
        m_unitClockReadAt = std::chrono::steady_clock::now();
        return 0;
    });
    if (result == Result::AnotherUnit || result == Result::PinNotAccepted) {
        controls().setText(DateTime, shownBefore); // nothing went to a unit
        return result;                             // the status says why
    }
    host().showResult(result);
    return result;
}

void CCommonLogic::chooseProtocol()
{
    // The unit restarts with the other protocol; the user connects again.
    const int index = controls().index(Protocol);
    if (index < 0)
        return;
    unit().switchProtocol(index);
    host().protocolChanged();
}

int CCommonLogic::factoryReset()
{
    if (unit().demoMode())
        return 0;
    const int identified = unit().identifyDevice();
    if (identified == Result::AnotherUnit || identified == Result::PinNotAccepted)
        return refuseUnit(identified);
    if (checkReady() < 0)
        return Result::NoLink;
    // The overlay stays while the unit restarts and is read again.
    host().showBusyOverlay();
    int result = onUnit({.sameDevice = true},
                        [this] { return unit().writeHoldingSpecialChecked(kFactoryResetRegister, 1); });
    if (result == 0) {
        host().pause(m_restartWaitMs);
        result = readCycle();
    } else if (result != Result::AnotherUnit && result != Result::PinNotAccepted) {
        // A refused reset is no "Ready.".
        host().showResult(result);
    }
    host().hideBusyOverlay();
    return result;
}
