#include "update/Slip.h"

#include "diag/Result.h"

int SLIP_EscapeIndex(uint8_t byte)
{
    for (std::size_t k = 0; k < SLIP_ESCAPE_COUNT; ++k)
        if (SLIP_ESCAPED[k] == byte)
            return static_cast<int>(k);
    return -1;
}

uint32_t SLIP_EncodedSize(const uint8_t* message, uint32_t n)
{
    uint32_t size = 2 + n;
    for (uint32_t i = 0; i < n; ++i)
        if (SLIP_EscapeIndex(message[i]) >= 0)
            ++size;
    return size;
}

uint32_t SLIP_Encode(uint8_t* buffer, uint32_t n)
{
    const uint32_t size = SLIP_EncodedSize(buffer, n);
    buffer[size - 1] = SLIP_END;
    // Back to front: the write position stays ahead of the read position by
    // one plus the escapes still to come, so no byte is overwritten unread.
    uint32_t w = size - 1;
    for (uint32_t i = n; i-- > 0;) {
        const uint8_t b = buffer[i];
        const int k = SLIP_EscapeIndex(b);
        if (k >= 0) {
            buffer[--w] = static_cast<uint8_t>('0' + k);
            buffer[--w] = SLIP_ESCAPE;
        } else {
            buffer[--w] = b;
        }
    }
    buffer[0] = SLIP_START;
    return size;
}

int SLIP_Decode(uint8_t* buffer, uint32_t length)
{
    if (!buffer || length < 2 || buffer[0] != SLIP_START || buffer[length - 1] != SLIP_END)
        return Result::NotAFrame;
    const uint32_t last = length - 1; // index of the end byte
    uint32_t w = 0;
    for (uint32_t r = 1; r < last; ++r) {
        uint8_t b = buffer[r];
        if (b == SLIP_ESCAPE && r + 1 < last) {
            const uint8_t code = buffer[++r];
            b = code >= '0' && code < '0' + SLIP_ESCAPE_COUNT ? SLIP_ESCAPED[code - '0'] : code;
        }
        buffer[w++] = b;
    }
    return static_cast<int>(w);
}
