// The built-in register map: row counts per table and sample rows from every
// block, so that a wrong or missing row shows up.
#include "model/RegisterCatalogue.h"

#include <gtest/gtest.h>

namespace {

using K = RegisterTableKind;

int CountUsed(const RegisterCatalogue& c, K kind)
{
    int n = 0;
    for (int a = 0; a < RegisterCatalogue::Count(kind); ++a)
        n += c.IsUsed(kind, a);
    return n;
}

struct Row
{
    K kind;
    uint16_t address;
    const char* name;
    char access;
    int32_t def; // as the register reads it: signed where min < 0
    int32_t min;
    int32_t max;
    int textPart;
};

class BuiltinRows : public ::testing::TestWithParam<Row>
{
protected:
    static void SetUpTestSuite()
    {
        s_catalogue = new RegisterCatalogue;
        s_catalogue->Build();
    }
    static void TearDownTestSuite() { delete s_catalogue; }
    static RegisterCatalogue* s_catalogue;
};
RegisterCatalogue* BuiltinRows::s_catalogue = nullptr;

TEST_P(BuiltinRows, MatchTheUnitsRegisterMap)
{
    const Row& r = GetParam();
    const RegisterEntry* e = s_catalogue->Entry(r.kind, r.address);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->used, 1);
    EXPECT_EQ(e->name, r.name);
    EXPECT_EQ(e->readOnly, r.access == 'R' ? 1 : 0);
    const int32_t def = e->min < 0 ? static_cast<int16_t>(e->defaultValue) : e->defaultValue;
    EXPECT_EQ(def, r.def);
    EXPECT_EQ(e->value, e->defaultValue);
    if (r.kind == K::Holding) {
        EXPECT_EQ(e->lastReadValue, e->defaultValue);
    }
    EXPECT_EQ(e->min, r.min);
    EXPECT_EQ(e->max, r.max);
    EXPECT_EQ(e->textPart, r.textPart);
}

constexpr K H = K::Holding;
constexpr K I = K::Input;
constexpr K C = K::Coil;

INSTANTIATE_TEST_SUITE_P(
    Samples, BuiltinRows,
    ::testing::Values(
        // values, status, commands, device settings
        Row{H, 100, "Temp Sensor 1 Int.", 'R', 0, -200, 1220, 0},
        Row{H, 105, "PMSensor 1 int. Wert", 'R', 0, 0, 1000, 0},
        Row{H, 125, "Pressure Sensor 2 Bus", 'W', 0, 0, 50000, 0},
        Row{H, 302, "Auto Calibr.", 'W', 1, 0, 1, 0},
        Row{H, 400, "Setpoint Temp", 'W', 210, 0, 1220, 0},
        Row{H, 403, "Setpoint Temp Offset Min-Max", 'W', 30, 0, 180, 0},
        Row{H, 413, "Enable Icon DI", 'W', 31, 0, 31, 0},
        Row{H, 722, "SP1 Angle", 'W', 0, -180, 180, 0},
        Row{H, 1504, "Szenen Raum 5 (Multiraum)", 'W', 0, 0, 1, 0},
        Row{H, 1608, "AO Output Heating BMS Contr.", 'W', -1, -1, 10, 0},
        Row{H, 1616, "Controller Setpoint Temp", 'R', 210, 0, 1220, 0},
        Row{H, 2001, "Firmware", 'R', 1011, 1011, 9999, 0},
        Row{H, 2008, "PIN", 'W', 5286, 0, 9999, 0},
        Row{H, 2023, "Date / Time year", 'W', 23, 23, 99, 0},
        Row{H, 2025, "Internal Error", 'R', 0, 0, 65535, 0},
        Row{H, 2045, "Communication Protocol", 'R', 0, 0, 1, 0},
        // sensor blocks
        Row{H, 2300, "TempSensor 1 int. Label  1", 'W', 0, 0, 65535, 1},
        Row{H, 2305, "TempSensor 1 int. Label  6", 'W', 0, 0, 65535, 2},
        Row{H, 2311, "TempSensor 1 int. Label 12", 'W', 0, 0, 65535, 3},
        Row{H, 2312, "TempSensor 1 int. Offset", 'W', 0, -200, 200, 0},
        Row{H, 2313, "TempSensor 1 int. Averaging Time", 'W', 0, 0, 3, 0},
        Row{H, 2317, "TempSensor 1 int. Enable in Sensor Menu", 'W', 0, 0, 1, 0},
        Row{H, 2417, "rHSensor 1 int. Enable in Sensor Menu", 'W', 1, 0, 1, 0},
        Row{H, 2512, "CO2Sensor 1 int. Offset", 'W', 0, -500, 500, 0},
        Row{H, 2515, "CO2Sensor 1 int. Colour Scale End", 'W', 2000, 0, 2000, 0},
        Row{H, 2614, "VOCSensor 1 int. Colour Scale Start", 'W', 0, 0, 100, 0},
        Row{H, 2910, "TempSensor 2 ext. Label 11", 'W', 0, 0, 65535, 2},
        Row{H, 3014, "TempSensor 3 Bus Colour Scale Start", 'W', 160, 0, 1220, 0},
        Row{H, 3118, "rHSensor 2 Bus Enable Colour Scale", 'W', 1, 0, 1, 0},
        Row{H, 3215, "CO2Sensor 2 Bus Colour Scale End", 'W', 2000, 0, 5000, 0},
        Row{H, 3316, "VOCSensor 2 Bus Unit", 'W', 1, 0, 1, 0},
        Row{H, 3415, "PMSensor 2 Bus Colour Scale End", 'W', 1000, 0, 1000, 0},
        Row{H, 3514, "DruckSensor 2 Bus Colour Scale Start", 'W', 1000, 0, 10000, 0},
        Row{H, 3516, "DruckSensor 2 Bus Unit", 'W', 1, 0, 3, 0},
        // room climate, fan, presence, inputs, and the text runs
        Row{H, 3602, "Setpoint Temp Display", 'W', 1, 0, 14, 0},
        Row{H, 3749, "Fan Control", 'R', 0, 0, 1, 0},
        Row{H, 3750, "Fan Label  1", 'W', 0, 0, 65535, 1},
        Row{H, 3761, "Fan Label 12", 'W', 0, 0, 65535, 3},
        Row{H, 3762, "Fan Number of Steps", 'W', 5, 1, 5, 0},
        Row{H, 3900, "Input 1 Config", 'W', 0, 0, 18, 0},
        Row{H, 3901, "Input 2 Config", 'W', 0, 0, 18, 0},
        // sun protection, light, tiles
        Row{H, 4200, "Sun Protect Circuits", 'R', 0, 0, 2, 0},
        Row{H, 4255, "Sun Protect 1 Label  6", 'W', 0, 0, 65535, 2},
        Row{H, 4263, "Sun Protect 1 OpMode", 'W', 0, 0, 2, 0},
        Row{H, 4320, "Sun Protect 2 Angle Max", 'W', 80, -90, 90, 0},
        Row{H, 4311, "Sun Protect 2 Label 12", 'W', 0, 0, 65535, 3},
        Row{H, 5300, "Light Circuits", 'R', 0, 0, 2, 0},
        Row{H, 5361, "Light 1 Label 12", 'W', 0, 0, 65535, 3},
        Row{H, 5400, "Light 2 Label  1", 'W', 0, 0, 65535, 1},
        Row{H, 5414, "Light 2 OpMode", 'W', 0, 0, 2, 0},
        Row{H, 6453, "Kachel 4", 'W', 11, 0, 27, 0},
        // time programs
        Row{H, 7040, "Time Program 1 Activate", 'W', 0, 0, 1, 0},
        Row{H, 7055, "Time Program 2 Register New Value", 'W', 0, -32767, 32767, 0},
        Row{H, 7514, "Time Program 48 Register Address", 'W', 0, 0, 32767, 0},
        Row{H, 7513, "Time Program 48 Event Minute", 'W', 0, 0, 59, 0},
        // controller parameters
        Row{H, 8000, "Setpoint Temp Shift Unoccupied", 'W', 0, 0, 180, 0},
        Row{H, 8021, "6-Way-Valve Generic Cooling 100%", 'W', 200, 0, 1000, 0},
        Row{H, 8049, "Setpoint Temp Offset", 'W', 0, -250, 250, 0},
        Row{H, 8203, "Reset Time Ti RCV", 'W', 420, 0, 60000, 0},
        Row{H, 8209, "Y_RCV Min Deviation PI Contol Loop", 'W', 50, 0, 500, 0},
        // input registers
        Row{I, 1, "Temp Sensor 1 Int.", 'R', 0, -200, 1220, 0},
        Row{I, 4, "VOC Sensor 1 Int. (ppb)", 'R', 0, 0, 30000, 0},
        Row{I, 80, "L2 Dimm Value", 'R', 0, 0, 100, 0},
        Row{I, 199, "AO Output Heating BMS Contr.", 'R', -1, -1, 1000, 0},
        Row{I, 213, "Output RO/DO Fan", 'R', 0, 0, 3, 0},
        // coils
        Row{C, 1, "Presence Status", 'R', 0, 0, 1, 0},
        Row{C, 12, "Temp Lock", 'W', 0, 0, 1, 0},
        Row{C, 137, "Light all states 2", 'W', 0, 0, 1, 0},
        Row{C, 196, "Fan Auto Mode", 'W', 0, 0, 1, 0},
        Row{C, 214, "Enable Icon DI Error", 'W', 1, 0, 1, 0}));

TEST(BuiltinTables, HaveTheExpectedNumberOfRegisters)
{
    RegisterCatalogue c;
    c.Build();
    // 208 single rows; 11 sensor blocks of 12 labels, two colour scale ends
    // and two enables, plus 4 offsets, 5 averaging times and 2 units (187);
    // 5 texts (60) and 48 time programs of 6 registers (288).
    EXPECT_EQ(CountUsed(c, K::Holding), 208 + 187 + 60 + 288);
    EXPECT_EQ(CountUsed(c, K::Input), 39);
    EXPECT_EQ(CountUsed(c, K::Coil), 30);
}

TEST(BuiltinTables, LeaveGapsUnknownAndTablesConsistent)
{
    RegisterCatalogue c;
    c.Build();
    for (uint32_t a : {1u, 99u, 107u, 301u, 1603u, 2007u, 2316u, 2616u, 2612u, 3012u, 3013u, 7046u, 8017u, 8208u, 9999u})
        EXPECT_FALSE(c.IsUsed(K::Holding, a)) << a;
    for (uint32_t a : {8u, 19u, 156u, 195u, 197u})
        EXPECT_FALSE(c.IsUsed(K::Coil, a)) << a;
    // Every present entry is self-consistent: default within its own limits,
    // inputs read-only, labels framed by first and last markers.
    for (K kind : {K::Holding, K::Input, K::Coil}) {
        for (int a = 1; a < RegisterCatalogue::Count(kind); ++a) {
            if (!c.IsUsed(kind, a))
                continue;
            const RegisterEntry& e = *c.Entry(kind, a);
            EXPECT_TRUE(RegisterCatalogue::InRange(a, e.defaultValue, c.Table(kind), RegisterCatalogue::Count(kind)))
                << int(kind) << ":" << a;
            EXPECT_FALSE(e.name.empty()) << a;
            if (kind == K::Input) {
                EXPECT_EQ(e.readOnly, 1);
            }
            if (e.textPart == 1) {
                EXPECT_EQ(c.Entry(kind, a + 11)->textPart, 3) << a;
            }
        }
    }
}

} // namespace
