#include "model/RegisterCatalogue.h"

#include "model/BuiltinRegisters.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The address range of each table: holding 1..9999, input and coil 1..399.
bool InsideTable(RegisterTableKind kind, uint32_t address)
{
    return address > 0 && address < static_cast<uint32_t>(RegisterCatalogue::Count(kind));
}

RegisterFields Fields(const char* name, char access, int32_t def, int32_t min, int32_t max,
                      uint16_t textPart = 0)
{
    RegisterFields f;
    f.readOnly = access == 'R' ? 1 : 0;
    f.value = static_cast<uint16_t>(def);
    f.defaultValue = static_cast<uint16_t>(def);
    f.min = min;
    f.max = max;
    f.name = name;
    f.textPart = textPart;
    return f;
}

std::string Format(const char* fmt, int a)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, a);
    return buf;
}

// The name of register i (0..11) of a 12-register text: "Label  1" .. "Label 12".
std::string LabelName(const std::string& prefix, int i) { return prefix + Format("%2d", i + 1); }

uint16_t TextPartOf(int i) { return i == 0 ? 1 : (i == Builtin::kTextLength - 1 ? 3 : 2); }

// Family-dependent access, default and limits: {access, default, min, max}.
struct ProfileCell
{
    char access;
    int32_t def;
    int32_t min;
    int32_t max;
};

} // namespace

namespace {

// Every device type the tool knows: the unit's name, the description the
// tool shows after it, and, for the types demo mode offers, the description
// in the demo device list (nullptr: not offered).
struct DeviceTypeEntry
{
    int type;
    const char* name;
    const char* description;
    const char* demoDescription;
};

constexpr DeviceTypeEntry kDeviceTypes[] = {
    {0, "frei", "", nullptr},
    {1, "ORVELANT A1 (Platzhalter)", "", nullptr},
    {2, "ORVELANT A2 (Platzhalter)", "", nullptr},
    {3, "ORVELANT B1 Interface", "keine Regelausg\u00e4nge", "Temp-Contol"},
    {4, "ORVELANT B2 Interface", "keine Regelausg\u00e4nge", "Temp- and Fan-Control"},
    {1000, "ORVELANT C1", "230V Regler, 1AO 2R0, Temp-Regler", "230V Controller, 1AO 2R0, Temp-Control"},
    {1001, "ORVELANT C2", "24V Regler, 3AO, Temp-Regler", "24V Controller, 3AO, Temp-Control"},
    {1002, "ORVELANT C3", "24V Regler, 2AO 2DO, Temp-Regler", "24V Controller, 2AO 2DO, Temp-Control"},
    {1003, "ORVELANT D1", "24V Regler, 3AO, Temp- und L\u00fcfter-Regler", "24V Controller, 3AO, Temp- and Fan-Control"},
    {1004, "ORVELANT D2", "230V Regler, 5RO, Temp- und L\u00fcfter-Regler",
     "230V Controller, 5RO, Temp- and Fan-Control"},
    {1005, "ORVELANT D3", "230V Regler, 1AO 2RO, Temp- und L\u00fcfter-Regler",
     "230V Controller, 1AO 2RO, Temp- and Fan-Control"},
    {1006, "ORVELANT D4", "24V Regler, 2AO 2DO, Temp- und L\u00fcfter-Regler",
     "24V Controller, 2AO 2DO, Temp- and Fan-Control"},
    {2000, "ORVELANT E1", "24V Interface, keine Regelausg\u00e4nge", nullptr},
    {2050, "ORVELANT E2", "24V Regler, 3AO, Temp- und L\u00fcfter-Regler", nullptr},
    {2051, "ORVELANT E3", "24V Regler, 2AO 2DO, Temp- und L\u00fcfter-Regler", nullptr},
    {3000, "ORVELANT F1", "24V Interface, keine Regelausg\u00e4nge", nullptr},
};

const DeviceTypeEntry* EntryOf(int deviceType)
{
    for (const DeviceTypeEntry& e : kDeviceTypes)
        if (e.type == deviceType)
            return &e;
    return nullptr;
}

// "name, description", or the name alone.
std::string Joined(const char* name, const char* description)
{
    return *description ? std::string(name) + ", " + description : std::string(name);
}

} // namespace

const char* DeviceTypeText(int deviceType)
{
    // Made once; the texts live as long as the program.
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> all;
        for (const DeviceTypeEntry& e : kDeviceTypes)
            all.push_back(Joined(e.name, e.description));
        return all;
    }();
    const DeviceTypeEntry* e = EntryOf(deviceType);
    return e ? texts[static_cast<std::size_t>(e - kDeviceTypes)].c_str() : "";
}

const char* DeviceTypeName(int deviceType)
{
    const DeviceTypeEntry* e = EntryOf(deviceType);
    return e ? e->name : "";
}

const std::vector<std::string>& DemoDeviceEntries()
{
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> all;
        for (const DeviceTypeEntry& e : kDeviceTypes)
            if (e.demoDescription)
                all.push_back(std::to_string(e.type) + " = " + Joined(e.name, e.demoDescription));
        return all;
    }();
    return entries;
}

RegisterCatalogue::RegisterCatalogue()
    : m_holding(new RegisterEntry[kHoldingCount]), m_input(new RegisterEntry[kInputCount]),
      m_coil(new RegisterEntry[kCoilCount]), m_holdingMap(new uint32_t[kHoldingCount]()),
      m_inputMap(new uint32_t[kInputCount]()), m_coilMap(new uint32_t[kCoilCount]())
{
}

int RegisterCatalogue::Count(RegisterTableKind kind)
{
    switch (kind) {
    case RegisterTableKind::Holding: return kHoldingCount;
    case RegisterTableKind::Input: return kInputCount;
    case RegisterTableKind::Coil: return kCoilCount;
    }
    return 0;
}

RegisterEntry* RegisterCatalogue::Table(RegisterTableKind kind)
{
    switch (kind) {
    case RegisterTableKind::Holding: return m_holding.get();
    case RegisterTableKind::Input: return m_input.get();
    case RegisterTableKind::Coil: return m_coil.get();
    }
    return nullptr;
}

const RegisterEntry* RegisterCatalogue::Table(RegisterTableKind kind) const
{
    return const_cast<RegisterCatalogue*>(this)->Table(kind);
}

RegisterEntry* RegisterCatalogue::Entry(RegisterTableKind kind, uint32_t address)
{
    RegisterEntry* table = Table(kind);
    if (!table || address >= static_cast<uint32_t>(Count(kind)))
        return nullptr;
    return &table[address];
}

const RegisterEntry* RegisterCatalogue::Entry(RegisterTableKind kind, uint32_t address) const
{
    return const_cast<RegisterCatalogue*>(this)->Entry(kind, address);
}

uint32_t* RegisterCatalogue::Map(RegisterTableKind kind)
{
    switch (kind) {
    case RegisterTableKind::Holding: return m_holdingMap.get();
    case RegisterTableKind::Input: return m_inputMap.get();
    case RegisterTableKind::Coil: return m_coilMap.get();
    }
    return nullptr;
}

const uint32_t* RegisterCatalogue::Map(RegisterTableKind kind) const
{
    return const_cast<RegisterCatalogue*>(this)->Map(kind);
}

void RegisterCatalogue::SetEntry(RegisterTableKind kind, uint32_t address, const RegisterFields& f,
                                 unsigned mask)
{
    if (!InsideTable(kind, address))
        return;
    RegisterEntry& e = Table(kind)[address];
    if (mask & RegisterMask::Used)
        e.used = 1;
    if (mask & RegisterMask::ReadOnly)
        e.readOnly = kind == RegisterTableKind::Input ? 1 : f.readOnly;
    if (mask & RegisterMask::Value) {
        e.value = f.value;
        if (kind == RegisterTableKind::Holding)
            e.lastReadValue = f.value;
    }
    if (mask & RegisterMask::Default)
        e.defaultValue = f.defaultValue;
    if (mask & RegisterMask::Min)
        e.min = kind == RegisterTableKind::Coil ? 0 : f.min;
    if (mask & RegisterMask::Max)
        e.max = kind == RegisterTableKind::Coil ? 1 : f.max;
    if (mask & RegisterMask::Name)
        e.name = f.name;
    if (mask & RegisterMask::TextPart)
        e.textPart = f.textPart;
}

void RegisterCatalogue::Build()
{
    using namespace Builtin;
    const auto enter = [this](RegisterTableKind kind, const RegisterRow* rows, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const RegisterRow& r = rows[i];
            SetEntry(kind, r.address, Fields(r.name, r.access, r.defaultValue, r.min, r.max), RegisterMask::All);
        }
    };
    enter(RegisterTableKind::Holding, kHoldingRows, kHoldingRowCount);

    const auto enterHolding = [this](uint32_t address, const std::string& name, char access, int32_t def,
                                     int32_t min, int32_t max, uint16_t textPart = 0) {
        SetEntry(RegisterTableKind::Holding, address, Fields(name.c_str(), access, def, min, max, textPart),
                 RegisterMask::All);
    };
    const auto enterText = [&](uint16_t first, const std::string& prefix) {
        for (int i = 0; i < kTextLength; ++i)
            enterHolding(first + i, LabelName(prefix, i), 'W', 0, 0, 65535, TextPartOf(i));
    };

    for (std::size_t b = 0; b < kSensorBlockCount; ++b) {
        const SensorBlock& s = kSensorBlocks[b];
        const std::string prefix = s.prefix;
        enterText(s.base, prefix + "Label ");
        if (s.offset.present)
            enterHolding(s.base + 12, prefix + "Offset", 'W', s.offset.defaultValue, s.offset.min, s.offset.max);
        if (s.averaging)
            enterHolding(s.base + 13, prefix + "Averaging Time", 'W', 0, 0, 3);
        enterHolding(s.base + 14, prefix + "Colour Scale Start", 'W', s.scaleStart.defaultValue, s.scaleStart.min,
                     s.scaleStart.max);
        enterHolding(s.base + 15, prefix + "Colour Scale End", 'W', s.scaleEnd.defaultValue, s.scaleEnd.min,
                     s.scaleEnd.max);
        if (s.unit.present)
            enterHolding(s.base + 16, prefix + "Unit", 'W', s.unit.defaultValue, s.unit.min, s.unit.max);
        enterHolding(s.base + 17, prefix + "Enable in Sensor Menu", 'W', s.enableInMenuDefault, 0, 1);
        enterHolding(s.base + 18, prefix + "Enable Colour Scale", 'W', 1, 0, 1);
    }

    for (std::size_t t = 0; t < kTextRunCount; ++t)
        enterText(kTextRuns[t].first, kTextRuns[t].prefix);

    for (int n = 1; n <= kTimePrograms; ++n) {
        const uint16_t base = kTimeProgramBase + kTimeProgramStride * (n - 1);
        const std::string prefix = Format("Time Program %i ", n);
        for (std::size_t k = 0; k < kTimeProgramRowCount; ++k) {
            const TimeProgramRow& r = kTimeProgramRows[k];
            enterHolding(base + r.offset, prefix + r.suffix, 'W', r.defaultValue, r.min, r.max);
        }
    }

    enter(RegisterTableKind::Input, kInputRows, kInputRowCount);
    enter(RegisterTableKind::Coil, kCoilRows, kCoilRowCount);

    InitAddressMaps();
}

void RegisterCatalogue::InitAddressMaps()
{
    for (RegisterTableKind kind : {RegisterTableKind::Holding, RegisterTableKind::Input, RegisterTableKind::Coil}) {
        const RegisterEntry* table = Table(kind);
        uint32_t* map = Map(kind);
        for (uint32_t a = 0; a < static_cast<uint32_t>(Count(kind)); ++a)
            map[a] = table[a].used ? (a << 16) | a : 0xFFFF0000u | a;
    }
}

void RegisterCatalogue::ApplyDeviceProfile(int d, int u, int p)
{
    using namespace Builtin;
    if (d == kNoDevice) {
        u = -1;
        p = -1;
    }
    const auto setUsed = [this](RegisterTableKind kind, uint32_t address, bool used) {
        if (RegisterEntry* e = Entry(kind, address); e && address > 0)
            e->used = used ? 1 : 0;
    };
    const auto profile = [this](uint32_t address, const ProfileCell& c) {
        SetEntry(RegisterTableKind::Holding, address, Fields("", c.access, c.def, c.min, c.max), RegisterMask::Profile);
    };

    if (d != kNoDevice) {
        const int f = DeviceFamily(d);
        // The column of the family tables: 0 = families 0 and 1, 1 = E, 2 = F and later.
        const int col = f <= 1 ? 0 : (f == 2 ? 1 : 2);

        setUsed(RegisterTableKind::Holding, 1500, f > 1);
        for (uint32_t a = 1501; a <= 1504; ++a)
            setUsed(RegisterTableKind::Holding, a, f > 2);
        setUsed(RegisterTableKind::Holding, 6400, f > 1);
        for (uint32_t a = 6450; a <= 6455; ++a)
            setUsed(RegisterTableKind::Holding, a, f > 1);
        for (int n = 1; n <= kTimePrograms; ++n) {
            const uint32_t base = kTimeProgramBase + kTimeProgramStride * (n - 1);
            for (uint32_t k = 0; k <= 5; ++k)
                setUsed(RegisterTableKind::Holding, base + k, true);
        }
        for (uint32_t a = 156; a <= 195; ++a)
            setUsed(RegisterTableKind::Coil, a, f > 1);

        if (col > 0) {
            SetEntry(RegisterTableKind::Holding, 2007, Fields("Displaymenü sperren", 'W', 0, 0, 1), RegisterMask::All);
        }
        profile(3749, col == 0 ? ProfileCell{'R', 0, 0, 1} : ProfileCell{'W', 0, 0, 1});
        static constexpr ProfileCell kCircuits[3] = {{'R', 0, 0, 2}, {'W', 0, 0, 4}, {'W', 0, 0, 20}};
        static constexpr ProfileCell kOpMode[3] = {{'W', 0, 0, 2}, {'W', 2, 0, 2}, {'W', 2, 0, 2}};
        for (uint32_t a : {4200u, 5300u})
            profile(a, kCircuits[col]);
        for (uint32_t a : {4263u, 4313u, 5364u, 5414u})
            profile(a, kOpMode[col]);

        if (f == 2) {
            for (int n = 1; n <= kTimePrograms; ++n) {
                const uint32_t address = kTimeProgramBase + kTimeProgramStride * (n - 1) + 6;
                const std::string name = Format("Time Program %i ", n) + "Zuordnung zur Szene";
                SetEntry(RegisterTableKind::Holding, address, Fields(name.c_str(), 'W', 0, 0, 8), RegisterMask::All);
            }
        }
        if (col > 0) {
            static constexpr struct
            {
                uint16_t address;
                const char* name;
                int32_t def;
            } kCoils[] = {
                {8, "Boost heat", 0},        {9, "Boost cool", 0},           {10, "Do not disturb", 0},
                {11, "W-LAN", 0},            {15, "ECO", 0},                 {16, "Boost Heizen", 0},
                {17, "Boost Kühlen", 0},     {18, "Bitte nicht stören", 0}, {19, "W-LAN", 0},
                {196, "Fan Auto Mode", 1},
            };
            for (const auto& c : kCoils)
                SetEntry(RegisterTableKind::Coil, c.address, Fields(c.name, 'W', c.def, 0, 1), RegisterMask::All);
        }
    }

    if (u == 0 || u == 1) {
        const bool celsius = u == 1;
        profile(3014, {'W', celsius ? 160 : 610, 0, 1220});
        profile(3015, {'W', celsius ? 240 : 750, 0, 1220});
        profile(400, {'W', celsius ? 210 : 700, 0, 1220});
        profile(403, {'W', celsius ? 30 : 60, 0, 180});
        profile(1616, {'R', celsius ? 210 : 700, 0, 1220});
    }

    if (p >= 0 && p <= 3)
        SetEntry(RegisterTableKind::Holding, 125, Fields("", 'W', 0, 0, p == 3 ? 50000 : 10000), RegisterMask::Limits);

    const bool fanPercent = d == 1003 || d == 1006 || d == 2050 || d == 2051;
    SetEntry(RegisterTableKind::Holding, 407, Fields("Setpoint Fan Level", 'W', 1, 0, fanPercent ? 100 : 5),
             RegisterMask::All);
}

void RegisterCatalogue::ApplyEveryDeviceType()
{
    for (RegisterTableKind kind : {RegisterTableKind::Holding, RegisterTableKind::Input, RegisterTableKind::Coil})
        for (int a = 0; a < Count(kind); ++a)
            Table(kind)[a].used = 0;
    for (const DeviceTypeEntry& type : kDeviceTypes) {
        RegisterCatalogue one;
        one.Build();
        one.ApplyDeviceProfile(type.type, -1, -1);
        for (RegisterTableKind kind : {RegisterTableKind::Holding, RegisterTableKind::Input, RegisterTableKind::Coil}) {
            const RegisterEntry* from = one.Table(kind);
            RegisterEntry* to = Table(kind);
            for (int a = 1; a < Count(kind); ++a) {
                const RegisterEntry& e = from[a];
                RegisterEntry& t = to[a];
                if (e.used != 1)
                    continue;
                if (t.used != 1) {
                    const uint16_t value = t.value, lastRead = t.lastReadValue;
                    t = e;
                    t.value = value;
                    t.lastReadValue = lastRead;
                    continue;
                }
                t.readOnly = t.readOnly && e.readOnly ? 1 : 0;
                t.min = std::min(t.min, e.min);
                t.max = std::max(t.max, e.max);
            }
        }
    }
}

bool RegisterCatalogue::IsUsed(RegisterTableKind kind, uint32_t address) const
{
    const RegisterEntry* e = Entry(kind, address);
    return e && address > 0 && e->used == 1;
}

bool RegisterCatalogue::IsUsed(int kind, uint32_t address) const
{
    if (kind < 0 || kind > 2)
        return false;
    return IsUsed(static_cast<RegisterTableKind>(kind), address);
}

namespace {

// Applies the limit rule: signed 16-bit comparison when min is negative,
// unsigned otherwise. Returns whether the value was inside; *result is the
// value or the limit it was forced to.
bool LimitRule(const RegisterEntry& e, int32_t value, int32_t* result)
{
    if (e.min < 0) {
        const int32_t v = static_cast<int16_t>(value);
        const int32_t lo = static_cast<int16_t>(e.min);
        const int32_t hi = static_cast<int16_t>(e.max);
        if (v < lo) {
            *result = lo;
            return false;
        }
        if (v > hi) {
            *result = hi;
            return false;
        }
    } else {
        const int32_t v = static_cast<uint16_t>(value);
        const int32_t lo = static_cast<uint16_t>(e.min);
        const int32_t hi = static_cast<uint16_t>(e.max);
        if (v < lo) {
            *result = lo;
            return false;
        }
        if (v > hi) {
            *result = hi;
            return false;
        }
    }
    *result = value;
    return true;
}

} // namespace

bool RegisterCatalogue::InRange(uint32_t address, int32_t value, const RegisterEntry* table, int count)
{
    if (!table || address == 0 || count <= 0 || address >= static_cast<uint32_t>(count))
        return false;
    int32_t ignored = 0;
    return LimitRule(table[address], value, &ignored);
}

bool RegisterCatalogue::Clamp(uint32_t address, int32_t value, RegisterEntry* table, int count, int32_t* out)
{
    if (!table || count <= 0 || address >= static_cast<uint32_t>(count))
        return false;
    int32_t result = 0;
    const bool inside = LimitRule(table[address], value, &result) && address > 0;
    if (out)
        *out = result;
    else
        table[address].value = static_cast<uint16_t>(result);
    return inside;
}

bool RegisterCatalogue::InRange(uint32_t address, int32_t value) const
{
    return InRange(address, value, m_holding.get(), kHoldingCount);
}

bool RegisterCatalogue::Clamp(uint32_t address, int32_t value, int32_t* out)
{
    return Clamp(address, value, m_holding.get(), kHoldingCount, out);
}

void RegisterCatalogue::ToFahrenheitX10(uint32_t address, int32_t& v)
{
    switch (address) {
    case 400: case 403: case 1315: case 1616: case 2314: case 2914: case 2915: case 3014: case 3015:
    case 3600: case 3603: case 3604: case 8006: case 8007: case 8008: case 8009: case 8013: case 8037:
    case 8039: case 8040: case 8045:
        v = ((v / 10) * 18 + 5) / 10 * 10 + 320;
        break;
    case 8041: case 8042: case 8051: case 8055: case 8056:
        v = ((v / 10) * 18 + 5) / 10 * 10;
        break;
    default:
        break;
    }
}

std::string RegisterKeyName(uint32_t address)
{
    using namespace Builtin;
    std::string key;
    char buf[96];
    for (std::size_t b = 0; b < kSensorBlockCount && key.empty(); ++b) {
        const SensorBlock& s = kSensorBlocks[b];
        if (address < s.base || address > s.base + 18u)
            continue;
        const uint32_t k = address - s.base;
        if (k <= 11) {
            std::snprintf(buf, sizeof buf, "%s_Label_%u-%u", s.keyAbbr, unsigned(s.base), unsigned(s.base + 11));
            return buf;
        }
        static const char* const kSuffix[] = {"_Offset_",  "_AveragingTime_",       "_ColourScale_Start_",
                                              "_ColourScale_End_", "_Unit_",        "_EnableInSensorMenu_",
                                              "_EnableColourScale_"};
        if (k == 16 && !s.unit.present)
            return "";
        std::snprintf(buf, sizeof buf, "%s%s%u", s.keyAbbr, kSuffix[k - 12], unsigned(address));
        return buf;
    }
    for (std::size_t t = 0; t < kTextRunCount; ++t)
        if (address >= kTextRuns[t].first && address < kTextRuns[t].first + unsigned(kTextLength))
            return kTextRuns[t].key;
    if (address >= 2018 && address <= 2023)
        return "Date_Time_2018-2023";
    const uint32_t tpEnd = kTimeProgramBase + kTimeProgramStride * kTimePrograms;
    if (address >= kTimeProgramBase && address < tpEnd) {
        const uint32_t n = (address - kTimeProgramBase) / kTimeProgramStride + 1;
        const uint32_t k = (address - kTimeProgramBase) % kTimeProgramStride;
        if (k < kTimeProgramRowCount) {
            std::snprintf(buf, sizeof buf, kTimeProgramRows[k].keyFormat, int(n), int(address));
            return buf;
        }
        return "";
    }
    for (std::size_t i = 0; i < kKeyRowCount; ++i) {
        if (kKeyRows[i].address != address)
            continue;
        // The stored keys pass through a text formatter: "%%" is one percent sign.
        for (const char* p = kKeyRows[i].key; *p; ++p) {
            key += *p;
            if (p[0] == '%' && p[1] == '%')
                ++p;
        }
        return key;
    }
    return "";
}
