// The configuration export and import in the core: the file formats byte for
// byte, the rule of what travels, the import's reading rules, and the faults
// the user is told about (missing registers, a lost link, a file that
// cannot be written, failed writes, a file that is no export).
#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/config/CConfigExport.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/ConfigFile.h"
#include "tools/config/IConfigProgress.h"
#include "tests/support/FakeConfigUnit.h"
#include "tools/config/IConfigUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

using namespace ConfigFile;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

constexpr uint16_t kLanguage = 2009;

struct FakeProgress : IConfigProgress
{
    std::vector<int> shown;
    bool failed = false;
    void showPercent(int p) override { shown.push_back(p); }
    void markFailed() override { failed = true; }
};

using FakeUnit = testsupport::FakeConfigUnit;

RegisterCatalogue Catalogue()
{
    RegisterCatalogue c;
    c.Build();
    c.ApplyDeviceProfile(2050, 1, 0);
    return c;
}

std::vector<uint8_t> Bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

void WriteFile(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

const std::string kHead(ConfigFile::kHeader);

} // namespace

TEST(ConfigFileFormat, TextLineIsTheDecimalWordAndTheName)
{
    EXPECT_EQ(CsvLine(2009, 1, "Language"), "Addr: 2009; Val: 1; Des: Language\r\n");
    EXPECT_EQ(CsvLine(3600, static_cast<uint16_t>(-1), "x"), "Addr: 3600; Val: 65535; Des: x\r\n");
    // The description goes out in the ANSI code page.
    EXPECT_EQ(CsvLine(2010, 1, "Temp \xC2\xB0" "C \xE2\x82\xAC \xE2\x9C\x93"),
              "Addr: 2010; Val: 1; Des: Temp \xB0" "C \x80 ?\r\n");
}

TEST(ConfigFileFormat, BinaryRecordIsTwentySixLittleEndianBytes)
{
    RegisterEntry e;
    e.lastReadValue = 0x1234;
    e.readOnly = 0;
    e.min = -500;
    e.max = 0x10203;
    e.used = 1;
    e.defaultValue = 0xBEEF;
    const auto r = BinaryRecord(0x07D9, 0xFFFE, e);
    const std::array<uint8_t, 26> expected = {0xD9, 0x07, 0xFE, 0xFF, 0x34, 0x12, 0, 0, 0, 0,
                                              0x0C, 0xFE, 0xFF, 0xFF, 0x03, 0x02, 0x01, 0x00,
                                              0x01, 0x00, 0xEF, 0xBE, 0, 0, 0, 0};
    EXPECT_EQ(r, expected);
}

TEST(ConfigFileFormat, TextLinesParseAsTheImportReadsThem)
{
    struct Case
    {
        const char* line;
        int fields;
        uint32_t address, value;
    } cases[] = {
        {"Addr: 2009; Val: 1; Des: Language\r\n", 2, 2009, 1},
        {"Addr: 0x07D9; Val: 0x0002;\r\n", 2, 2009, 2},
        {"Addr:2009;Val:7;", 2, 2009, 7},         // blanks match no blank too
        {"Addr: 2009;\r\n", 1, 2009, 0},          // no value
        {"Addr: 2009; Val: x\r\n", 1, 2009, 0},
        {"hello world\r\n", 0, 0, 0},
        {"\r\n", 0, 0, 0},
        {"Addr: 3600; Val: -1;", 2, 3600, 0xFFFFFFFFu}, // as the C library's %u
    };
    for (const Case& c : cases) {
        uint32_t a = 99, v = 0;
        EXPECT_EQ(ParseCsvLine(c.line, &a, &v), c.fields) << c.line;
        EXPECT_EQ(a, c.address) << c.line;
        if (c.fields == 2) {
            EXPECT_EQ(v, c.value) << c.line;
        }
    }
}

TEST(ConfigFileFormat, FileNamesAndFiltersChooseTheFormat)
{
    EXPECT_EQ(ImportFormat("a/export.CSV", Format::Binary), Format::Csv);
    EXPECT_EQ(ImportFormat("a/export.bin", Format::Csv), Format::Binary);
    EXPECT_EQ(ImportFormat("a/export.txt", Format::Csv), Format::Csv);   // "Text (*.csv)"
    EXPECT_EQ(ImportFormat("a/export.txt", Format::None), Format::None); // "All (*.*)"
    EXPECT_EQ(ExportPath("x/export", Format::Csv), "x/export.csv");
    EXPECT_EQ(ExportPath("x/export.CSV", Format::Csv), "x/export.CSV");
    EXPECT_EQ(ExportPath("x/export.csv", Format::Binary), "x/export.csv.bin");
}

TEST(ConfigFileRule, OnlyPresentWritableConfigurationRegistersTravel)
{
    const RegisterCatalogue c = Catalogue();
    EXPECT_TRUE(IsExportable(c, 2008)) << "the PIN is writable";
    EXPECT_TRUE(IsExportable(c, kLanguage));
    for (uint32_t a : {2000u, 2001u, 2002u, 2003u, 2004u, 2005u, 2006u, 2013u, 2014u, 2018u, 2019u, 2020u, 2021u,
                       2022u, 2023u, 1999u, 10000u})
        EXPECT_FALSE(IsExportable(c, a)) << a;
}

class ConfigExportTest : public ::testing::Test
{
protected:
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    FakeProgress progress;
    TempDir dir;
    std::string path = (dir.path() / "export.csv").string();

    ExportReport Export(Format format, std::vector<Range> ranges, ExportPacing pacing = {})
    {
        CConfigExport e(catalogue, unit, progress);
        e.setPacing(pacing);
        return e.run(path, format, ranges);
    }
};

TEST_F(ConfigExportTest, NoCategoryWritesTheHeaderOnly)
{
    const ExportReport r = Export(Format::Csv, {});
    EXPECT_EQ(r.result, Result::Ok);
    EXPECT_EQ(ReadFile(path), kHead);
}

TEST_F(ConfigExportTest, CommonHoldsThePinButNeitherTheIdentityNorTheActionsNorTheClock)
{
    ASSERT_EQ(Export(Format::Csv, {{2000, 2299}}).result, Result::Ok);
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find("\nAddr: 2008; "), std::string::npos);
    for (int a : {2000, 2001, 2002, 2003, 2004, 2005, 2006, 2013, 2014, 2018, 2019, 2020, 2021, 2022, 2023})
        EXPECT_EQ(text.find("\nAddr: " + std::to_string(a) + ";"), std::string::npos) << a;
}

TEST_F(ConfigExportTest, WithoutAUnitTheCatalogueValuesAreWrittenExactly)
{
    unit.type = kNoDevice;
    unit.openResult = Result::NoLink;
    catalogue.Holding(kLanguage).value = 1;
    catalogue.Holding(2008).value = 4321;
    EXPECT_EQ(Export(Format::Csv, {{2008, 2009}}).result, Result::Ok);
    EXPECT_EQ(ReadFile(path), kHead + "Addr: 2008; Val: 4321; Des: " + catalogue.Holding(2008).name +
                                  "\r\nAddr: 2009; Val: 1; Des: " + catalogue.Holding(kLanguage).name + "\r\n");
    EXPECT_TRUE(unit.reads.empty());

    EXPECT_EQ(Export(Format::Binary, {{2009, 2009}}).result, Result::Ok);
    const auto record = BinaryRecord(kLanguage, 1, catalogue.Holding(kLanguage));
    EXPECT_EQ(ReadFile(path), kHead + std::string(record.begin(), record.end()));
}

TEST_F(ConfigExportTest, WithAUnitTheUnitsValuesAreWrittenAndTheCatalogueKept)
{
    unit.store[kLanguage] = 2;
    catalogue.Holding(kLanguage).value = 1;
    const ExportReport r = Export(Format::Csv, {{2009, 2009}});
    EXPECT_EQ(r.result, Result::Ok);
    EXPECT_TRUE(r.fromUnit);
    EXPECT_NE(ReadFile(path).find("Addr: 2009; Val: 2;"), std::string::npos);
    EXPECT_EQ(catalogue.Holding(kLanguage).value, 1);
    EXPECT_EQ(unit.closes, 1);
    EXPECT_EQ(progress.shown.back(), 100);
    EXPECT_FALSE(progress.failed);
}

TEST_F(ConfigExportTest, RefusedRegistersAreLeftOutButNamed)
{
    // Refusals are answers: registers refused in a row do not end the export.
    unit.refused = {2007, 2008, kLanguage, 2010};
    const ExportReport four = Export(Format::Csv, {{2000, 2299}});
    EXPECT_EQ(four.result, Result::RegistersMissing);
    EXPECT_EQ(four.missing.size(), 4u);
    EXPECT_NE(ReadFile(path).find("Addr: 2011;"), std::string::npos);

    unit.reads.clear();
    unit.refused = {2008, kLanguage};
    const ExportReport r = Export(Format::Csv, {{2000, 2299}});
    EXPECT_EQ(r.result, Result::RegistersMissing);
    EXPECT_EQ(r.missing, (std::vector<uint16_t>{2008, kLanguage}));
    EXPECT_EQ(r.written, r.total - 2);
    EXPECT_EQ(ReadFile(path).find("Addr: 2009;"), std::string::npos);
    EXPECT_TRUE(progress.failed);
    const std::string words = CConfigExport::Summary(r);
    EXPECT_NE(words.find("2 registers"), std::string::npos) << words;
    EXPECT_NE(words.find("2008, 2009"), std::string::npos) << words;
    // Each refused register had all its attempts.
    EXPECT_GE(static_cast<int>(unit.reads.size()), r.written + 2 * ExportPacing{}.attempts);
}

TEST_F(ConfigExportTest, ASilentUnitEndsTheExportAndLeavesThePreviousFile)
{
    WriteFile(path, "previous export");
    unit.silentFrom = 2025;
    const ExportReport r = Export(Format::Csv, {{2000, 3599}});
    EXPECT_EQ(r.result, Result::LinkLost);
    EXPECT_EQ(r.missing.size(), 3u);
    // Two silent attempts give a register up; three such registers end it.
    EXPECT_LE(static_cast<int>(unit.reads.size()), r.written + 3 * ExportPacing{}.silentAttempts);
    EXPECT_EQ(ReadFile(path), "previous export");
    const std::string partial = ReadFile(r.partialPath);
    EXPECT_EQ(partial.rfind(kHead, 0), 0u);
    EXPECT_NE(partial.find("Addr: 2009;"), std::string::npos);
    EXPECT_NE(CConfigExport::Summary(r).find("Link lost"), std::string::npos);
    EXPECT_TRUE(progress.failed);
    // No temporary file stays behind.
    int files = 0;
    for ([[maybe_unused]] const auto& f : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2);
}

TEST_F(ConfigExportTest, AFileThatCannotBeCreatedIsReported)
{
    path = (dir.path() / "no-such-folder" / "export.csv").string();
    const ExportReport r = Export(Format::Csv, {{2000, 2299}});
    EXPECT_EQ(r.result, Result::ExportNotCreated);
    EXPECT_FALSE(r.fileError.empty());
    EXPECT_NE(CConfigExport::Summary(r).find("cannot be written"), std::string::npos);
    EXPECT_EQ(unit.opens, 0) << "nothing is read for a file that cannot be written";
}

class ConfigImportTest : public ::testing::Test
{
protected:
    RegisterCatalogue catalogue = Catalogue();
    FakeUnit unit;
    FakeProgress progress;

    ImportReport Import(const std::string& bytes, Format format = Format::Csv)
    {
        CConfigImport i(catalogue, unit, progress);
        const auto b = Bytes(bytes);
        return i.run(b, format);
    }
};

TEST_F(ConfigImportTest, TheWorkedLinesSetTheLanguage)
{
    EXPECT_EQ(Import(kHead + "Addr: 2009; Val: 1; Des: Language\r\n").result, Result::Ok);
    EXPECT_EQ(catalogue.Holding(kLanguage).value, 1);
    EXPECT_EQ(Import(kHead + "Addr: 0x07D9; Val: 0x0002;\r\n").result, Result::Ok);
    EXPECT_EQ(catalogue.Holding(kLanguage).value, 2);
    EXPECT_EQ(unit.writes, (std::vector<std::pair<uint16_t, uint16_t>>{
                               {kLanguage, 1}, {Reg::SaveToNvram, 1}, {kLanguage, 2}, {Reg::SaveToNvram, 1}}));
    EXPECT_EQ(CConfigImport::Summary(Import(kHead + "Addr: 2009; Val: 1;\r\n")), "Done - all ok");
}

TEST_F(ConfigImportTest, AnUnparsableLineIsSkippedAndALineWithoutValueEndsTheImport)
{
    const ImportReport r = Import(kHead + "garbage\r\nAddr: 2009; Val: 1;\r\nAddr: 2008;\r\nAddr: 2008; Val: 5;\r\n");
    EXPECT_EQ(catalogue.Holding(kLanguage).value, 1);
    EXPECT_NE(catalogue.Holding(2008).value, 5) << "read after the line without a value";
    EXPECT_EQ(r.linesNotUnderstood, 1);
    EXPECT_TRUE(r.fileEndedEarly);
    EXPECT_EQ(r.result, Result::ImportIncomplete);
    EXPECT_TRUE(progress.failed);
}

TEST_F(ConfigImportTest, ABinaryFileCutMidRecordEndsAtThatRecord)
{
    const auto a = BinaryRecord(kLanguage, 1, catalogue.Holding(kLanguage));
    const auto b = BinaryRecord(2008, 77, catalogue.Holding(2008));
    const std::string bytes = kHead + std::string(a.begin(), a.end()) + std::string(b.begin(), b.begin() + 13);
    const ImportReport r = Import(bytes, Format::Binary);
    EXPECT_EQ(catalogue.Holding(kLanguage).value, 1);
    EXPECT_NE(catalogue.Holding(2008).value, 77);
    EXPECT_TRUE(r.fileEndedEarly);
    EXPECT_EQ(r.applied, 1);
    EXPECT_NE(r.result, Result::Ok);
}

TEST_F(ConfigImportTest, DemoModeChangesOnlyTheCatalogue)
{
    unit.demo = true;
    const ImportReport r = Import(kHead + "Addr: 2009; Val: 1;\r\nAddr: 2008; Val: 12;\r\n");
    EXPECT_EQ(r.result, Result::Ok);
    EXPECT_EQ(catalogue.Holding(kLanguage).value, 1);
    EXPECT_EQ(catalogue.Holding(2008).value, 12);
    EXPECT_TRUE(unit.writes.empty()) << "not even Save To NVRAM";
    EXPECT_EQ(unit.opens, 0);
}

TEST_F(ConfigImportTest, SkippedRecordsAndFailedWritesAreSummedUpInsteadOfAllOk)
{
    unit.refused = {2008};
    const ImportReport r = Import(kHead +
                                  "Addr: 2009; Val: 1;\r\n"   // written
                                  "Addr: 2008; Val: 5;\r\n"   // the unit refuses
                                  "Addr: 2001; Val: 5;\r\n"   // read-only
                                  "Addr: 2009; Val: 60000;\r\n" // outside the limits
                                  "Addr: 9998; Val: 1;\r\n"   // not on this unit
                                  "Addr: 2013; Val: 1;\r\n"); // never imported
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(r.readOnly, (std::vector<uint32_t>{2001}));
    EXPECT_EQ(r.outOfLimits, (std::vector<uint32_t>{2009}));
    ASSERT_EQ(r.failedWrites.size(), 1u);
    EXPECT_EQ(r.failedWrites[0].address, 2008);
    EXPECT_EQ(r.result, 17);
    EXPECT_TRUE(progress.failed);
    const std::string words = CConfigImport::Summary(r);
    EXPECT_EQ(words.find("Done - all ok"), std::string::npos);
    for (const char* part : {"written to the unit: 1", "read-only: 1 (2001)", "outside the limits: 1 (2009)",
                             "2013", "Writes failed: 1 (2008 error 17)"})
        EXPECT_NE(words.find(part), std::string::npos) << part << "\n" << words;
}

TEST_F(ConfigImportTest, AFileWithoutTheHeaderIsNoExportFile)
{
    const ImportReport r = Import("Addr: 2009; Val: 1;\r\n");
    EXPECT_EQ(r.result, Result::NotAnExportFile);
    EXPECT_EQ(r.applied, 0);
    EXPECT_NE(CConfigImport::Summary(r).find("not an export file"), std::string::npos);
    // The header's blanks and line end match any white space.
    EXPECT_EQ(Import("Orvelant  4000\tExport Addr: 2009; Val: 1;\r\n").result, Result::Ok);
}

TEST_F(ConfigImportTest, WithoutAUnitOutsideDemoModeNothingIsRead)
{
    unit.type = kNoDevice;
    unit.openResult = Result::NoLink;
    catalogue.Holding(kLanguage).value = 0;
    const ImportReport r = Import(kHead + "Addr: 2009; Val: 1;\r\n");
    EXPECT_EQ(r.result, Result::NoLink);
    EXPECT_EQ(catalogue.Holding(kLanguage).value, 0);
}

TEST_F(ConfigImportTest, ALinkThatDoesNotOpenTakesNothingFromTheFile)
{
    // Another unit behind the port, a port held by another program, a port
    // gone: nothing is written, nothing stored, the catalogue unchanged.
    const struct
    {
        int code;
        const char* words;
    } cases[] = {{Result::AnotherUnit, "Another unit is attached"},
                 {Result::PortBusy, "The unit could not be reached: "},
                 {Result::PortGone, "The unit could not be reached: "}};
    for (const auto& c : cases) {
        unit.openResult = c.code;
        unit.writes.clear();
        catalogue.Holding(kLanguage).value = 0;
        const ImportReport r = Import(kHead + "Addr: 2009; Val: 1;\r\n");
        EXPECT_EQ(r.result, c.code);
        EXPECT_EQ(r.applied, 0);
        EXPECT_TRUE(unit.writes.empty()) << c.code;
        EXPECT_EQ(catalogue.Holding(kLanguage).value, 0);
        EXPECT_EQ(CConfigImport::Summary(r).rfind(c.words, 0), 0u) << CConfigImport::Summary(r);
    }
}

TEST(ConfigFileRead, AFolderOrAMissingFileIsNoFileAndAFileIsReadWhole)
{
    testsupport::TempDir dir;
    std::vector<uint8_t> bytes{1};
    EXPECT_FALSE(ConfigFile::ReadWholeFile(dir.path().string(), bytes));
    EXPECT_FALSE(ConfigFile::ReadWholeFile((dir.path() / "missing.csv").string(), bytes));
    // A name outside ASCII, in UTF-8 as the window and the command line give it.
    const std::string name = dir.path().string() + "/\xC5\x81\xC3\xB3" "d\xC5\xBA.csv";
    std::string content(20000, 'x');
    std::ofstream(LocalSystem::Utf8Path(name), std::ios::binary) << content;
    ASSERT_TRUE(ConfigFile::ReadWholeFile(name, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
}

TEST_F(ConfigExportTest, AnExportImportedAgainRestoresEveryRegister)
{
    for (Format format : {Format::Csv, Format::Binary}) {
        RegisterCatalogue source = Catalogue();
        unit.store.clear();
        for (uint32_t a = 2000; a <= 9999; ++a)
            if (IsExportable(source, a))
                unit.store[static_cast<uint16_t>(a)] =
                    static_cast<uint16_t>(source.Holding(static_cast<uint16_t>(a)).max);
        std::vector<Range> all;
        for (const Category& c : Categories())
            all.push_back({c.first, c.last});
        ASSERT_EQ(Export(format, all).result, Result::Ok);
        FakeUnit target;
        CConfigImport import(catalogue, target, progress);
        const ImportReport r = import.run(path, format);
        EXPECT_EQ(r.result, Result::Ok) << CConfigImport::Summary(r);
        for (const auto& [a, v] : unit.store)
            EXPECT_EQ(target.store[a], v) << a;
    }
}
