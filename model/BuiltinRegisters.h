// The built-in rows of the register map (see BuiltinRegisters.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace Builtin {

// One register: address, description, access ('R' read-only, 'W' writable),
// default and limits.
struct RegisterRow
{
    uint16_t address;
    const char* name;
    char access;
    int32_t defaultValue;
    int32_t min;
    int32_t max;
};

struct Limits
{
    int32_t defaultValue;
    int32_t min;
    int32_t max;
};

struct OptionalRow
{
    bool present = false;
    int32_t defaultValue = 0;
    int32_t min = 0;
    int32_t max = 0;
};

// A sensor configuration block at base B: labels B..B+11, offset B+12,
// averaging time B+13, colour scale B+14/B+15, unit B+16, enables B+17/B+18.
struct SensorBlock
{
    uint16_t base;
    const char* prefix;  // ends with a blank; names are prefix + suffix
    const char* keyAbbr; // key names start with it ("TempS1Int")
    bool averaging;
    OptionalRow offset;
    Limits scaleStart;
    Limits scaleEnd;
    OptionalRow unit;
    int32_t enableInMenuDefault;
};

// A 12-register text whose names are prefix + " 1" .. "12".
struct TextRun
{
    uint16_t first;
    const char* prefix;
    const char* key;
};

// One register of a time program: base + offset; name "Time Program n " +
// suffix; key formatted with n and the address.
struct TimeProgramRow
{
    uint16_t offset;
    const char* suffix;
    int32_t defaultValue;
    int32_t min;
    int32_t max;
    const char* keyFormat;
};

struct KeyRow
{
    uint16_t address;
    const char* key;
};

constexpr int kTimePrograms = 48;
constexpr uint16_t kTimeProgramBase = 7040;
constexpr uint16_t kTimeProgramStride = 10;
constexpr int kTextLength = 12;

extern const RegisterRow kHoldingRows[];
extern const std::size_t kHoldingRowCount;
extern const RegisterRow kInputRows[];
extern const std::size_t kInputRowCount;
extern const RegisterRow kCoilRows[];
extern const std::size_t kCoilRowCount;
extern const SensorBlock kSensorBlocks[];
extern const std::size_t kSensorBlockCount;
extern const TextRun kTextRuns[];
extern const std::size_t kTextRunCount;
extern const TimeProgramRow kTimeProgramRows[];
extern const std::size_t kTimeProgramRowCount;
extern const KeyRow kKeyRows[];
extern const std::size_t kKeyRowCount;

} // namespace Builtin
