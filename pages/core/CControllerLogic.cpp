#include "pages/core/CControllerLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"
#include "tools/report/CChangeJournal.h"

#include <algorithm>
#include <initializer_list>
#include <set>

using namespace Page;
using namespace ControllerId;

namespace {

constexpr const char* kOpModeItems[] = {"0 = OFF", "1 = Cooling Auto (Heating blocked)",
                                        "2 = Heating Auto (Cooling blocked)", "3 = Cooling and Heating Auto"};
constexpr const char* kCoDiItems[] = {"0 = change over inactive(default)",
                                      "1 = DI 1 - Cooling(Contact open), Heating(contact closed)",
                                      "2 = DI 1 - Heating(Contact open), Cooling(contact closed)",
                                      "3 = DI 2 - Cooling(Contact open), Heating(contact closed)",
                                      "4 = DI 2 - Heating(Contact open), Cooling(contact closed)",
                                      "5 = external temperature sensor",
                                      "6 = bus temperature sensor"};
constexpr const char* kCoModbusItems[] = {"0 = Change Over inactive", "1 = Cooling Mode(Heating blocked)",
                                          "2 = Heating Mode(Cooling blocked)", "3 = Change Over by DI / Temp (default)"};
constexpr const char* kStatusItems[] = {"0 = Change Over inactive(default)", "1 = Cooling Mode(Heating blocked)",
                                        "2 = Heating Mode(Cooling blocked)"};
constexpr const char* kFanMappingItems[] = {"0 = no assignment to a controller",
                                            "1 = cooling and heating (default)",
                                            "2 = cooling",
                                            "3 = heating",
                                            "4 = humidity (internal sensor)",
                                            "5 = humidity (external sensor)",
                                            "6 = CO2 (internal sensor)",
                                            "7 = CO2 (external sensor)",
                                            "8 = VOC % (internal sensor)",
                                            "9 = VOC (external sensor)"};

constexpr uint16_t kOpMode = 1607;
constexpr uint16_t kCoDi = 8054;
constexpr uint16_t kCoModbus = 1602;
constexpr uint16_t kCoStatus = 1600;
constexpr uint16_t kHeatingType = 8003;
constexpr uint16_t kCoolingType = 8004;
constexpr uint16_t kSecondType = 8044;
constexpr uint16_t kFanMapping = 8031;
constexpr uint16_t kFanType = 8201;

// The lists run over three grid columns; the "Config" buttons line up
// after them.
constexpr int kListSpan = 3;
constexpr int kConfigColumn = 5;

// A controller type's radio: a click writes the type it stands for.
// Captions repeat on the page ("PI Ctrl", "ON/OFF"): the name says whose
// radio it is.
constexpr Row ControllerRadio(ControlId id, const char* caption, const char* name, int row, int column,
                              uint16_t address, uint16_t value)
{
    return Row{.id = id, .kind = Kind::Radio, .caption = caption, .row = row, .column = column, .address = address,
               .take = Take::RadioValue, .uses = Use::Change, .accessibleName = name, .radioValue = value};
}
constexpr Row ConfigButton(ControlId id, const char* name, int row)
{
    return Row{.id = id, .kind = Kind::Button, .caption = "Config", .row = row, .column = kConfigColumn,
               .accessibleName = name};
}

// The change-over lists are read and written on a change, but "Undo
// Changes" leaves the change-over alone: it is set up through the mode
// radios and lists together with the inputs it needs.
constexpr uint8_t kChangeOverUses = Use::Read | Use::Change | Use::Hover;

constexpr Row kRows[] = {
    {.id = ControllerHeading, .kind = Kind::Heading, .caption = "Controller:", .row = 0, .column = 0, .span = 2},
    {.id = GlobalHeading, .kind = Kind::Heading, .caption = "Global Settings", .row = 1, .column = 0, .span = 2},
    // The change-over: one radio per way, beside the list of that way.
    // The radios have no caption: their names say which way they choose.
    {.id = OpModeRadio, .kind = Kind::Radio, .row = 2, .column = 0, .accessibleName = "Mode: OPMode by Modbus"},
    {.id = OpModeList, .kind = Kind::List, .caption = "OPMode by Modbus", .row = 2, .column = 1, .span = kListSpan,
     .items = kOpModeItems, .initial = 0, .address = kOpMode},
    {.id = CoDiRadio, .kind = Kind::Radio, .row = 3, .column = 0, .accessibleName = "Mode: Change-Over by DI / Temp"},
    {.id = CoDiList, .kind = Kind::List, .caption = "Change-Over by DI / Temp", .row = 3, .column = 1,
     .span = kListSpan, .items = kCoDiItems, .initial = 0, .address = kCoDi, .uses = kChangeOverUses},
    {.id = CoModbusRadio, .kind = Kind::Radio, .row = 4, .column = 0,
     .accessibleName = "Mode: Change-Over by Modbus"},
    {.id = CoModbusList, .kind = Kind::List, .caption = "Change-Over by Modbus", .row = 4, .column = 1,
     .span = kListSpan, .items = kCoModbusItems, .initial = 0, .address = kCoModbus, .uses = kChangeOverUses},
    {.id = StatusCaption, .kind = Kind::UnitLabel, .caption = "Change-Over Status:", .row = 5, .column = 1,
     .address = kCoStatus},
    {.id = StatusText, .kind = Kind::UnitLabel, .caption = "", .row = 5, .column = 2, .span = kListSpan},
    {.id = GlobalConfig, .kind = Kind::Button, .caption = "Global Controller Config", .row = 6, .column = 1},
    {.id = DefaultReboot, .kind = Kind::Button, .caption = "Set Default Reboot", .row = 6, .column = 2},
    {.id = ConfigChangeOver, .kind = Kind::Button, .caption = "Config Change-Over", .row = 6, .column = 3},

    {.id = MainHeading, .kind = Kind::Heading, .caption = "Main Temp Controller", .row = 7, .column = 0, .span = 2},
    {.id = HeatingCaption, .kind = Kind::UnitLabel, .caption = "Heating:", .row = 8, .column = 1,
     .address = kHeatingType},
    ControllerRadio(HeatingPi, "PI Ctrl", "Heating: PI Ctrl", 8, 2, kHeatingType, 0),
    ControllerRadio(HeatingOnOff, "ON/OFF", "Heating: ON/OFF", 8, 3, kHeatingType, 1),
    ConfigButton(HeatingConfig, "Heating: Config", 8),
    {.id = CoolingCaption, .kind = Kind::UnitLabel, .caption = "Cooling:", .row = 9, .column = 1,
     .address = kCoolingType},
    ControllerRadio(CoolingPi, "PI Ctrl", "Cooling: PI Ctrl", 9, 2, kCoolingType, 0),
    ControllerRadio(CoolingOnOff, "ON/OFF", "Cooling: ON/OFF", 9, 3, kCoolingType, 1),
    ConfigButton(CoolingConfig, "Cooling: Config", 9),

    {.id = SecondHeading, .kind = Kind::Heading, .caption = "Second Temp Controller", .row = 10, .column = 0,
     .span = 2},
    {.id = SecondCaption, .kind = Kind::UnitLabel, .caption = "Heating/Cooling:", .row = 11, .column = 1,
     .address = kSecondType},
    ControllerRadio(SecondPi, "PI Ctrl", "Heating/Cooling: PI Ctrl", 11, 2, kSecondType, 0),
    ControllerRadio(SecondOnOff, "ON/OFF", "Heating/Cooling: ON/OFF", 11, 3, kSecondType, 1),
    ControllerRadio(SecondInactive, "INACTIVE", "Heating/Cooling: INACTIVE", 11, 4, kSecondType, 2),
    ConfigButton(SecondConfig, "Heating/Cooling: Config", 11),

    {.id = FanHeading, .kind = Kind::Heading, .caption = "Fan Controller", .row = 12, .column = 0, .span = 2},
    {.id = FanMapping, .kind = Kind::List, .caption = "Fan Mapping", .row = 13, .column = 1, .span = kListSpan,
     .items = kFanMappingItems, .initial = 0, .address = kFanMapping},
    ConfigButton(FanConfig, "Fan Mapping: Config", 13),
    ControllerRadio(FanPi, "PI Ctrl", "Fan Controller: PI Ctrl", 14, 2, kFanType, 0),
    ControllerRadio(FanOnOff, "ON/OFF", "Fan Controller: ON/OFF", 14, 3, kFanType, 1),

    {.id = OutputHeading, .kind = Kind::Heading, .caption = "Output", .row = 15, .column = 0, .span = 2},
    {.id = HcOutput, .kind = Kind::Button, .caption = "Heating/Cooling Output", .row = 16, .column = 1},
    {.id = ValveOutput, .kind = Kind::Button, .caption = "6-Way-Valve Output", .row = 16, .column = 2},
    {.id = FanOutputButton, .kind = Kind::Button, .caption = "Fan Output", .row = 16, .column = 3},
    {.id = ShowOutputValues, .kind = Kind::Button, .caption = "Show Output Values", .row = 16, .column = 4,
     .span = 2},

    // Registers read into the catalogue only: fan control present, the
    // controller types (shown by the radios) and the change-over status
    // (shown as text). The unit's own two are not written back.
    {.address = CControllerLogic::kFanControlRegister, .uses = Use::Read},
    {.address = kHeatingType},
    {.address = kCoolingType},
    {.address = kSecondType},
    {.address = kFanType},
    {.address = kCoStatus, .uses = Use::Read},

    Page::ReadTargetButton(),
    // The page's own undo: the second controller's type comes from its radios.
    {.id = Page::kUndoChanges, .kind = Kind::Button, .caption = "Undo Changes", .row = kButtonBar},
    Page::SaveToNvramButton(),
};

// The unit's order: fan control present and the controller types first,
// the change-over last. "Undo Changes" writes back the types, the
// operating mode and the fan mapping, in this order.
constexpr uint16_t kReadOrder[] = {CControllerLogic::kFanControlRegister, kHeatingType, kCoolingType, kSecondType,
                                   kOpMode, kFanMapping, kFanType, kCoModbus, kCoStatus, kCoDi};

constexpr Description kPage = {
    .rows = kRows,
    .readOrder = kReadOrder,
};
static_assert(OrdersMatchRows(kPage));

using LR = LaunchRegister;
constexpr LR kTempUnit{Reg::TempUnit};

constexpr LR kGlobalRead[] = {kTempUnit, {8000}, {8001}, {8002}, {8005}, {8006}, {8007}, {8008},
                              {8018},    {8019}, {8041}, {8042}, {8050}, {8051}, {8052}};
constexpr LR kGlobalWrite[] = {{8000}, {8001}, {8002}, {8005}, {8006}, {8007}, {8008},
                               {8018}, {8019}, {8041}, {8042}, {8050}, {8051}, {8052}};
constexpr LR kHeatingRead[] = {kTempUnit, {8013}, {8014}, {8015}, {8016}, {8008}, {8018},
                               {8051},    {8005}, {8019}, {8027, LR::RelayTypes}, {8050}, {8025, LR::PiOrAnalog}};
constexpr LR kHeatingWrite[] = {{8013}, {8014}, {8015}, {8016}, {8008}, {8018},
                                {8005}, {8051}, {8019}, {8027, LR::RelayTypes}, {8050}, {8025, LR::PiOrAnalog}};
constexpr LR kCoolingRead[] = {kTempUnit, {8009}, {8010}, {8011}, {8012}, {8018},
                               {8019},    {8008}, {8005}, {8028, LR::RelayTypes}, {8026, LR::PiOrAnalog}};
constexpr LR kCoolingWrite[] = {{8009}, {8010}, {8011}, {8012}, {8018},
                                {8019}, {8008}, {8005}, {8028, LR::RelayTypes}, {8026, LR::PiOrAnalog}};
constexpr LR kValveRead[] = {kTempUnit, {8020}, {8021}, {8022}, {8023}, {8024}};
constexpr LR kValveWrite[] = {{8020}, {8021}, {8022}, {8023}, {8024}};
constexpr LR kSecondRead[] = {kTempUnit, {8043}, {8045}, {8046}, {8047}, {8048},
                              {8049},    {8005}, {8008}, {8018}, {8019}};
constexpr LR kSecondWrite[] = {{8043}, {8045}, {8046}, {8047}, {8048}, {8049}, {8005}, {8008}, {8018}, {8019}};
constexpr LR kOutputsRead[] = {kTempUnit, {8025}, {8027}, {8026}, {8028}, {8029}, {8030}};
constexpr LR kOutputsWrite[] = {{8025}, {8027}, {8026}, {8028}, {8029}, {8030}};
constexpr LR kFanOutputRead[] = {kTempUnit, {8032}, {8033}};
constexpr LR kFanOutputWrite[] = {{8032}, {8033}};
constexpr LR kRebootRead[] = {kTempUnit, {8053}};
constexpr LR kRebootWrite[] = {{8053}};
constexpr LR kChangeOverRead[] = {kTempUnit, {8055}, {8056}};
constexpr LR kChangeOverWrite[] = {{8055}, {8056}};
constexpr LR kOutputValuesRead[] = {kTempUnit, {1616}, {1617}, {1618}, {1619}, {1620}, {1621}, {1622},
                                    {1623},    {8200}, {8031}, {402},  {8049}, {8044}};

// The fan controller's lists depend on its mapping (FanRegisters).
constexpr ControllerLaunch kLaunches[] = {
    {GlobalConfig, ControllerDialog::Global, "Global Controller Configuration", kNoControl, kGlobalRead,
     kGlobalWrite},
    {HeatingConfig, ControllerDialog::Heating, "Main Temp Controller Heating Configuration", HeatingPi,
     kHeatingRead, kHeatingWrite},
    {CoolingConfig, ControllerDialog::Cooling, "Main Temp Controller Cooling Configuration", CoolingPi,
     kCoolingRead, kCoolingWrite},
    {ValveOutput, ControllerDialog::Valve, "6-Way-Valve Output Configuration", kNoControl, kValveRead,
     kValveWrite},
    {SecondConfig, ControllerDialog::Second, "Second Temp Controller Heating/Cooling Configuration", SecondPi,
     kSecondRead, kSecondWrite},
    {FanConfig, ControllerDialog::Fan, "Fan Controller Configuration", FanPi, {}, {}},
    {HcOutput, ControllerDialog::Outputs, "Heating/Cooling Output Configuration", kNoControl, kOutputsRead,
     kOutputsWrite},
    {FanOutputButton, ControllerDialog::FanOutput, "Fan Output Configuration", kNoControl, kFanOutputRead,
     kFanOutputWrite},
    {DefaultReboot, ControllerDialog::DefaultReboot, "Operation Mode by Modbus Default Reboot", kNoControl,
     kRebootRead, kRebootWrite},
    {ConfigChangeOver, ControllerDialog::ChangeOver, "Configuration Change-Over", kNoControl, kChangeOverRead,
     kChangeOverWrite},
    {ShowOutputValues, ControllerDialog::OutputValues, "Output Values", kNoControl, kOutputValuesRead, {}},
};

bool OneOf(int value, std::initializer_list<int> values)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool IsChangeOverInput(uint16_t function)
{
    return function == 17 || function == 18;
}

} // namespace

CControllerLogic::CControllerLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                                   IPageControls& controls)
    : CPageEngine(kPage, catalogue, unit, host, controls)
{
}

const Description& CControllerLogic::PageDescription()
{
    return kPage;
}

std::span<const ControllerLaunch> CControllerLogic::Launches()
{
    return kLaunches;
}

const ControllerLaunch* CControllerLogic::LaunchOf(ControlId button)
{
    for (const ControllerLaunch& launch : kLaunches)
        if (launch.button == button)
            return &launch;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Read cycle and presentation

int CControllerLogic::changeOverMode() const
{
    if (catalogue().Holding(kCoDi).value != 0)
        return 1;
    const uint16_t byModbus = catalogue().Holding(kCoModbus).value;
    return byModbus == 1 || byModbus == 2 ? 2 : 0;
}

int CControllerLogic::afterReads(int result, bool connected)
{
    (void)connected;
    return result;
}

void CControllerLogic::afterCycle(int result)
{
    (void)result;
    // Everything below uses the catalogue only: it runs whatever the reads
    // gave, so the radios and enablings match what the catalogue holds.
    showRadios();
    enableFanGroup();
    const uint16_t status = catalogue().Holding(kCoStatus).value;
    controls().setText(StatusText, status < std::size(kStatusItems) ? kStatusItems[status] : "");
    const int type = unit().deviceType();
    controls().setEnabled(ValveOutput, !OneOf(type, {1002, 1004, 1005, 1006}));
    controls().setEnabled(FanOutputButton, !OneOf(type, {1000, 1001, 1002, 1004}));
    showChangeOver();
    enableSecondGroup();
}

void CControllerLogic::showRadios()
{
    const auto pair = [this](uint16_t address, ControlId pi, ControlId onOff) {
        const uint16_t v = catalogue().Holding(address).value;
        if (v == 0)
            controls().setChecked(pi, true);
        else if (v == 1)
            controls().setChecked(onOff, true);
    };
    pair(kHeatingType, HeatingPi, HeatingOnOff);
    pair(kCoolingType, CoolingPi, CoolingOnOff);
    pair(kFanType, FanPi, FanOnOff);
    const uint16_t second = catalogue().Holding(kSecondType).value;
    if (second <= 2)
        controls().setChecked(second == 0 ? SecondPi : second == 1 ? SecondOnOff : SecondInactive, true);
}

void CControllerLogic::enableFanGroup()
{
    const bool on = catalogue().Holding(kFanControlRegister).value != 0;
    for (const ControlId id : {FanHeading, FanMapping, FanOutputButton, FanConfig})
        controls().setEnabled(id, on);
    // The fan controller's own type matters only for the air quantities;
    // the 1004 regulates its fan by levels only.
    const bool radios = on && controls().index(FanMapping) > 3 && catalogue().Holding(Reg::DeviceType).value != 1004;
    controls().setEnabled(FanPi, radios);
    controls().setEnabled(FanOnOff, radios);
}

void CControllerLogic::enableSecondGroup()
{
    const bool on = catalogue().Holding(kCoStatus).value != 0;
    for (const ControlId id : {SecondHeading, SecondCaption, SecondPi, SecondOnOff, SecondInactive})
        controls().setEnabled(id, on);
    controls().setEnabled(SecondConfig, catalogue().Holding(kSecondType).value < 2);
}

void CControllerLogic::showChangeOver()
{
    const int m = changeOverMode();
    controls().setChecked(m == 0 ? OpModeRadio : m == 1 ? CoDiRadio : CoModbusRadio, true);
    controls().setEnabled(OpModeList, m == 0);
    controls().setEnabled(DefaultReboot, m == 0);
    controls().setEnabled(CoDiList, m == 1);
    controls().setEnabled(CoModbusList, m == 2);
    // The change-over temperatures matter only when a temperature decides.
    const int by = controls().index(CoDiList);
    controls().setEnabled(ConfigChangeOver, m == 1 && (by == 5 || by == 6));
}

int CControllerLogic::refreshChangeOver()
{
    if (unit().demoMode())
        return 0;
    // The lists and the status as the unit has settled them; nothing is
    // shown around the reads (the follow-up says how it went).
    const UnitActionResult r = runUnitAction({}, [this] {
        int result = 0;
        for (const auto& [address, control] : {std::pair{kCoDi, ControlId{CoDiList}},
                                               std::pair{kCoModbus, ControlId{CoModbusList}},
                                               std::pair{kCoStatus, kNoControl}})
            if ((result = readAndShow(address, control)) != 0)
                break;
        return result;
    });
    const uint16_t status = catalogue().Holding(kCoStatus).value;
    controls().setText(StatusText, status < std::size(kStatusItems) ? kStatusItems[status] : "");
    return r.result;
}

void CControllerLogic::changeOverFollowUp(bool refreshNow)
{
    // A refresh that failed keeps its reason on the status line; the unit
    // that did not answer now is not asked again on its own later.
    if (refreshNow)
        if (const int r = refreshChangeOver(); r != 0 && unitKnown()) {
            showChangeOver();
            host().showResult(r);
            return;
        }
    showChangeOver();
    m_changeOverPending = true;
    if (m_startTimer)
        m_startTimer(kChangeOverDelayMs);
    host().setStatusText(kChangeOverWait);
}

void CControllerLogic::changeOverTimerFired()
{
    m_changeOverPending = false;
    readCycle();
}

// ---------------------------------------------------------------------------
// Changes

int CControllerLogic::undoChanges()
{
    // The second controller's type is what its radios say.
    uint16_t second = 0;
    if (controls().checked(SecondInactive))
        second = 2;
    else if (controls().checked(SecondOnOff))
        second = 1;
    catalogue().Holding(kSecondType).value = second;
    return undoChangesButton();
}

void CControllerLogic::AdjustInputs(int s, uint16_t& input1, uint16_t& input2)
{
    const auto release = [](uint16_t& input) {
        // An input that switched the change-over becomes a plain bus value.
        if (IsChangeOverInput(input))
            input = 2;
    };
    switch (s) {
    case 1: input1 = 17; release(input2); break;
    case 2: input1 = 18; release(input2); break;
    case 3: input2 = 17; release(input1); break;
    case 4: input2 = 18; release(input1); break;
    case 5: input1 = 1; release(input2); break;
    default:
        release(input1);
        release(input2);
        break;
    }
}

int CControllerLogic::writeInputs(int selection)
{
    uint16_t in1 = catalogue().Holding(kInput1Register).value;
    uint16_t in2 = catalogue().Holding(kInput2Register).value;
    AdjustInputs(selection, in1, in2);
    // The input functions go to the unit the page read, never to another
    // one attached behind the same port meanwhile. The catalogue takes a
    // function only once the unit has: a refused one stays as the unit
    // has it, so that the Inputs page and an export do not claim a wiring
    // the unit does not use.
    return onUnit({.sameDevice = true}, [&] {
        const int r = writeValue(kInput1Register, in1, kNoControl);
        return r != 0 ? r : writeValue(kInput2Register, in2, kNoControl);
    });
}

void CControllerLogic::showUnitChangeOver()
{
    // The catalogue holds the change-over as the unit has it: read, or
    // written and taken since.
    for (const auto& [address, list] : {std::pair{kOpMode, ControlId{OpModeList}},
                                        std::pair{kCoDi, ControlId{CoDiList}},
                                        std::pair{kCoModbus, ControlId{CoModbusList}}})
        if (const Row* row = rowOf(list))
            showValue(*row, catalogue().Holding(address).value);
    showChangeOver();
}

void CControllerLogic::modeChosen(int mode)
{
    // The way chosen: its list on, the others off, the lists set to what
    // that way means for the unit and written.
    static constexpr struct
    {
        int coDi;
        int coModbus;
    } kWays[] = {{0, 3}, {1, 3}, {0, 2}};
    const auto& way = kWays[mode];
    controls().setEnabled(OpModeList, mode == 0);
    controls().setEnabled(DefaultReboot, mode == 0);
    controls().setEnabled(CoDiList, mode == 1);
    controls().setEnabled(ConfigChangeOver, mode == 1);
    controls().setEnabled(CoModbusList, mode == 2);
    // The first refused write ends the choice: its reason stays on the
    // status line, the second list is not sent, and the page shows the
    // change-over the unit is left with.
    controls().setIndex(CoDiList, way.coDi);
    if (writeOnChange(CoDiList) != 0) {
        showUnitChangeOver();
        return;
    }
    catalogue().Holding(kCoDi).value = static_cast<uint16_t>(way.coDi);
    controls().setIndex(CoModbusList, way.coModbus);
    if (writeOnChange(CoModbusList) != 0) {
        showUnitChangeOver();
        return;
    }
    catalogue().Holding(kCoModbus).value = static_cast<uint16_t>(way.coModbus);
    changeOverFollowUp(false);
}

void CControllerLogic::changed(ControlId id)
{
    switch (id) {
    // A controller type's radio writes the type it stands for.
    case SecondPi:
    case SecondOnOff:
    case SecondInactive:
        if (!controls().checked(id))
            break;
        writeOnChange(id);
        controls().setEnabled(SecondConfig, rowOf(id)->radioValue < 2);
        break;
    case FanMapping: {
        writeOnChange(FanMapping);
        const bool radios = controls().index(FanMapping) > 3 && unit().deviceType() != 1004;
        controls().setEnabled(FanPi, radios);
        controls().setEnabled(FanOnOff, radios);
        break;
    }
    case OpModeList:
    case CoModbusList:
        // A refused write keeps its reason on the status line: no re-read
        // and no waiting text after it; the list shows the unit's entry.
        if (writeOnChange(id) == 0)
            changeOverFollowUp(true);
        else
            showUnitChangeOver();
        break;
    case CoDiList: {
        if (writeOnChange(CoDiList) != 0) {
            showUnitChangeOver();
            break;
        }
        if (const int s = controls().index(CoDiList); s >= 0) {
            if (!unit().demoMode())
                catalogue().Holding(kCoDi).value = static_cast<uint16_t>(s); // the unit took it
            if (const int r = writeInputs(s); r != 0) {
                host().showResult(r);
                showUnitChangeOver();
                break;
            }
        }
        changeOverFollowUp(true);
        break;
    }
    case OpModeRadio: modeChosen(0); break;
    case CoDiRadio: modeChosen(1); break;
    case CoModbusRadio: modeChosen(2); break;
    default: writeOnChange(id); break;
    }
}

// ---------------------------------------------------------------------------
// Dialogs

bool CControllerLogic::piChecked(ControlId piRadio)
{
    return piRadio != kNoControl && controls().checked(piRadio);
}

std::vector<uint16_t> CControllerLogic::FanRegisters(int mapping, bool pi, int deviceType)
{
    if (mapping >= 1 && mapping <= 3)
        return {8034, 8035, 8036, 8037, 8038, 8039, 8040};
    if (mapping >= 4 && mapping <= 9) {
        // The 1004 switches its fan by levels: always the ON/OFF set.
        if (!pi || deviceType == 1004)
            return {8200, 8204, 8205, 8206, 8207};
        return {8200, 8202, 8203, 8209, 8034, 8035, 8036};
    }
    return {};
}

namespace {

std::vector<uint16_t> Filtered(std::span<const LaunchRegister> list, bool pi, int type)
{
    std::vector<uint16_t> out;
    for (const LaunchRegister& r : list) {
        const bool take = r.condition == LaunchRegister::Always ||
                          (r.condition == LaunchRegister::RelayTypes && OneOf(type, {1000, 1002, 1004, 1005, 1006})) ||
                          (r.condition == LaunchRegister::PiOrAnalog && (pi || type == 1002 || type == 1006));
        if (take)
            out.push_back(r.address);
    }
    return out;
}

} // namespace

std::vector<uint16_t> CControllerLogic::writeList(const ControllerLaunch& launch)
{
    const bool pi = piChecked(launch.piRadio);
    if (launch.dialog == ControllerDialog::Fan)
        return FanRegisters(controls().index(FanMapping), pi, unit().deviceType());
    return Filtered(launch.writtenAfter, pi, unit().deviceType());
}

std::vector<uint16_t> CControllerLogic::readList(const ControllerLaunch& launch)
{
    const bool pi = piChecked(launch.piRadio);
    if (launch.dialog == ControllerDialog::Fan) {
        std::vector<uint16_t> list{Reg::TempUnit, kHeatingType, kCoolingType};
        for (const uint16_t a : FanRegisters(controls().index(FanMapping), pi, unit().deviceType()))
            list.push_back(a);
        return list;
    }
    return Filtered(launch.readBefore, pi, unit().deviceType());
}

int CControllerLogic::launchControllerDialog(ControlId button)
{
    const ControllerLaunch* launch = LaunchOf(button);
    if (!launch)
        return 0;
    if (launch->dialog == ControllerDialog::Fan) {
        const int mapping = controls().index(FanMapping);
        if (mapping <= 0) {
            // Without a mapped quantity the building system runs the fan.
            if (m_inform)
                m_inform(kFanInfoCaption, kFanInfoText);
            return 0;
        }
        if (unitKnown())
            catalogue().Holding(kFanMapping).value = static_cast<uint16_t>(mapping);
    }
    const bool global = launch->dialog == ControllerDialog::Global;
    // The PI flag is taken once, so that what is read is what is written.
    const bool pi = piChecked(launch->piRadio);
    const std::vector<uint16_t> reads = readList(*launch);
    const std::vector<uint16_t> writes = writeList(*launch);

    // The unit is asked what it is first (it may have been swapped since
    // the page opened); demo mode skips that and the read, and the dialog
    // works on the demo unit's type and values. Without a unit the dialog
    // works on the catalogue.
    bool connected = false;
    std::set<uint16_t> unread;
    const int readResult = onUnit({.identify = true, .running = true, .overlay = true}, [&] {
        connected = true;
        int first = 0;
        bool gone = false;
        for (const uint16_t address : reads) {
            if (gone) {
                unread.insert(address);
                continue;
            }
            if (const int r = readRegister(address); r != 0) {
                unread.insert(address);
                if (first == 0)
                    first = r;
                // A unit that stopped answering answers none of the rest:
                // they are not asked for one by one.
                gone = OneOf(r, {Result::NoReply, Result::NoLink, Result::PortGone});
            }
        }
        return first;
    });
    const bool known = unitKnown();
    // A unit that is known but could not be reached read nothing.
    if (known && !connected)
        unread.insert(reads.begin(), reads.end());
    unread.erase(Reg::TempUnit);
    // No unit at all: the dialog works on the catalogue, nothing failed.
    const int readOutcome = connected || known ? readResult : 0;
    if (known) {
        if (global)
            host().showResult(readOutcome);
        else
            host().setStatusText(PageText::kReady);
    }

    DialogRequest request;
    request.dialog = launch->dialog;
    request.title = launch->title;
    // The temperature controllers name their kind in the subtitle; the fan
    // controller's PI flag only chooses its rows.
    if (launch->piRadio != kNoControl && launch->dialog != ControllerDialog::Fan)
        request.subtitle = pi ? "PI Ctrl" : "ON/OFF Controller";
    request.pi = pi;
    request.tempUnit = catalogue().Holding(Reg::TempUnit).value;
    request.deviceType = unit().deviceType();
    request.fanMapping = catalogue().Holding(kFanMapping).value;
    for (const uint16_t address : reads)
        if (address != Reg::TempUnit)
            request.values[address] = catalogue().Holding(address).value;
    request.unread = unread;
    if (!m_runDialog || !m_runDialog(request))
        return 0;
    if (launch->dialog == ControllerDialog::OutputValues)
        return 0;
    // A global configuration whose reads failed would write values the unit
    // never had.
    if (global && readOutcome != 0)
        return readOutcome;

    // A register the unit did not give and the user did not change is
    // neither stored nor written: the unit keeps its own value.
    for (const auto& [address, value] : request.values)
        if (!request.unread.contains(address))
            catalogue().Holding(address).value = value;
    const int writeResult = onUnit({.running = known, .overlay = known, .sameDevice = known}, [&] {
        for (const uint16_t address : writes)
            if (!request.unread.contains(address))
                if (const int r = writeFromStore(address, kNoControl); r != 0)
                    return r;
        return 0;
    });
    if (known) {
        if (global || writeResult != 0)
            host().showResult(writeResult);
        else
            host().setStatusText(PageText::kReady);
    }
    return writeResult;
}
