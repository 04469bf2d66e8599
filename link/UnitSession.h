// The steps around every action on a unit, said once: what demo mode does
// with it, asking the unit again what it is (it may have been swapped or
// switched off since "Connect"), the ready check, opening the link, making
// sure the unit behind the open link is still the one connected to with
// its PIN, the work itself, and closing the link. The pages, the dialogs,
// the configuration files, the bus tests and ReMa run their unit work
// through it; only what they show around it (status texts, the busy
// overlay) stays theirs, through the hooks.
//
// The steps come from IUnitSessionSteps: CConnection serves them for the
// tool's connection, a page's IUnitAccess through an adapter, a test with a
// fake. Nothing here is shared between sessions: each port has its own
// protocol client, connection and steps, so actions on several ports may
// run at once on several threads (one thread per session).
//
// Result codes (diag/Result.h): the work's result when it ran; otherwise
// why not: DemoMode (InDemo::Refuse), AnotherUnit, PinNotAccepted, NoLink
// (no unit of a known type answered), or the code of the link that did not
// open (UnitActionResult::Outcome says which).
//
// Thread rules: the session's own thread; the steps object is not shared.
#pragma once

#include <functional>

class IUnitSessionSteps
{
public:
    virtual ~IUnitSessionSteps() = default;
    virtual bool demoMode() const = 0;
    // The identified unit's device type; -1 when none answered.
    virtual int deviceType() const = 0;
    // Re-reads what the unit is: its device type, or a negative code
    // (AnotherUnit and PinNotAccepted among them).
    virtual int identifyDevice() = 0;
    // Opens the link: Ok, AnotherUnit, PinNotAccepted, NoLink (no unit of a
    // known type when one is required), or the port's open code.
    virtual int connectUnit(bool requireDevice) = 0;
    // Over the open link: whether the unit is the one connected to.
    virtual bool isSameDevice() = 0;
    virtual void disconnect() = 0;
};

struct UnitAction
{
    // What the action does in demo mode, where nothing goes to a unit.
    enum class InDemo
    {
        Skip,    // nothing to do: Ok, the work does not run
        Refuse,  // DemoMode, the work does not run
        Offline, // the work runs without a link (on the stored values)
    };
    InDemo inDemo = InDemo::Skip;
    bool identify = false;      // ask the unit what it is first; NoLink when none answers
    bool requireDevice = true;  // the link opens only for a unit of a known type (above 0)
    bool sameDevice = false;    // check the identity over the open link before the work
    bool runWithoutLink = false; // the work runs even when the link did not open, and fails itself
};

struct UnitActionResult
{
    enum class Outcome
    {
        Ran,           // the work ran (its result in result)
        SkippedInDemo, // demo mode: nothing ran (Ok)
        Refused,       // a check before the link ended it (its code in result)
        NotConnected,  // the checks passed, the link did not open (its code in result)
    };
    // The last step the action came to: where it was refused or stopped.
    enum class Step
    {
        Demo,       // demo mode decided it
        Identify,   // asking the unit what it is
        Connect,    // opening the link
        SameDevice, // the identity check over the open link
        Work,       // the work ran (or may run now)
    };
    Outcome outcome = Outcome::Ran;
    Step step = Step::Work;
    int result = 0;
    bool linkOpen = false; // the link was opened for the work and is closed by EndUnitAction

    bool ran() const { return outcome == Outcome::Ran; }
    bool refused() const { return outcome == Outcome::Refused; }
    // The unit was checked and the action went as far as the link.
    bool passedChecks() const { return outcome == Outcome::Ran || outcome == Outcome::NotConnected; }
};

// What the host shows around the steps; each may be empty.
struct UnitActionHooks
{
    // After identifying: the device type found (negative: none), e.g. "Ready.".
    std::function<void(int deviceType)> identified;
    // The checks before the link passed: "Running...", the busy overlay.
    std::function<void()> started;
};

// Every step up to the work: on Outcome::Ran (the work may run now) the
// link is open when linkOpen says so; end with EndUnitAction whatever the
// work did. Any other outcome has run the whole action (nothing is open).
UnitActionResult BeginUnitAction(IUnitSessionSteps& unit, const UnitAction& how, const UnitActionHooks& hooks = {});
// Closes what BeginUnitAction opened.
void EndUnitAction(IUnitSessionSteps& unit, const UnitActionResult& begun);

// BeginUnitAction, the work (when it may run), EndUnitAction; the work's
// result, or why it did not run.
UnitActionResult RunUnitAction(IUnitSessionSteps& unit, const UnitAction& how, const std::function<int()>& work,
                               const UnitActionHooks& hooks = {});
