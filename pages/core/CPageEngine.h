// The machinery every configuration page shares: reading registers into their
// controls, writing changes at once, the read and undo cycles, "Save To
// NVRAM" and the typed-number range check. A page hands over its rows
// (Page::Description) and, where it does more than the rows say, overrides
// the hooks.
//
// Rules every operation keeps:
// - each cycle, change and action opens the link at its start and closes it
//   at its end (onUnit); nothing stays open between two user actions;
// - a cycle stops at the first failing register: what was read before shows
//   fresh values, the failing control shows "---", the rest keep their text,
//   and the status line names that first code ("Error: %i");
// - the identity check (isSameDevice) comes before every write of a change
//   or an undo; on another unit nothing is written, the action ends with
//   AnotherUnit and the main window goes back to its first tab;
// - a change that finds no identified unit (a failed identification) is
//   not written, says so (NoUnitIdentified) and stays marked as edited;
//   "Save To NVRAM" refuses (EditsUnwritten) while a field holds an edit;
// - in demo mode nothing is read or written and the button bar is off;
// - a read never overwrites an edit field or list the user is working in
//   (the catalogue is updated all the same).
//
// Result codes (diag/Result.h): 0 success; the negative codes of
// IUnitAccess; NoSuchRegister for address 0; a positive code for a write the
// adapter did not confirm; kTypedOutOfRange for a typed number outside the
// catalogue limits (the range message is shown, nothing is written).
//
// Thread rules: user-interface thread only. A cycle blocks the thread; a
// change that arrives while a cycle of the same page runs (the event loop
// re-entered) is handled when the cycle ends.
#pragma once

#include "diag/Result.h"
#include "link/UnitSession.h"
#include "pages/core/IPageControls.h"
#include "pages/core/IPageHost.h"
#include "pages/core/IUnitAccess.h"
#include "pages/core/PageTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class RegisterCatalogue;

class CPageEngine
{
public:
    // Makes a page's logic over the parts its Qt page holds; the page
    // registry names one per page (Make<CTilesLogic>), or a page without
    // rules of its own names only its description (Plain<&Description>).
    using Factory = std::unique_ptr<CPageEngine> (*)(RegisterCatalogue& catalogue, IUnitAccess& unit,
                                                     IPageHost& host, IPageControls& controls);
    template <class Logic>
    static std::unique_ptr<CPageEngine> Make(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                                             IPageControls& controls)
    {
        return std::make_unique<Logic>(catalogue, unit, host, controls);
    }
    template <const Page::Description& (*Describe)()>
    static std::unique_ptr<CPageEngine> Plain(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                                              IPageControls& controls)
    {
        return std::make_unique<CPageEngine>(Describe(), catalogue, unit, host, controls);
    }

    // Quiet time the unit needs before a change is sent.
    static constexpr int kChangePauseMs = 100;
    // Undo writes count an adapter status of 4 as done.
    static constexpr int kWriteAcceptedStatus = 4;
    static constexpr uint16_t kSaveToNvramRegister = 2013;
    // A typed number outside the catalogue limits: the range message stands
    // in the status line instead of a code.
    static constexpr int kTypedOutOfRange = Result::TypedOutOfLimits;
    // Enter in a number field that holds no number: a message of its own.
    static constexpr int kNoNumberTyped = Result::NoNumberTyped;

    // What a user action does around its work with the unit (onUnit).
    struct UnitAction
    {
        bool identify = false;   // identify the unit first; end with NoLink when none answers
        bool running = false;    // "Running..." before
        bool overlay = false;    // the busy overlay around it
        bool sameDevice = false; // the identity check before the work
        bool report = false;     // "Done." or "Error: %i" after
    };

    CPageEngine(const Page::Description& page, RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                IPageControls& controls);
    virtual ~CPageEngine() = default;
    CPageEngine(const CPageEngine&) = delete;
    CPageEngine& operator=(const CPageEngine&) = delete;

    // --- Register access with display -----------------------------------
    // Reads one register (from the unit when one is known, else the
    // catalogue value) and shows it in the row's control. A text row reads
    // its 12 registers. 0 or the failure code; NoSuchRegister for address 0.
    int readAndShow(const Page::Row& row);
    // The same for an address; the page's reading row for it gives the
    // display (none: into the catalogue only); control says where it shows.
    int readAndShow(uint16_t address, Page::ControlId control);
    int readRegister(uint16_t address) { return readAndShow(address, Page::kNoControl); }
    // Writes the catalogue value (clamped to the limits) to the unit and
    // shows it again; read-only registers are skipped (0). Special-access
    // rows use the special commands and skip no register. 0 (also for an
    // adapter status of 4) or the failure code; NoSuchRegister for address 0.
    int writeFromStore(uint16_t address, Page::ControlId control);
    // The same for a value of the caller's: the catalogue takes it only
    // once the unit has (without a unit, at once).
    int writeValue(uint16_t address, uint16_t word, Page::ControlId control);

    // --- Page actions ----------------------------------------------------
    // "Read Target" and page activation. The result of the first failure.
    int readCycle();
    // "Undo Changes": writes the values the last read cycle read from the
    // unit back to it; the rest (a cycle that stopped, never read) is not
    // written and named in the status line ("Not read from the unit: ...").
    int undoCycle();
    // The buttons: the same with the busy overlay around them.
    int readTargetButton();
    int undoChangesButton();
    // A change the user made in a control: a list selection, a click on a
    // check box, Enter in an edit field. Controls that write nothing on a
    // change are ignored. Without a unit the value goes into the catalogue.
    int writeOnChange(Page::ControlId control);
    // Range-checked write of a typed number with its own status message.
    int writeEditValue(uint16_t address, int32_t value, Page::Access access = Page::Access::Plain);
    // "Save To NVRAM": the unit stores its configuration (1 to 2013).
    int saveToNvram();
    // The button bar works only outside demo mode.
    void enableCommonButtons();
    // Disables the status-only controls (Row::statusOnly; the page's attach
    // and every read cycle do it).
    void disableAlwaysDisabled();
    // What the user did with a control, as the page's Qt side reports it:
    // a list selection, a check box click or Enter in a field (by default
    // writeOnChange), and a button without a framework action (by default
    // nothing). A page with rules of its own overrides them. The result of
    // what was done.
    virtual int controlChanged(Page::ControlId control) { return writeOnChange(control); }
    virtual int buttonClicked(Page::ControlId button)
    {
        (void)button;
        return 0;
    }
    // A button that writes its value (writeOnChange), then the control that
    // shows what the unit made of it is read back. The result of the write.
    int writeThenRead(Page::ControlId written, Page::ControlId readBack);
    // "Ready." or "Error: No device connected or PIN wrong."; the device type.
    int checkReady();

    // One user action with the unit: nothing in demo mode (0); otherwise
    // the steps of how around the link: open it, run work while it is open
    // (not when it did not open), close it. The result of work, or the first
    // failure before it. passedChecks (optional): the action got past the
    // identification and the identity check it asked for.
    int onUnit(const UnitAction& how, const std::function<int()>& work, bool* passedChecks = nullptr);
    // The unit session's steps on the page's unit with nothing shown around
    // them but the hooks; the session's outcome as it is.
    UnitActionResult runUnitAction(const ::UnitAction& how, const std::function<int()>& work,
                                   const UnitActionHooks& hooks = {});

    // --- For pages -------------------------------------------------------
    const Page::Description& description() const { return m_page; }
    // The row that reads a register (nullptr: none).
    const Page::Row* rowFor(uint16_t address) const;
    const Page::Row* rowOf(Page::ControlId control) const;
    // Shows the bits of a bit-field register in its boxes.
    void showBitFields(uint16_t address);
    // A unit is identified (device type above 0) and demo mode is off.
    bool unitKnown() const;
    // Reads go to the unit (a unit is known and demo mode is off).
    bool readsFromUnit() const;
    RegisterCatalogue& catalogue() { return m_catalogue; }
    const RegisterCatalogue& catalogue() const { return m_catalogue; }
    IUnitAccess& unit() { return m_unit; }
    IPageHost& host() { return m_host; }
    IPageControls& controls() { return m_controls; }
    bool cycleRunning() const { return m_cycleDepth > 0; }

protected:
    // Page hooks. afterReads runs after the read order while the link is
    // still open (also when it did not open: connected false); it may read
    // more and returns the cycle's result. afterCycle runs after the status
    // is shown.
    virtual int afterReads(int result, bool connected)
    {
        (void)connected;
        return result;
    }
    virtual void afterCycle(int result) { (void)result; }
    // A later read group (Row::readGroup) in the read order, for a page's
    // afterReads: read while go holds, up to the first failure; afterEach
    // runs after each register read. What was not reached is marked as
    // possibly out of date when the page reads from the unit. The first
    // failure's code, else result.
    int readGroup(uint8_t group, bool go, int result,
                  const std::function<void(const Page::Row&)>& afterEach = {});

    // Shows a value in a control as the row says (no focus rule).
    void showValue(const Page::Row& row, uint16_t word);
    void showMissing(Page::ControlId control);
    // Applies one change over the open link, or to the catalogue when no
    // unit is there to take it.
    int applyChange(const Page::Row& row, bool toUnit);
    // "Error: selected value out of range [%d;%d] !" for a register, with
    // its limits in the field's own scale and unit for the detail line.
    void showRangeMessage(uint16_t address);
    // A typed value was refused: the field shows the unit's value again,
    // marked as refused until the next edit.
    void restoreRefused(const Page::Row& row);
    // The action stops for the unit: AnotherUnit (back to the first tab,
    // "another unit is attached: connect again"), NoUnitIdentified (its
    // words), else "Error: %i"; the code.
    int refuseUnit(int code);
    // "Not read from the unit: <names>. ..." for registers left unwritten.
    std::string notReadText(const std::vector<uint16_t>& addresses) const;

private:
    // A field holds an edit the unit has not taken yet.
    bool editsUnwritten() const;
    int readText(const Page::Row& row);
    int composeBitField(uint16_t address, int32_t* value) const;
    void runPendingChanges();
    // After every read: the status-only and show-only controls go off.
    void disableAfterRead();

    struct CycleScope
    {
        explicit CycleScope(CPageEngine& e) : engine(e) { ++engine.m_cycleDepth; }
        ~CycleScope() { --engine.m_cycleDepth; }
        CPageEngine& engine;
    };

    const Page::Description m_page; // spans into the page's static rows
    std::vector<const Page::Row*> m_reads;     // every read group, in the read order
    std::vector<const Page::Row*> m_readOrder; // the read cycle's group
    std::vector<uint16_t> m_undoOrder;
    RegisterCatalogue& m_catalogue;
    IUnitAccess& m_unit;
    IPageHost& m_host;
    IPageControls& m_controls;

    int m_cycleDepth = 0;
    std::vector<Page::ControlId> m_pendingChanges;
    std::set<uint16_t> m_readFromUnit; // read from the unit in the last read cycle
};
