// The commissioning report without a unit: the model from a fake unit (shown
// form, defaults marked, unread registers named, the PIN kept out), the JSON
// and what reads it back, the HTML's self-containment, the journal fed by
// the import, and the times.
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "pages/core/PageValues.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/IConfigProgress.h"
#include "tests/support/FakeConfigUnit.h"
#include "tools/config/IConfigUnit.h"
#include "tools/report/CChangeJournal.h"
#include "tools/report/CReportBuilder.h"
#include "tools/report/ReportClock.h"
#include "tools/report/ReportFile.h"
#include "tools/report/ReportHtml.h"
#include "tools/report/ReportJson.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

struct QuietProgress : IConfigProgress
{
    void showPercent(int) override {}
    void markFailed() override { failed = true; }
    bool failed = false;
};

using StoreUnit = testsupport::FakeConfigUnit;

class ReportCore : public ::testing::Test
{
protected:
    ReportCore()
    {
        catalogue.Build();
        catalogue.ApplyDeviceProfile(2050, 1, 0);
        // The unit holds its defaults except where a test says otherwise.
        for (uint16_t a = 2000; a < 9999; ++a)
            unit.store[a] = catalogue.Holding(a).defaultValue;
        unit.store[2001] = 1042;
        unit.store[2004] = 7;
    }
    int build(std::vector<ConfigFile::Range> ranges, Report& report)
    {
        CReportBuilder builder(catalogue, unit, progress);
        ReportRequest request;
        request.ranges = std::move(ranges);
        request.technician = "Ann \"Quote\" <Tech>";
        request.port = "ttySIM0";
        request.toolName = "tavemo-cli";
        request.when = 1'700'000'000;
        return builder.build(request, report);
    }
    const ReportRegister* row(const Report& r, uint16_t address)
    {
        for (const ReportRegister& g : r.registers)
            if (g.address == address)
                return &g;
        return nullptr;
    }
    RegisterCatalogue catalogue;
    StoreUnit unit;
    QuietProgress progress;
};

} // namespace

TEST_F(ReportCore, RegistersCarryTheirShownFormDefaultAndLimitsAndUnreadOnesAreNamed)
{
    unit.store[2009] = 3;      // Language, a list
    unit.store[2008] = 2008;   // a PIN is set
    unit.refused = {2011, 2012};
    Report report;
    EXPECT_EQ(build({{2000, 2299}}, report), Result::ReportUnread);
    EXPECT_TRUE(progress.failed);
    EXPECT_EQ(report.unit.firmware, 1042);
    EXPECT_EQ(report.unit.busAddress, 7);
    EXPECT_EQ(report.unit.deviceType, 2050);
    EXPECT_EQ(report.unreadCount(), 2);

    const struct
    {
        uint16_t address;
        bool read;
        bool changed;
        const char* shown; // nullptr: the page's own form of the word
    } rows[] = {
        {2009, true, catalogue.Holding(2009).defaultValue != 3, nullptr},
        {2010, true, false, nullptr},
        {2011, false, false, "not read"},
        {2012, false, false, "not read"},
        {2008, true, false, "set"},
    };
    for (const auto& r : rows) {
        const ReportRegister* g = row(report, r.address);
        ASSERT_NE(g, nullptr) << r.address;
        EXPECT_EQ(g->read, r.read) << r.address;
        EXPECT_EQ(g->changed(), r.changed) << r.address;
        EXPECT_EQ(g->category, "Common");
        EXPECT_EQ(g->name, catalogue.Holding(r.address).name);
        EXPECT_EQ(g->shown, r.shown ? std::string(r.shown)
                                    : PageValues::ShownValue(catalogue, r.address, unit.store[r.address]))
            << r.address;
    }
    EXPECT_EQ(row(report, 2008)->shownDefault, "-") << "a PIN has no default the owner could use";
    EXPECT_EQ(row(report, 2013), nullptr) << "Save To NVRAM acts, it is no setting";
    // Every exportable register of the category is there, ascending.
    for (std::size_t i = 1; i < report.registers.size(); ++i)
        EXPECT_LT(report.registers[i - 1].address, report.registers[i].address);
}

TEST_F(ReportCore, TheJsonHasItsKeysAndTypesReadsBackAndNeverHoldsThePin)
{
    unit.store[2008] = 4711;
    unit.store[2009] = 2;
    unit.refused = {2011};
    Report report;
    build({{2000, 2299}}, report);
    report.changes = CReportBuilder::Changes({{1'700'000'000, 2009, "Language", 1, 2, 0},
                                              {1'700'000'001, 2008, "PIN", 0, 4711, 0}});
    const std::string json = ReportJson::Render(report);
    for (const char* key :
         {"\"format\": \"tavemo-report\"", "\"version\": 1,", "\"device_type\": 2050,", "\"firmware\": 1042,",
          "\"bus_address\": 7,", "\"port\": \"ttySIM0\"", "\"technician\": \"Ann \\\"Quote\\\" <Tech>\"",
          "{\"address\": 2009, ", "\"value\": 2, ", "\"value\": null, \"default\": null, \"shown\": \"set\", \"read\": true",
          "\"shown\": \"not read\", \"read\": false", "\"before\": 1, \"after\": 2, \"result\": 0",
          "\"before\": null, \"after\": null"})
        EXPECT_NE(json.find(key), std::string::npos) << key;
    EXPECT_EQ(json.find("4711"), std::string::npos) << "the PIN never leaves the tool";
    EXPECT_NE(json.find("\"created\": \"2023-11-"), std::string::npos);

    std::vector<ReportJson::StoredRegister> back;
    std::string problem;
    ASSERT_EQ(ReportJson::Parse(json, back, &problem), Result::Ok) << problem;
    ASSERT_EQ(back.size(), report.registers.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        const ReportRegister& g = report.registers[i];
        EXPECT_EQ(back[i].address, g.address);
        EXPECT_EQ(back[i].read, g.read && !g.secret) << g.address;
        if (back[i].read) {
            EXPECT_EQ(back[i].value, g.value);
        }
    }
}

TEST(ReportJsonReader, NamesWhatMakesAFileNoReport)
{
    const struct
    {
        const char* text;
        const char* problem;
    } rows[] = {
        {"Orvelant 4000 Export\r\n", "not JSON"},
        {"{\"format\": \"tavemo-report\", \"version\": 1, \"registers\": [", "not JSON"},
        {"[1, 2]", "no \"format\""},
        {"{\"format\": \"other\", \"version\": 1, \"registers\": []}", "no \"format\""},
        {"{\"format\": \"tavemo-report\", \"version\": 2, \"registers\": []}", "version 2"},
        {"{\"format\": \"tavemo-report\", \"version\": 1}", "no \"registers\""},
        {"{\"format\": \"tavemo-report\", \"version\": 1, \"registers\": [{\"address\": 2009, \"value\": 70000, "
         "\"read\": true}]}",
         "no word"},
        {"{\"format\": \"tavemo-report\", \"version\": 1, \"registers\": [{\"address\": 2009, \"value\": 1}]}",
         "\"read\""},
        {"{\"format\": \"tavemo-report\", \"version\": 1, \"registers\": [{\"value\": 1, \"read\": true}]}",
         "no address"},
        {"{\"format\": \"tavemo-report\", \"version\": 1, \"registers\": [{\"address\": 2011, \"value\": 1, "
         "\"read\": true}, {\"address\": 2009, \"value\": 1, \"read\": true}, {\"address\": 2011, \"value\": 9, "
         "\"read\": true}]}",
         "register 3 of the list (2011) repeats register 1"},
        {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[", "nested"},
    };
    for (const auto& r : rows) {
        std::vector<ReportJson::StoredRegister> registers;
        std::string problem;
        EXPECT_EQ(ReportJson::Parse(r.text, registers, &problem), Result::NotAReport) << r.text;
        EXPECT_NE(problem.find(r.problem), std::string::npos) << r.text << " -> " << problem;
        EXPECT_TRUE(registers.empty());
    }
    std::vector<ReportJson::StoredRegister> registers;
    ASSERT_EQ(ReportJson::Parse("{\"format\": \"tavemo-report\", \"version\": 1, \"registers\": ["
                                "{\"address\": 2009, \"value\": 3, \"read\": true},"
                                "{\"address\": 2011, \"value\": null, \"read\": false}]}",
                                registers, nullptr),
              Result::Ok);
    ASSERT_EQ(registers.size(), 2u);
    EXPECT_TRUE(registers[0].read);
    EXPECT_EQ(registers[0].value, 3);
    EXPECT_FALSE(registers[1].read);
}

TEST_F(ReportCore, TheHtmlIsOneFileWithNothingFetchedAndItsTextEscaped)
{
    unit.refused = {2011};
    Report report;
    build({}, report); // no categories chosen: an empty list, still a document
    EXPECT_TRUE(report.registers.empty());
    build({{2000, 2299}, {3600, 3899}}, report);
    report.note = "<script>alert(1)</script>";
    const std::string html = ReportHtml::Render(report);
    for (const char* external : {"http:", "https:", "src=", "<link", "<script", "url(", "@import", "href="})
        EXPECT_EQ(html.find(external), std::string::npos) << external;
    EXPECT_NE(html.find("&lt;script&gt;"), std::string::npos);
    EXPECT_NE(html.find("Ann &quot;Quote&quot; &lt;Tech&gt;"), std::string::npos);
    EXPECT_NE(html.find("@media print"), std::string::npos);
    EXPECT_NE(html.find("<thead>"), std::string::npos);
    EXPECT_NE(html.find("<h2>Room Climate</h2>"), std::string::npos);
    EXPECT_NE(html.find("1 register could not be read from the unit: 2011"), std::string::npos);
}

TEST_F(ReportCore, AUnitFallingSilentLeavesTheRestNamedUnread)
{
    unit.silentFrom = 2020;
    Report report;
    EXPECT_EQ(build({{2000, 2299}, {3600, 3899}}, report), Result::LinkLost);
    ASSERT_FALSE(report.registers.empty());
    EXPECT_TRUE(row(report, 2009)->read);
    EXPECT_FALSE(report.registers.back().read) << "never left out silently";
}

TEST_F(ReportCore, TheImportNotesEachWriteInTheJournal)
{
    CChangeJournal::Instance().clear();
    catalogue.Holding(2009).value = 1;
    unit.refused = {2012};
    CConfigImport job(catalogue, unit, progress);
    const std::string text = "Orvelant 4000 Export\r\nAddr: 2009; Val: 3;\r\nAddr: 2012; Val: 40;\r\n";
    job.run(std::vector<uint8_t>(text.begin(), text.end()), ConfigFile::Format::Csv);
    const std::vector<JournalEntry> noted = CChangeJournal::Instance().entries();
    ASSERT_GE(noted.size(), 2u);
    EXPECT_EQ(noted[0].address, 2009);
    EXPECT_EQ(noted[0].before, 1);
    EXPECT_EQ(noted[0].after, 3);
    EXPECT_EQ(noted[0].result, 0);
    EXPECT_EQ(noted[1].address, 2012);
    EXPECT_EQ(noted[1].result, 17);
    CChangeJournal::Instance().clear();
}

TEST(ReportClock, LocalTimeCarriesItsOffset)
{
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 4;
    t.tm_mday = 4;
    t.tm_hour = 9;
    t.tm_min = 30;
    const struct
    {
        long offset;
        const char* iso;
    } rows[] = {{7200, "2026-05-04T09:30:00+02:00"}, {0, "2026-05-04T09:30:00+00:00"},
                {-12600, "2026-05-04T09:30:00-03:30"}};
    for (const auto& r : rows)
        EXPECT_EQ(ReportClock::Iso8601(t, r.offset), r.iso);
    EXPECT_EQ(ReportClock::Readable("2026-05-04T09:30:00+02:00"), "2026-05-04 09:30 (UTC+02:00)");
    EXPECT_EQ(ReportClock::Iso8601(std::time_t{0}).size(), 25u);
}

TEST(ReportFile, KindIsTheExtensionInAnyCase)
{
    EXPECT_EQ(ReportFile::Kind("a.HTML"), ".html");
    EXPECT_EQ(ReportFile::Kind("dir.x/a.pdf"), ".pdf");
    EXPECT_EQ(ReportFile::Kind("a.json"), ".json");
    EXPECT_EQ(ReportFile::Kind("a.csv"), "");
    EXPECT_EQ(ReportFile::Kind("html"), "");
}
