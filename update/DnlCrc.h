// The 32-bit CRC of the firmware download: the reflected CRC-32 polynomial
// (table generated from 0xEDB88320), least significant bit first, register
// starting at 0 and never inverted. The check value over "123456789" is
// 0x2DFD2D88. Because nothing is inverted, a block followed by its own CRC
// (stored little-endian) runs to 0; both the download file and every
// download message are checked that way.
//
// Thread rules: pure functions, callable from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues the CRC register crc over n bytes and returns the new register.
// Start a fresh CRC with crc = 0.
uint32_t DNLF_Crc(uint32_t crc, const uint8_t* data, std::size_t n);

// Stores value little-endian at out[0..3].
inline void DNLF_PutLe32(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t DNLF_GetLe32(const uint8_t* in)
{
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}
