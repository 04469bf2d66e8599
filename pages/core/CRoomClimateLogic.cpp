#include "pages/core/CRoomClimateLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"

#include <iterator>

using namespace Page;
using namespace RoomClimateId;

namespace {

constexpr const char* kStepSizes[] = {"0 = 0.1\u00b0", "1 = 0.2\u00b0", "2 = 0.5\u00b0", "3 = 1.0\u00b0"};
constexpr const char* kOpModes[] = {"0 = off", "1 = cooling", "2 = heating"};
constexpr const char* kFanSteps[] = {"1", "2", "3", "4", "5"};
constexpr const char* kFanAutoOff[] = {"0 = disabled", "1 = OFF", "2 = AUTO", "3 = AUTO + OFF"};
constexpr const char* kOpModeDisplays[] = {"0 = none", "1 = symbol, colored", "2 = symbol, gray"};
constexpr const char* kSetpointDisplays[] = {
    "0 = no display", "1 = Setpoint Temp Absolut", "2 = Setpoint Temp Offset", "3 = HumS1Int", "4 = CO2S1Int",
    "5 = VOCS1Int_ppb", "6 = VOCS1Int_%",          "7 = reserved",             "8 = TempS2Ext", "9 = TempS3Bus",
    "10 = HumS2Bus",  "11 = CO2S2Bus",             "12 = VOCS2Bus",            "13 = PMS2Bus",  "14 = PressureS2Bus"};
constexpr const char* kCurrentTempDisplays[] = {
    "0 = no display", "1 = CurrentTemp", "2 = HumS1Int",  "3 = CO2S1Int",  "4 = VOCS1Int_ppb",
    "5 = VOCS1Int_%", "6 = reserved",    "7 = reserved",  "8 = reserved",  "9 = HumS2Bus",
    "10 = CO2S2Bus",  "11 = VOCS2Bus",   "12 = PMS2Bus",  "13 = PressureS2Bus"};
constexpr const char* kTempMappings[] = {"0 = intern", "1 = extern (NTC10k)", "2 = bus"};
constexpr const char* kPresenceStates[] = {"0 = Unoccupied", "1 = occupied"};
constexpr const char* kPresenceFunctions[] = {"0", "1", "2"};
constexpr const char* kFanAutoModes[] = {"0 = Manual", "1 = Auto"};
constexpr const char* kFanLevels[] = {"0 = off", "1 = Level 1", "2 = Level 2", "3 = Level 3", "4 = Level 4",
                                      "5 = Level 5"};

// The unit's screens and their elements: on the temperature screen the small
// set-point value and the mode symbol at the top right, the fan level at the
// left and the large value in the middle; on the fan screen its title at the
// top left, the fan step in the middle and the auto/off keys at the left.
constexpr PictureMark Mark(Picture picture, FramePercent frame)
{
    return PictureMark{picture, {frame}, 1};
}
constexpr PictureMark kSetpointMark = Mark(Picture::RoomTemperature, {63, 16, 87, 35});
constexpr PictureMark kOpModeMark = Mark(Picture::RoomTemperature, {85, 16, 100, 35});
constexpr PictureMark kFanLevelMark = Mark(Picture::RoomTemperature, {0, 40, 24, 80});
constexpr PictureMark kPresenceMark = Mark(Picture::RoomPresence, {20, 40, 80, 75});
constexpr PictureMark kCurrentTempMark = Mark(Picture::RoomTemperature, {20, 40, 80, 80});
constexpr PictureMark kFanStepsMark = Mark(Picture::RoomFan, {20, 40, 80, 80});
constexpr PictureMark kFanAutoOffMark = Mark(Picture::RoomFan, {0, 50, 27, 70});
constexpr PictureMark kFanLabelMark = Mark(Picture::RoomFan, {0, 16, 40, 45});

// Set-points in signed tenths; -420 is the unit's "not set". group: the
// read group (see kReadOrder).
constexpr Row TenthsRow(ControlId id, const char* caption, int row, uint16_t address, PictureMark mark,
                        uint8_t group = 0, bool showOnly = false)
{
    return Row{.id = id, .kind = Kind::Number, .caption = caption, .row = row, .filter = EntryFilter::Decimal,
               .address = address, .display = Display::TenthsSigned, .marker = Marker::Signed420,
               .measure = Measure::Temperature, .mark = mark, .readGroup = group, .showOnly = showOnly};
}

// The fan's registers and the rest are read after "Fan Control" has been
// written back (afterReads).
constexpr uint8_t kAfterFanControl = 1;

// Temperature and display at the left, fan, locks and icons at the right.
constexpr Row kRows[] = {
    TenthsRow(SetpointTemp, "Setpoint Temp", 0, 400, kSetpointMark, kAfterFanControl),
    // The offset, the modes and the fan level are the unit's live state: it sets them itself.
    TenthsRow(SetpointOffset, "Setpoint Temp Offset", 1, 401, kSetpointMark, kAfterFanControl, true),
    {.id = SetpointAbsolut, .kind = Kind::ReadOnly, .caption = "Setpoint Temp Absolut", .row = 2, .address = 402,
     .display = Display::TenthsSigned, .marker = Marker::Signed420, .uses = Use::Read | Use::Undo | Use::Hover,
     .mark = kSetpointMark, .readGroup = kAfterFanControl},
    TenthsRow(OffsetMinMax, "Setpoint Temp Offset Min-Max", 3, 403, kSetpointMark, kAfterFanControl),
    {.id = StepSize, .kind = Kind::List, .caption = "Setpoint Temp Offset Step Size", .row = 4, .items = kStepSizes,
     .initial = 2, .address = 3600, .mark = kSetpointMark},
    {.id = SetpointDisplay, .kind = Kind::List, .caption = "Setpoint Temp Display", .row = 5,
     .items = kSetpointDisplays, .initial = 1, .address = 3602, .mark = kSetpointMark},
    TenthsRow(SetpointAfterReboot, "Setpoint Temp After Reboot", 6, 3603, {}),
    TenthsRow(OffsetMinMaxAfterReboot, "Setpoint Temp Offset Min-Max After Reboot", 7, 3604, {}),
    {.id = OpModeStatus, .kind = Kind::List, .caption = "OpMode Status", .row = 8, .items = kOpModes, .initial = 0,
     .address = 404, .mark = kOpModeMark, .readGroup = kAfterFanControl, .showOnly = true},
    {.id = DisplayOpMode, .kind = Kind::List, .caption = "Display OpMode", .row = 9, .items = kOpModeDisplays,
     .initial = 1, .address = 3601, .mark = kOpModeMark},
    {.id = CurrentTempDisplay, .kind = Kind::List, .caption = "Current Temp Display", .row = 10,
     .items = kCurrentTempDisplays, .initial = 1, .address = CRoomClimateLogic::kCurrentTempDisplayRegister,
     .mark = kCurrentTempMark},
    {.id = CurrentTempMapping, .kind = Kind::List, .caption = "Current Temp Mapping", .row = 11,
     .items = kTempMappings, .initial = 0, .address = 3650},
    {.id = PresenceStatus, .kind = Kind::List, .caption = "Presence Status", .row = 12, .items = kPresenceStates,
     .initial = 1, .address = 405, .mark = kPresenceMark, .readGroup = kAfterFanControl, .showOnly = true},
    {.id = PresenceFunction, .kind = Kind::List, .caption = "Presence Function", .row = 13,
     .items = kPresenceFunctions, .initial = 1, .address = 3800, .readGroup = kAfterFanControl},
    // Taken into the catalogue only; "Undo Changes" writes it (see the page).
    {.id = PresenceReboot, .kind = Kind::Check, .caption = "Enable Presence DI Reboot", .row = 14, .column = 1,
     .address = CRoomClimateLogic::kPresenceRebootRegister, .uses = Use::Read | Use::Undo | Use::Hover,
     .readGroup = kAfterFanControl},

    {.id = FanControl, .kind = Kind::Check, .caption = "Fan Control", .row = 0, .column = 3,
     .address = CRoomClimateLogic::kFanControlRegister},
    {.id = FanLabel, .kind = Kind::Text, .caption = "Fan Label", .row = 1, .column = 2,
     .filter = EntryFilter::Text12, .address = CRoomClimateLogic::kFanLabelRegister, .display = Display::Text,
     .mark = kFanLabelMark, .readGroup = kAfterFanControl},
    {.id = FanSteps, .kind = Kind::List, .caption = "Fan Number of Steps", .row = 2, .column = 2, .items = kFanSteps,
     .initial = 0, .address = 3762, .listOffset = 1, .mark = kFanStepsMark, .readGroup = kAfterFanControl},
    {.id = FanAutoOff, .kind = Kind::List, .caption = "Enable Fan Auto/Off", .row = 3, .column = 2,
     .items = kFanAutoOff, .initial = 2, .address = 3763, .mark = kFanAutoOffMark, .readGroup = kAfterFanControl},
    {.id = FanAutoMode, .kind = Kind::List, .caption = "Fan Auto Mode", .row = 4, .column = 2,
     .items = kFanAutoModes, .initial = 0, .address = 406, .mark = kFanLevelMark, .readGroup = kAfterFanControl,
     .showOnly = true},
    {.id = FanLevel, .kind = Kind::List, .caption = "Setpoint Fan Level", .row = 5, .column = 2, .items = kFanLevels,
     .initial = 0, .address = 407, .mark = kFanLevelMark, .readGroup = kAfterFanControl, .showOnly = true},
    {.id = FanInTempMenu, .kind = Kind::Check, .caption = "Fan Display In Temp Menu", .row = 6, .column = 3,
     .address = 3764, .mark = kFanLevelMark, .readGroup = kAfterFanControl},

    // The building system may take over set-point, fan and presence.
    {.id = BmsHeading, .kind = Kind::Heading, .caption = "RoomClimateControlledByBMS", .row = 8, .column = 2,
     .span = 2, .address = CRoomClimateLogic::kBmsLockRegister},
    {.id = TempLock, .kind = Kind::Check, .caption = "Temp Lock", .row = 9, .column = 2, .address = 409, .bit = 0,
     .hoverName = "RCBBMS_Temp_Lock_409_bit0"},
    {.id = FanLock, .kind = Kind::Check, .caption = "Fan Lock", .row = 9, .column = 3, .address = 409, .bit = 1,
     .hoverName = "RCBBMS_Fan_Lock_409_bit1"},
    {.id = PresenceLock, .kind = Kind::Check, .caption = "Presence Lock", .row = 10, .column = 2, .address = 409,
     .bit = 2, .hoverName = "RCBBMS_Presence_Lock_409_bit2"},
    {.address = CRoomClimateLogic::kBmsLockRegister, .readGroup = kAfterFanControl},

    // Which digital-input icons the unit shows after a restart.
    {.id = IconHeading, .kind = Kind::Heading, .caption = "Enable Icon DI Reboot", .row = 11, .column = 2,
     .span = 2, .address = CRoomClimateLogic::kIconEnableRegister},
    {.id = FrostProtection, .kind = Kind::Check, .caption = "Frost Protection", .row = 12, .column = 2,
     .address = 3802, .bit = 0, .hoverName = "Enable_FrostProtectionDI_3802_bit0"},
    {.id = WindowContact, .kind = Kind::Check, .caption = "Window Contact", .row = 12, .column = 3, .address = 3802,
     .bit = 1, .hoverName = "Enable_WindowContact_3802_bit1"},
    {.id = DewPoint, .kind = Kind::Check, .caption = "DewPoint", .row = 13, .column = 2, .address = 3802, .bit = 2,
     .hoverName = "Enable_DewPoint_3802_bit2"},
    {.id = Eco, .kind = Kind::Check, .caption = "ECO", .row = 13, .column = 3, .address = 3802, .bit = 3,
     .hoverName = "Enable_ECO_3802_bit3"},
    {.id = Error, .kind = Kind::Check, .caption = "Error", .row = 14, .column = 2, .address = 3802, .bit = 4,
     .hoverName = "Enable_Error_3802_bit4"},
    {.address = CRoomClimateLogic::kIconEnableRegister, .readGroup = kAfterFanControl},

    Page::ReadTargetButton(),
    Page::UndoChangesButton(),
    Page::SaveToNvramButton(),
};

// The unit's order. The read cycle reads the display settings up to "Fan
// Control"; afterReads writes "Fan Control" back and reads the rest (read
// group kAfterFanControl) from the fan's label on. "Undo Changes" writes
// back the same registers in the same order, the label register by
// register; 402 and 405 are the unit's own (read-only, passed over). The
// presence reboot enable and the icon enables follow the locks: a change of
// them reaches the unit only there.
constexpr uint16_t kReadOrder[] = {
    3600, 3601, 3602, 3603, 3604, 3650, 3651, CRoomClimateLogic::kFanControlRegister,
    CRoomClimateLogic::kFanLabelRegister, 3762, 3763, 3764, 3800, 400, 401, 402, 403, 404, 405, 406, 407,
    CRoomClimateLogic::kBmsLockRegister, CRoomClimateLogic::kPresenceRebootRegister,
    CRoomClimateLogic::kIconEnableRegister};

constexpr Description kPage = {
    .rows = kRows,
    .readOrder = kReadOrder,
    .defaultPicture = Picture::RoomTemperature,
    .statusForTypeZero = true,
};
static_assert(OrdersMatchRows(kPage));

} // namespace

CRoomClimateLogic::CRoomClimateLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                                     IPageControls& controls)
    : CPageEngine(kPage, catalogue, unit, host, controls)
{
}

const Description& CRoomClimateLogic::PageDescription()
{
    return kPage;
}

int CRoomClimateLogic::CurrentTempDisplayValue(int index, int deviceType)
{
    if (index == 7 || index == 8 || (index == 6 && deviceType > 2000))
        return 0;
    return index;
}

int CRoomClimateLogic::chooseCurrentTempDisplay()
{
    const int index = controls().index(CurrentTempDisplay);
    if (!unit().demoMode() && index >= 0)
        controls().setIndex(CurrentTempDisplay, CurrentTempDisplayValue(index, unit().deviceType()));
    return writeOnChange(CurrentTempDisplay);
}

void CRoomClimateLogic::storePresenceReboot()
{
    if (unit().demoMode())
        return;
    const int on = controls().checked(PresenceReboot) ? 1 : 0;
    catalogue().Clamp(kPresenceRebootRegister, on, nullptr);
    if (unit().deviceType() == 0)
        return;
    // The first click after a value was shown leaves that value behind.
    const EditState was = controls().editState(PresenceReboot);
    if (was == EditState::Clean)
        m_presenceRebootShown = 1 - on;
    else if (was != EditState::Edited)
        m_presenceRebootShown = -1;
    controls().setEditState(PresenceReboot, on == m_presenceRebootShown ? EditState::Clean : EditState::Edited);
}

int CRoomClimateLogic::writePresenceReboot()
{
    if (unit().demoMode())
        return 0;
    if (unit().deviceType() < 0)
        return refuseUnit(Result::NoUnitIdentified);
    host().pause(kChangePauseMs);
    bool passed = false;
    const int result = onUnit({.sameDevice = true},
                              [this] { return writeFromStore(kPresenceRebootRegister, PresenceReboot); }, &passed);
    if (!passed)
        return result;
    // Written and shown again: the box is clean. Not written: still the
    // user's edit.
    if (result != 0)
        controls().setEditState(PresenceReboot, EditState::Edited);
    host().showResult(result);
    return result;
}

void CRoomClimateLogic::discardPresenceReboot()
{
    if (m_presenceRebootShown >= 0) {
        catalogue().Holding(kPresenceRebootRegister).value = static_cast<uint16_t>(m_presenceRebootShown);
        controls().setChecked(PresenceReboot, m_presenceRebootShown != 0);
    } else {
        // Nothing of the unit was shown: the box goes back to "not read".
        controls().setEditState(PresenceReboot, EditState::Stale);
    }
}

int CRoomClimateLogic::afterReads(int result, bool connected)
{
    bool go = connected && result == 0;
    // "Fan Control" goes back to the unit as it was read (nothing when the
    // unit keeps it read-only).
    if (go) {
        result = writeFromStore(kFanControlRegister, FanControl);
        go = result == 0;
    }
    result = readGroup(kAfterFanControl, go, result, [this](const Row& row) {
        if (row.address == 3800) {
            // Without a fan the temperature menu has no fan to show.
            const bool fan = catalogue().Holding(kFanControlRegister).value != 0;
            controls().setEnabled(FanInTempMenu, fan);
        }
    });

    // The label and the bit boxes always show what the catalogue holds.
    if (controls().kind(FanLabel) != ControlKind::Missing && !controls().hasFocus(FanLabel)) {
        uint16_t words[PageText::kTextRegisters];
        for (int k = 0; k < PageText::kTextRegisters; ++k)
            words[k] = catalogue().Holding(static_cast<uint16_t>(kFanLabelRegister + k)).value;
        controls().setText(FanLabel, PageText::RegistersToText(words));
    }
    showBitFields(kBmsLockRegister);
    showBitFields(kIconEnableRegister);
    return result;
}
