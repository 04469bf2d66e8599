// The custom addressing tables without a unit: the exchange with the unit
// against a scripted link, the files, the list and the view rule.
#include "diag/Result.h"
#include "link/Crc16Modbus.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/rema/CReMaEditor.h"
#include "tools/rema/ReMaFile.h"
#include "tools/rema/ReMaTransfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <fstream>

using namespace ReMa;

namespace {

// A link that records what was sent and answers from a script (an empty
// script answers every command with "OK").
class ScriptedLink : public ILink
{
public:
    int send(const std::string& bytes) override
    {
        sent.push_back(bytes);
        return failSendAt == static_cast<int>(sent.size()) ? sendFailure : 0;
    }
    int receive(std::string& reply) override
    {
        if (replies.empty()) {
            reply = "OK";
            return 2;
        }
        reply = replies.front();
        replies.pop_front();
        if (reply.empty())
            return Result::NoReply;
        return static_cast<int>(reply.size());
    }
    std::vector<std::string> sent;
    std::deque<std::string> replies;
    int failSendAt = 0; // 1 = the first send fails
    int sendFailure = Result::WriteStalled;
};

struct Tables : ::testing::Test
{
    Tables() { catalogue.Build(); }
    RegisterCatalogue catalogue;
    CReMaEditor editor{catalogue};
    testsupport::TempDir dir;

    std::string path(const char* name) const { return (dir.path() / name).string(); }
    void write(const std::string& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    std::vector<uint32_t> shown() const { return {editor.map(), editor.map() + editor.size()}; }
};

std::vector<std::string> LineTexts(const std::vector<CReMaEditor::Line>& lines)
{
    std::vector<std::string> out;
    for (const auto& l : lines)
        out.push_back(l.text);
    return out;
}

} // namespace

TEST(ReMaCrc, CheckValueOverTheNineDigitsIs4B37)
{
    EXPECT_EQ(Crc16Modbus("123456789", 9), 0x4B37);
}

TEST_F(Tables, TheDefaultHoldingMapWritesBeginAndEndAndNoEntryLine)
{
    ScriptedLink link;
    EXPECT_EQ(editor.writeToUnit(link), Result::Ok);
    EXPECT_EQ(link.sent, (std::vector<std::string>{"Cw0\r\n", "Cw2\r\n"}));
}

TEST_F(Tables, RemappingOneAddressAndUnmappingAUsedOneSendsOneLineWithItsCrc)
{
    editor.setAddress(5000);
    editor.chooseRegister(100);
    editor.setAddress(101);
    editor.deleteEntry();
    ScriptedLink link;
    EXPECT_EQ(editor.writeToUnit(link), Result::Ok);
    EXPECT_EQ(link.sent,
              (std::vector<std::string>{"Cw0\r\n", "Cw1 00650000,13880064,6c18\r\n", "Cw2\r\n"}));
    EXPECT_EQ(StatusText(Result::Ok), "Done");
}

TEST_F(Tables, EntryLinesCarryAtMost111EntriesAndTheInputAndCoilLetters)
{
    std::vector<Entry> entries;
    for (uint16_t c = 1; c <= 250; ++c)
        entries.push_back({c, static_cast<uint16_t>(c + 1)});
    const auto lines = EntryLines(1, entries);
    ASSERT_EQ(lines.size(), 3u);
    std::size_t total = 0;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("Cx1 ", 0), 0u);
        std::vector<Entry> back;
        ASSERT_TRUE(ParseEntryLine(line.substr(0, line.size() - 2), back)) << line;
        total += back.size();
    }
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), ','), 111);
    EXPECT_EQ(total, 250u);
    EXPECT_EQ(BeginCommand(2), "Cy0\r\n");
    EXPECT_EQ(EndCommand(2), "Cy2\r\n");
}

TEST_F(Tables, WriteFailuresStopWithTheirOwnStatusTexts)
{
    editor.setAddress(5000);
    editor.chooseRegister(100);
    const struct
    {
        int failSendAt;
        const char* status;
    } rows[] = {{1, "Error: -1"}, {2, "Error: sending data to target"}, {3, "Error: -10"}};
    for (const auto& row : rows) {
        ScriptedLink link;
        link.failSendAt = row.failSendAt;
        EXPECT_EQ(StatusText(editor.writeToUnit(link)), row.status);
        EXPECT_EQ(link.sent.size(), static_cast<std::size_t>(row.failSendAt));
    }
    ScriptedLink silent;
    silent.replies = {"ok", ""};
    EXPECT_EQ(StatusText(editor.writeToUnit(silent)), "Error: reading response from target");

    // A port that is gone ends the write (and a read) named as such, at any step.
    for (int at : {1, 2, 3}) {
        ScriptedLink gone;
        gone.failSendAt = at;
        gone.sendFailure = Result::PortGone;
        EXPECT_EQ(editor.writeToUnit(gone), Result::PortGone) << at;
        EXPECT_EQ(gone.sent.size(), static_cast<std::size_t>(at));
    }
    ScriptedLink gone;
    gone.failSendAt = 1;
    gone.sendFailure = Result::PortGone;
    std::vector<uint32_t> read;
    EXPECT_EQ(ReadTable(gone, catalogue, 0, read), Result::PortGone);
}

TEST_F(Tables, TwoHundredFiftyEntriesAreFetchedInThreeChunks)
{
    std::vector<Entry> all;
    for (uint16_t c = 0; c < 250; ++c)
        all.push_back({static_cast<uint16_t>(5000 + c), 100});
    ScriptedLink link;
    link.replies = {"C R 250\r\n", ChunkReply({all.begin(), all.begin() + 100}),
                    ChunkReply({all.begin() + 100, all.begin() + 200}), ChunkReply({all.begin() + 200, all.end()})};
    ASSERT_EQ(editor.readFromUnit(link), Result::Ok);
    EXPECT_EQ(link.sent, (std::vector<std::string>{"Cr\r\n", "Cr0 100\r\n", "Cr100 100\r\n", "Cr200 50\r\n"}));
    EXPECT_EQ(MappedOf(editor.map()[5249]), 100);
    EXPECT_EQ(MappedOf(editor.map()[100]), 100); // the default mapping under the unit's entries
}

TEST_F(Tables, AReadThatFailsLeavesTheShownMapAsItWas)
{
    editor.setAddress(6000);
    editor.chooseRegister(100);
    const std::vector<uint32_t> before = shown();
    std::vector<Entry> all;
    for (uint16_t c = 0; c < 250; ++c)
        all.push_back({static_cast<uint16_t>(5000 + c), 101});
    std::string damaged = ChunkReply({all.begin() + 200, all.end()});
    damaged.back() = damaged.back() == '0' ? '1' : '0';
    const struct
    {
        std::deque<std::string> replies;
        const char* status;
    } rows[] = {
        {{"C R 250", ChunkReply({all.begin(), all.begin() + 100}), ChunkReply({all.begin() + 100, all.begin() + 200}),
          damaged},
         "Error: -12"},
        {{"C R 250", ChunkReply({all.begin(), all.begin() + 100}), "C D 0065"}, "Error: -13"},
        {{"C R 250", ""}, "Error: -11"},
        {{"nothing counted"}, "Error: -3"},
        {{""}, "Error: -2"},
    };
    for (const auto& row : rows) {
        ScriptedLink link;
        link.replies = row.replies;
        EXPECT_EQ(StatusText(editor.readFromUnit(link)), row.status);
        EXPECT_EQ(shown(), before) << row.status;
    }
}

TEST_F(Tables, ChunkRepliesIgnoreLineBreaksAndDropUnknownRegistersAndForeignAddresses)
{
    std::string reply = ChunkReply({{5000, 100}, {5001, 9998}, {20000, 100}});
    reply.insert(10, "\r\n");
    ScriptedLink link;
    link.replies = {"x C R 3", reply};
    ASSERT_EQ(editor.readFromUnit(link), Result::Ok);
    EXPECT_EQ(MappedOf(editor.map()[5000]), 100);
    EXPECT_EQ(MappedOf(editor.map()[5001]), kUnmapped); // 9998 is no register of this unit
    EXPECT_EQ(ParseEntryCount("C I 7", 1), 7);
    EXPECT_EQ(ParseEntryCount("C R 7", 1), -1);
}

TEST_F(Tables, AnAnnouncedEmptyTableGivesTheDefaultMapping)
{
    editor.setAddress(6000);
    editor.chooseRegister(100);
    ScriptedLink link;
    link.replies = {"C R 0"};
    ASSERT_EQ(editor.readFromUnit(link), Result::Ok);
    EXPECT_EQ(shown(), DefaultMap(catalogue, 0));
    EXPECT_EQ(link.sent.size(), 1u);
}

TEST_F(Tables, AHexadecimalTextLineMapsItsAddress)
{
    write(path("hex.csv"), "ReMa Holding\r\nFav: 0x0064; Addr: 0x0065; Des: x\r\n");
    ASSERT_EQ(editor.importFile(path("hex.csv")).code, Result::Ok);
    EXPECT_EQ(MappedOf(editor.map()[100]), 101);
    EXPECT_EQ(MappedOf(editor.map()[101]), kUnmapped); // not in the file
}

TEST_F(Tables, AFailedImportLeavesTheShownMapAndSaysWhy)
{
    editor.setAddress(6000);
    editor.chooseRegister(100);
    const std::vector<uint32_t> before = shown();
    write(path("input.csv"), "ReMa Input\r\nFav: 5; Addr: 5; Des: x\r\n");
    write(path("bad.csv"), "ReMa Holding\r\nFav: 100; Addr: 101; Des: x\r\nFav 7 Addr 8\r\n");
    write(path("short.bin"), std::string("ReMa Holding\r\n\x64\x00\x65", 17));
    const struct
    {
        std::string file;
        const char* said;
    } rows[] = {
        {path("input.csv"), "holds no table of this kind (wrong header)"},
        {path("bad.csv"), "line 3 of "},
        {path("short.bin"), "ends inside an entry"},
        {path("missing.csv"), "Error: cannot open "},
    };
    for (const auto& row : rows) {
        const ImportResult r = editor.importFile(row.file);
        EXPECT_NE(r.code, Result::Ok);
        EXPECT_NE(FileErrorText(r, row.file).find(row.said), std::string::npos) << FileErrorText(r, row.file);
        EXPECT_EQ(shown(), before) << row.file;
    }
}

TEST_F(Tables, FilesRoundTripInBothFormatsAlsoForAddressesThatLookLikeWhiteSpace)
{
    // 32 starts with the byte of a blank, 10 with a line feed.
    for (uint16_t c : {32, 10, 9, 6000}) {
        editor.setAddress(c);
        editor.chooseRegister(102);
    }
    const std::vector<uint32_t> saved = shown();
    for (const char* name : {"t.csv", "t.BIN"}) {
        ASSERT_EQ(editor.exportFile(path(name)), Result::Ok);
        editor.defaultList();
        ASSERT_EQ(editor.importFile(path(name)).code, Result::Ok) << name;
        // Unmapped words and unused default entries carry no entry in a file.
        for (int c = 1; c < editor.size(); ++c) {
            if (MappedOf(saved[c]) != kUnmapped) {
                EXPECT_EQ(editor.map()[c], saved[c]) << name << " " << c;
            }
        }
    }
    EXPECT_EQ(testsupport::ReadFile(dir.path() / "t.csv").substr(0, 55),
              "ReMa Holding\r\nFav: 9; Addr: 102; Des: CO2 Sensor 1 Int.");
}

TEST_F(Tables, TheInputExportShowsAtMostFourPercentBeforeItsEnd)
{
    editor.setSelector(1);
    std::vector<int> seen;
    ASSERT_EQ(editor.exportFile(path("in.csv"), [&](int p) { seen.push_back(p); }), Result::Ok);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_EQ(*std::max_element(seen.begin(), seen.end() - 1), 4);
    EXPECT_EQ(testsupport::ReadFile(dir.path() / "in.csv").rfind("ReMa Input\r\nFav: 1; Addr: 1;", 0), 0u);
}

TEST_F(Tables, TheBacnetHoldingViewHidesDateTimePartsInnerTextRegistersAndEventMinutes)
{
    editor.setUnit(2050, kProtocolBacnet);
    const auto lines = LineTexts(editor.lines(CReMaEditor::SortOrder::ByCustomizedAddress));
    const auto listed = [&](int c) {
        return std::any_of(lines.begin(), lines.end(),
                           [c](const std::string& l) { return l.rfind(std::to_string(c) + "\t", 0) == 0; });
    };
    for (int hidden : {2019, 2023, 2301, 2311, 7043})
        EXPECT_FALSE(listed(hidden)) << hidden;
    for (int shownHere : {2018, 2024, 2300, 7042})
        EXPECT_TRUE(listed(shownHere)) << shownHere;
    EXPECT_EQ(catalogue.Holding(7042).name, "Event Time");
    EXPECT_EQ(catalogue.Holding(2300).name.find("Label  1"), std::string::npos);
    EXPECT_NE(catalogue.Holding(2300).name.find("Label"), std::string::npos);

    ASSERT_EQ(editor.exportFile(path("bn.csv")), Result::Ok);
    const std::string file = testsupport::ReadFile(dir.path() / "bn.csv");
    EXPECT_EQ(file.rfind("ReMa BN AV CSV\r\n", 0), 0u);
    for (const char* gone : {"Fav: 2019;", "Fav: 2023;", "Fav: 2301;", "Fav: 2311;"})
        EXPECT_EQ(file.find(gone), std::string::npos) << gone;
    EXPECT_NE(file.find("Fav: 2300;"), std::string::npos);
    EXPECT_NE(file.find("Fav: 7043;"), std::string::npos); // listed no, exported yes
}

TEST_F(Tables, TheModbusViewHidesNothingAndNamesTheEventHour)
{
    const auto lines = LineTexts(editor.lines(CReMaEditor::SortOrder::ByCustomizedAddress));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "7042\tConfig Time Programs (7000 - 7999)\t7042 - Event Hour"),
              lines.end());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("2019\t", 0) == 0; }));
}

TEST_F(Tables, ListLinesFollowBothSortOrders)
{
    editor.setAddress(5000);
    editor.chooseRegister(100);
    const auto byC = LineTexts(editor.lines(CReMaEditor::SortOrder::ByCustomizedAddress));
    const auto byD = LineTexts(editor.lines(CReMaEditor::SortOrder::ByDefaultAddress));
    const std::string moved = "5000\tData Sensors (100 - 399)\t100 - Temp Sensor 1 Int.";
    ASSERT_GE(byC.size(), 3u);
    EXPECT_EQ(byC.front(), "100\tData Sensors (100 - 399)\t100 - Temp Sensor 1 Int.");
    const auto at = std::find(byC.begin(), byC.end(), moved);
    ASSERT_NE(at, byC.end());
    const auto lines = editor.lines(CReMaEditor::SortOrder::ByCustomizedAddress);
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(),
                               [](const auto& a, const auto& b) { return a.address < b.address; }));
    EXPECT_EQ(byD[0], byC.front());
    EXPECT_EQ(byD[1], moved); // by register, then by address
    EXPECT_EQ(byC.size(), byD.size());
}

TEST_F(Tables, EditingActionsSetTheEditedWord)
{
    editor.setAddress(101);
    editor.chooseRegister(102);
    EXPECT_EQ(editor.map()[101], Word(102, 101));
    EXPECT_EQ(editor.shownCategory(), 1);
    editor.chooseRegister(kUnmapped); // the "Empty" category's item "0"
    EXPECT_EQ(editor.map()[101], Word(kUnmapped, 101));
    editor.defaultOnEntry();
    EXPECT_EQ(editor.map()[101], Word(101, 101));
    editor.setAddress(99); // no register of its own
    editor.defaultOnEntry();
    EXPECT_EQ(editor.map()[99], Word(kUnmapped, 99));
    editor.setAddress(20000);
    EXPECT_EQ(editor.address(), 9999);
    editor.setSelector(2);
    EXPECT_EQ(editor.address(), 1);
    editor.setAddress(0);
    EXPECT_EQ(editor.address(), 1);
    editor.setAddress(400);
    EXPECT_EQ(editor.address(), 399);
}

TEST_F(Tables, CategoriesFollowTheDeviceTypeAndTheLastRangeWins)
{
    EXPECT_EQ(Categories(0, 1000).size(), 14u);
    EXPECT_EQ(Categories(0, 2050).size(), 16u);
    const auto coil = Categories(2, 2050);
    EXPECT_EQ(coil[0].text, "Empty");
    EXPECT_EQ(coil[CategoryOf(coil, 200)].text, "Data Room Climate (196 - 214)");
    EXPECT_EQ(coil[CategoryOf(coil, 160)].data(), (156u << 16) | 195u);
    EXPECT_EQ(CategoryOf(Categories(2, 1000), 160), -1);
    EXPECT_EQ(CategoryOf(Categories(1, 1000), 9), 3); // "Data Room Climate (8 - 10)"
}

TEST_F(Tables, TheRegisterComboListsTheCategoryAndEmptyStandsForNoRegister)
{
    editor.setUnit(2050, kProtocolModbus);
    const auto empty = editor.registerItems(0);
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].text, "0");
    EXPECT_EQ(empty[0].address, kUnmapped);
    const auto sensors = editor.registerItems(1);
    EXPECT_EQ(sensors.size(), 300u);
    EXPECT_EQ(sensors[0].text, "100 - Temp Sensor 1 Int.");
    editor.setAddress(100);
    EXPECT_EQ(editor.shownRegisterItem(sensors), 0);
}

TEST_F(Tables, TextBlocksAgreeWithTheCatalogue)
{
    for (uint32_t a = 2300; a < 5500; ++a) {
        if (TextBlockPart(a) != 0) {
            EXPECT_EQ(catalogue.Holding(static_cast<uint16_t>(a)).textPart, TextBlockPart(a)) << a;
        }
    }
    EXPECT_EQ(TextBlockPart(3750), 1);
    EXPECT_EQ(TextBlockPart(3761), 3);
    EXPECT_EQ(TextBlockPart(3762), 0);
}

TEST(ReMaNames, TitlesHeadersAndFileNamesFollowTheProtocol)
{
    EXPECT_EQ(HeaderText(0, 1), "ReMa BN AV CSV");
    EXPECT_EQ(DefaultFileName(2, 1), "export_rema_bn_bi_bv.csv");
    EXPECT_EQ(ExportDialogTitle(1, 0), "Export ReMa Input File");
    EXPECT_EQ(ExportProgressTitle(2, 1), "Export ReMa BN BI BV");
    EXPECT_EQ(ImportProgressTitle(0, 0), "Import Favorites Holding");
    EXPECT_EQ(ImportProgressTitle(1, 1), "Import ReMa BN AI File");
    EXPECT_EQ(SelectorText(0, 1), std::string("BN AV IV CSV TIME DATETIME"));
    EXPECT_EQ(FormatOfName("a.Bin"), FileFormat::Binary);
    EXPECT_EQ(FormatOfName("a.txt"), FileFormat::Text);
}

// A unit refuses a line it cannot take; the tool must not pass longer ones.
TEST(ReMaEntryLine, LinesOfMoreThan111EntriesAreRefused)
{
    for (const std::size_t count : {std::size_t{1}, std::size_t{111}, std::size_t{112}, std::size_t{141}}) {
        std::string body;
        for (std::size_t i = 0; i < count; ++i) {
            char entry[40];
            std::snprintf(entry, sizeof entry, "%04zx%04zx,", i + 1, i + 2);
            body += entry;
        }
        char crc[8];
        std::snprintf(crc, sizeof crc, "%04x", Crc16Modbus(body.data(), body.size()));
        std::vector<Entry> entries;
        EXPECT_EQ(ParseEntryLine("Cw1 " + body + crc, entries), count <= kMaxLineEntries) << count;
    }
}

// A refusal ("ERROR") from the unit stops the write where it came, and
// never with the end command after a refused line: the unit keeps its table.
TEST_F(Tables, RefusedAnswersStopTheWriteBeforeTheEndCommand)
{
    editor.setAddress(5000);
    editor.chooseRegister(100);
    const struct
    {
        std::deque<std::string> replies;
        int code;
        std::size_t sent;
    } rows[] = {
        {{"C W 0 ERROR busy"}, Result::RemaBeginRefused, 1},
        {{"C W 0 OK", "C W 1 ERROR crc"}, Result::RemaLineRefused, 2},
        {{"C W 0 OK", "C W 1 OK", "C W 2 error not begun"}, Result::RemaEndRefused, 3},
        {{"C W 0 OK", "C W 1 OK", "C W 2 OK"}, Result::Ok, 3},
    };
    for (const auto& row : rows) {
        ScriptedLink link;
        link.replies = row.replies;
        EXPECT_EQ(editor.writeToUnit(link), row.code) << row.replies.back();
        EXPECT_EQ(link.sent.size(), row.sent) << row.replies.back();
    }
}

// Without the registers that identify and unlock it the tool could never
// reach the unit again: such a table is not sent at all.
TEST_F(Tables, ATableThatMovesTheIdentityRegistersIsNeverSent)
{
    editor.setAddress(2008);
    editor.deleteEntry();
    EXPECT_EQ(IdentityRegistersMoved(catalogue, 0, editor.map()), std::vector<uint16_t>{2008});
    ScriptedLink link;
    EXPECT_EQ(editor.writeToUnit(link), Result::RemaTakesIdentity);
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(RemovedAddresses(catalogue, 0, editor.map()), std::vector<uint16_t>{2008});
    editor.defaultOnEntry();
    EXPECT_TRUE(IdentityRegistersMoved(catalogue, 0, editor.map()).empty());
    EXPECT_TRUE(RemovedAddresses(catalogue, 0, editor.map()).empty());
}

// What a file cannot name (the BACnet view's date-time parts and inner text
// registers) keeps its register on import, so a table saved and loaded
// unchanged sends no entry.
TEST_F(Tables, RegistersNoFileCanNameKeepTheirPlaceOnImport)
{
    editor.setUnit(2050, kProtocolBacnet);
    for (const char* name : {"bn.csv", "bn.bin"}) {
        SCOPED_TRACE(name);
        const auto before = shown();
        ASSERT_EQ(editor.exportFile(path(name)), Result::Ok);
        ASSERT_EQ(editor.importFile(path(name)).code, Result::Ok);
        EXPECT_EQ(shown(), before);
        EXPECT_TRUE(DifferingEntries(catalogue, 0, editor.map()).empty());
    }
    // A register the file could name but leaves out is taken away.
    write(path("short.csv"), "ReMa BN AV CSV\r\nFav: 2300; Addr: 2300; Des: x\r\n");
    ASSERT_EQ(editor.importFile(path("short.csv")).code, Result::Ok);
    EXPECT_EQ(MappedOf(editor.map()[2019]), 2019) << "a date-time part stays";
    EXPECT_EQ(MappedOf(editor.map()[2018]), kUnmapped) << "a nameable register not in the file goes";
}
