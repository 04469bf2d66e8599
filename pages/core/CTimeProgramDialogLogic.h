// The event dialog's logic, free of any toolkit: how one time program fills
// the dialog ("Activate", the seven weekday boxes, hour, minute, register
// address, the value written, the scene from device type 2000 on), the
// checks "OK" runs in order with their messages, and the program the dialog
// hands back. The dialog itself does not talk to the unit: the page reads
// the program before (CTimeProgramLogic::openProgram) and writes it after.
// CDlgTimeProgram is the thin Qt dialog over it.
//
// A field the page could not read shows its start value greyed and is named
// in a note above the fields; it is handed back as unknown (and so neither
// written nor stored) until the user changes it.
//
// Its rows lay out the dialog and name the program's registers on
// mouse-over (CHoverInfo) with the element of the unit's time-program
// screen they set; the addresses depend on the program, so the rows are
// built per dialog.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CHoverInfo.h"
#include "pages/core/CTimeProgramLogic.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace TimeProgramDialogId {
enum : Page::ControlId {
    Heading = 1,
    Unread, // the note naming the fields that could not be read
    Activate,
    EventDay, // the label in front of the weekday boxes
    Monday,
    Tuesday,
    Wednesday,
    Thursday,
    Friday,
    Saturday,
    Sunday,
    EventHour,
    EventMinute,
    RegisterAddress,
    RegisterNewValue,
    Scene,
    Info, // hover information and the checks' messages
    Ok,
    Cancel,
    AddressName,  // beside "Register Address": "400 - Setpoint Temp"
    ValueShown,   // beside "Register New Value": the value as its page shows it
    FindRegister, // the searchable list of the registers a program may write
};
} // namespace TimeProgramDialogId

// What the dialog's picture of the unit's time-program screen shows, taken
// from the fields as they stand while the user edits them. A part of the
// time, the address or the value that is not a valid number, or that was not
// read from the unit, shows as "--".
struct TimeProgramScreen
{
    std::string title; // "Time program 5"
    bool active = false;
    std::array<bool, 7> days{}; // Monday first
    std::string time;           // "06:30"
    std::string address;        // "400"
    std::string registerName;   // the catalogue's name, "no such register" or "not read"
    std::string value;          // as the register's page shows it ("21.5 °C"), else the number
    bool scenes = false;        // the unit assigns programs to scenes: the badge shows
    std::string scene;          // "Scene 2", "No assignment"

    bool operator==(const TimeProgramScreen&) const = default;
};

class CTimeProgramDialogLogic
{
public:
    static constexpr int kDays = 7;
    static constexpr int kRowCount = 2 + kDays + 5 + 3;

    // One check of "OK": the field's text as a number, within [min, max].
    struct NumberCheck
    {
        Page::ControlId control;
        int field; // TimeProgramField
        int32_t min;
        int32_t max;
        const char* message;
    };
    // In the order "OK" runs them.
    static const std::array<NumberCheck, 4>& Checks();

    CTimeProgramDialogLogic(int program, bool scenes, RegisterCatalogue& catalogue, IPageHost& host,
                            IPageControls& controls);
    // The hover information points into this object's own rows: it stays
    // where it is.
    CTimeProgramDialogLogic(const CTimeProgramDialogLogic&) = delete;
    CTimeProgramDialogLogic& operator=(const CTimeProgramDialogLogic&) = delete;

    int program() const { return m_program; }
    bool scenes() const { return m_scenes; }
    std::span<const Page::Row> rows() const { return m_rows; }
    CHoverInfo& hover() { return m_hover; }

    // Fills the controls with a program; hides the scene list below device
    // type 2000; greys and names the fields that are not known.
    void show(const TimeProgramData& data);
    // The user changed a control: its field holds the user's value now. A
    // register chosen in "Find Register" goes into "Register Address".
    void userChanged(Page::ControlId control);
    // The register's name beside its address and the value in the form of
    // the register's page beside the value, for the fields as they stand
    // (nothing for a field not read from the unit).
    void showRegister();
    // Leaving "Event Hour" checks it at once.
    bool checkHour();
    // "OK": the checks in order. A number in range is written back into its
    // field as that number ("07" becomes "7"); the first one out of range
    // leaves its message in the information line and gives false (the
    // dialog stays open; failedControl says where).
    bool confirm();
    Page::ControlId failedControl() const { return m_failed; }
    // The program as the dialog holds it (after confirm).
    TimeProgramData result() const;
    // The picture's content for the fields as they stand now.
    TimeProgramScreen screen() const;
    // The registers "Find Register" offers, in address order: those of the
    // unit that a program can write (not read-only, not inside a text).
    std::span<const uint16_t> pickableRegisters() const { return m_choices.addresses; }

    // The event day of the seven boxes: Monday bit 0 .. Sunday bit 6.
    static uint16_t ComposeEventDay(const std::array<bool, kDays>& days);
    // The note for the fields not known ("" when all are).
    static std::string UnreadNote(unsigned unknownFields);

private:
    bool check(const NumberCheck& c);
    void showUnread();
    uint16_t reg(int field) const { return static_cast<uint16_t>(m_base + field); }
    // The field a control edits (-1: none).
    static int FieldOf(Page::ControlId control);
    unsigned fieldsShown() const;

    // "Find Register"'s entries ("400 - Setpoint Temp") and their addresses;
    // the rows' list points into the texts, so the entries stay in place.
    struct Choices
    {
        explicit Choices(const RegisterCatalogue& catalogue);
        Choices(const Choices&) = delete;
        Choices& operator=(const Choices&) = delete;
        std::vector<uint16_t> addresses;
        std::vector<std::string> texts;
        std::vector<const char*> items;
    };

    int m_program;
    bool m_scenes;
    const RegisterCatalogue& m_catalogue;
    uint16_t m_base;
    IPageControls& m_controls;
    unsigned m_known = 0;
    Page::ControlId m_failed = Page::kNoControl;

    Choices m_choices;
    std::array<Page::Row, kRowCount> m_rows;
    CHoverInfo m_hover;
};
