// The partner that takes the lines the download link's receive thread reads
// (CComPortEx). The download state machine implements it: a line is either a
// download frame (0x01 ... 0x0A), which it consumes, or plain text, which it
// refuses so that the receive thread logs it.
//
// Thread rules: processRx runs on the receive thread. It may write to the
// same port (purgeInput, putArray) from inside the call; the next line is
// read only after it returns.
#pragma once

#include <cstdint>

class IComReceiver
{
public:
    virtual ~IComReceiver() = default;
    // data: the received bytes up to and including the CR or LF that ended
    // them (at most 8192 bytes; longer lines are cut); length >= 1.
    // Returns true when the block was consumed, false when it was not meant
    // for the receiver (the receive thread then logs it as text).
    virtual bool processRx(const uint8_t* data, int length) = 0;
};
