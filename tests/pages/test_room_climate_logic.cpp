// The Room Climate page's own rules against a fake unit: what a list entry
// writes, a read cycle that fails part-way, and the changes that only the
// catalogue takes.
#include "tests/support/PageFakes.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CRoomClimateLogic.h"

#include <gtest/gtest.h>

using namespace Page;
using namespace RoomClimateId;

namespace {

class RoomClimateLogicTest : public ::testing::Test
{
protected:
    RoomClimateLogicTest() : unit(catalogue), logic(catalogue, unit, host, controls)
    {
        catalogue.Build();
        for (const Row& row : CRoomClimateLogic::PageDescription().rows) {
            if (row.id == kNoControl)
                continue;
            switch (row.kind) {
            case Kind::Number:
            case Kind::ReadOnly:
            case Kind::Text: controls.add(row.id, ControlKind::Edit, "old"); break;
            case Kind::List: controls.add(row.id, ControlKind::ComboBox).index = row.initial; break;
            case Kind::Check:
            case Kind::Button: controls.add(row.id, ControlKind::Button); break;
            default: controls.add(row.id, ControlKind::Other); break;
            }
        }
    }

    RegisterCatalogue catalogue;
    FakeUnit unit;
    FakeHost host;
    FakeControls controls;
    CRoomClimateLogic logic;
};

} // namespace

TEST(RoomClimateTexts, CurrentTempDisplayDropsTheReservedEntries)
{
    struct Case
    {
        int index, deviceType, written;
    };
    for (const Case& c : {Case{6, 2050, 0}, Case{6, 2001, 0}, Case{6, 2000, 6}, Case{6, 1003, 6}, Case{6, -1, 6},
                          Case{7, 1003, 0}, Case{8, 2050, 0}, Case{5, 2050, 5}, Case{9, 2050, 9}, Case{0, 2050, 0}})
        EXPECT_EQ(CRoomClimateLogic::CurrentTempDisplayValue(c.index, c.deviceType), c.written)
            << c.index << " on " << c.deviceType;
}

TEST_F(RoomClimateLogicTest, AReadThatFailsAtTheFanStepsStillShowsLabelAndLocksFromTheCatalogue)
{
    unit.registers = {{3750, 'F'}, {3751, 'a'}, {3752, 'n'}, {3749, 0}, {3603, 0xFE5C}};
    unit.failRead[3762] = -10;
    catalogue.Holding(409).value = 5;  // read before: Temp Lock and Presence Lock
    catalogue.Holding(3802).value = 2; // Window Contact
    controls[FanInTempMenu].enabled = true;

    EXPECT_EQ(logic.readCycle(), -10);
    EXPECT_EQ(host.status, "Error: -10");
    EXPECT_EQ(controls[SetpointAfterReboot].text, "---"); // -420: not set
    EXPECT_EQ(controls[FanLabel].text, "Fan");
    EXPECT_EQ(controls[FanSteps].text, "---");
    EXPECT_EQ(controls[SetpointTemp].text, "old"); // not reached
    EXPECT_EQ(controls[SetpointTemp].state, EditState::Stale);
    EXPECT_TRUE(controls[FanInTempMenu].enabled); // its rule comes after the steps
    EXPECT_TRUE(controls[TempLock].checked);
    EXPECT_FALSE(controls[FanLock].checked);
    EXPECT_TRUE(controls[PresenceLock].checked);
    EXPECT_TRUE(controls[WindowContact].checked);
    EXPECT_FALSE(controls[FrostProtection].checked);
    // The live state stays the unit's, also after a failure.
    for (ControlId id : {SetpointOffset, OpModeStatus, PresenceStatus, FanAutoMode, FanLevel})
        EXPECT_FALSE(controls[id].enabled) << id;
    EXPECT_FALSE(unit.connected);
}

TEST_F(RoomClimateLogicTest, FanDisplayInTempMenuFollowsFanControl)
{
    unit.registers = {{3749, 0}, {3762, 3}};
    EXPECT_EQ(logic.readCycle(), 0);
    EXPECT_FALSE(controls[FanInTempMenu].enabled);
    EXPECT_EQ(controls[FanSteps].index, 2);
    // A unit that drives a fan again gets the box back.
    unit.registers[3749] = 1;
    EXPECT_EQ(logic.readCycle(), 0);
    EXPECT_TRUE(controls[FanInTempMenu].enabled);
}

TEST_F(RoomClimateLogicTest, WithoutAUnitChangesGoIntoTheCatalogue)
{
    unit.type = 0; // a unit of no known type: the catalogue keeps the changes
    controls[FanLock].checked = true;
    logic.writeOnChange(FanLock); // no link: the catalogue takes it
    EXPECT_EQ(catalogue.Holding(409).value, 2);

    controls[CurrentTempDisplay].index = 8;
    logic.chooseCurrentTempDisplay();
    EXPECT_EQ(catalogue.Holding(3651).value, 0);
    EXPECT_EQ(controls[CurrentTempDisplay].index, 0); // the list shows what the unit gets
    EXPECT_TRUE(unit.writes().empty());
}

TEST_F(RoomClimateLogicTest, PresenceRebootIsStoredAndReachesTheUnitWithUndo)
{
    unit.registers = {{3801, 0}, {3762, 3}};
    ASSERT_EQ(logic.readCycle(), 0); // undo writes what was read from the unit
    unit.log.clear();
    controls[PresenceReboot].checked = true;
    logic.storePresenceReboot();
    EXPECT_EQ(catalogue.Holding(3801).value, 1);
    EXPECT_TRUE(unit.log.empty()); // not even a connect

    EXPECT_EQ(logic.undoCycle(), 0);
    const auto w = unit.writes();
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w[w.size() - 2], "Mw3801 1");
    EXPECT_EQ(w.back(), "Mw3802 " + std::to_string(catalogue.Holding(3802).value));
    EXPECT_EQ(std::count(w.begin(), w.end(), "Mw402 0"), 0); // the unit's own, read-only
    EXPECT_TRUE(controls[PresenceReboot].checked);
}

TEST_F(RoomClimateLogicTest, UndoStopsAtTheFirstFailedWrite)
{
    unit.registers = {{3801, 1}, {3762, 3}, {409, 2}, {3802, 8}};
    ASSERT_EQ(logic.readCycle(), 0);
    unit.log.clear();
    unit.failWrite[3604] = 5; // refused by the unit
    EXPECT_EQ(logic.undoCycle(), 5);
    const auto w = unit.writes();
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.back(), "Mw3604 " + std::to_string(catalogue.Holding(3604).value));
    for (const char* after : {"Mw409 2", "Mw3801 1", "Mw3802 8"})
        EXPECT_EQ(std::count(w.begin(), w.end(), after), 0) << after;
    EXPECT_EQ(host.status, "Error: 5");
}

TEST_F(RoomClimateLogicTest, PresenceRebootStaysMarkedWhenItCannotBeWritten)
{
    unit.registers = {{3801, 0}, {3762, 3}};
    ASSERT_EQ(logic.readCycle(), 0);
    const struct
    {
        const char* what;
        int type;
        int refused; // write result of 3801
        int result;
    } kCases[] = {
        {"no unit identified", -1, 0, Result::NoUnitIdentified},
        {"refused by the unit", 2050, 5, 5},
    };
    for (const auto& c : kCases) {
        unit.type = c.type;
        if (c.refused != 0)
            unit.failWrite[3801] = c.refused;
        controls[PresenceReboot].checked = true;
        logic.storePresenceReboot();
        EXPECT_EQ(logic.writePresenceReboot(), c.result) << c.what;
        EXPECT_EQ(controls.editState(PresenceReboot), EditState::Edited) << c.what;
        unit.failWrite.clear();
    }
    // Discarded: the unit's value again, in the box and the catalogue.
    logic.discardPresenceReboot();
    EXPECT_FALSE(controls[PresenceReboot].checked);
    EXPECT_EQ(catalogue.Holding(3801).value, 0);
    EXPECT_EQ(controls.editState(PresenceReboot), EditState::Clean);
}
