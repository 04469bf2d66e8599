// Longer than 700 lines by its tables: the value lists, the enabling rules
// and the dialog modes' field tables (one row per field) take about 240 of
// them; the logic that works on them is under 500.

#include "pages/core/CControllerDialogLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CForwardingHost.h"
#include "pages/core/IUnitAccess.h"
#include "pages/core/PageText.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

using namespace Page;
using namespace ControllerDialogId;

namespace {

using F = FieldFormat;
using U = FieldUnit;

bool OneOf(int value, std::initializer_list<int> values)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

// ---- Value lists ------------------------------------------------------------

constexpr const char* kResetOffset[] = {"0 = Reset Setpoint Temp Offset",
                                        "1 = Reset Setpoint Temp Offset when unoccupied and restore when occupied"};
constexpr const char* kPresenceEco[] = {"0 = Presence has no effect on ECO", "1 = Presence (occupied) overrides ECO mode"};
constexpr const char* kUnderfloor[] = {"0 = none (Temp limit for underfloor heating inactive, default)",
                                       "1 = external temperature sensor", "2 = bus temperature sensor"};
// Entry 0 carries two zero-width spaces where the unit's texts break the line.
constexpr const char* kMinBehaviour1[] = {
    "0 = At \u200B\u200Bleast the set minimum value is applied as heating/cooling power to the output",
    "1 = Heating/cooling power is only applied to the output from the set minimum value"};
constexpr const char* kMinBehaviour2[] = {
    "0 = At \u200B\u200Bleast the set minimum value is applied as heating/cooling power to the output",
    "1 = Heating/cooling power is only applied to the output from the set minimum value."};
constexpr const char* kValve[] = {"0 = 6-way valve inactive (default)",
                                  "1 = 6-way valve general",
                                  "2 = cooling\u2026heating = 2\u202610 V (e.g. Belimo)",
                                  "3 = heating\u2026cooling = 2\u202610 V (e.g. Belimo, inverted)",
                                  "4 = cooling\u2026heating = 0\u202610 V (DN15, e.g. Sauter)",
                                  "5 = heating\u2026cooling = 0\u202610 V (DN15, e.g. Sauter, inverted)",
                                  "6 = cooling\u2026heating = 0\u202610 V (DN20, e.g. Sauter)",
                                  "7 = heating\u2026cooling = 0\u202610 V (DN20, e.g. Sauter, inverted)",
                                  "8 = 0...100% heating = 0\u202610 V",
                                  "9 = 0...100% cooling = 0\u202610 V",
                                  "10 = 0...100% heating = 10\u20260 V",
                                  "11 = 0...100% cooling = 10\u20260 V "};
constexpr const char* kSensorMapping[] = {"1 = external temperature sensor (default)", "2 = bus temperature sensor"};
constexpr const char* kAnalogDirection[] = {"0 = 0\u202610 V (NC actuators, default)", "1 = 10\u20260 V (NO actuators)"};
constexpr const char* kRelayDirection[] = {"0 = Normally open (NC actuators, default)",
                                           "1 = Normally closed (NO actuators)"};
constexpr const char* kRebootMode[] = {"0 = OFF", "1 = Cooling Auto (Heating blocked)",
                                       "2 = Heating Auto (Cooling blocked)", "3 = Cooling and Heating Auto (default)"};
constexpr const char* kRelayState[] = {"0 = open", "1 = closed"};
constexpr const char* kFanRelays[] = {"0 = all Relays open(fan off)", "1 = Relay 1 closed(fan level 1)",
                                      "2 = Relay 2 closed(fan level 2)", "3 = Relay 3 closed(fan level 3)"};

// ---- Rules ------------------------------------------------------------------

// Minimum and maximum of an ON/OFF controller: the units with analog or
// relay outputs of their own (1000 to 1003).
bool OwnOutputs(const FieldRuleInput& in)
{
    return in.deviceType >= 1000 && in.deviceType <= 1003;
}
bool ValveGeneral(const FieldRuleInput& in)
{
    return in.valveEntry == 1;
}
// Fan on a temperature controller: the 1004 switches relay levels, the
// others drive an analog output with a gradient.
bool FanLevelRows(const FieldRuleInput& in)
{
    return in.deviceType == 1004 && !(in.value(8003) == 0 && in.value(8004) == 0);
}
bool FanGradient(const FieldRuleInput& in)
{
    if (in.deviceType == 1004)
        return false;
    const bool heatingPi = in.value(8003) == 0;
    const bool coolingPi = in.value(8004) == 0;
    // A PI controller drives the fan itself; the gradient is for ON/OFF.
    const bool pi = (in.fanMapping == 3 && heatingPi) || (in.fanMapping == 2 && coolingPi) ||
                    (in.fanMapping == 1 && heatingPi && coolingPi);
    return !pi;
}
bool FanStart(const FieldRuleInput& in)
{
    return !(in.deviceType == 1004 && in.value(8003) == 1 && in.value(8004) == 1);
}
bool FanLevelsShown(const FieldRuleInput& in)
{
    return !OneOf(in.deviceType, {1003, 1005, 1006});
}
bool AnalogOutputs(const FieldRuleInput& in)
{
    return !OneOf(in.deviceType, {1000, 1004, 1005, 1006});
}
bool RelayOutputs(const FieldRuleInput& in)
{
    return !OneOf(in.deviceType, {1001, 1003});
}
bool Never(const FieldRuleInput&)
{
    return false;
}

// ---- Modes ------------------------------------------------------------------

constexpr DialogField kGlobal[] = {
    {8000, F::Tenths, U::Temperature}, {8001, F::List, U::None, kResetOffset}, {8002, F::List, U::None, kPresenceEco},
    {8006, F::Tenths, U::Temperature}, {8007, F::Tenths, U::Temperature},      {8041, F::Tenths, U::Temperature},
    {8042, F::Tenths, U::Temperature}, {8050, F::List, U::None, kUnderfloor},  {8051, F::Tenths, U::Temperature},
    {8052, F::Integer, U::Days}};
constexpr uint16_t kGlobalChecks[] = {8000, 8006, 8007, 8041, 8042, 8051, 8052};

// The PWM cycle time (8005) is edited here too: it is checked and taken
// like the others, as in the second controller's dialog.
constexpr DialogField kHeatingPi[] = {{8013, F::Tenths, U::Temperature}, {8014, F::Integer, U::Minutes},
                                      {8018, F::Tenths, U::Percent},     {8015, F::Integer, U::Percent},
                                      {8016, F::Integer, U::Percent},    {8005, F::Integer, U::Minutes},
                                      {8019, F::List, U::None, kMinBehaviour1}};
constexpr uint16_t kHeatingPiChecks[] = {8013, 8014, 8015, 8016, 8018, 8005};
constexpr DialogField kCoolingPi[] = {{8009, F::Tenths, U::Temperature}, {8010, F::Integer, U::Minutes},
                                      {8018, F::Tenths, U::Percent},     {8011, F::Integer, U::Percent},
                                      {8012, F::Integer, U::Percent},    {8005, F::Integer, U::Minutes},
                                      {8019, F::List, U::None, kMinBehaviour1}};
constexpr uint16_t kCoolingPiChecks[] = {8009, 8010, 8011, 8012, 8018, 8005};
constexpr DialogField kHeatingOnOff[] = {{8015, F::Integer, U::Percent, {}, 0, OwnOutputs},
                                         {8016, F::Integer, U::Percent, {}, 0, OwnOutputs},
                                         {8008, F::Tenths, U::Temperature}};
constexpr uint16_t kHeatingOnOffChecks[] = {8008, 8015, 8016};
constexpr DialogField kCoolingOnOff[] = {{8011, F::Integer, U::Percent, {}, 0, OwnOutputs},
                                         {8012, F::Integer, U::Percent, {}, 0, OwnOutputs},
                                         {8008, F::Tenths, U::Temperature}};
constexpr uint16_t kCoolingOnOffChecks[] = {8008, 8011, 8012};
constexpr DialogField kValveFields[] = {{8020, F::List, U::None, kValve},
                                        {8021, F::Hundredths, U::Volt, {}, 0, ValveGeneral},
                                        {8022, F::Hundredths, U::Volt, {}, 0, ValveGeneral},
                                        {8023, F::Hundredths, U::Volt, {}, 0, ValveGeneral},
                                        {8024, F::Hundredths, U::Volt, {}, 0, ValveGeneral}};
constexpr uint16_t kValveChecks[] = {8021, 8022, 8023, 8024};

constexpr DialogField kSecondPi[] = {{8043, F::List, U::None, kSensorMapping, 1},
                                     {8019, F::List, U::None, kMinBehaviour2},
                                     {8018, F::Tenths, U::Percent},
                                     {8049, F::Tenths, U::Temperature},
                                     {8045, F::Tenths, U::Temperature},
                                     {8046, F::Integer, U::Minutes},
                                     {8047, F::Integer, U::Percent},
                                     {8048, F::Integer, U::Percent},
                                     {8005, F::Integer, U::Minutes}};
constexpr uint16_t kSecondPiChecks[] = {8018, 8049, 8045, 8046, 8047, 8048, 8005};
constexpr DialogField kSecondOnOff[] = {{8043, F::List, U::None, kSensorMapping, 1},
                                        {8008, F::Tenths, U::Temperature},
                                        {8049, F::Tenths, U::Temperature},
                                        {8047, F::Integer, U::Percent, {}, 0, OwnOutputs},
                                        {8048, F::Integer, U::Percent, {}, 0, OwnOutputs}};
constexpr uint16_t kSecondOnOffChecks[] = {8008, 8049, 8047, 8048};

constexpr DialogField kFanTemperature[] = {{8034, F::Integer, U::Percent, {}, 0, FanStart},
                                           {8035, F::Integer, U::Seconds},
                                           {8036, F::Integer, U::Seconds},
                                           {8037, F::Tenths, U::Temperature, {}, 0, FanGradient},
                                           {8038, F::Tenths, U::Temperature, {}, 0, FanLevelRows},
                                           {8039, F::Tenths, U::Temperature, {}, 0, FanLevelRows},
                                           {8040, F::Tenths, U::Temperature, {}, 0, FanLevelRows}};
constexpr uint16_t kFanTemperatureChecks[] = {8034, 8035, 8036, 8037, 8038, 8039, 8040};
constexpr DialogField kFanQuantityPi[] = {{8200, F::Integer, U::Quantity}, {8202, F::Integer, U::Quantity},
                                          {8203, F::Integer, U::Seconds},  {8209, F::Tenths, U::Percent},
                                          {8034, F::Integer, U::Percent},  {8035, F::Integer, U::Seconds},
                                          {8036, F::Integer, U::Seconds}};
constexpr uint16_t kFanQuantityPiChecks[] = {8200, 8202, 8203, 8209, 8034, 8035, 8036};
constexpr DialogField kFanQuantityOnOff[] = {{8200, F::Integer, U::Quantity},
                                             {8204, F::Integer, U::Quantity},
                                             {8205, F::Integer, U::Quantity, {}, 0, nullptr, FanLevelsShown},
                                             {8206, F::Integer, U::Quantity, {}, 0, nullptr, FanLevelsShown},
                                             {8207, F::Integer, U::Quantity, {}, 0, nullptr, FanLevelsShown}};
constexpr uint16_t kFanQuantityOnOffChecks[] = {8200, 8204, 8205, 8206, 8207};

constexpr DialogField kOutputs[] = {{8025, F::List, U::None, kAnalogDirection, 0, AnalogOutputs},
                                    {8027, F::List, U::None, kRelayDirection, 0, RelayOutputs},
                                    {8026, F::List, U::None, kAnalogDirection, 0, AnalogOutputs},
                                    {8028, F::List, U::None, kRelayDirection, 0, RelayOutputs},
                                    {8029, F::Integer, U::Minutes, {}, 0, RelayOutputs},
                                    {8030, F::Integer, U::Seconds, {}, 0, RelayOutputs}};
constexpr uint16_t kOutputsChecks[] = {8029, 8030};
constexpr DialogField kFanOutput[] = {{8032, F::Hundredths, U::Volt}, {8033, F::Hundredths, U::Volt}};
constexpr uint16_t kFanOutputChecks[] = {8032, 8033};
constexpr DialogField kReboot[] = {{8053, F::List, U::None, kRebootMode}};
constexpr DialogField kChangeOver[] = {{8055, F::Tenths, U::Temperature}, {8056, F::Tenths, U::Temperature}};
constexpr uint16_t kChangeOverChecks[] = {8055, 8056};
// Display only: every value control is off.
constexpr DialogField kOutputValues[] = {
    {1620, F::List, U::None, kRelayState, 0, Never},       {1621, F::List, U::None, kRelayState, 0, Never},
    {1623, F::List, U::None, kFanRelays, 0, Never},        {1617, F::Hundredths, U::Volt, {}, 0, Never},
    {1618, F::Hundredths, U::Volt, {}, 0, Never},          {1619, F::Hundredths, U::Volt, {}, 0, Never},
    {1622, F::Hundredths, U::Volt, {}, 0, Never},          {1616, F::Tenths, U::Temperature, {}, 0, Never},
    {8044, F::SetPoint, U::Temperature, {}, 0, Never},     {8200, F::Quantity, U::Quantity, {}, 0, Never}};
constexpr uint16_t kOutputValuesChecks[] = {1617, 1618, 1619, 1622, 1616, 8200};

using P = Picture;
constexpr DialogMode kModeGlobal{kGlobal, kGlobalChecks};
constexpr DialogMode kModeHeatingPi{kHeatingPi, kHeatingPiChecks, P::CtlPiLoop, P::CtlPiResponse, true};
constexpr DialogMode kModeCoolingPi{kCoolingPi, kCoolingPiChecks, P::CtlPiLoop, P::CtlPiResponse, true};
constexpr DialogMode kModeHeatingOnOff{kHeatingOnOff, kHeatingOnOffChecks, P::CtlOnOff, P::None, true};
constexpr DialogMode kModeCoolingOnOff{kCoolingOnOff, kCoolingOnOffChecks, P::CtlOnOff, P::None, true};
constexpr DialogMode kModeValve{kValveFields, kValveChecks, P::None, P::None, true};
constexpr DialogMode kModeSecondPi{kSecondPi, kSecondPiChecks, P::CtlPiLoop, P::CtlPiResponse};
constexpr DialogMode kModeSecondOnOff{kSecondOnOff, kSecondOnOffChecks, P::CtlOnOff};
constexpr DialogMode kModeFanTemperature{kFanTemperature, kFanTemperatureChecks};
constexpr DialogMode kModeFanQuantityPi{kFanQuantityPi, kFanQuantityPiChecks, P::FanPiLoop, P::FanPiResponse};
constexpr DialogMode kModeFanQuantityOnOff{kFanQuantityOnOff, kFanQuantityOnOffChecks};
constexpr DialogMode kModeOutputs{kOutputs, kOutputsChecks};
constexpr DialogMode kModeFanOutput{kFanOutput, kFanOutputChecks};
constexpr DialogMode kModeReboot{kReboot, {}};
constexpr DialogMode kModeChangeOver{kChangeOver, kChangeOverChecks};
constexpr DialogMode kModeOutputValues{kOutputValues, kOutputValuesChecks};

// The outputs each device type has, whose labels are lit in the output
// values view.
std::vector<uint16_t> OutputsOf(int type)
{
    switch (type) {
    case 1000: return {1620, 1621, 1619};
    case 1001: return {1617, 1618, 1619};
    case 1002: return {1620, 1621, 1617, 1618};
    case 1003: return {1617, 1618, 1619, 1622};
    case 1004: return {1620, 1621, 1623};
    case 1005:
    case 1006: return {1620, 1621, 1622};
    default: return {};
    }
}

constexpr uint16_t kSetPointAbsolute = 402;
constexpr uint16_t kSetPointOffset = 8049;
constexpr uint16_t kSecondType = 8044;
constexpr uint16_t kFanMapping = 8031;
constexpr int kReadPauseMs = 10;

} // namespace

// The hover information's host: the set-point label of the output values
// view names the sum it shows instead of a register.
class CControllerDialogLogic::HoverHost : public CForwardingHost
{
public:
    HoverHost(CControllerDialogLogic& logic, IPageHost& outer) : CForwardingHost(outer), m_logic(logic) {}
    void setRegisterInfo(const std::string& text) override
    {
        if (m_logic.outputValues() && m_logic.m_hover && m_logic.m_hover->hoveredCode() == kSecondType)
            outer().setRegisterInfo(m_logic.setPointInfo());
        else
            outer().setRegisterInfo(text);
    }

private:
    CControllerDialogLogic& m_logic;
};

const DialogMode& CControllerDialogLogic::ModeOf(const DialogRequest& r)
{
    switch (r.dialog) {
    case ControllerDialog::Global: return kModeGlobal;
    case ControllerDialog::Heating: return r.pi ? kModeHeatingPi : kModeHeatingOnOff;
    case ControllerDialog::Cooling: return r.pi ? kModeCoolingPi : kModeCoolingOnOff;
    case ControllerDialog::Valve: return kModeValve;
    case ControllerDialog::Second: return r.pi ? kModeSecondPi : kModeSecondOnOff;
    case ControllerDialog::Fan:
        if (r.fanMapping >= 1 && r.fanMapping <= 3)
            return kModeFanTemperature;
        return r.pi && r.deviceType != 1004 ? kModeFanQuantityPi : kModeFanQuantityOnOff;
    case ControllerDialog::Outputs: return kModeOutputs;
    case ControllerDialog::FanOutput: return kModeFanOutput;
    case ControllerDialog::DefaultReboot: return kModeReboot;
    case ControllerDialog::ChangeOver: return kModeChangeOver;
    case ControllerDialog::OutputValues: return kModeOutputValues;
    }
    return kModeGlobal;
}

CControllerDialogLogic::CControllerDialogLogic(DialogRequest& request, RegisterCatalogue& catalogue,
                                               IPageHost& host, IPageControls& controls, IUnitAccess* unit)
    : m_request(request), m_catalogue(catalogue), m_host(host), m_controls(controls), m_unit(unit),
      m_mode(ModeOf(request))
{
    // The second dialog puts its lists first, then the number rows; the
    // others keep their table's order. Each row has its unit label.
    const std::span<const DialogField> fields = m_mode.fields;
    m_captions.reserve(fields.size());
    for (const DialogField& f : fields)
        m_captions.push_back(m_catalogue.Holding(f.address).name);
    const bool listsFirst = request.dialog != ControllerDialog::Global && request.dialog != ControllerDialog::Heating &&
                            request.dialog != ControllerDialog::Cooling && request.dialog != ControllerDialog::Valve;
    int gridRow = 1;
    for (const int pass : {0, 1})
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const DialogField& f = fields[i];
            // Pass 0: the lists (every row without the ordering); pass 1: the numbers.
            const bool inPass = listsFirst ? (f.format == F::List) == (pass == 0) : pass == 0;
            if (!inPass)
                continue;
            const auto id = static_cast<ControlId>(FirstField + static_cast<int>(i));
            Row row{.id = id, .kind = f.format == F::List ? Kind::List : Kind::Number,
                    .caption = m_captions[i].c_str(), .row = gridRow, .column = 0, .items = f.items,
                    .filter = f.format == F::Integer ? EntryFilter::Integer : EntryFilter::Decimal,
                    .address = f.address, .uses = Use::Hover};
            m_rows.push_back(row);
            if (f.unit != U::None)
                m_rows.push_back(Row{.id = static_cast<ControlId>(FirstUnit + static_cast<int>(i)),
                                     .kind = Kind::UnitLabel, .row = gridRow, .column = 2});
            ++gridRow;
        }
    m_hoverHost = std::make_unique<HoverHost>(*this, host);
    m_hover = std::make_unique<CHoverInfo>(m_rows, Picture::None, catalogue, *m_hoverHost, controls);
}

CControllerDialogLogic::~CControllerDialogLogic() = default;

std::string CControllerDialogLogic::caption() const
{
    if (m_request.dialog == ControllerDialog::Global)
        return "Global Controller Configuration";
    return m_request.subtitle.empty() ? "Configure" : "Configure " + m_request.subtitle;
}

std::string CControllerDialogLogic::headerLine() const
{
    return m_request.subtitle.empty() ? m_request.title : m_request.title + " - " + m_request.subtitle;
}

uint16_t CControllerDialogLogic::value(uint16_t address) const
{
    // The output values view shows what the catalogue holds (it reads into it).
    if (outputValues())
        return m_catalogue.Holding(address).value;
    const auto it = m_request.values.find(address);
    return it != m_request.values.end() ? it->second : m_catalogue.Holding(address).value;
}

FieldRuleInput CControllerDialogLogic::ruleInput() const
{
    int valve = -1;
    if (m_request.dialog == ControllerDialog::Valve)
        valve = m_controls.index(fieldId(8020));
    return FieldRuleInput{m_request.deviceType, m_request.values, m_request.fanMapping, valve};
}

ControlId CControllerDialogLogic::fieldId(uint16_t address) const
{
    for (std::size_t i = 0; i < m_mode.fields.size(); ++i)
        if (m_mode.fields[i].address == address)
            return static_cast<ControlId>(FirstField + static_cast<int>(i));
    return kNoControl;
}

std::string CControllerDialogLogic::FormatValue(FieldFormat format, uint16_t word, bool isSigned)
{
    const int v = isSigned ? static_cast<int16_t>(word) : static_cast<int>(word);
    switch (format) {
    case F::Tenths:
    case F::SetPoint: return PageText::Tenths(v);
    case F::Hundredths: {
        const int a = v < 0 ? -v : v;
        char text[24];
        std::snprintf(text, sizeof text, "%s%d.%02d", v < 0 ? "-" : "", a / 100, a % 100);
        return text;
    }
    default: return std::to_string(v);
    }
}

std::string CControllerDialogLogic::unitText(FieldUnit unit) const
{
    switch (unit) {
    case U::None: return {};
    case U::Temperature: return m_request.tempUnit == 1 ? "\u00b0C" : "\u00b0F";
    case U::Percent: return "%";
    case U::Minutes: return "minutes";
    case U::Seconds: return "seconds";
    case U::Days: return "days";
    case U::Volt: return "V";
    case U::Quantity: {
        const uint16_t mapping = outputValues() ? m_catalogue.Holding(kFanMapping).value : m_request.fanMapping;
        switch (mapping) {
        case 4:
        case 5: return "% r.H.";
        case 6:
        case 7: return "ppm";
        case 8: return "%";
        case 9: return "[VOC]";
        default: return {};
        }
    }
    }
    return {};
}

void CControllerDialogLogic::open()
{
    const FieldRuleInput in = ruleInput();
    for (std::size_t i = 0; i < m_mode.fields.size(); ++i) {
        const DialogField& f = m_mode.fields[i];
        const auto id = static_cast<ControlId>(FirstField + static_cast<int>(i));
        const RegisterEntry& e = m_catalogue.Holding(f.address);
        if (f.format == F::List) {
            int v = value(f.address);
            if (m_mode.limitLists)
                v = std::clamp(v, static_cast<int>(e.min), static_cast<int>(e.max));
            const int index = v - f.listOffset;
            m_controls.setIndex(id, index >= 0 && index < static_cast<int>(f.items.size()) ? index : -1);
        } else if (!outputValues()) {
            m_controls.setText(id, FormatValue(f.format, value(f.address), e.min < 0));
        }
        if (f.unit != U::None)
            m_controls.setText(static_cast<ControlId>(FirstUnit + static_cast<int>(i)), unitText(f.unit));
        const bool shown = !f.shown || f.shown(in);
        m_controls.setVisible(id, shown);
        if (f.unit != U::None)
            m_controls.setVisible(static_cast<ControlId>(FirstUnit + static_cast<int>(i)), shown);
    }
    if (outputValues())
        showOutputs();
    applyEnabling();
    m_controls.setText(Header, headerLine());
    m_controls.setText(Info, "");
    m_unread = outputValues() ? std::set<uint16_t>{} : m_request.unread;
    m_shownText.clear();
    m_shownIndex.clear();
    for (const uint16_t address : m_unread) {
        const ControlId id = fieldId(address);
        if (id == kNoControl)
            continue;
        m_shownText[id] = m_controls.text(id);
        m_shownIndex[id] = m_controls.index(id);
        m_controls.setEditState(id, EditState::Stale);
    }
    showUnread();
}

std::string CControllerDialogLogic::unreadNote() const
{
    std::string names;
    for (const uint16_t address : m_unread) {
        const std::string& name = m_catalogue.Holding(address).name;
        names += (names.empty() ? "" : ", ") + (name.empty() ? std::to_string(address) : name);
    }
    if (names.empty())
        return {};
    return "Not read from the unit: " + names + ". The unit keeps its values for these unless you change them.";
}

void CControllerDialogLogic::showUnread()
{
    const std::string note = unreadNote();
    m_controls.setText(Unread, note);
    m_controls.setVisible(Unread, !note.empty());
}

bool CControllerDialogLogic::unchangedUnread(uint16_t address) const
{
    if (!m_unread.contains(address))
        return false;
    const ControlId id = fieldId(address);
    if (id == kNoControl)
        return true; // not in this dialog: handed back as it came
    const auto text = m_shownText.find(id);
    const auto index = m_shownIndex.find(id);
    return (text == m_shownText.end() || m_controls.text(id) == text->second) &&
           (index == m_shownIndex.end() || m_controls.index(id) == index->second);
}

void CControllerDialogLogic::userChanged(ControlId id)
{
    if (id < FirstField || id >= FirstUnit)
        return;
    const uint16_t address = m_mode.fields[static_cast<std::size_t>(id - FirstField)].address;
    if (!m_unread.contains(address) || unchangedUnread(address))
        return;
    m_unread.erase(address);
    if (m_controls.editState(id) == EditState::Stale)
        m_controls.setEditState(id, EditState::Clean);
    showUnread();
}

bool CControllerDialogLogic::rowActive(const DialogField& f, const FieldRuleInput& in) const
{
    return (!f.shown || f.shown(in)) && (!f.enabled || f.enabled(in));
}

void CControllerDialogLogic::valveChosen()
{
    applyEnabling();
}

void CControllerDialogLogic::applyEnabling()
{
    const FieldRuleInput in = ruleInput();
    for (std::size_t i = 0; i < m_mode.fields.size(); ++i) {
        const DialogField& f = m_mode.fields[i];
        m_controls.setEnabled(static_cast<ControlId>(FirstField + static_cast<int>(i)), !f.enabled || f.enabled(in));
    }
}

Picture CControllerDialogLogic::upperPicture() const
{
    const int type = m_request.deviceType;
    switch (m_request.dialog) {
    case ControllerDialog::Valve: {
        const int entry = m_controls.index(fieldId(8020));
        static constexpr Picture kCharts[] = {P::ValveChart2, P::ValveChart3, P::ValveChart4,
                                              P::ValveChart5, P::ValveChart6, P::ValveChart7};
        return entry >= 2 && entry <= 7 ? kCharts[entry - 2] : P::None;
    }
    case ControllerDialog::Fan:
        if (&m_mode == &kModeFanTemperature) {
            if (OneOf(type, {1003, 1005, 1006}))
                return P::FanOutput;
            return type == 1004 ? P::FanLevels : P::None;
        }
        if (&m_mode == &kModeFanQuantityPi)
            return P::FanPiLoop;
        return type == 1004 ? P::FanLevels : P::FanOnOff;
    default: return m_mode.upper;
    }
}

Picture CControllerDialogLogic::lowerPicture() const
{
    return m_mode.lower;
}

int32_t CControllerDialogLogic::parsed(const DialogField& f) const
{
    const std::string text = m_controls.text(fieldId(f.address));
    switch (f.format) {
    case F::Tenths: return PageText::ParseNumber(text, 10);
    case F::Hundredths: return PageText::ParseNumber(text, 100);
    default: return PageText::ParseNumber(text, 1);
    }
}

std::string CControllerDialogLogic::rangeMessage(const DialogField& f) const
{
    const RegisterEntry& e = m_catalogue.Holding(f.address);
    char text[160];
    std::snprintf(text, sizeof text, kRangeError, static_cast<int>(e.min), static_cast<int>(e.max));
    std::string message = text;
    const bool scaled = f.format == F::Tenths || f.format == F::Hundredths;
    const std::string unit = unitText(f.unit);
    // Whole numbers show the unit's own words already.
    if (!scaled)
        return message;
    const auto shown = [&](int32_t v) {
        return FormatValue(f.format, static_cast<uint16_t>(v), e.min < 0);
    };
    message += "  (" + shown(e.min) + " - " + shown(e.max) + (unit.empty() ? "" : " " + unit) + ")";
    return message;
}

bool CControllerDialogLogic::check(const std::vector<uint16_t>& order, ControlId* focus)
{
    const FieldRuleInput in = ruleInput();
    for (const uint16_t address : order) {
        const ControlId id = fieldId(address);
        if (id == kNoControl)
            continue;
        const auto index = static_cast<std::size_t>(id - FirstField);
        // Rows hidden or disabled for the unit hand their values back as
        // given; an unread field left alone is not taken at all.
        const DialogField& f = m_mode.fields[index];
        if (!rowActive(f, in) || unchangedUnread(address))
            continue;
        const RegisterEntry& e = m_catalogue.Holding(address);
        std::string message;
        if (!PageText::IsNumber(m_controls.text(id)))
            message = PageText::kNoNumber;
        else if (!PageText::NumberInLimits(parsed(f), e.min, e.max))
            message = rangeMessage(f);
        if (!message.empty()) {
            m_controls.setText(Info, message);
            if (focus)
                *focus = id;
            // The catalogue keeps the unit's value: the user corrects the
            // field or cancels, and nothing changed behind their back.
            return false;
        }
    }
    return true;
}

bool CControllerDialogLogic::accept(ControlId* focus)
{
    std::vector<uint16_t> order(m_mode.checks.begin(), m_mode.checks.end());
    const bool valve = m_request.dialog == ControllerDialog::Valve;
    const int valveEntry = valve ? m_controls.index(fieldId(8020)) : -1;
    // The generic valve's voltages count only while it is chosen.
    if (valve && valveEntry != 1)
        order.clear();
    if (!check(order, focus))
        return false;
    const FieldRuleInput in = ruleInput();
    std::set<uint16_t> unread;
    for (const uint16_t address : m_request.unread)
        if (unchangedUnread(address))
            unread.insert(address);
    for (const uint16_t address : order) {
        const DialogField& f = m_mode.fields[static_cast<std::size_t>(fieldId(address) - FirstField)];
        if (!rowActive(f, in) || unread.contains(address))
            continue;
        m_request.values[address] = static_cast<uint16_t>(parsed(f));
    }
    for (const DialogField& f : m_mode.fields) {
        if (f.format != F::List || !rowActive(f, in) || unread.contains(f.address))
            continue;
        const int index = m_controls.index(fieldId(f.address));
        if (index >= 0)
            m_request.values[f.address] = static_cast<uint16_t>(index + f.listOffset);
    }
    m_request.unread = unread;
    if (m_request.dialog == ControllerDialog::Global)
        for (const DialogField& f : m_mode.fields)
            if (auto it = m_request.values.find(f.address); it != m_request.values.end() && !unread.contains(f.address))
                m_catalogue.Holding(f.address).value = it->second;
    return true;
}

// ---------------------------------------------------------------------------
// Output values view

bool CControllerDialogLogic::outputLabelEnabled(uint16_t address) const
{
    const std::vector<uint16_t> lit = OutputsOf(m_request.deviceType);
    return std::find(lit.begin(), lit.end(), address) != lit.end();
}

std::string CControllerDialogLogic::setPointInfo() const
{
    if (m_catalogue.Holding(kSecondType).value == 2)
        return "Second Controller curr. SetPoint 402 + 8049: ---";
    const int sum = static_cast<int16_t>(m_catalogue.Holding(kSetPointAbsolute).value) +
                    static_cast<int16_t>(m_catalogue.Holding(kSetPointOffset).value);
    char text[64];
    std::snprintf(text, sizeof text, "Second Controller curr. SetPoint 402 + 8049: %5i", sum);
    return text;
}

void CControllerDialogLogic::showOutputs()
{
    for (std::size_t i = 0; i < m_mode.fields.size(); ++i) {
        const DialogField& f = m_mode.fields[i];
        const auto id = static_cast<ControlId>(FirstField + static_cast<int>(i));
        const RegisterEntry& e = m_catalogue.Holding(f.address);
        switch (f.format) {
        case F::List: m_controls.setIndex(id, e.value < f.items.size() ? e.value : -1); break;
        case F::SetPoint: {
            const uint16_t type = m_catalogue.Holding(kSecondType).value;
            if (type > 1) {
                m_controls.setText(id, PageText::kMissing);
                break;
            }
            const int sum = static_cast<int16_t>(m_catalogue.Holding(kSetPointAbsolute).value) +
                            static_cast<int16_t>(m_catalogue.Holding(kSetPointOffset).value);
            m_controls.setText(id, PageText::Tenths(static_cast<int16_t>(sum)));
            break;
        }
        case F::Quantity:
            m_controls.setText(id, m_catalogue.Holding(kFanMapping).value > 3 ? std::to_string(e.value)
                                                                              : std::string(PageText::kMissing));
            break;
        default: m_controls.setText(id, FormatValue(f.format, e.value, e.min < 0)); break;
        }
    }
}

int CControllerDialogLogic::refreshOutputValues(bool fromButton)
{
    if (m_refreshing || !m_unit)
        return 0;
    m_refreshing = true;
    struct Done
    {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_refreshing};

    // The page identified the unit when it opened the view; the periodic
    // refresh reads that unit (connectUnit binds to it) without asking it
    // who it is again.
    if (fromButton)
        m_unit->identifyDevice();
    const int type = m_unit->deviceType();
    if (fromButton && type >= 0)
        m_host.setStatusText(PageText::kReady);
    else if (fromButton)
        m_host.setStatus(PageText::kNoDevice, Result::NoDeviceConnected);
    const bool known = type > 0 && !m_unit->demoMode();
    if (known) {
        m_controls.setText(Info, PageText::kRunning);
        if (fromButton)
            m_host.showBusyOverlay();
    }
    const auto finish = [&](int result) {
        m_controls.setText(Info, PageText::kReady);
        // No answer: no more periodic refreshes, and the view says so.
        m_refreshStopped = known && result != 0;
        m_controls.setText(Stopped, m_refreshStopped ? kRefreshStopped : "");
        if (known && fromButton)
            m_host.hideBusyOverlay();
        return result;
    };
    if (m_unit->demoMode())
        return finish(0);
    const int connect = m_unit->connectUnit(true);
    if (connect != 0 && known)
        return finish(connect);
    int result = 0;
    if (known) {
        for (const uint16_t address : {1617, 1618, 1619, 1620, 1621, 1622, 1623, 1616, 8200, 8031, 402, 8044, 8049}) {
            uint16_t word = 0;
            result = m_unit->readHolding(address, &word);
            m_host.pause(kReadPauseMs);
            if (result != 0)
                break;
            m_catalogue.Holding(address).value = word;
        }
    }
    showOutputs();
    if (known)
        m_unit->disconnect();
    return finish(result);
}

int CControllerDialogLogic::refreshButton(ControlId* focus)
{
    if (!check({1617, 1618, 1619, 1622, 1616, 8200}, focus))
        return 0;
    return refreshOutputValues(true);
}
