// A periodic callback: whoever drives a long-running object calls tick
// regularly (every few tens of milliseconds) and idleTick when there is
// nothing else to do. The arguments are reserved and ignored.
//
// Thread rules: set by the implementation.
#pragma once

#include <cstdint>

class IOsThreadCB
{
public:
    virtual ~IOsThreadCB() = default;
    // Returns true when the caller should call again at once.
    virtual bool tick(uint32_t a, uint32_t b, uint32_t c) = 0;
    virtual void idleTick(uint32_t a, uint32_t b, uint32_t c) = 0;
};
