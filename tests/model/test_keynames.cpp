#include "model/RegisterCatalogue.h"

#include <gtest/gtest.h>

namespace {

TEST(RegisterKeyName, CoversPatternsAndSingleKeys)
{
    const struct
    {
        uint32_t address;
        const char* key;
    } rows[] = {
        {2305, "TempS1Int_Label_2300-2311"},
        {3411, "PMS2Bus_Label_3400-3411"},
        {3218, "CO2S2Bus_EnableColourScale_3218"},
        {2312, "TempS1Int_Offset_2312"},
        {3012, "TempS3Bus_Offset_3012"},         // key exists without a register
        {3513, "PressureS2Bus_AveragingTime_3513"},
        {3316, "VOCS2Bus_Unit_3316"},
        {3416, ""},                                // no unit key for the PM block
        {2514, "CO2S1Int_ColourScale_Start_2514"},
        {2417, "HumS1Int_EnableInSensorMenu_2417"},
        {7055, "TP2_Register_NewValue_7055"},
        {7040, "TP1_Activate_7040"},
        {7513, "TP48_EventMinute_7513"},
        {7046, ""},
        {2020, "Date_Time_2018-2023"},
        {4305, "SP2_Label_4300-4311"},
        {5411, "L2_Label_5400-5411"},
        {104, "VOCS1Int_%_Value_104"},             // stored doubled, shown single
        {8021, "6WayValveGen_Cool100%_8021"},
        {408, "HeaderIconStatus_408_bitField"},
        {1603, "OutHeat_Value_1603"},              // key without a catalogue row
        {3763, "Fan_EnableAutoOff__3763"},
        {8202, "PropBand_ XpRCV_8202"},
        {105, ""},
        {6450, ""},
        {0, ""},
        {10000, ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(RegisterKeyName(r.address), r.key) << r.address;
}

TEST(RegisterKeyName, EverySingleKeyEndsWithItsAddress)
{
    for (uint32_t a = 1; a < 10000; ++a) {
        const std::string key = RegisterKeyName(a);
        if (key.empty() || key.find('-') != std::string::npos)
            continue;
        std::string tail = key;
        if (tail.size() > 9 && tail.compare(tail.size() - 9, 9, "_bitField") == 0)
            tail.resize(tail.size() - 9);
        EXPECT_EQ(tail.substr(tail.rfind('_') + 1), std::to_string(a)) << key;
    }
}

} // namespace
