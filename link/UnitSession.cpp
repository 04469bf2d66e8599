#include "link/UnitSession.h"

#include "diag/Result.h"

namespace {

UnitActionResult Ending(UnitActionResult::Outcome outcome, UnitActionResult::Step step, int code)
{
    UnitActionResult r;
    r.outcome = outcome;
    r.step = step;
    r.result = code;
    return r;
}

} // namespace

UnitActionResult BeginUnitAction(IUnitSessionSteps& unit, const UnitAction& how, const UnitActionHooks& hooks)
{
    using Outcome = UnitActionResult::Outcome;
    using Step = UnitActionResult::Step;
    if (unit.demoMode()) {
        switch (how.inDemo) {
        case UnitAction::InDemo::Skip: return Ending(Outcome::SkippedInDemo, Step::Demo, Result::Ok);
        case UnitAction::InDemo::Refuse: return Ending(Outcome::Refused, Step::Demo, Result::DemoMode);
        case UnitAction::InDemo::Offline: return Ending(Outcome::Ran, Step::Work, Result::Ok);
        }
    }
    if (how.identify) {
        const int identified = unit.identifyDevice();
        if (identified == Result::AnotherUnit || identified == Result::PinNotAccepted)
            return Ending(Outcome::Refused, Step::Identify, identified);
        const int type = unit.deviceType();
        if (hooks.identified)
            hooks.identified(type);
        if (type < 0)
            return Ending(Outcome::Refused, Step::Identify, Result::NoLink);
    }
    if (hooks.started)
        hooks.started();
    const int connected = unit.connectUnit(how.requireDevice);
    if (connected == Result::AnotherUnit || connected == Result::PinNotAccepted)
        return Ending(Outcome::Refused, Step::Connect, connected);
    if (connected == Result::Ok && how.sameDevice && !unit.isSameDevice()) {
        unit.disconnect();
        return Ending(Outcome::Refused, Step::SameDevice, Result::AnotherUnit);
    }
    if (connected != Result::Ok && !how.runWithoutLink)
        return Ending(Outcome::NotConnected, Step::Connect, connected);
    UnitActionResult begun = Ending(Outcome::Ran, Step::Work, connected);
    begun.linkOpen = connected == Result::Ok;
    return begun;
}

void EndUnitAction(IUnitSessionSteps& unit, const UnitActionResult& begun)
{
    if (begun.linkOpen)
        unit.disconnect();
}

UnitActionResult RunUnitAction(IUnitSessionSteps& unit, const UnitAction& how, const std::function<int()>& work,
                               const UnitActionHooks& hooks)
{
    UnitActionResult r = BeginUnitAction(unit, how, hooks);
    if (!r.ran())
        return r;
    r.result = work();
    EndUnitAction(unit, r);
    r.linkOpen = false;
    return r;
}
