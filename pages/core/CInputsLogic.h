// The Inputs page's tables, free of any toolkit: the function of each of the
// unit's two digital inputs and their present states. The page registry
// builds its Qt page from it.
//
// Input 1 can also take an external NTC10K temperature sensor; input 2 has
// that entry reserved. The two states (126, 127) are read-only: the unit
// sets them from its terminals.
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"

namespace InputsId {
enum : Page::ControlId {
    Input1Config = 1,
    Input2Config,
    D1Status,
    D2Status,
};
} // namespace InputsId

class CInputsLogic : public CPageEngine
{
public:
    static constexpr uint16_t kInput1Register = 3900;
    static constexpr uint16_t kInput2Register = 3901;

    CInputsLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls);

    // The page's rows and orders.
    static const Page::Description& PageDescription();

    // A new function chosen for an input: written at once. An input's
    // function belongs to the unit's wiring, so without a unit it goes
    // nowhere, not even into the value store.
    int chooseFunction(Page::ControlId list);
    // A change on this page is a function chosen.
    int controlChanged(Page::ControlId control) override { return chooseFunction(control); }
};
