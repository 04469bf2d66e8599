#include "update/DnlCrc.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

} // namespace

uint32_t DNLF_Crc(uint32_t crc, const uint8_t* data, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        crc = (crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFF];
    return crc;
}
