// The unit as the configuration export and import see it: the link opened
// for the whole run, reads and writes of holding registers, and what is
// known of the unit. CConnectionConfigUnit puts it over the tool's
// connection; tavemo-cli and the tests bring their own.
//
// Result codes (diag/Result.h):
//   open          0 or more: the link is open; NoLink no unit known; a
//                 negative connect code
//   readHolding   Ok with *value set; NoReply when nothing at all came back
//                 (the unit is silent); any other negative code or a
//                 positive refusal otherwise
//   writeHolding  Ok when the unit confirmed the write; else its code
//
// Thread rules: the thread that runs the export or import.
#pragma once

#include <cstdint>

class IConfigUnit
{
public:
    virtual ~IConfigUnit() = default;
    virtual int open() = 0;
    virtual void close() = 0;
    virtual int readHolding(uint16_t address, uint16_t* value) = 0;
    virtual int writeHolding(uint16_t address, uint16_t value) = 0;
    // The identified device type; 0 or less: no unit known.
    virtual int deviceType() const = 0;
    virtual bool demoMode() const = 0;
};
