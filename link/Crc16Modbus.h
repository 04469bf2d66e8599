// CRC-16/MODBUS: initial value 0xFFFF, reflected polynomial 0xA001, no final
// XOR. It protects the comparison of a unit's identity registers and the
// lines of the custom addressing tables.
//
// Thread rules: none (pure functions).
#pragma once

#include <cstddef>
#include <cstdint>

uint16_t Crc16Modbus(const void* data, std::size_t length, uint16_t crc = 0xFFFF);

// The CRC over 16-bit values, each taken low byte first.
uint16_t Crc16ModbusWords(const uint16_t* values, std::size_t count);
