// What the whole tool knows about the attached unit at the moment: whether
// demo mode is active and the identified device type. The connection logic
// of the COM-Interface page (CConnection) owns the one instance and writes
// it; the protocol client and the pages read it (the client refuses to
// connect in demo mode; the multi-register write range-checks only when a
// unit is known).
//
// Thread rules: user-interface thread only.
#pragma once

#include "model/RegisterCatalogue.h"

class CUnitState
{
public:
    int deviceType = kNoDevice; // holding 2000 of the identified unit; -1 = none
    int demoMode = 0;           // 1 while demo mode is active

    bool inDemoMode() const { return demoMode != 0; }
    bool deviceKnown() const { return deviceType > 0; }
};
