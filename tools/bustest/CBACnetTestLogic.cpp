#include "tools/bustest/CBACnetTestLogic.h"

#include "diag/Result.h"
#include "link/CModbus.h"
#include "pages/core/PageText.h"
#include "tools/bustest/BusTestText.h"

#include <algorithm>

using namespace BusTestText;

CBusTestLogic::Outcome CBACnetTestLogic::writeAnalogueValue(std::string_view instance, std::string_view value)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    const double v = FieldDecimal(value);
    return run([&](CModbus& m) { return m.writeAvValue(*object, v); },
               [&](int r) { return LogLine(kWriteInstance, *object, Fixed2(v), r); });
}

CBusTestLogic::Outcome CBACnetTestLogic::readDecimal(std::string_view instance, bool input)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    double value = 0;
    Outcome out = run(
        [&](CModbus& m) { return input ? m.readAiValue(*object, &value) : m.readAvValue(*object, &value); },
        [&](int r) { return LogLine(kReadInstance, *object, Fixed2(r == 0 ? value : 0.0), r); });
    if (out.ran)
        out.shown = out.result == 0 ? Fixed2(value) : kMissing;
    return out;
}

CBusTestLogic::Outcome CBACnetTestLogic::readAnalogueValue(std::string_view instance)
{
    return readDecimal(instance, false);
}

CBusTestLogic::Outcome CBACnetTestLogic::readAnalogueInput(std::string_view instance)
{
    return readDecimal(instance, true);
}

CBusTestLogic::Outcome CBACnetTestLogic::writeBinaryValue(std::string_view instance, bool active)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    const int state = active ? 1 : 0;
    return run([&](CModbus& m) { return m.writeBvValue(*object, state); },
               [&](int r) { return LogLine(kWriteInstance, *object, Unsigned5(static_cast<uint16_t>(state)), r); });
}

CBusTestLogic::Outcome CBACnetTestLogic::readState(std::string_view instance, bool input)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    bool set = false;
    const auto state = [&](int r) { return static_cast<uint16_t>(r == 0 && set ? 1 : 0); };
    Outcome out = run(
        [&](CModbus& m) { return input ? m.readBiValue(*object, &set) : m.readBvValue(*object, &set); },
        [&](int r) { return LogLine(kReadInstance, *object, Unsigned5(state(r)), r); });
    if (out.ran)
        out.shown = out.result == 0 ? WordText(state(0)) : kMissing;
    return out;
}

CBusTestLogic::Outcome CBACnetTestLogic::readBinaryValue(std::string_view instance)
{
    return readState(instance, false);
}

CBusTestLogic::Outcome CBACnetTestLogic::readBinaryInput(std::string_view instance)
{
    return readState(instance, true);
}

CBusTestLogic::Outcome CBACnetTestLogic::writeIntegerValue(std::string_view instance, std::string_view value)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    const std::optional<uint16_t> v = word(value, kWordMin, kWordMax);
    if (!v)
        return Refused(Result::BeyondSixteenBits);
    return run([&](CModbus& m) { return m.writeIvValue(*object, static_cast<int16_t>(*v)); },
               [&](int r) { return LogLine(kWriteInstance, *object, Unsigned5(*v), r); });
}

CBusTestLogic::Outcome CBACnetTestLogic::readIntegerValue(std::string_view instance)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    int16_t value = 0;
    Outcome out = run([&](CModbus& m) { return m.readIvValue(*object, &value); },
                      [&](int r) { return LogLine(kReadInstance, *object, Signed5(r == 0 ? value : 0), r); });
    if (out.ran)
        out.shown = out.result == 0 ? WordText(static_cast<uint16_t>(value)) : kMissing;
    return out;
}

CBusTestLogic::Outcome CBACnetTestLogic::writeCharacterString(std::string_view instance, std::string_view text)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    // The adapter takes 12 words, one UTF-16 character each: what a
    // 12-register text of the unit holds.
    uint16_t words[PageText::kTextRegisters] = {};
    PageText::TextToRegisters(text, words);
    const int count = static_cast<int>(std::find(std::begin(words), std::end(words), 0) - std::begin(words));
    const std::string sent = PageText::RegistersToText(words, count);
    return run([&](CModbus& m) { return m.writeCsvValue(*object, words, count); },
               [&](int r) { return LogLine(kWriteInstance, *object, sent, r); });
}

CBusTestLogic::Outcome CBACnetTestLogic::readCharacterString(std::string_view instance)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    uint16_t words[kCsvReadWords] = {};
    uint16_t count = kCsvReadWords;
    const auto text = [&](int r) { return r == 0 ? CsvText(words, count) : std::string(); };
    Outcome out = run([&](CModbus& m) { return m.readCsvValue(*object, words, &count); },
                      [&](int r) { return LogLine(kReadInstance, *object, text(r), r); });
    if (out.ran)
        out.shown = out.result == 0 ? text(0) : kMissing;
    return out;
}

CBusTestLogic::Outcome CBACnetTestLogic::writeText(std::string_view instance, std::string_view text, bool date)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    const std::string typed(text);
    return run([&](CModbus& m) { return date ? m.writeDtvValue(*object, typed) : m.writeTvValue(*object, typed); },
               [&](int r) { return LogLine(kWriteInstance, *object, typed, r); });
}

CBusTestLogic::Outcome CBACnetTestLogic::readText(std::string_view instance, bool date)
{
    const std::optional<uint16_t> object = word(instance, kNumberMin, kNumberMax);
    if (!object)
        return Refused(Result::BeyondSixteenBits);
    std::string value;
    Outcome out = run(
        [&](CModbus& m) { return date ? m.readDtvValue(*object, &value) : m.readTvValue(*object, &value); },
        [&](int r) { return LogLine(kReadInstance, *object, r == 0 ? value : std::string(), r); });
    if (out.ran)
        out.shown = out.result == 0 ? value : std::string(kMissing);
    return out;
}

CBusTestLogic::Outcome CBACnetTestLogic::writeDateTime(std::string_view instance, std::string_view text)
{
    return writeText(instance, text, true);
}

CBusTestLogic::Outcome CBACnetTestLogic::readDateTime(std::string_view instance)
{
    return readText(instance, true);
}

CBusTestLogic::Outcome CBACnetTestLogic::writeTime(std::string_view instance, std::string_view text)
{
    return writeText(instance, text, false);
}

CBusTestLogic::Outcome CBACnetTestLogic::readTime(std::string_view instance)
{
    return readText(instance, false);
}
