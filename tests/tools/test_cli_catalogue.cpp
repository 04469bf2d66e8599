// tavemo-cli catalogue, run as a program.
#include "tests/support/CliProcess.h"
#include "tools/cli/CliCommon.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using testsupport::CliRun;
using testsupport::RunCliLine;

std::map<std::string, int> CountKinds(const std::string& csv)
{
    std::map<std::string, int> counts;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line))
        ++counts[line.substr(0, line.find(','))];
    return counts;
}

TEST(CliCatalogue, ListsTheWholeMapWithHeader)
{
    const CliRun r = RunCliLine("catalogue");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "kind,address,name,access,default,min,max,used,text_part,key");
    const auto counts = CountKinds(r.out);
    EXPECT_EQ(counts.at("holding"), 743);
    EXPECT_EQ(counts.at("input"), 39);
    EXPECT_EQ(counts.at("coil"), 30);
    EXPECT_NE(r.out.find("\nholding,1608,AO Output Heating BMS Contr.,W,-1,-1,10,1,0,AO_OutHeat_BMSContr_1608\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\nholding,2300,TempSensor 1 int. Label  1,W,0,0,65535,1,1,TempS1Int_Label_2300-2311\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\ninput,199,AO Output Heating BMS Contr.,R,-1,-1,1000,1,0,\n"), std::string::npos);
}

TEST(CliCatalogue, AppliesTheDeviceProfile)
{
    const CliRun r = RunCliLine("catalogue --device-type 2050 --temp-unit 0 --pressure-unit 3");
    ASSERT_EQ(r.status, 0);
    for (const char* line : {"\nholding,7046,Time Program 1 Zuordnung zur Szene,W,0,0,8,1,0,\n",
                             "\nholding,7516,Time Program 48 Zuordnung zur Szene,W,0,0,8,1,0,\n",
                             "\nholding,400,Setpoint Temp,W,700,0,1220,1,0,Setpoint_Temp_400\n",
                             "\ncoil,156,", "\ncoil,195,", "\ncoil,8,Boost heat,W,0,0,1,1,0,\n",
                             "\ncoil,19,W-LAN,", "\ncoil,196,Fan Auto Mode,W,1,0,1,1,0,\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    EXPECT_EQ(r.out.find("\nholding,1501,"), std::string::npos);

    // A missing option counts as unknown: only the device type given.
    const CliRun d = RunCliLine("catalogue --device-type 1004");
    ASSERT_EQ(d.status, 0);
    EXPECT_NE(d.out.find("\nholding,400,Setpoint Temp,W,210,"), std::string::npos);
}

TEST(CliCatalogue, BadOptionsExitWithStatus2)
{
    for (const char* args : {"catalogue --device-type", "catalogue --device-type x", "catalogue --temp-unit 2",
                             "catalogue --pressure-unit 4", "catalogue --colour red", "catalogue 12",
                             "no-such-command", ""}) {
        const CliRun r = RunCliLine(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST(CliCommon, CsvFieldQuotesOnlyWhenNeeded)
{
    EXPECT_EQ(cli::CsvField("Setpoint Temp"), "Setpoint Temp");
    EXPECT_EQ(cli::CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(cli::CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(cli::ParseInt("-12").value(), -12);
    EXPECT_FALSE(cli::ParseInt("12a").has_value());
    EXPECT_FALSE(cli::ParseInt("").has_value());
}

} // namespace
