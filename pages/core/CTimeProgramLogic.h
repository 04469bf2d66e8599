// The Time Program page's tables and actions, free of any toolkit. A unit
// runs up to 48 time programs: each, when active, writes a value into one of
// the unit's holding registers at a time of day on the chosen weekdays. From
// device type 2000 on a program can belong to one of 8 scenes, and the
// programs of a scene share their event time. CTabTimeProgram is the thin
// Qt page over it, CDlgTimeProgram the event dialog (CTimeProgramDialogLogic).
//
// Program n (1..48) lives at base B = 7040 + 10 x (n - 1):
//   B activate (0/1), B + 1 event day (bit 0 Monday .. bit 6 Sunday),
//   B + 2 hour, B + 3 minute, B + 4 register address, B + 5 the value
//   written (signed), B + 6 scene (0 none, 1..8; from device type 2000 on).
//
// The page has no bound controls: its 48 buttons show which programs are
// active from the catalogue (the connection reads the 48 activate flags
// when it connects), and an overview lists every program as the catalogue
// holds it (OverviewRow). "Read Target" reads all 48 programs from the unit
// into the catalogue, each in the event dialog's order; selecting the page
// reads nothing.
//
// A program opened from the unit is read field by field and the read stops
// at the first failure. What could not be read is known to be unknown
// (TimeProgramData::known): such a field is never written and never stored
// unless the user changed it, so that an incomplete read cannot overwrite
// the unit's program with made-up values.
//
// Result codes: those of CPageEngine (diag/Result.h).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace TimeProgramId {
enum : Page::ControlId {
    Title = 1,
    FirstProgram,                    // the button of program 1
    LastProgram = FirstProgram + 47, // the button of program 48
};
// The overview's columns (OverviewRow), left to right.
enum class OverviewColumn : int { Program, Active, Days, Time, Register, Value, Scene, Count };
} // namespace TimeProgramId

// The fields of one program, by their offset from the program's base.
namespace TimeProgramField {
enum : int { Activate = 0, EventDay, EventHour, EventMinute, RegisterAddress, RegisterNewValue, Scene, Count };
constexpr unsigned Bit(int field) { return 1u << field; }
constexpr unsigned kAll = (1u << Count) - 1;
// The name the dialog gives a field ("Event Hour").
const char* Name(int field);
} // namespace TimeProgramField

// One program as the event dialog edits it.
struct TimeProgramData
{
    // By field (TimeProgramField); a field nothing is known of keeps its
    // start value: register address 1, everything else 0.
    std::array<uint16_t, TimeProgramField::Count> words{0, 0, 0, 0, 1, 0, 0};
    // TimeProgramField bits of the fields that hold the unit's value (read,
    // or taken from the catalogue) or the user's.
    unsigned known = 0;

    bool knows(int field) const { return (known & TimeProgramField::Bit(field)) != 0; }
};

// One line of the page's overview: a program as the catalogue holds it, in
// the words the dialog and the unit's pages use. A field the last read
// could not read shows "---". A program nothing was read of since the unit
// was connected shows "not read" beside its activate flag (the connection
// reads only the flags): the catalogue's start values would pass for the
// unit's. A program not read from the unit yet, or not reached by the last
// "Read Target" (the link was lost before it), is marked stale: what it
// shows may be out of date.
struct TimeProgramOverviewRow
{
    static constexpr const char* kNotRead = "not read";

    int program = 0;
    std::string active;       // "on", "off"
    std::string days;         // "Mo-Fr", "Sa Su", "Mo We Fr", "none"
    std::string time;         // "06:30"
    std::string registerName; // "400 - Setpoint Temp", "no such register"
    std::string value;        // as the register's page shows it ("21.5 °C")
    std::string scene;        // "Scene 2", "No assignment"; "" on units without scenes
    bool stale = false;
};

class CTimeProgramLogic : public CPageEngine
{
public:
    static constexpr int kPrograms = 48;
    static constexpr uint16_t kFirstBase = 7040;
    static constexpr uint16_t kProgramStride = 10;
    // Programs belong to scenes from this device type on.
    static constexpr int kScenesFromDeviceType = 2000;
    static constexpr int kScenes = 8;

    // The scene list's entries, by scene: "No assignment", "Scene 1" ..
    static std::span<const char* const> SceneItems();
    // The weekdays of an event day: runs of three days or more as "Mo-Fr",
    // single days and pairs by name ("Sa Su"), "none" for no day.
    static std::string DayList(uint16_t eventDay);
    // "06:30".
    static std::string TimeText(uint16_t hour, uint16_t minute);

    CTimeProgramLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls);

    static const Page::Description& PageDescription();
    static constexpr uint16_t Base(int program)
    {
        return static_cast<uint16_t>(kFirstBase + kProgramStride * (program - 1));
    }
    // The program of a button, or 0.
    static int ProgramOf(Page::ControlId button);
    // "%s  Time Progam %i  %s": "*" on both sides of an active program, " "
    // otherwise.
    static std::string ButtonLabel(int program, bool active);

    // The 48 labels from the catalogue's activate flags; then the rebuilt
    // callback (the overview follows the labels).
    void rebuildLabels();
    void setRebuilt(std::function<void()> rebuilt) { m_rebuilt = std::move(rebuilt); }
    // A program's line of the overview, from the catalogue.
    TimeProgramOverviewRow overviewRow(int program);
    // Another unit (or none): every program counts as not read again.
    void forgetReads();
    // The unit assigns programs to scenes (device type 2000 or more).
    bool scenesUsed();

    // A program button: identifies the unit, then reads the program (from
    // the unit when one is known, else from the catalogue). What was read
    // goes into the catalogue too. Read failures are not reported in the
    // status line; the result tells which fields are known.
    TimeProgramData openProgram(int program);
    // The event dialog's "OK": writes the known fields of the program in
    // order (the scene from device type 2000 on), stores them in the
    // catalogue whether the unit took them or not, and gives a program of a
    // scene's day and time to the other programs of that scene. 0, or the
    // first failure's code (also shown: "Done." / "Error: %i" when a unit
    // is known).
    int saveProgram(int program, const TimeProgramData& data);

protected:
    // "Read Target": the 48 programs, each in the dialog's order and up to
    // its first failure; a failure that means the link is lost ends the
    // read. The first failure's code.
    int afterReads(int result, bool connected) override;
    void afterCycle(int result) override;

private:
    int writeProgram(int program, const TimeProgramData& data);
    int shareSceneTime(int program, const TimeProgramData& data);
    int fieldCount() { return scenesUsed() ? TimeProgramField::Count : TimeProgramField::Scene; }

    std::function<void()> m_rebuilt;
    // By program: the fields the last read could not read, and whether the
    // program was not read (nor saved) since the unit was connected.
    std::array<unsigned, kPrograms> m_unread{};
    std::array<bool, kPrograms> m_stale{};
    // By program: something of it was read from this unit (or saved to it).
    std::array<bool, kPrograms> m_seen{};
};
