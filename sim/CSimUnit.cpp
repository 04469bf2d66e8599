// Longer than 700 lines on purpose: the adapter's whole reply grammar (the
// commands, their status codes, custom addressing) is kept in one place, so
// that it reads against the grammar in CSimUnit.h and every command meets
// the same stores, PIN state and transcript.

#include "sim/CSimUnit.h"

#include "model/TextNumber.h"

#include "tools/rema/ReMaTransfer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

std::string Num(long long v) { return std::to_string(v); }

// A whole number at text[pos], optional '-' sign; advances pos.
bool TakeInt(const std::string& text, std::size_t& pos, long long* out)
{
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    long long v = 0;
    const auto r = std::from_chars(first, last, v);
    if (r.ec != std::errc() || r.ptr == first)
        return false;
    pos += static_cast<std::size_t>(r.ptr - first);
    *out = v;
    return true;
}

bool TakeSpace(const std::string& text, std::size_t& pos)
{
    if (pos >= text.size() || text[pos] != ' ')
        return false;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    return true;
}

std::string Fixed(double v, int decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0");
}

std::string ReadReply(int status, const char* function, long long number, const std::string& value)
{
    return Num(status) + " = " + function + "(" + Num(number) + "): " + value;
}

std::string WriteReply(int status, const char* function, long long number, const std::string& value)
{
    return Num(status) + " = " + function + "(" + Num(number) + "," + value + ")";
}

// The reply with the number after "(" replaced by the next one: what a
// confused adapter answering for another register looks like.
std::string WithWrongNumber(const std::string& reply)
{
    const std::size_t open = reply.find('(');
    if (open == std::string::npos)
        return reply;
    std::size_t pos = open + 1;
    long long number = 0;
    if (!TakeInt(reply, pos, &number))
        return reply;
    return reply.substr(0, open + 1) + Num((number + 1) & 0xFFFF) + reply.substr(pos);
}

// The internal sensors' readings (read-only holding registers, as the
// Sensors page shows them): start value (Celsius, Fahrenheit), how far and
// how slowly each drifts.
struct MovingReading
{
    uint16_t address;
    int celsius;
    int fahrenheit;
    int amplitude;
    int periodMs;
};
constexpr MovingReading kMovingReadings[] = {
    {100, 215, 707, 3, 47000},  // temperature, tenths
    {101, 452, 452, 6, 53000},  // humidity, tenths of % r.H.
    {102, 615, 615, 20, 37000}, // CO2, ppm
};

} // namespace

CSimUnit::CSimUnit(const SimOptions& options) : m_options(options)
{
    m_catalogue.Build();
    m_catalogue.ApplyDeviceProfile(options.deviceType, options.tempUnit, options.pressureUnit);
    // The pressure unit lives outside the built-in map; the unit has it.
    RegisterFields pressure;
    pressure.name = "Pressure Unit";
    pressure.min = 0;
    pressure.max = 3;
    m_catalogue.SetEntry(RegisterTableKind::Holding, Reg::PressureUnit, pressure, RegisterMask::All);

    for (RegisterTableKind kind : {RegisterTableKind::Holding, RegisterTableKind::Input, RegisterTableKind::Coil}) {
        RegisterEntry* table = m_catalogue.Table(kind);
        for (int a = 1; a < RegisterCatalogue::Count(kind); ++a)
            table[a].value = table[a].defaultValue;
    }
    setHolding(Reg::DeviceType, static_cast<uint16_t>(options.deviceType));
    setHolding(Reg::Pin, static_cast<uint16_t>(options.pin));
    setHolding(Reg::Protocol, static_cast<uint16_t>(options.protocol));
    setHolding(Reg::TempUnit, static_cast<uint16_t>(options.tempUnit));
    setHolding(Reg::PressureUnit, static_cast<uint16_t>(options.pressureUnit));
    if (options.firmware >= 0)
        setFirmware(static_cast<uint16_t>(options.firmware));

    // A room at 21.5 degrees with ordinary air; the blind slats tilted.
    const bool fahrenheit = options.tempUnit == 0;
    const struct
    {
        uint16_t address;
        int value;
    } kReadings[] = {{1, fahrenheit ? 707 : 215}, {2, 452}, {3, 615}, {4, 120}, {5, 12}, {6, 8},
                     {8, fahrenheit ? 698 : 210}, {15, -45}};
    for (const auto& r : kReadings)
        m_catalogue.Table(RegisterTableKind::Input)[r.address].value = static_cast<uint16_t>(r.value);
    // The same room on the sensor registers; the bus sensors' values are
    // what a building system last wrote. No external temperature sensor and
    // no bus humidity or VOC sensor are attached: those read as the unit's
    // missing-value markers (-420, 0xFFFF).
    const struct
    {
        uint16_t address;
        int value;
    } kSensors[] = {{106, -420},     {120, fahrenheit ? 694 : 208}, {121, 0xFFFF}, {122, 540},
                    {104, 23},       {123, 0xFFFF},                 {124, 12},     {125, 250}};
    for (const auto& r : kSensors)
        setHolding(r.address, static_cast<uint16_t>(r.value));
    // Room climate: heating to the default set-point with the offset at 0
    // (so the absolute set-point is the set-point), someone in the room, a
    // three-step fan running on auto at level 2 under the label "Fan"; the
    // building system locks nothing.
    const struct
    {
        uint16_t address;
        int value;
    } kRoomClimate[] = {{402, holding(400)}, {404, 2},  {405, 1},   {406, 1},  {407, 2},  {409, 0},
                        {3749, 1},         {3762, 3}, {3763, 3}, {3764, 1}, {3800, 1}};
    for (const auto& r : kRoomClimate)
        setHolding(r.address, static_cast<uint16_t>(r.value));
    const char16_t kFanLabel[] = u"Fan";
    for (std::size_t k = 0; k + 1 < std::size(kFanLabel); ++k)
        setHolding(static_cast<uint16_t>(3750 + k), kFanLabel[k]);
    // A window contact on input 1 (the window is closed: the contact is
    // made) and a presence detector on input 2 (nobody in the room).
    const struct
    {
        uint16_t address;
        int value;
    } kInputs[] = {{3900, 3}, {3901, 7}, {126, 1}, {127, 0}};
    for (const auto& r : kInputs)
        setHolding(r.address, static_cast<uint16_t>(r.value));
    // Two sun-protection circuits: a venetian blind in automatic mode, half
    // down with its slats at -45 degrees, and a roller shutter whose drive
    // has not found its end stops yet (position unknown, 0xFFFF); the
    // shutter takes positions only.
    const struct
    {
        uint16_t address;
        int value;
    } kSunProtect[] = {{4200, 2},  {4201, 1},  {700, 1},   {720, 0},    {721, 505},  {722, -45}, {730, 0},
                       {731, 0xFFFF}, {732, 0}, {4263, 0}, {4264, 2},   {4265, 50},  {4266, 15}, {4267, 0},
                       {4268, 100}, {4269, -90}, {4270, 90}, {4313, 1}, {4314, 0},   {4315, 100}, {4316, 10},
                       {4317, 0},  {4318, 100}, {4319, 0},  {4320, 80}};
    for (const auto& r : kSunProtect)
        setHolding(r.address, static_cast<uint16_t>(r.value));
    // Two light circuits: a dimmable ceiling light in automatic mode, on at
    // 60 %, dimmed in steps of 5 % by a short-long key; a desk lamp that
    // only switches, off, on a key held for as long as the light should
    // stay on.
    const struct
    {
        uint16_t address;
        int value;
    } kLight[] = {{5300, 2}, {5301, 1}, {1100, 1}, {1102, 1}, {1120, 0}, {1121, 60}, {1130, 0},
                  {1131, 0}, {5363, 1}, {5364, 0}, {5368, 5}, {5413, 0}, {5414, 1},  {5418, 10}};
    for (const auto& r : kLight)
        setHolding(r.address, static_cast<uint16_t>(r.value));
    // Tile mode on, the tiles set up by the installer: the temperature, fan,
    // sun-protection and light menus, the ceiling light and the CO2 reading.
    const struct
    {
        uint16_t address;
        int value;
    } kTiles[] = {{6400, 1}, {6450, 1}, {6451, 2}, {6452, 3}, {6453, 4}, {6454, 7}, {6455, 17}};
    if (DeviceFamily(options.deviceType) >= 2)
        for (const auto& r : kTiles)
            setHolding(r.address, static_cast<uint16_t>(r.value));
    // The channels' labels on the unit's screen, one character a register.
    const struct
    {
        uint16_t first;
        const char* text;
    } kLabels[] = {{4250, "Blind South"}, {4300, "Shutter West"}, {5350, "Ceiling"}, {5400, "Desk Lamp"}};
    for (const auto& label : kLabels)
        for (uint16_t k = 0; k < 12; ++k)
            setHolding(static_cast<uint16_t>(label.first + k),
                       k < std::strlen(label.text) ? static_cast<uint16_t>(label.text[k]) : 0);
    // Time programs: comfort at 6:30 and set-back at 22:00 on workdays; a
    // weekend morning and a noon slat angle, both switched off; and a
    // "good morning" at 7:00 on workdays where the blind and the shutter go
    // up together (scene 2) while the light comes on (scene 1). Units below
    // device type 2000 have no scenes.
    const struct
    {
        int program;
        int activate, day, hour, minute, address, value, scene;
    } kTimePrograms[] = {
        {1, 1, 31, 6, 30, 400, 215, 0},  {2, 1, 31, 22, 0, 400, 180, 0}, {3, 0, 96, 8, 0, 400, 210, 0},
        {4, 0, 127, 12, 15, 722, -45, 0}, {5, 1, 31, 7, 0, 721, 0, 2},   {6, 1, 31, 7, 0, 1121, 80, 1},
        {7, 1, 31, 7, 0, 731, 0, 2},
    };
    for (const auto& p : kTimePrograms) {
        const auto base = static_cast<uint16_t>(7040 + 10 * (p.program - 1));
        const int words[] = {p.activate, p.day, p.hour, p.minute, p.address, p.value, p.scene};
        for (uint16_t k = 0; k < std::size(words); ++k)
            if (m_catalogue.IsUsed(RegisterTableKind::Holding, base + k))
                setHolding(static_cast<uint16_t>(base + k), static_cast<uint16_t>(words[k]));
    }
    // A room controller heating on auto: the building system allows heating
    // and cooling, the change-over stands on heating; the heating valve is
    // open at 35 % (3.50 V on the analog output), the heating relay is closed
    // and the fan runs on level 1. The second controller works as a PI loop
    // on the external sensor, 0.5 K below the set-point.
    const struct
    {
        uint16_t address;
        int value;
    } kController[] = {{1607, 3}, {1600, 2}, {1617, 350}, {1620, 1}, {1622, 250}, {1623, 1}, {8044, 0}, {8049, -5}};
    for (const auto& r : kController)
        setHolding(r.address, static_cast<uint16_t>(r.value));
    // Words given on the command line last: they may be what the limits refuse.
    for (const auto& [address, word] : options.holdings)
        setHolding(address, word);
    moveReadings(m_start);

    for (int i = 0; i < kObjectCount; ++i) {
        m_av.push_back(20.0 + 0.5 * i);
        m_ai.push_back(21.25 + i);
        m_iv.push_back(static_cast<int16_t>(10 * i));
        m_bv.push_back(i % 2 == 1);
        m_bi.push_back(i % 2 == 0);
        m_tv.push_back("12:30:00");
        m_dtv.push_back("24.12.2026 10:15:00");
        const std::string name = "Room " + Num(i);
        m_csv.emplace_back(name.begin(), name.end());
    }
    // What a building system keeps in a unit besides: a set-point shift of
    // -0.5 K in tenths, and a room description longer than the 48
    // characters a tool reads of it.
    m_iv[kSetpointShiftObject] = -5;
    const std::string description = "Conference room 2.14, north wing, next to the lift, 3rd floor";
    m_csv[kDescriptionObject].assign(description.begin(), description.end());
    m_unlocked = options.pin == 0;
}

// ---- byte stream ---------------------------------------------------------------

void CSimUnit::feed(const uint8_t* data, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (isSilent())
            continue;
        if (m_line.size() < kMaxLine)
            m_line += static_cast<char>(data[i]);
        if (data[i] == '\n') {
            const std::string line = std::move(m_line);
            m_line.clear();
            handleLine(line);
        }
    }
}

void CSimUnit::handleLine(const std::string& raw)
{
    if (!raw.empty() && raw[0] == '\x01') {
        record("RX", raw);
        if (m_frameHandler)
            m_frameHandler(reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
        return;
    }
    std::string line;
    for (char c : raw)
        if (c != '\r' && c != '\n')
            line += c;
    record("RX", line);
    if (line.empty())
        return;
    // A unit unplugged mid-session: the adapter stops answering for good.
    if (m_options.silentAfter > 0 && ++m_commands > m_options.silentAfter)
        return;
    m_commandBytes = raw.size();
    std::string reply = execute(line);
    if (!reply.empty() && !m_options.silent)
        queueReply(std::move(reply));
}

void CSimUnit::queueReply(std::string line)
{
    ++m_replies;
    if (m_options.wrongEchoEvery > 0 && m_replies % m_options.wrongEchoEvery == 0)
        line = WithWrongNumber(line);
    Clock::time_point due = Clock::now() + std::chrono::milliseconds(m_options.replyDelayMs);
    // On a real line the command and the reply take their bytes' time.
    if (m_options.baud > 0)
        due += std::chrono::microseconds(static_cast<long long>(m_commandBytes + line.size() + 2) * 10 * 1000000 /
                                         m_options.baud);
    if (m_options.junk)
        m_out.push_back({due, std::string(kJunkLine) + "\r\n"});
    m_out.push_back({due, line + "\r\n"});
}

void CSimUnit::writeRaw(const uint8_t* data, std::size_t length)
{
    m_out.push_back({Clock::now(), std::string(reinterpret_cast<const char*>(data), length)});
}

void CSimUnit::goSilent(int ms)
{
    m_silentUntil = Clock::now() + std::chrono::milliseconds(ms);
    m_line.clear();
}

bool CSimUnit::takeOutput(std::string& out, Clock::time_point now)
{
    bool any = false;
    while (!m_out.empty() && m_out.front().due <= now) {
        std::string& bytes = m_out.front().bytes;
        std::string shown = bytes;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r') && shown[0] != '\x01')
            shown.pop_back();
        record("TX", shown);
        out += bytes;
        m_out.pop_front();
        any = true;
    }
    return any;
}

std::optional<CSimUnit::Clock::time_point> CSimUnit::nextDue() const
{
    if (m_out.empty())
        return std::nullopt;
    return m_out.front().due;
}

void CSimUnit::record(const char* direction, const std::string& bytes)
{
    if (!m_transcript)
        return;
    std::string text;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\') {
            text += c;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", u);
            text += buf;
        }
    }
    std::fprintf(m_transcript, "%s %s\n", direction, text.c_str());
    std::fflush(m_transcript);
}

// ---- commands ------------------------------------------------------------------

bool CSimUnit::writable(std::string* reply, const char* function, uint16_t number, const std::string& value)
{
    const uint16_t pin = holding(Reg::Pin);
    if (pin != 0 && !m_unlocked) {
        *reply = WriteReply(kLocked, function, number, value);
        return false;
    }
    return true;
}

std::string CSimUnit::readHolding(uint16_t a, bool special)
{
    const char* function = special ? "mbReadHoldingRegSpecial" : "mbReadHoldingReg";
    const std::optional<uint16_t> target = reached(RegisterTableKind::Holding, a);
    if (!target || !m_catalogue.IsUsed(RegisterTableKind::Holding, *target) ||
        std::find(m_options.failReads.begin(), m_options.failReads.end(), a) != m_options.failReads.end())
        return ReadReply(kUnknown, function, a, "0");
    moveReadings(Clock::now());
    return ReadReply(kOk, function, a, Num(holding(*target)));
}

void CSimUnit::moveReadings(Clock::time_point now)
{
    const double t = std::chrono::duration<double, std::milli>(now - m_start).count();
    const bool fahrenheit = m_options.tempUnit == 0;
    for (const MovingReading& r : kMovingReadings) {
        const double phase = 2.0 * 3.14159265358979 * t / r.periodMs;
        const long drift = std::lround(r.amplitude * std::sin(phase));
        setHolding(r.address, static_cast<uint16_t>((fahrenheit ? r.fahrenheit : r.celsius) + drift));
    }
}

std::string CSimUnit::writeHoldings(const std::string& args, bool special)
{
    // args: "<address> <value>[ <value>...]"
    const char* function = special ? "mbWriteHoldingRegSpecial" : "mbWriteHoldingReg";
    std::size_t pos = 0;
    long long address = 0;
    if (!TakeInt(args, pos, &address) || address < 0 || address > 0xFFFF)
        return WriteReply(kMalformed, function, 0, "0");
    std::vector<long long> values;
    while (pos < args.size()) {
        long long v = 0;
        if (!TakeSpace(args, pos) || pos >= args.size() || !TakeInt(args, pos, &v) || v < -32768 || v > 0xFFFF)
            return WriteReply(kMalformed, function, address, "0");
        values.push_back(v);
    }
    if (values.empty() || (special && values.size() > 1))
        return WriteReply(kMalformed, function, address, "0");
    if (values.size() > 1)
        function = "mbWriteMultipleHoldingRegs";
    const std::string echo = values.size() > 1 ? Num(static_cast<long long>(values.size())) : Num(values[0]);
    std::string refusal;
    if (!writable(&refusal, function, static_cast<uint16_t>(address), echo))
        return refusal;
    // All or nothing: every register is checked before any is written.
    std::vector<uint16_t> targets;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto target = reached(RegisterTableKind::Holding,
                                    static_cast<uint16_t>(address + static_cast<long long>(i)));
        if (!target)
            return WriteReply(kUnknown, function, address, echo);
        targets.push_back(*target);
        const uint32_t a = *target;
        const int32_t v = static_cast<int32_t>(values[i]);
        if (!m_catalogue.IsUsed(RegisterTableKind::Holding, a) ||
            std::find(m_options.failWrites.begin(), m_options.failWrites.end(), a) != m_options.failWrites.end())
            return WriteReply(kUnknown, function, address, echo);
        // Special writes reach registers the bus may only read (the protocol
        // selector, the bus address).
        if (!special && m_catalogue.Holding(static_cast<uint16_t>(a)).readOnly)
            return WriteReply(kReadOnly, function, address, echo);
        if (!m_catalogue.InRange(a, v))
            return WriteReply(kOutOfRange, function, address, echo);
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        setHolding(targets[i], static_cast<uint16_t>(values[i]));
    return WriteReply(kOk, function, address, echo);
}

std::string CSimUnit::readInput(uint16_t a)
{
    const std::optional<uint16_t> target = reached(RegisterTableKind::Input, a);
    if (!target || !m_catalogue.IsUsed(RegisterTableKind::Input, *target))
        return ReadReply(kUnknown, "mbReadInputReg", a, "0");
    const RegisterEntry& e = m_catalogue.Table(RegisterTableKind::Input)[*target];
    const long long v = e.min < 0 ? static_cast<int16_t>(e.value) : e.value;
    return ReadReply(kOk, "mbReadInputReg", a, Num(v));
}

std::string CSimUnit::readCoil(uint16_t a)
{
    const std::optional<uint16_t> target = reached(RegisterTableKind::Coil, a);
    if (!target || !m_catalogue.IsUsed(RegisterTableKind::Coil, *target))
        return ReadReply(kUnknown, "mbReadCoil", a, "clear");
    return ReadReply(kOk, "mbReadCoil", a,
                     m_catalogue.Table(RegisterTableKind::Coil)[*target].value ? "set" : "clear");
}

std::string CSimUnit::writeCoil(const std::string& args)
{
    std::size_t pos = 0;
    long long a = 0, v = 0;
    if (!TakeInt(args, pos, &a) || a < 0 || a > 0xFFFF || !TakeSpace(args, pos) || !TakeInt(args, pos, &v) ||
        pos != args.size() || (v != 0 && v != 1))
        return WriteReply(kMalformed, "mbWriteCoil", a, "0");
    std::string refusal;
    if (!writable(&refusal, "mbWriteCoil", static_cast<uint16_t>(a), Num(v)))
        return refusal;
    const std::optional<uint16_t> target = reached(RegisterTableKind::Coil, static_cast<uint16_t>(a));
    if (!target || !m_catalogue.IsUsed(RegisterTableKind::Coil, *target))
        return WriteReply(kUnknown, "mbWriteCoil", a, Num(v));
    RegisterEntry& e = m_catalogue.Table(RegisterTableKind::Coil)[*target];
    if (e.readOnly)
        return WriteReply(kReadOnly, "mbWriteCoil", a, Num(v));
    e.value = static_cast<uint16_t>(v);
    return WriteReply(kOk, "mbWriteCoil", a, Num(v));
}

std::string CSimUnit::execute(const std::string& line)
{
    if (line.size() >= 2 && line[0] == 'u' && line[1] == ' ') {
        std::size_t pos = 1;
        long long pin = -1;
        TakeSpace(line, pos);
        const bool parsed = TakeInt(line, pos, &pin);
        const uint16_t stored = holding(Reg::Pin);
        m_unlocked = stored == 0 || (parsed && pin == stored);
        return {};
    }
    if (line.size() < 2)
        return "ERROR unknown command";
    const std::string op = line.substr(0, 2);
    const std::string args = line.substr(2);
    if (line[0] == 'C') {
        static constexpr const char kRead[] = "ric", kWrite[] = "wxy";
        for (int k = 0; k < 3; ++k) {
            if (line[1] == kRead[k])
                return remaCommand(k, false, args);
            if (line[1] == kWrite[k])
                return remaCommand(k, true, args);
        }
    }
    std::size_t pos = 0;
    long long number = 0;
    const bool hasNumber = TakeInt(args, pos, &number) && number >= 0 && number <= 0xFFFF;
    const auto n = static_cast<uint16_t>(number);
    const bool bare = hasNumber && pos == args.size(); // a read: the number and nothing else
    const bool object = hasNumber && number < kObjectCount;
    // The value text of a write: after the number and one space.
    std::string value;
    const bool hasValue = hasNumber && TakeSpace(args, pos) && pos < args.size();
    if (hasValue)
        value = args.substr(pos);

    const auto readMalformed = [&](const char* function) { return ReadReply(kMalformed, function, n, "0"); };
    const auto writeMalformed = [&](const char* function) { return WriteReply(kMalformed, function, n, "0"); };

    if (op == "Mr")
        return bare ? readHolding(n, false) : readMalformed("mbReadHoldingReg");
    if (op == "Xr")
        return bare ? readHolding(n, true) : readMalformed("mbReadHoldingRegSpecial");
    if (op == "Mw")
        return writeHoldings(args, false);
    if (op == "Xw")
        return writeHoldings(args, true);
    if (op == "Mi")
        return bare ? readInput(n) : readMalformed("mbReadInputReg");
    if (op == "Mc")
        return bare ? readCoil(n) : readMalformed("mbReadCoil");
    if (op == "Mx")
        return writeCoil(args);

    // BACnet objects.
    struct ObjectCommand
    {
        const char* op;
        const char* function;
        bool write;
    };
    static constexpr ObjectCommand kObjects[] = {
        {"Dr", "bnReadAvReg", false},  {"Dw", "bnWriteAvReg", true},   {"DR", "bnReadIvReg", false},
        {"DW", "bnWriteIvReg", true},  {"Di", "bnReadAiReg", false},   {"Dc", "bnReadBvReg", false},
        {"Dx", "bnWriteBvReg", true},  {"DC", "bnReadBiReg", false},   {"Dt", "bnReadTvReg", false},
        {"DT", "bnWriteTvReg", true},  {"Dd", "bnReadDtvReg", false},  {"DD", "bnWriteDtvReg", true},
        {"Ds", "bnReadCsvReg", false}, {"DS", "bnWriteCsvReg", true},
    };
    const ObjectCommand* cmd = nullptr;
    for (const ObjectCommand& c : kObjects)
        if (op == c.op)
            cmd = &c;
    if (!cmd)
        return "ERROR unknown command";
    if (!cmd->write) {
        if (!bare)
            return readMalformed(cmd->function);
        if (!object)
            return ReadReply(kUnknown, cmd->function, n, "0");
        const auto i = static_cast<std::size_t>(n);
        std::string shown;
        switch (op[1]) {
        case 'r': shown = Fixed(m_av[i], 6); break;
        case 'R': shown = Num(m_iv[i]); break;
        case 'i': shown = Fixed(m_ai[i], 6); break;
        case 'c': shown = m_bv[i] ? "set" : "clear"; break;
        case 'C': shown = m_bi[i] ? "set" : "clear"; break;
        case 't': shown = m_tv[i]; break;
        case 'd': shown = m_dtv[i]; break;
        case 's':
            for (uint16_t w : m_csv[i]) {
                static const char kDigits[] = "0123456789ABCDEF";
                shown += {kDigits[w >> 12], kDigits[(w >> 8) & 15], kDigits[(w >> 4) & 15], kDigits[w & 15]};
            }
            break;
        }
        return ReadReply(kOk, cmd->function, n, shown);
    }

    if (!hasValue)
        return writeMalformed(cmd->function);
    std::string refusal;
    if (!writable(&refusal, cmd->function, n, value))
        return refusal;
    if (!object)
        return WriteReply(kUnknown, cmd->function, n, value);
    const auto i = static_cast<std::size_t>(n);
    switch (op[1]) {
    case 'w': {
        double v = 0;
        const auto r = std::from_chars(value.data(), value.data() + value.size(), v);
        if (r.ec != std::errc() || r.ptr != value.data() + value.size())
            return writeMalformed(cmd->function);
        m_av[i] = v;
        break;
    }
    case 'W': {
        std::size_t p = 0;
        long long v = 0;
        if (!TakeInt(value, p, &v) || p != value.size() || v < -32768 || v > 32767)
            return WriteReply(kOutOfRange, cmd->function, n, value);
        m_iv[i] = static_cast<int16_t>(v);
        break;
    }
    case 'x': {
        std::size_t p = 0;
        long long v = 0;
        if (!TakeInt(value, p, &v) || p != value.size() || v < 0 || v > 0xFFFF)
            return writeMalformed(cmd->function);
        m_bv[i] = v != 0;
        break;
    }
    case 'T':
        if (value.size() > 8 || value.find_first_not_of("0123456789:") != std::string::npos)
            return WriteReply(kOutOfRange, cmd->function, n, value);
        m_tv[i] = value;
        break;
    case 'D':
        if (value.size() > 19 || value.find_first_not_of("0123456789:. ") != std::string::npos)
            return WriteReply(kOutOfRange, cmd->function, n, value);
        m_dtv[i] = value;
        break;
    case 'S': {
        if (value.size() % 4 != 0)
            return writeMalformed(cmd->function);
        std::vector<uint16_t> words;
        bool terminated = false;
        for (std::size_t p = 0; p < value.size() && !terminated; p += 4) {
            uint16_t w = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                const int d = TextNumber::DigitValue(value[p + k]);
                if (d < 0)
                    return writeMalformed(cmd->function);
                w = static_cast<uint16_t>((w << 4) | d);
            }
            if (w == 0)
                terminated = true;
            else
                words.push_back(w);
        }
        m_csv[i] = words;
        break;
    }
    }
    return WriteReply(kOk, cmd->function, n, value);
}

// ---- custom addressing (ReMa) ----------------------------------------------------

std::optional<uint16_t> CSimUnit::reached(RegisterTableKind kind, uint16_t address) const
{
    const auto& table = m_remap[static_cast<int>(kind)];
    const auto it = table.find(address);
    if (it == table.end())
        return address;
    if (it->second == 0)
        return std::nullopt;
    return it->second;
}

std::string CSimUnit::remaCommand(int k, bool write, const std::string& args)
{
    static constexpr char kMark[] = "RIC";
    static constexpr char kWriteLetter[] = "wxy";
    const auto size = static_cast<uint32_t>(RegisterCatalogue::Count(static_cast<RegisterTableKind>(k)));
    if (!write) {
        const auto& table = m_remap[k];
        if (args.empty()) {
            if (m_options.remaCountFault == 1)
                return {};
            if (m_options.remaCountFault == 2)
                return std::string("C ") + kMark[k] + " busy";
            return std::string("C ") + kMark[k] + " " + Num(static_cast<long long>(table.size()));
        }
        std::size_t pos = 0;
        long long offset = 0, count = 0;
        if (!TakeInt(args, pos, &offset) || !TakeSpace(args, pos) || !TakeInt(args, pos, &count) ||
            pos != args.size() || offset < 0 || count < 0 || count > ReMa::kChunkEntries)
            return std::string("C ") + kMark[k] + " ERROR malformed";
        std::vector<ReMa::Entry> entries;
        long long index = 0;
        for (const auto& [c, d] : table) {
            if (index >= offset && index < offset + count)
                entries.push_back({c, d});
            ++index;
        }
        std::string reply = ReMa::ChunkReply(entries);
        if (m_options.remaBadChunk > 0 && offset / ReMa::kChunkEntries + 1 == m_options.remaBadChunk) {
            // One checksum digit off, as line noise would leave it.
            char& digit = reply.back();
            digit = digit == '0' ? '1' : '0';
        }
        return reply;
    }
    const std::string head = std::string("C ") + static_cast<char>(kWriteLetter[k] - 'a' + 'A') + " ";
    if (args == "0") {
        m_remapPending[k].clear();
        m_remapWriting[k] = true;
        m_remapLines[k] = 0;
        return head + "0 OK";
    }
    if (args == "2") {
        if (!m_remapWriting[k])
            return head + "2 ERROR not begun";
        m_remap[k] = std::move(m_remapPending[k]);
        m_remapPending[k].clear();
        m_remapWriting[k] = false;
        return head + "2 OK";
    }
    std::vector<ReMa::Entry> entries;
    if (!m_remapWriting[k] || args.empty() || args[0] != '1' ||
        !ReMa::ParseEntryLine(std::string("C") + kWriteLetter[k] + args, entries))
        return head + "1 ERROR crc";
    if (++m_remapLines[k] == m_options.remaRefuseLine)
        return head + "1 ERROR crc";
    for (const ReMa::Entry& e : entries) {
        if (e.customized == 0 || e.customized >= size)
            continue;
        if (e.mapped == e.customized)
            m_remapPending[k].erase(e.customized);
        else
            m_remapPending[k][e.customized] = e.mapped;
    }
    return head + "1 OK";
}
