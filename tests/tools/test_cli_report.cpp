// tavemo-cli report as a program against the simulator: the JSON holds what
// the unit holds, the HTML and the PDF show the identity and every
// register's shown value, refused registers are named in the file and on
// standard error with exit 1, the PIN never appears, and the command line.
#include "model/RegisterCatalogue.h"
#include "pages/core/PageValues.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"
#include "tools/report/ReportHtml.h"
#include "tools/report/ReportJson.h"

#include <gtest/gtest.h>

#include <fstream>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <filesystem>
#include <map>
#include <sstream>

using testsupport::ReadFile;
using testsupport::RunCli;
using testsupport::SimProcess;
using testsupport::TempDir;

namespace {

// A unit set away from its defaults, with a PIN.
const std::vector<std::string> kUnit = {"--pin", "2008", "--holding", "2009=1", "--holding", "2012=30",
                                        "--firmware", "1042"};

std::map<unsigned, unsigned> ExportValues(const std::string& csv)
{
    std::map<unsigned, unsigned> values;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
        unsigned a = 0, v = 0;
        if (std::sscanf(line.c_str(), "Addr: %u; Val: %u;", &a, &v) == 2)
            values[a] = v;
    }
    return values;
}

// pdftotext's text of a PDF; nullopt when the program is not installed.
std::optional<std::string> PdfText(const std::string& pdf)
{
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        return std::nullopt;
    const std::string txt = pdf + ".txt";
    if (std::system(("pdftotext -layout '" + pdf + "' '" + txt + "'").c_str()) != 0)
        return std::string();
    // The typesetter joins "ff", "fi", "fl" into one glyph; a reader sees the letters.
    std::string text = ReadFile(txt);
    const std::pair<const char*, const char*> ligatures[] = {
        {"\uFB00", "ff"}, {"\uFB01", "fi"}, {"\uFB02", "fl"}, {"\uFB03", "ffi"}, {"\uFB04", "ffl"}};
    for (const auto& [glyph, letters] : ligatures)
        for (std::size_t at; (at = text.find(glyph)) != std::string::npos;)
            text.replace(at, std::strlen(glyph), letters);
    return text;
}

} // namespace

TEST(CliReport, TheJsonHoldsWhatTheUnitHoldsForEveryExportableRegister)
{
    SimProcess unit(kUnit);
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string json = (dir.path() / "unit.json").string(), csv = (dir.path() / "unit.csv").string();
    const auto r = RunCli({"--port", unit.name(), "--pin", "2008", "report", "--technician", "Ann Tech", json});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(RunCli({"--port", unit.name(), "--pin", "2008", "export", csv}).status, 0);
    const std::map<unsigned, unsigned> held = ExportValues(ReadFile(csv));
    ASSERT_GT(held.size(), 600u);

    const std::string text = ReadFile(json);
    std::vector<ReportJson::StoredRegister> registers;
    std::string problem;
    ASSERT_EQ(ReportJson::Parse(text, registers, &problem), 0) << problem;
    ASSERT_EQ(registers.size(), held.size()) << "every exportable register, no other";
    for (const auto& g : registers) {
        ASSERT_TRUE(held.count(g.address)) << g.address;
        if (g.address == Reg::Pin) {
            EXPECT_FALSE(g.read) << "the PIN carries no value";
            continue;
        }
        EXPECT_TRUE(g.read) << g.address;
        EXPECT_EQ(g.value, held.at(g.address)) << g.address;
    }
    EXPECT_NE(text.find("\"firmware\": 1042"), std::string::npos);
    EXPECT_NE(text.find("\"technician\": \"Ann Tech\""), std::string::npos);
    EXPECT_NE(text.find("\"shown\": \"set\""), std::string::npos);
    // The PIN is 2008 too: that number appears only as the register's address.
    std::size_t pins = 0;
    for (std::size_t at = text.find("2008"); at != std::string::npos; at = text.find("2008", at + 1))
        ++pins;
    EXPECT_EQ(pins, 1u);
    EXPECT_NE(text.find("{\"address\": 2008,"), std::string::npos);
}

// What changed on a unit since it was handed over: diff against its report.
TEST(CliReport, DiffComparesAUnitWithItsReport)
{
    SimProcess unit(kUnit);
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string json = (dir.path() / "unit-2.14.json").string();
    ASSERT_EQ(RunCli({"--port", unit.name(), "--pin", "2008", "report", "--categories", "common", json}).status, 0);
    auto r = RunCli({"--port", unit.name(), "--pin", "2008", "diff", json});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");

    ASSERT_EQ(RunCli({"--port", unit.name(), "--pin", "2008", "write", "2011=17"}).status, 0);
    r = RunCli({"--port", unit.name(), "--pin", "2008", "diff", json});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.rfind("2011 ", 0), 0u) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line: " << r.out;
    EXPECT_NE(r.out.find(": 17 -> "), std::string::npos) << "the unit, then the report: " << r.out;

    // A JSON that is no report is trouble.
    std::ofstream(dir.path() / "other.json") << "{\"format\": \"something\"}";
    r = RunCli({"diff", (dir.path() / "other.json").string(), json});
    EXPECT_EQ(r.status, 2);
}

TEST(CliReport, TheHtmlAndThePdfShowTheIdentityAndEachRegistersShownValue)
{
    SimProcess unit(kUnit);
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string html = (dir.path() / "unit.html").string(), pdf = (dir.path() / "unit.pdf").string(),
                      json = (dir.path() / "unit.json").string();
    const std::vector<std::string> common = {"--port", unit.name(), "--pin", "2008", "report", "--categories",
                                             "common,room-climate", "--note", "Handover 2nd floor"};
    for (const std::string& file : {html, pdf, json}) {
        std::vector<std::string> args = common;
        args.push_back(file);
        const auto r = RunCli(args, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
        ASSERT_EQ(r.status, 0) << file << ": " << r.err;
    }
    // The names and shown values the JSON gives are what both documents show.
    std::vector<std::pair<std::string, std::string>> rows;
    {
        const std::string text = ReadFile(json);
        std::size_t at = 0;
        while ((at = text.find("{\"address\": ", at)) != std::string::npos) {
            auto field = [&](const std::string& key) {
                const std::size_t s = text.find("\"" + key + "\": \"", at) + key.size() + 5;
                return text.substr(s, text.find('"', s) - s);
            };
            rows.emplace_back(field("name"), field("shown"));
            ++at;
        }
    }
    ASSERT_GT(rows.size(), 20u);
    const std::string page = ReadFile(html);
    EXPECT_NE(page.find("Commissioning Report"), std::string::npos);
    EXPECT_NE(page.find("<td>Firmware</td><td>1042</td>"), std::string::npos);
    EXPECT_NE(page.find("Handover 2nd floor"), std::string::npos);
    for (const auto& [name, shown] : rows) {
        const std::string cells = "<td>" + ReportHtml::Escape(name) + "</td><td>" + ReportHtml::Escape(shown) + "</td>";
        EXPECT_NE(page.find(cells), std::string::npos) << cells;
    }

    const std::optional<std::string> text = PdfText(pdf);
    EXPECT_EQ(ReadFile(pdf).rfind("%PDF-", 0), 0u);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed (poppler-utils): the PDF's text is not checked";
    EXPECT_NE(text->find("Commissioning Report"), std::string::npos);
    EXPECT_NE(text->find("1042"), std::string::npos);
    EXPECT_NE(text->find("Page 1 of "), std::string::npos);
    EXPECT_NE(text->find("Technician"), std::string::npos);
    EXPECT_NE(text->find("Client"), std::string::npos);
    // Words of each name and value: the layout may wrap a long cell.
    for (const auto& [name, shown] : rows)
        for (const std::string& s : {name, shown}) {
            std::istringstream words(s);
            for (std::string w; words >> w;)
                EXPECT_NE(text->find(w), std::string::npos) << s << " (" << w << ")";
        }
}

TEST(CliReport, RegistersTheUnitRefusesAreNamedInTheFileAndOnStandardErrorWithExitOne)
{
    SimProcess unit({"--fail-read", "2011", "--fail-read", "3601"});
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string html = (dir.path() / "unit.html").string();
    const auto r = RunCli({"--port", unit.name(), "report", "--categories", "common,room-climate", html});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("2 registers could not be read"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  2011 "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  3601 "), std::string::npos) << r.err;
    const std::string page = ReadFile(html);
    EXPECT_NE(page.find("2 registers could not be read from the unit: 2011 "), std::string::npos);
    EXPECT_NE(page.find(", 3601 "), std::string::npos);
}

TEST(CliReport, TheCommandLineAndThePinAreChecked)
{
    SimProcess unit({"--pin", "2008"});
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string json = (dir.path() / "unit.json").string();
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* says;
    } rows[] = {
        {{"--port", unit.name(), "--pin", "2008", "report", (dir.path() / "unit.txt").string()}, 2,
         "must end in .html, .pdf or .json"},
        {{"--port", unit.name(), "--pin", "2008", "report"}, 2, "report needs a file"},
        {{"--port", unit.name(), "--pin", "2008", "report", "--categories", "walls", json}, 2, "unknown category 'walls'"},
        {{"--port", unit.name(), "--pin", "2008", "report", "--note"}, 2, "--note needs a value"},
        {{"report", json}, 2, "needs --port"},
        {{"--port", unit.name(), "report", json}, 1, "the unit has a PIN"},
    };
    for (const auto& row : rows) {
        const auto r = RunCli(row.args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(json)) << "nothing written without the PIN";
}
