// Comparing configurations and writing only what differs, in the core: two
// files in the pages' shown form, the unit side against a fake (a register
// not read is named, a lost link ends the reading), the import's record
// rules (a read-only record is listed, never written), the template export
// and the undo file of the changes-only import.
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/config/CConfigChangesImport.h"
#include "tools/config/CConfigExport.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/ConfigCompare.h"
#include "tools/config/ConfigSource.h"
#include "tools/config/IConfigProgress.h"
#include "tests/support/FakeConfigUnit.h"
#include "tools/config/IConfigUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

struct NoProgress : IConfigProgress
{
    void showPercent(int) override {}
    void markFailed() override {}
};

using FakeUnit = testsupport::FakeConfigUnit;

RegisterCatalogue Catalogue()
{
    RegisterCatalogue c;
    c.Build();
    c.ApplyDeviceProfile(2050, 1, 0);
    c.Holding(Reg::TempUnit).value = 1; // °C
    return c;
}

std::vector<uint8_t> Csv(const std::vector<std::pair<unsigned, long>>& records)
{
    std::string text(ConfigFile::kHeader);
    for (auto [a, v] : records)
        text += "Addr: " + std::to_string(a) + "; Val: " + std::to_string(v) + "; Des: x\r\n";
    return {text.begin(), text.end()};
}

ConfigSource File(const std::vector<std::pair<unsigned, long>>& records)
{
    return ConfigSources::FromFile(Csv(records), ConfigFile::Format::Csv, "file");
}

const CompareRow* Row(const ConfigComparison& c, uint32_t address)
{
    for (const CompareRow& r : c.rows)
        if (r.address == address)
            return &r;
    return nullptr;
}

} // namespace

TEST(ConfigCompare, TwoFilesListEachRegisterInThePagesForm)
{
    const RegisterCatalogue catalogue = Catalogue();
    const ConfigSource left = File({{2009, 1}, {2011, 55}, {3603, 210}, {8049, 0}, {2012, 30}});
    const ConfigSource right = File({{2009, 2}, {2011, 55}, {3603, 195}, {8049, -5}, {2015, 1}});
    const ConfigComparison c = ConfigCompare::Compare(catalogue, left, right);
    struct Case
    {
        uint32_t address;
        bool equal;
        const char* line;
        const char* csv;
    } cases[] = {
        {2009, false, "2009 Language: 1 = english -> 2 = ", "2009,Language,common,1,2"},                  // list entry
        {2011, true, "2011 Display Brightness [%]: 55 -> 55", "2011,Display Brightness [%],common,55,55"}, // equal
        {2012, false, ": 30 -> absent", ",common,30,"},                                                   // only left
        {2015, false, ": absent -> ", ",common,,1"},                                                       // only right
        {3603, false, "3603 Setpoint Temp After Reboot: 21.0 \u00b0C -> 19.5 \u00b0C",
         "3603,Setpoint Temp After Reboot,room-climate,210,195"}, // tenths with the unit
        {8049, false, "8049 Setpoint Temp Offset: 0 -> -5", ",controller,0,65531"}, // signed
    };
    ASSERT_EQ(c.rows.size(), std::size(cases));
    EXPECT_EQ(c.differing, 5);
    for (const Case& k : cases) {
        const CompareRow* row = Row(c, k.address);
        ASSERT_NE(row, nullptr) << k.address;
        EXPECT_EQ(row->equal, k.equal) << k.address;
        EXPECT_NE(ConfigCompare::Line(*row).find(k.line), std::string::npos) << ConfigCompare::Line(*row);
        EXPECT_NE(ConfigCompare::CsvLine(*row).find(k.csv), std::string::npos) << ConfigCompare::CsvLine(*row);
        EXPECT_EQ(row->mark, CompareMark::None) << k.address;
    }
    EXPECT_EQ(ConfigCompare::CsvHeader(), "address,name,category,left,right,note");
    EXPECT_EQ(ConfigCompare::CsvLine(*Row(c, 3603)), "3603,Setpoint Temp After Reboot,room-climate,210,195,");
}

TEST(ConfigCompare, RecordsTheImportWouldSkipAreMarkedAndNeverOfferedForWriting)
{
    const RegisterCatalogue catalogue = Catalogue();
    const ConfigSource left = File({{2001, 1011}, {2011, 50}, {1000, 1}});
    const ConfigSource right =
        File({{2001, 1020}, {2011, 500}, {1000, 2}, {2013, 1}, {9998, 1}, {2012, 70000}, {2015, -70000}});
    const ConfigComparison c = ConfigCompare::Compare(catalogue, left, right);
    struct Case
    {
        uint32_t address;
        CompareMark mark;
        const char* says;
        const char* csv; // the whole line: the mark in the last column
    } cases[] = {
        {2001, CompareMark::ReadOnly, "(skipped as read-only)", "2001,Firmware,common,1011,1020,read-only"},
        {2011, CompareMark::OutOfLimits, "(skipped as outside the limits)",
         "2011,Display Brightness [%],common,50,500,outside limits"},
        {1000, CompareMark::Unknown, "(skipped as unknown)", "1000,,,1,2,unknown"},
        // Save To NVRAM acts, it does not configure.
        {2013, CompareMark::Unknown, "(skipped as unknown)", "2013,Save To NVRAM,common,,1,unknown"},
        {9998, CompareMark::Unknown, "(skipped as unknown)", "9998,,,,1,unknown"},
        // Numbers that do not fit a register stay as the file gives them.
        {2012, CompareMark::OutOfLimits, ": absent -> 70000 (skipped",
         "2012,Screen Saver Timeout [s],common,,70000,outside limits"},
        {2015, CompareMark::OutOfLimits, ": absent -> -70000 (skipped", ",common,,-70000,outside limits"},
    };
    for (const Case& k : cases) {
        const CompareRow* row = Row(c, k.address);
        ASSERT_NE(row, nullptr) << k.address;
        EXPECT_EQ(row->mark, k.mark) << k.address;
        EXPECT_FALSE(row->writable()) << k.address;
        EXPECT_NE(ConfigCompare::Line(*row).find(k.says), std::string::npos) << ConfigCompare::Line(*row);
        const std::string csv = ConfigCompare::CsvLine(*row);
        EXPECT_EQ(csv.substr(csv.size() - std::min(csv.size(), std::strlen(k.csv))), k.csv);
    }
}

TEST(ConfigCompare, AFileNotReadWholeNamesItsFirstLineNotReadAndWhy)
{
    const std::string head(ConfigFile::kHeader);
    const std::string two = "Addr: 2009; Val: 1; Des: Language\r\nAddr: 2011; Val: 55; Des: x\r\n";
    std::string binary = head + std::string(26 + 13, '\0');
    binary[22] = static_cast<char>(2009 & 0xFF), binary[23] = static_cast<char>(2009 >> 8);
    struct Case
    {
        const char* what;
        std::string bytes;
        ConfigFile::Format format;
        const char* notReadWhole; // "" when read whole
    } cases[] = {
        {"whole", head + two, ConfigFile::Format::Csv, ""},
        {"a value that is no number", head + two + "Addr: 2011; Val: abc\r\nAddr: 2012; Val: 1;\r\n",
         ConfigFile::Format::Csv, "line 4 has no value: \"Addr: 2011; Val: abc\"; the rest of the file was not read"},
        {"a line naming nothing", head + two + "garbage\xE4\x01\r\nAddr: 2012; Val: 1;\r\n", ConfigFile::Format::Csv,
         "line 4 is no record: \"garbage\u00e4?\" (expected \"Addr: NUMBER; Val: NUMBER;\")"},
        {"past the last register", head + "Addr: 10000; Val: 1;\r\n" + two, ConfigFile::Format::Csv,
         "line 2 names 10000: \"Addr: 10000; Val: 1;\"; no register lies past 9999, the rest of the file was not read"},
        {"the last register last", head + two + "Addr: 10000; Val: 1;\r\n\r\n", ConfigFile::Format::Csv, ""},
        {"a binary record cut short", binary, ConfigFile::Format::Binary, "record 2 is cut short (13 of 26 bytes)"},
        // What the import skips unread on purpose is read.
        {"marks and records of registers never written",
         head + "Addr: 2013; protected\r\n  \r\nAddr: 2018; Val: 7;\r\nAddr: 12;\r\n" + two,
         ConfigFile::Format::Csv, ""},
    };
    for (const Case& k : cases) {
        const std::vector<uint8_t> bytes(k.bytes.begin(), k.bytes.end());
        const ConfigSource file = ConfigSources::FromFile(bytes, k.format, "file");
        EXPECT_EQ(file.notReadWhole, k.notReadWhole) << k.what;
        EXPECT_EQ(file.find(2009) != nullptr, std::string(k.what) != "past the last register") << k.what;
    }
}

TEST(ConfigCompare, TwoFilesAreJudgedByTheDeviceTypeBothNameElseByEveryType)
{
    // 2007 and a time program's scene only some families have; the fan
    // control is writable on some, read-only on others.
    const uint32_t kMenuLock = 2007, kScene = 7046, kFanControl = 3749;
    struct Case
    {
        int leftType, rightType, given; // -1: no 2000 record, no --device-type
        CompareMark menuLock, scene, fanControl;
    } cases[] = {
        {-1, -1, -1, CompareMark::None, CompareMark::None, CompareMark::None},
        {2050, 1003, -1, CompareMark::None, CompareMark::None, CompareMark::None},
        {2050, -1, -1, CompareMark::None, CompareMark::None, CompareMark::None},
        {2050, 2050, -1, CompareMark::None, CompareMark::None, CompareMark::None},
        {1003, 1003, -1, CompareMark::Unknown, CompareMark::Unknown, CompareMark::ReadOnly},
        {3000, 3000, -1, CompareMark::None, CompareMark::Unknown, CompareMark::None},
        {-1, -1, 1003, CompareMark::Unknown, CompareMark::Unknown, CompareMark::ReadOnly}, // the user's profile wins
        {2050, 2050, 1003, CompareMark::Unknown, CompareMark::Unknown, CompareMark::ReadOnly},
    };
    for (const Case& k : cases) {
        std::vector<std::pair<unsigned, long>> left = {{kMenuLock, 0}, {kScene, 2}, {kFanControl, 0}}, right = left;
        right[1].second = 3;
        if (k.leftType >= 0)
            left.emplace_back(Reg::DeviceType, k.leftType);
        if (k.rightType >= 0)
            right.emplace_back(Reg::DeviceType, k.rightType);
        const ConfigSource l = File(left), r = File(right);
        const RegisterCatalogue catalogue = ConfigCompare::FilesCatalogue(l, r, k.given, -1);
        const ConfigComparison c = ConfigCompare::Compare(catalogue, l, r);
        const std::string what = std::to_string(k.leftType) + "/" + std::to_string(k.rightType) + "/" +
                                 std::to_string(k.given);
        EXPECT_EQ(Row(c, kMenuLock)->mark, k.menuLock) << what;
        EXPECT_EQ(Row(c, kScene)->mark, k.scene) << what;
        EXPECT_EQ(Row(c, kFanControl)->mark, k.fanControl) << what;
    }
    // Temperatures in °C unless the user says otherwise.
    const ConfigSource setpoint = File({{3603, 210}});
    EXPECT_EQ(ConfigCompare::Compare(ConfigCompare::FilesCatalogue(setpoint, setpoint, -1, -1), setpoint, setpoint)
                  .rows.at(0).rightShown,
              "21.0 \u00b0C");
    EXPECT_EQ(ConfigCompare::Compare(ConfigCompare::FilesCatalogue(setpoint, setpoint, -1, 0), setpoint, setpoint)
                  .rows.at(0).rightShown,
              "21.0 \u00b0F");
}

TEST(ConfigCompare, TheUnitIsAskedOnlyForTheFilesRegistersAndARefusalIsNamed)
{
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    unit.store = {{2009, 1}, {2011, 40}};
    unit.refused = {2012};
    NoProgress progress;
    ExportPacing pacing;
    pacing.attempts = 2;
    const ConfigSource file = File({{2009, 1}, {2011, 60}, {2012, 30}, {2001, 1011}, {1000, 1}});
    const ConfigSource left = ConfigSources::FromUnit(unit, catalogue, file.addresses(), pacing, progress);
    EXPECT_EQ(left.result, Result::RegistersMissing);
    // Read-only 2001 is read to show it; 1000 is no configuration register.
    EXPECT_EQ(std::set<uint16_t>(unit.reads.begin(), unit.reads.end()), (std::set<uint16_t>{2001, 2009, 2011, 2012}));
    const ConfigComparison c = ConfigCompare::Compare(catalogue, left, file);
    EXPECT_EQ(c.notRead, 1);
    EXPECT_EQ(Row(c, 2012)->mark, CompareMark::NotRead);
    EXPECT_NE(ConfigCompare::Line(*Row(c, 2012)).find("not read -> 30 (not read)"), std::string::npos);
    EXPECT_EQ(ConfigCompare::CsvLine(*Row(c, 2012)), "2012,Screen Saver Timeout [s],common,,30,not read");
    EXPECT_TRUE(Row(c, 2011)->writable());
    EXPECT_TRUE(Row(c, 2009)->equal);
}

TEST(ConfigCompare, ALostLinkEndsTheReading)
{
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    unit.silentFrom = 2011;
    NoProgress progress;
    const ConfigSource file = File({{2009, 1}, {2011, 1}, {2012, 1}, {2015, 1}, {2016, 1}, {2017, 1}, {3603, 200}});
    const ConfigSource left = ConfigSources::FromUnit(unit, catalogue, file.addresses(), ExportPacing{}, progress);
    EXPECT_EQ(left.result, Result::LinkLost);
    // Three silent registers, two attempts each; nothing asked after them.
    EXPECT_EQ(unit.reads.size(), 1u + 3u * 2u);
    ASSERT_NE(left.find(3603), nullptr);
    EXPECT_FALSE(left.find(3603)->read);
    EXPECT_EQ(left.find(3603)->code, Result::LinkLost);
}

// The user's Cancel ends the reading after the register under way: nothing
// more is asked, and what was not read is named as such, not taken for absent.
TEST(ConfigCompare, ACancelEndsTheReadingAfterTheRegisterUnderWay)
{
    struct CancelAfterTwoReads : NoProgress
    {
        explicit CancelAfterTwoReads(const FakeUnit& u) : unit(u) {}
        bool cancelled() const override { return unit.reads.size() >= 2; }
        const FakeUnit& unit;
    };
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    CancelAfterTwoReads progress(unit);
    const ConfigSource file = File({{2009, 1}, {2011, 1}, {2012, 1}, {2015, 1}, {3603, 200}});
    const ConfigSource left = ConfigSources::FromUnit(unit, catalogue, file.addresses(), ExportPacing{}, progress);
    EXPECT_EQ(left.result, Result::JobCancelled);
    EXPECT_EQ(unit.reads, (std::vector<uint16_t>{2009, 2011}));
    ASSERT_NE(left.find(3603), nullptr);
    EXPECT_FALSE(left.find(3603)->read);
    EXPECT_EQ(left.find(3603)->code, Result::JobCancelled);
}

TEST(ConfigChangesImport, WritesOnlyWhatDiffersVerifiesItAndTheUndoFileRestoresIt)
{
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    unit.store = {{2009, 1}, {2011, 40}, {2012, 30}, {3603, 210}};
    const auto before = unit.store;
    NoProgress progress;
    TempDir dir;
    const std::string undo = (dir.path() / "undo.csv").string();
    CConfigChangesImport job(catalogue, unit, progress);
    job.setUndoFile(undo);
    const ChangesReport report =
        job.run(Csv({{2009, 1}, {2011, 60}, {2012, 30}, {3603, 195}, {2001, 1020}}), ConfigFile::Format::Csv);
    // The read-only record is named and never written: the run is not all ok.
    EXPECT_EQ(report.result, Result::ImportIncomplete);
    EXPECT_EQ(report.readOnly, std::vector<uint32_t>{2001});
    EXPECT_EQ(report.compared, 4);
    EXPECT_EQ(report.differing, 2);
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.verified, 2);
    EXPECT_EQ(unit.writes, (std::vector<std::pair<uint16_t, uint16_t>>{{2011, 60}, {3603, 195}, {2013, 1}}));
    EXPECT_EQ(ReadFile(undo), std::string(ConfigFile::kHeader) +
                                  "Addr: 2011; Val: 40; Des: Display Brightness [%]\r\n"
                                  "Addr: 3603; Val: 210; Des: Setpoint Temp After Reboot\r\n");

    // A plain import of the undo file puts the overwritten values back.
    CConfigImport restore(catalogue, unit, progress);
    EXPECT_EQ(restore.run(undo, ConfigFile::Format::Csv).result, Result::Ok);
    EXPECT_EQ(unit.store.at(2011), before.at(2011));
    EXPECT_EQ(unit.store.at(3603), before.at(3603));

    // Nothing differs: nothing written, nothing stored.
    unit.writes.clear();
    const ChangesReport same = CConfigChangesImport(catalogue, unit, progress)
                                   .run(Csv({{2009, 1}, {2011, 40}}), ConfigFile::Format::Csv);
    EXPECT_EQ(same.result, Result::Ok);
    EXPECT_TRUE(unit.writes.empty());
}

TEST(ConfigChangesImport, AWriteTheUnitDidNotKeepIsAFailureByAddress)
{
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    unit.store = {{2011, 40}, {2012, 30}};
    unit.ignoresWrites = {2012};
    NoProgress progress;
    const ChangesReport report =
        CConfigChangesImport(catalogue, unit, progress).run(Csv({{2011, 60}, {2012, 20}}), ConfigFile::Format::Csv);
    EXPECT_EQ(report.result, Result::ReadBackDiffers);
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.verified, 1);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].address, 2012u);
    EXPECT_NE(CConfigChangesImport::Summary(report).find("Failed: 2012 error -140"), std::string::npos)
        << CConfigChangesImport::Summary(report);
}

TEST(ConfigTemplate, HoldsExactlyTheRegistersAwayFromTheDefaultsAndThePinOnlyWhenAsked)
{
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    for (uint32_t a = 2000; a <= 2299; ++a)
        if (ConfigFile::IsExportable(catalogue, a))
            unit.store[static_cast<uint16_t>(a)] = catalogue.Holding(static_cast<uint16_t>(a)).defaultValue;
    unit.store[2011] = static_cast<uint16_t>(catalogue.Holding(2011).defaultValue + 5);
    unit.store[2009] = 2;
    unit.store[Reg::Pin] = 1234;
    NoProgress progress;
    TempDir dir;
    for (const bool withPin : {false, true}) {
        const std::string path = (dir.path() / (withPin ? "pin.csv" : "template.csv")).string();
        CConfigExport job(catalogue, unit, progress);
        job.setNonDefaultOnly(withPin);
        unit.reads.clear();
        EXPECT_EQ(job.run(path, ConfigFile::Format::Csv, {{2000, 2299}}).result, Result::Ok);
        const std::vector<uint8_t> bytes = [&] {
            std::vector<uint8_t> b;
            ConfigFile::ReadWholeFile(path, b);
            return b;
        }();
        const ConfigSource written = ConfigSources::FromFile(bytes, ConfigFile::Format::Csv, path);
        const std::vector<uint32_t> expected =
            withPin ? std::vector<uint32_t>{2008, 2009, 2011} : std::vector<uint32_t>{2009, 2011};
        EXPECT_EQ(written.addresses(), expected) << path;
        EXPECT_EQ(std::count(unit.reads.begin(), unit.reads.end(), Reg::Pin), withPin ? 1 : 0);
    }
}
