// The pieces of the connection logic that need no unit: the identity
// checksum and reading a typed PIN.
#include "link/CConnection.h"
#include "link/Crc16Modbus.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(Crc16Modbus, MatchesTheStandardCheckValue)
{
    EXPECT_EQ(Crc16Modbus("123456789", 9), 0x4B37);
    EXPECT_EQ(Crc16Modbus("", 0), 0xFFFF);
}

TEST(Crc16Modbus, TakesWordsLowByteFirst)
{
    const uint16_t words[] = {0x3231, 0x3433};
    EXPECT_EQ(Crc16ModbusWords(words, 2), Crc16Modbus("1234", 4));
    // The identity of two units that differ only in the firmware register.
    const uint16_t a[6] = {2050, 1011, 0, 0, 1, 1234};
    const uint16_t b[6] = {2050, 1012, 0, 0, 1, 1234};
    EXPECT_NE(Crc16ModbusWords(a, 6), Crc16ModbusWords(b, 6));
}

TEST(ConnectionPin, TypedTextCountsByItsLeadingDigits)
{
    const std::pair<const char*, int> rows[] = {
        {"1234", 1234}, {"12ab", 12}, {"", 0}, {"abc", 0}, {"-5", 0}, {" 7", 0}, {"99999999999999", INT_MAX},
    };
    for (const auto& [text, pin] : rows)
        EXPECT_EQ(CConnection::ParsePin(text), pin) << text;
}

} // namespace
