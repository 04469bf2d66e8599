#include "tools/bustest/CModbusTestLogic.h"

#include "diag/Result.h"
#include "link/CModbus.h"
#include "tools/bustest/BusTestText.h"

using namespace BusTestText;

CBusTestLogic::Outcome CModbusTestLogic::writeHolding(std::string_view address, std::string_view value)
{
    const std::optional<uint16_t> a = word(address, kNumberMin, kNumberMax);
    if (!a)
        return Refused(Result::BeyondSixteenBits);
    const std::optional<uint16_t> v = word(value, kWordMin, kWordMax);
    if (!v)
        return Refused(Result::BeyondSixteenBits);
    return run([&](CModbus& m) { return m.writeHolding(*a, *v); },
               [&](int r) { return LogLine(kWriteHolding, *a, Unsigned5(*v), r); });
}

CBusTestLogic::Outcome CModbusTestLogic::readHolding(std::string_view address)
{
    const std::optional<uint16_t> a = word(address, kNumberMin, kNumberMax);
    if (!a)
        return Refused(Result::BeyondSixteenBits);
    uint16_t value = 0;
    Outcome out = run([&](CModbus& m) { return m.readHolding(*a, &value); },
                      [&](int r) { return LogLine(kReadHolding, *a, Unsigned5(r == 0 ? value : 0), r); });
    if (out.ran)
        out.shown = out.result == 0 ? WordText(value) : kMissing;
    return out;
}

CBusTestLogic::Outcome CModbusTestLogic::readInput(std::string_view address)
{
    const std::optional<uint16_t> a = word(address, kNumberMin, kNumberMax);
    if (!a)
        return Refused(Result::BeyondSixteenBits);
    int16_t value = 0;
    const auto word16 = [&](int r) { return r == 0 ? static_cast<uint16_t>(value) : uint16_t{0}; };
    Outcome out = run([&](CModbus& m) { return m.readInput(*a, &value); },
                      [&](int r) { return LogLine(kReadInput, *a, Unsigned5(word16(r)), r); });
    if (out.ran)
        out.shown = out.result == 0 ? WordText(word16(0)) : kMissing;
    return out;
}

CBusTestLogic::Outcome CModbusTestLogic::writeCoil(std::string_view address, bool active)
{
    const std::optional<uint16_t> a = word(address, kNumberMin, kNumberMax);
    if (!a)
        return Refused(Result::BeyondSixteenBits);
    return run([&](CModbus& m) { return m.writeCoil(*a, active); },
               [&](int r) { return LogLine(kWriteCoil, *a, Unsigned5(active ? 1 : 0), r); });
}

CBusTestLogic::Outcome CModbusTestLogic::readCoil(std::string_view address)
{
    const std::optional<uint16_t> a = word(address, kNumberMin, kNumberMax);
    if (!a)
        return Refused(Result::BeyondSixteenBits);
    bool set = false;
    Outcome out = run([&](CModbus& m) { return m.readCoil(*a, &set); },
                      [&](int r) { return LogLine(kReadCoil, *a, Unsigned5(r == 0 && set ? 1 : 0), r); });
    if (out.ran)
        out.shown = out.result == 0 ? FlagText(set) : kMissing;
    return out;
}
