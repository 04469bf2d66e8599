#include "link/Crc16Modbus.h"

uint16_t Crc16Modbus(const void* data, std::size_t length, uint16_t crc)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

uint16_t Crc16ModbusWords(const uint16_t* values, std::size_t count)
{
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t pair[2] = {static_cast<uint8_t>(values[i] & 0xFF),
                                 static_cast<uint8_t>(values[i] >> 8)};
        crc = Crc16Modbus(pair, 2, crc);
    }
    return crc;
}
