#include "pages/core/CCommonLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/PageText.h"

#include <cstdio>

using namespace Page;
using namespace CommonId;

namespace {

constexpr RegisterBinding kReadOrder[] = {
    {.control = DeviceType, .address = 2000, .display = Display::Custom, .format = CCommonLogic::DeviceTypeDisplay},
    {.control = Firmware, .address = 2001},
    {.control = ProdDate, .address = 2002},
    {.control = OperationDays, .address = 2003},
    {.control = BusAddress, .address = 2004, .access = Access::Special},
    {.control = Baudrate, .address = 2005, .access = Access::Special},
    {.control = Parity, .address = 2006, .access = Access::Special},
    {.control = InternalError, .address = 2025, .display = Display::Custom,
     .format = CCommonLogic::InternalErrorDisplay},
    {.control = Pin, .address = 2008, .display = Display::Custom, .format = CCommonLogic::PinDisplay},
    {.control = Language, .address = 2009},
    {.control = TempUnit, .address = 2010},
    {.control = Brightness, .address = 2011},
    {.control = ScreenSaver, .address = 2012},
    {.control = TimeFormat, .address = 2015},
    {.control = DateFormat, .address = 2016},
    {.control = Dls, .address = 2017},
    {.control = Darkmode, .address = 2024},
};

// Read only when the unit answered the special read of 2045 at identification.
constexpr RegisterBinding kProtocolBinding = {.control = Protocol, .address = 2045, .access = Access::Special};

constexpr uint16_t kUndoOrder[] = {2004, 2005, 2006, 2008, 2009, 2010, 2011, 2012, 2015, 2016, 2017, 2024};

constexpr ChangeEntry kChangeMap[] = {
    {.control = Baudrate, .address = 2005, .take = Take::ListIndex, .access = Access::Special},
    {.control = Parity, .address = 2006, .take = Take::ListIndex, .access = Access::Special},
    {.control = BusAddress, .address = 2004, .take = Take::Number, .access = Access::Special, .alsoStore = true},
    {.control = Darkmode, .address = 2024, .take = Take::CheckState},
    {.control = Language, .address = 2009, .take = Take::ListIndex},
    {.control = TempUnit, .address = 2010, .take = Take::ListIndex},
    {.control = TimeFormat, .address = 2015, .take = Take::ListIndex},
    {.control = DateFormat, .address = 2016, .take = Take::ListIndex},
    {.control = Dls, .address = 2017, .take = Take::ListIndex},
    {.control = Brightness, .address = 2011, .take = Take::Number},
    {.control = ScreenSaver, .address = 2012, .take = Take::Number},
    {.control = Pin, .address = 2008, .take = Take::Number, .alsoStore = true},
};

constexpr HoverRegion kHoverRegions[] = {
    {DeviceType, 2000},  {Firmware, 2001},    {ProdDate, 2002},      {OperationDays, 2003}, {BusAddress, 2004},
    {Baudrate, 2005},    {Parity, 2006},      {Pin, 2008},           {Language, 2009},      {TempUnit, 2010},
    {Brightness, 2011},  {ScreenSaver, 2012}, {SaveToNvram, 2013},   {FactoryReset, 2014},  {TimeFormat, 2015},
    {DateFormat, 2016},  {Dls, 2017},         {DateTime, 2018},      {Darkmode, 2024},      {InternalError, 2025},
    {Protocol, 2045},
};

// Elements of the unit's display: the date at the top left, the time at the
// top right, the temperature unit beside the big reading, the text line in
// the chosen language under the date.
constexpr FramePercent kTimeFrame{75, 0, 100, 18};
constexpr FramePercent kDateFrame{0, 0, 42, 18};
constexpr PictureMark kMarks[] = {
    {TimeFormat, Picture::DisplayNormal, {kTimeFrame}, 1},
    {Dls, Picture::DisplayNormal, {kTimeFrame}, 1},
    {DateFormat, Picture::DisplayNormal, {kDateFrame}, 1},
    {DateTime, Picture::DisplayNormal, {kDateFrame, kTimeFrame}, 2},
    {TempUnit, Picture::DisplayNormal, {FramePercent{84, 48, 100, 68}}, 1},
    {Language, Picture::DisplayNormal, {FramePercent{0, 16, 40, 35}}, 1},
    {ScreenSaver, Picture::DisplayScreenSaver, {FramePercent{0, 0, 100, 100}}, 1},
    {Darkmode, Picture::DisplayDark, {}, 0},
};

constexpr ControlId kCommonButtons[] = {ReadTarget, UndoChanges, SaveToNvram, FactoryReset};

constexpr PageTables kTables = {
    .readOrder = kReadOrder,
    .undoOrder = kUndoOrder,
    .changeMap = kChangeMap,
    .hoverRegions = kHoverRegions,
    .marks = kMarks,
    .defaultPicture = Picture::DisplayNormal,
    .commonButtons = kCommonButtons,
};

// Leading decimal digits of a text, like the C library's atoi without its
// locale (none = 0), limited to 0..9999.
int LeadingNumber(const std::string& text, std::size_t maxChars)
{
    int n = 0;
    for (std::size_t i = 0; i < text.size() && i < maxChars && text[i] >= '0' && text[i] <= '9'; ++i)
        n = n * 10 + (text[i] - '0');
    return n > 9999 ? 9999 : n;
}

} // namespace

CCommonLogic::CCommonLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                           IPageControls& controls, CConfiguration& configuration)
    : CPageEngine(kTables, catalogue, unit, host, controls), m_configuration(configuration)
{
}

const PageTables& CCommonLogic::Tables()
{
    return kTables;
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
        result = readAndShow(kProtocolBinding);
    } else {
        c.setEnabled(Protocol, false);
    }

    // The PIN always shows four digits. A field that shows no number (a
    // failed read's "---", or nothing yet) keeps its text: "0000" there
    // would claim a unit without PIN.
    const std::string pin = c.text(Pin);
    if (!pin.empty() && pin[0] >= '0' && pin[0] <= '9' && !c.hasFocus(Pin))
        c.setText(Pin, PinDisplay(static_cast<uint16_t>(LeadingNumber(pin, 4))));

    // The clock is read only from a unit that answered everything so far;
    // values not read count as 0.
    uint16_t clock[6] = {};
    static constexpr uint16_t kClockRegisters[6] = {2023, 2022, 2021, 2018, 2019, 2020};
    if (unitKnown() && connected && result == 0) {
        for (int i = 0; i < 6; ++i) {
            const int r = unit().readHolding(kClockRegisters[i], &clock[i]);
            if (r < 0) {
                clock[i] = 0;
                result = r;
                break;
            }
        }
    }
    c.setText(DateTime, DateTimeText(UnitDateTime{2000 + clock[0], clock[1], clock[2], clock[3], clock[4], clock[5]}));
    return result;
}

void CCommonLogic::afterCycle(int)
{
    IPageControls& c = controls();
    c.setEnabled(BusAddress, true);
    c.setEnabled(Baudrate, true);
    c.setEnabled(Parity, true);
    c.setIndex(Protocol, catalogue().Holding(kProtocolRegister).value);
}

int CCommonLogic::chooseTempUnit()
{
    const bool fahrenheit = controls().index(TempUnit) == 0;
    m_configuration.setText(CConfiguration::kTempUnitKey, fahrenheit ? "\u00b0F" : "\u00b0C");
    if (!unitKnown()) {
        for (const uint16_t address : kTemperatureRegisters) {
            RegisterEntry& e = catalogue().Holding(address);
            int32_t v = e.min < 0 ? static_cast<int16_t>(e.defaultValue) : e.defaultValue;
            if (fahrenheit)
                RegisterCatalogue::ToFahrenheitX10(address, v);
            e.value = static_cast<uint16_t>(v);
        }
    }
    return writeOnChange(TempUnit);
}

int CCommonLogic::writeDateTime(const UnitDateTime& m)
{
    controls().setText(DateTime, DateTimeText(m));
    int result = 0;
    if (!unit().demoMode()) {
        result = unit().connectUnit();
        if (result == 0) {
            const struct
            {
                uint16_t address;
                int value;
            } writes[] = {{2023, m.year - 2000}, {2022, m.month}, {2021, m.day},
                          {2018, m.hour},        {2019, m.minute}, {2020, m.second}};
            for (const auto& w : writes) {
                result = unit().writeHolding(w.address, static_cast<uint16_t>(w.value));
                if (result != 0)
                    break;
            }
        }
        if (unitKnown())
            unit().disconnect();
    }
    host().setStatusText(PageText::StatusFor(result));
    return result;
}

int CCommonLogic::factoryReset()
{
    if (unit().demoMode())
        return 0;
    unit().identifyDevice();
    if (checkReady() < 0)
        return -1;
    host().showBusyOverlay();
    int result = unit().connectUnit();
    if (result == 0)
        result = unit().writeHoldingSpecialChecked(kFactoryResetRegister, 1);
    if (unitKnown())
        unit().disconnect();
    if (result == 0) {
        host().pause(m_restartWaitMs);
        result = readCycle();
    }
    host().hideBusyOverlay();
    return result;
}
