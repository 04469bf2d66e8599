// The Modbus test page's actions, free of any toolkit: one holding register
// written or read, one input register read, one coil written or read, each
// by the number typed, bypassing the register catalogue. CTabModbus is the
// thin Qt page over it.
//
// A read shows its value as "%d / %uu / x%04X" (signed, unsigned,
// hexadecimal), a coil as "true" or "false", a failed read as "---". Every
// action that reaches the unit leaves one line in the test log, e.g.
//   "Read  holding: Addr =  2000,  val =  1000 (res = 0)"
//   "Error: Write coil   : Addr =    12,  val =     1 (res = 27)"
//
// Result codes: those of CBusTestLogic.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/bustest/CBusTestLogic.h"

class CModbusTestLogic : public CBusTestLogic
{
public:
    using CBusTestLogic::CBusTestLogic;

    // The fields as typed: register numbers 0..65535, the holding value
    // -32768..65535 (a negative number goes out as its 16-bit word).
    Outcome writeHolding(std::string_view address, std::string_view value);
    Outcome readHolding(std::string_view address);
    Outcome readInput(std::string_view address);
    Outcome writeCoil(std::string_view address, bool active);
    Outcome readCoil(std::string_view address);
};
