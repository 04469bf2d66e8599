// The machinery every configuration page shares: reading registers into their
// controls, writing changes at once, the read and undo cycles, "Save To
// NVRAM", the typed-number range check, the register information line on
// mouse-over and the picture marks. A page hands over its tables
// (Page::PageTables) and, where it does more than the tables say, overrides
// the hooks.
//
// Rules every operation keeps:
// - each cycle, change and action opens the link at its start and closes it
//   at its end; nothing stays open between two user actions;
// - a cycle stops at the first failing register: what was read before shows
//   fresh values, the failing control shows "---", the rest keep their text,
//   and the status line names that first code ("Error: %i");
// - the identity check (isSameDevice) comes before every write of a change
//   or an undo; on another unit nothing is written and the main window goes
//   back to its first tab;
// - in demo mode nothing is read or written and the common buttons are off;
// - a read never overwrites an edit field or list the user is working in
//   (the catalogue is updated all the same).
//
// Result codes: 0 success; the negative codes of IUnitAccess; a positive
// code for a write the adapter did not confirm; -100 a typed number outside
// the catalogue limits (the range message is shown, nothing is written).
//
// Thread rules: user-interface thread only. A cycle blocks the thread; a
// change that arrives while a cycle of the same page runs (the event loop
// re-entered) is handled when the cycle ends.
#pragma once

#include "pages/core/IPageControls.h"
#include "pages/core/IPageHost.h"
#include "pages/core/IUnitAccess.h"
#include "pages/core/PageTypes.h"

#include <cstdint>
#include <string>
#include <vector>

class RegisterCatalogue;

class CPageEngine
{
public:
    // Quiet time the unit needs before a change is sent.
    static constexpr int kChangePauseMs = 100;
    // Undo writes count an adapter status of 4 as done.
    static constexpr int kWriteAcceptedStatus = 4;
    static constexpr uint16_t kSaveToNvramRegister = 2013;

    CPageEngine(const Page::PageTables& tables, RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                IPageControls& controls);
    virtual ~CPageEngine() = default;
    CPageEngine(const CPageEngine&) = delete;
    CPageEngine& operator=(const CPageEngine&) = delete;

    // --- Register access with display -----------------------------------
    // Reads one register (from the unit when one is known, else the
    // catalogue value) and shows it in the binding's control. A text binding
    // reads its 12 registers. 0 or the failure code; -1 for address 0.
    int readAndShow(const Page::RegisterBinding& binding);
    // The same for an address; the page's binding for it gives the control
    // and display (none: into the catalogue only).
    int readAndShow(uint16_t address, Page::ControlId control);
    int readRegister(uint16_t address) { return readAndShow(address, Page::kNoControl); }
    // Writes the catalogue value (clamped to the limits) to the unit and
    // shows it again; read-only registers are skipped (0). Special-access
    // bindings use the special commands and skip no register. 0 (also for
    // an adapter status of 4) or the failure code; -1 for address 0.
    int writeFromStore(uint16_t address, Page::ControlId control);

    // --- Page actions ----------------------------------------------------
    // "Read target" and page activation. The result of the first failure.
    int readCycle();
    // "Undo changes": writes the values last read back to the unit.
    int undoCycle();
    // The buttons: the same with the busy overlay around them.
    int readTargetButton();
    int undoChangesButton();
    // A change the user made in a control: a list selection, a click on a
    // check box, Enter in an edit field. Controls outside the change map
    // write nothing. Without a unit the value goes into the catalogue.
    int writeOnChange(Page::ControlId control);
    // Range-checked write of a typed number with its own status message.
    int writeEditValue(uint16_t address, int32_t value, Page::Access access = Page::Access::Plain);
    // "Save To NVRAM": the unit stores its configuration (1 to 2013).
    int saveToNvram();
    // The common buttons work only outside demo mode.
    void enableCommonButtons();
    // "Ready." or "Error: No device connected or PIN wrong."; the device type.
    int checkReady();

    // --- Register information and picture marks --------------------------
    // The mouse is at (x, y) in page coordinates: sets the register
    // information line. true when the hovered control changed (the picture
    // panel redraws then).
    bool hoverAt(int x, int y);
    bool hoverNone();
    uint32_t hoveredCode() const { return m_hoveredCode; }
    Page::ControlId hoveredControl() const { return m_hoveredControl; }
    // The text of the information line for a register code ("" for 0).
    std::string hoverText(uint32_t code) const;
    // What the picture panel shows now: the hovered control's mark, or the
    // default picture without a frame.
    Page::PictureMark currentMark() const;

    // --- For pages -------------------------------------------------------
    const Page::RegisterBinding* bindingFor(uint16_t address) const;
    const Page::RegisterBinding* bindingOfControl(Page::ControlId control) const;
    const Page::ChangeEntry* changeEntryOf(Page::ControlId control) const;
    // Shows the bits of a bit-field register in its boxes.
    void showBitFields(uint16_t address);
    // A unit is identified (device type above 0) and demo mode is off.
    bool unitKnown() const;
    // Reads go to the unit (a unit is known and demo mode is off).
    bool readsFromUnit() const;
    const Page::PageTables& tables() const { return m_tables; }
    RegisterCatalogue& catalogue() { return m_catalogue; }
    const RegisterCatalogue& catalogue() const { return m_catalogue; }
    IUnitAccess& unit() { return m_unit; }
    IPageHost& host() { return m_host; }
    IPageControls& controls() { return m_controls; }
    bool cycleRunning() const { return m_cycleDepth > 0; }

protected:
    // Page hooks. afterReads runs after the read order (also when the link
    // did not open), while the link is still open; it may read more and
    // returns the cycle's result. afterCycle runs after the status is shown.
    virtual int afterReads(int result, bool connected)
    {
        (void)connected;
        return result;
    }
    virtual void afterCycle(int result) { (void)result; }
    // The value a changed control writes, when its Take needs the page's
    // help; false writes nothing.
    virtual bool changeValue(const Page::ChangeEntry& entry, int32_t* value)
    {
        (void)entry;
        (void)value;
        return false;
    }

    // Shows a value in a control as the binding says (no focus rule).
    void showValue(const Page::RegisterBinding& binding, uint16_t word);
    void showMissing(Page::ControlId control);
    // Applies one change over the open link, or to the catalogue when no
    // unit is there to take it.
    int applyChange(const Page::ChangeEntry& entry, bool toUnit);

private:
    int readText(const Page::RegisterBinding& binding);
    int composeBitField(uint16_t address, int32_t* value) const;
    bool setHovered(uint32_t code, Page::ControlId control);
    void storeClamped(uint16_t address, int32_t value);
    void runPendingChanges();

    struct CycleScope
    {
        explicit CycleScope(CPageEngine& e) : engine(e) { ++engine.m_cycleDepth; }
        ~CycleScope() { --engine.m_cycleDepth; }
        CPageEngine& engine;
    };

    const Page::PageTables m_tables; // spans into the page's static arrays
    RegisterCatalogue& m_catalogue;
    IUnitAccess& m_unit;
    IPageHost& m_host;
    IPageControls& m_controls;

    int m_cycleDepth = 0;
    std::vector<Page::ControlId> m_pendingChanges;
    uint32_t m_hoveredCode = 0;
    Page::ControlId m_hoveredControl = Page::kNoControl;
    std::string m_lastInfo;
};
