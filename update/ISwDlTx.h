// The transmitter through which the download state machine writes its
// frames: the download link (CAppl) in the tool, a fake in tests.
//
// Thread rules: called by the state machine under its own lock, from the
// thread that drives it at that moment (the one starting the download, the
// receive thread, or the one calling tick).
#pragma once

#include <cstdint>

class ISwDlTx
{
public:
    virtual ~ISwDlTx() = default;
    // Writes length bytes; true when they were handed to an open port.
    // bytes may be null (then nothing is written).
    virtual bool transmit(const uint8_t* bytes, int32_t length) = 0;
};
