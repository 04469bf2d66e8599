// The Modbus and BACnet test pages in the real main window, offscreen,
// against tavemo-unitsim: what the unit received, what the fields show, the
// entry filters as typed, the test log across both pages, the names
// assistive tools reach each control by, and "Open Test Log".
#include "app/CTavemoConfigurationToolDlg.h"
#include "diag/LogFileSink.h"
#include "diag/Result.h"
#include "tests/support/PagesOnUnit.h"
#include "tools/bustest/BusTestText.h"
#include "tools/ui/CTabBACNet.h"
#include "tools/ui/CTabModbus.h"
#include "tools/ui/TestLogViewer.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>

#include <fstream>
#include <sstream>

namespace {

// Takes the URLs the desktop would be asked to show.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// The names of every control reachable from a widget through the
// accessibility interface, one entry per control.
void CollectNames(QAccessibleInterface* ai, QStringList& names)
{
    if (!ai)
        return;
    for (int i = 0; i < ai->childCount(); ++i) {
        QAccessibleInterface* child = ai->child(i);
        if (!child)
            continue;
        const QAccessible::Role role = child->role();
        if (role == QAccessible::EditableText || role == QAccessible::PushButton || role == QAccessible::CheckBox)
            names << child->text(QAccessible::Name);
        CollectNames(child, names);
    }
}

} // namespace

class TestPagesOnUnit : public pagetest::PagesOnUnit
{
protected:
    // Each test picks its unit; the window stays connected to it for the
    // next test that wants the same.
    void SetUp() override { ASSERT_TRUE(s_window && s_window->isStarted()); }

    static std::vector<std::string> Options(const char* deviceType, const char* protocol)
    {
        return {"--device-type", deviceType, "--pin", kPin, "--protocol", protocol};
    }
    void useUnit(const std::vector<std::string>& options)
    {
        if (s_sim && s_unit == options && !window->comInterface()->demoMode() && allTabsEnabled())
            return;
        s_unit.clear();
        connect(options);
        s_unit = options;
    }
    void modbusUnit() { useUnit(Options("2050", "0")); }
    void bacnetUnit() { useUnit(Options("2050", "1")); }

    CTabModbus* modbusPage()
    {
        show("Modbus");
        return qobject_cast<CTabModbus*>(window->page(PageId::Modbus));
    }
    CTabBACNet* bacnetPage()
    {
        show("BACnet");
        return qobject_cast<CTabBACNet*>(window->page(PageId::BACnet));
    }

    // Types into a field as the user does, key by key, after selecting what it holds.
    static void typeInto(QLineEdit* field, const char* typed)
    {
        ASSERT_NE(field, nullptr);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromUtf8(typed));
    }
    static void press(CBusTestPage* page, const char* name)
    {
        QPushButton* button = page->button(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
    static std::string shown(CBusTestPage* page, const char* name)
    {
        QLineEdit* field = page->field(QString::fromLatin1(name));
        return field ? field->text().toStdString() : "(no field " + std::string(name) + ")";
    }
    std::string status() const { return window->statusText().toStdString(); }

    static inline std::vector<std::string> s_unit;
};

// ---- Modbus ------------------------------------------------------------------------

TEST_F(TestPagesOnUnit, ModbusHoldingReadOfA1000UnitShowsItsDeviceTypeThreeWays)
{
    useUnit(Options("1000", "0"));
    CTabModbus* page = modbusPage();
    typeInto(page->field("Holding Address"), "2000");
    const std::size_t from = mark();
    press(page, "Holding Read");
    EXPECT_EQ(shown(page, "Holding Value (in)"), "1000 / 1000u / x03E8");
    EXPECT_EQ(status(), "Done.");
    EXPECT_TRUE(has(received(from), "Mr2000"));
}

struct ModbusReadRow
{
    const char* name;
    const char* addressField;
    const char* address;
    const char* button;
    const char* resultField;
    const char* shown;
    const char* status;
    const char* command;
};

TEST_F(TestPagesOnUnit, ModbusReadsShowWhatTheUnitHoldsOrDashesWhenItRefuses)
{
    modbusUnit();
    CTabModbus* page = modbusPage();
    const ModbusReadRow rows[] = {
        // The roller shutter's position is unknown: the unit holds 0xFFFF there.
        {"word 65535", "Holding Address", "731", "Holding Read", "Holding Value (in)", "-1 / 65535u / xFFFF",
         "Done.", "Mr731"},
        {"no such holding", "Holding Address", "9999", "Holding Read", "Holding Value (in)", "---", "Error: -10",
         "Mr9999"},
        {"room temperature", "Input Address", "1", "Input Read", "Input Value (in)", "215 / 215u / x00D7", "Done.",
         "Mi1"},
        {"outside temperature", "Input Address", "15", "Input Read", "Input Value (in)", "-45 / 65491u / xFFD3",
         "Done.", "Mi15"},
        {"no such input", "Input Address", "99", "Input Read", "Input Value (in)", "---", nullptr, "Mi99"},
        {"lock off", "Coil Address", "12", "Coil Read", "Coil Value (in)", "false", "Done.", "Mc12"},
        {"icon enabled", "Coil Address", "210", "Coil Read", "Coil Value (in)", "true", "Done.", "Mc210"},
    };
    for (const ModbusReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        typeInto(page->field(row.addressField), row.address);
        const std::size_t from = mark();
        press(page, row.button);
        EXPECT_EQ(shown(page, row.resultField), row.shown);
        if (row.status)
            EXPECT_EQ(status(), row.status);
        else // a single read the unit refused: the length of its reply line
            EXPECT_EQ(status().rfind("Error: ", 0), 0u) << status();
        EXPECT_TRUE(has(received(from), row.command));
    }
}

TEST_F(TestPagesOnUnit, ModbusHoldingWriteBypassesTheCatalogueAndTheUnitDecides)
{
    modbusUnit();
    CTabModbus* page = modbusPage();
    typeInto(page->field("Holding Address"), "400");
    page->field("Holding Value (in)")->setText("kept");
    const uint16_t stored = catalogue.Holding(400).value;

    typeInto(page->field("Holding Value (out)"), "230");
    std::size_t from = mark();
    press(page, "Holding Write");
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw400 230"});
    EXPECT_EQ(status(), "Done.");
    EXPECT_EQ(shown(page, "Holding Value (in)"), "kept") << "a write leaves the result field";

    // Outside the limits of 400 (0..1220): sent as typed, refused by the unit.
    for (const auto& [typed, sent] : {std::pair{"9999", "Mw400 9999"}, std::pair{"-1", "Mw400 65535"}}) {
        typeInto(page->field("Holding Value (out)"), typed);
        from = mark();
        press(page, "Holding Write");
        EXPECT_EQ(writes(from), std::vector<std::string>{sent});
        const int code = std::atoi(status().c_str() + std::strlen("Error: "));
        EXPECT_EQ(status().rfind("Error: ", 0), 0u) << status();
        EXPECT_GT(code, 0) << "the unit's refusal, not a range check of the tool";
    }
    EXPECT_EQ(catalogue.Holding(400).value, stored) << "the test page touches no stored value";

    press(page, "Holding Read");
    EXPECT_EQ(shown(page, "Holding Value (in)"), "230 / 230u / x00E6");
}

TEST_F(TestPagesOnUnit, ModbusCoilWriteSendsTheActiveBoxAndReadsBack)
{
    modbusUnit();
    CTabModbus* page = modbusPage();
    typeInto(page->field("Coil Address"), "12");
    QCheckBox* active = page->check("Coil Active");
    ASSERT_NE(active, nullptr);
    for (const bool on : {true, false}) {
        active->setChecked(on);
        const std::size_t from = mark();
        press(page, "Coil Write");
        press(page, "Coil Read");
        EXPECT_TRUE(has(received(from), on ? "Mx12 1" : "Mx12 0"));
        EXPECT_EQ(shown(page, "Coil Value (in)"), on ? "true" : "false");
        EXPECT_EQ(status(), "Done.");
    }
}

TEST_F(TestPagesOnUnit, ModbusFieldsFilterWhatIsTypedAtOnce)
{
    modbusUnit();
    CTabModbus* page = modbusPage();
    const struct
    {
        const char* field;
        const char* typed;
        const char* kept;
    } rows[] = {
        {"Holding Value (out)", "12ab3", "123"},
        {"Holding Value (out)", "-4x-5", "-45"},
        {"Holding Value (out)", "7-", "7"},
        {"Holding Address", "-2a0", "20"},
        {"Coil Address", "1.2", "12"},
    };
    for (const auto& row : rows) {
        typeInto(page->field(row.field), row.typed);
        EXPECT_EQ(shown(page, row.field), row.kept) << row.field << " typed " << row.typed;
    }
    // Pasted text goes through the same filter.
    page->field("Holding Value (out)")->setText("-1-2a");
    EXPECT_EQ(shown(page, "Holding Value (out)"), "-12");
}

TEST_F(TestPagesOnUnit, ModbusNumbersBeyondSixteenBitsAreNotSent)
{
    modbusUnit();
    CTabModbus* page = modbusPage();
    typeInto(page->field("Holding Address"), "70000");
    typeInto(page->field("Holding Value (out)"), "1");
    std::size_t from = mark();
    press(page, "Holding Write");
    EXPECT_EQ(status(), StatusLineText(Result::BeyondSixteenBits));
    EXPECT_TRUE(received(from).empty()) << "register 4464 would have been written";

    typeInto(page->field("Holding Address"), "400");
    typeInto(page->field("Holding Value (out)"), "65536");
    from = mark();
    press(page, "Holding Write");
    EXPECT_EQ(status(), StatusLineText(Result::BeyondSixteenBits));
    EXPECT_TRUE(received(from).empty());
}

TEST_F(TestPagesOnUnit, EveryModbusControlIsReachedByItsRowAndColumn)
{
    modbusUnit();
    QStringList names;
    CollectNames(QAccessible::queryAccessibleInterface(modbusPage()), names);
    const QStringList modbus = {"Holding Address", "Holding Value (out)", "Holding Write", "Holding Read",
                                "Holding Value (in)", "Input Address", "Input Read", "Input Value (in)",
                                "Coil Address", "Coil Active", "Coil Write", "Coil Read", "Coil Value (in)",
                                "Open Test Log"};
    for (const QString& name : modbus)
        EXPECT_EQ(names.count(name), 1) << name.toStdString() << " in " << names.join(", ").toStdString();
    EXPECT_EQ(names.size(), modbus.size()) << names.join(", ").toStdString();
}

TEST_F(TestPagesOnUnit, OpenTestLogShowsTheFileOnTheDesktopFromTheMenuAndThePage)
{
    modbusUnit();
    CTabModbus* page = modbusPage();
    typeInto(page->field("Holding Address"), "2001");
    press(page, "Holding Read");
    ASSERT_TRUE(window->testLog().isOpen());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QAction* item = nullptr;
    for (QAction* menu : window->menuBar()->actions())
        if (menu->menu())
            for (QAction* action : menu->menu()->actions())
                if (action->text().remove(QLatin1Char('&')) == QLatin1String("Open Test Log"))
                    item = action;
    ASSERT_NE(item, nullptr) << "Help > Open Test Log";
    item->trigger();
    page->openLogButton()->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    const QUrl file = QUrl::fromLocalFile(QString::fromStdString(window->testLog().path().string()));
    EXPECT_EQ(catcher.urls, (QList<QUrl>{file, file}));

    // Before any test of a run there is nothing to show.
    CTestLog fresh(std::filesystem::temp_directory_path() / "no-tests-yet");
    EXPECT_FALSE(TestLogViewer::Open(&fresh, *window));
    EXPECT_EQ(status(), TestLogViewer::kNoTestYet);
}

// ---- the test log ---------------------------------------------------------------------

TEST_F(TestPagesOnUnit, TestLogHoldsOneEntryPerActionInOrderAcrossBothPages)
{
    CTestLog& log = window->testLog();
    const std::time_t moment = 1'800'000'000;
    log.setClock([moment] { return moment; });
    std::tm local{};
    localtime_r(&moment, &local);

    modbusUnit();
    CTabModbus* modbus = modbusPage();
    // A test before this one may have opened the file; only what follows counts.
    const std::size_t before = log.isOpen() ? ReadAll(log.path()).size() : 0;
    typeInto(modbus->field("Holding Address"), "2000");
    press(modbus, "Holding Read");
    typeInto(modbus->field("Input Address"), "99");
    press(modbus, "Input Read");
    const int inputRefusal = std::atoi(status().c_str() + std::strlen("Error: "));
    EXPECT_GT(inputRefusal, 0);
    typeInto(modbus->field("Coil Address"), "12");
    modbus->check("Coil Active")->setChecked(true);
    press(modbus, "Coil Write");
    typeInto(modbus->field("Holding Address"), "70000");
    press(modbus, "Holding Read"); // refused before it reaches the unit: no entry

    bacnetUnit();
    CTabBACNet* bacnet = bacnetPage();
    typeInto(bacnet->field("Analogue Value Instance"), "3");
    typeInto(bacnet->field("Analogue Value Value (out)"), "21,456");
    press(bacnet, "Analogue Value Write");
    press(bacnet, "Analogue Value Read");
    typeInto(bacnet->field("Integer Value Instance"), "5");
    press(bacnet, "Integer Value Read");
    typeInto(bacnet->field("Binary Input Instance"), "64");
    press(bacnet, "Binary Input Read");
    typeInto(bacnet->field("Character String Value Instance"), "1");
    typeInto(bacnet->field("Character String Value Value (out)"), "Meeting room 1.02");
    press(bacnet, "Character String Value Write");
    typeInto(bacnet->field("Time Value Instance"), "2");
    press(bacnet, "Time Value Read");
    log.setClock({});

    ASSERT_TRUE(log.isOpen());
    EXPECT_EQ(log.path().parent_path(), LogFileSink::DefaultFolder());
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
    const std::string lines[] = {
        "Read  holding: Addr =  2000,  val =  2050 (res = 0)",
        // The input the unit does not have: the length of its refusal.
        "Error: Read  input  : Addr =    99,  val =     0 (res = " + std::to_string(inputRefusal) + ")",
        "Write coil   : Addr =    12,  val =     1 (res = 0)",
        "Write instance: Addr =     3,  val = 21.46 (res = 0)",
        "Read  instance: Addr =     3,  val = 21.46 (res = 0)",
        "Read  instance: Addr =     5,  val =    -5 (res = 0)",
        "Error: Read  instance: Addr =    64,  val =     0 (res = -10)",
        "Write instance: Addr =     1,  val = Meeting room (res = 0)",
        "Read  instance: Addr =     2,  val = 12:30:00 (res = 0)",
    };
    std::string expected;
    for (const std::string& line : lines)
        expected += "\r\n" + std::string(stamp) + line + "\r\n";
    EXPECT_EQ(ReadAll(log.path()).substr(before), expected);
}

// ---- BACnet --------------------------------------------------------------------------

TEST_F(TestPagesOnUnit, BacnetPageTakesTheProtocolTabOfABacnetUnit)
{
    bacnetUnit();
    EXPECT_EQ(window->tabs()->captions().value(2), QStringLiteral("BACnet"));
    EXPECT_EQ(window->tabs()->captions().indexOf(QStringLiteral("Modbus")), -1);
}

struct BacnetReadRow
{
    const char* row;
    const char* instance;
    const char* shown;
    const char* command;
};

TEST_F(TestPagesOnUnit, BacnetReadsShowEachObjectKindAsTheUnitHoldsIt)
{
    bacnetUnit();
    CTabBACNet* page = bacnetPage();
    const BacnetReadRow rows[] = {
        {"Analogue Value", "4", "22.00", "Dr4"},
        {"Analogue Input", "0", "21.25", "Di0"},
        {"Binary Value", "1", "1 / 1u / x0001", "Dc1"},
        {"Binary Value", "2", "0 / 0u / x0000", "Dc2"},
        {"Binary Input", "0", "1 / 1u / x0001", "DC0"},
        {"Integer Value", "5", "-5 / 65531u / xFFFB", "DR5"},
        {"Character String Value", "7", "Room 7", "Ds7"},
        // 61 characters on the unit: the page reads 48 of them.
        {"Character String Value", "9", "Conference room 2.14, north wing, next to the li", "Ds9"},
        {"Date Time Value", "1", "24.12.2026 10:15:00", "Dd1"},
        {"Time Value", "1", "12:30:00", "Dt1"},
        // No object 64: the read fails twice.
        {"Time Value", "64", "---", "Dt64"},
    };
    for (const BacnetReadRow& row : rows) {
        SCOPED_TRACE(std::string(row.row) + " " + row.instance);
        const QString name = QString::fromLatin1(row.row);
        typeInto(page->field(name + " Instance"), row.instance);
        const std::size_t from = mark();
        press(page, (row.row + std::string(" Read")).c_str());
        EXPECT_EQ(page->field(name + " Value (in)")->text().toStdString(), row.shown);
        EXPECT_EQ(status(), std::string(row.shown) == "---" ? "Error: -10" : "Done.");
        EXPECT_TRUE(has(received(from), row.command));
    }
}

struct BacnetWriteRow
{
    const char* row;
    const char* instance;
    const char* typed; // nullptr: the "Active" box, ticked
    const char* command;
    const char* readBack;
};

TEST_F(TestPagesOnUnit, BacnetWritesSendTheAdaptersWireFormat)
{
    bacnetUnit();
    CTabBACNet* page = bacnetPage();
    const BacnetWriteRow rows[] = {
        // The comma becomes a point as it is typed; two decimals go out.
        {"Analogue Value", "3", "21,456", "Dw3 21.46", "21.46"},
        {"Binary Value", "4", nullptr, "Dx4 1", "1 / 1u / x0001"},
        {"Integer Value", "4", "-5", "DW4 -5", "-5 / 65531u / xFFFB"},
        {"Integer Value", "6", "65535", "DW6 -1", "-1 / 65535u / xFFFF"},
        // Twelve characters and the terminator word go out of twenty.
        {"Character String Value", "1", "ABCDEFGHIJKLMNOPQRST",
         "DS1 004100420043004400450046004700480049004A004B004C0000", "ABCDEFGHIJKL"},
        {"Date Time Value", "2", "31.12.2026 23:59:58", "DD2 31.12.2026 23:59:58", "31.12.2026 23:59:58"},
        {"Time Value", "2", "07:45:00", "DT2 07:45:00", "07:45:00"},
    };
    for (const BacnetWriteRow& row : rows) {
        SCOPED_TRACE(row.row);
        const QString name = QString::fromLatin1(row.row);
        typeInto(page->field(name + " Instance"), row.instance);
        if (row.typed)
            typeInto(page->field(name + " Value (out)"), row.typed);
        else
            page->check(name + " Active")->setChecked(true);
        const std::size_t from = mark();
        press(page, (row.row + std::string(" Write")).c_str());
        EXPECT_EQ(status(), "Done.");
        EXPECT_TRUE(has(received(from), row.command)) << testing::PrintToString(received(from));
        press(page, (row.row + std::string(" Read")).c_str());
        EXPECT_EQ(page->field(name + " Value (in)")->text().toStdString(), row.readBack);
    }
    EXPECT_EQ(shown(page, "Analogue Value Value (out)"), "21.456");
}

TEST_F(TestPagesOnUnit, BacnetTimeFieldsKeepOnlyTheirCharactersAsTyped)
{
    bacnetUnit();
    CTabBACNet* page = bacnetPage();
    const struct
    {
        const char* field;
        const char* typed;
        const char* kept;
    } rows[] = {
        {"Time Value Value (out)", "12a:3.0", "12:30"},
        {"Time Value Value (out)", "1 2", "12"},
        {"Date Time Value Value (out)", "24.12.2026 10:15x", "24.12.2026 10:15"},
        {"Date Time Value Value (out)", "24/12", "2412"},
        {"Integer Value Value (out)", "-1-0a", "-10"},
        {"Analogue Value Value (out)", "2,5.1", "2.51"},
        {"Analogue Value Instance", "3x", "3"},
        {"Character String Value Value (out)", "Room 2.14 (north)", "Room 2.14 (north)"},
    };
    for (const auto& row : rows) {
        typeInto(page->field(row.field), row.typed);
        EXPECT_EQ(shown(page, row.field), row.kept) << row.field << " typed " << row.typed;
    }
}

TEST_F(TestPagesOnUnit, BacnetFailedWriteKeepsTheResultAndAnEmptyInstanceIsObjectZero)
{
    bacnetUnit();
    CTabBACNet* page = bacnetPage();
    page->field("Integer Value Instance")->clear();
    typeInto(page->field("Integer Value Value (out)"), "40");
    std::size_t from = mark();
    press(page, "Integer Value Write");
    EXPECT_TRUE(has(received(from), "DW0 40"));

    typeInto(page->field("Integer Value Instance"), "64");
    page->field("Integer Value Value (in)")->setText("kept");
    from = mark();
    press(page, "Integer Value Write");
    EXPECT_TRUE(has(received(from), "DW64 40"));
    EXPECT_EQ(status().rfind("Error: ", 0), 0u) << status();
    EXPECT_EQ(shown(page, "Integer Value Value (in)"), "kept");
}

TEST_F(TestPagesOnUnit, EveryBacnetControlIsReachedByItsRowAndColumn)
{
    bacnetUnit();
    QStringList names;
    CollectNames(QAccessible::queryAccessibleInterface(bacnetPage()), names);
    QStringList bacnet = {"Open Test Log"};
    for (const char* row : {"Analogue Value", "Analogue Input", "Binary Value", "Binary Input", "Integer Value",
                            "Character String Value", "Date Time Value", "Time Value"}) {
        const QString r = QString::fromLatin1(row);
        bacnet << r + " Instance" << r + " Read" << r + " Value (in)";
        if (!r.endsWith(QLatin1String("Input")))
            bacnet << r + " Write" << r + (r == QLatin1String("Binary Value") ? " Active" : " Value (out)");
    }
    for (const QString& name : bacnet)
        EXPECT_EQ(names.count(name), 1) << name.toStdString() << " in " << names.join(", ").toStdString();
    EXPECT_EQ(names.size(), bacnet.size()) << names.join(", ").toStdString();
}

TEST_F(TestPagesOnUnit, DemoModeSendsNothingAndKeepsTheDemoDevice)
{
    bacnetUnit();
    startDemoMode();
    const int demoDevice = window->comInterface()->deviceType();
    ASSERT_GT(demoDevice, 0);
    CTabBACNet* page = bacnetPage();
    EXPECT_FALSE(page->button("Integer Value Read")->isEnabled());
    EXPECT_FALSE(page->button("Binary Value Write")->isEnabled());
    EXPECT_TRUE(page->openLogButton()->isEnabled());

    const std::size_t from = mark();
    const CBusTestLogic::Outcome read = page->logic().readIntegerValue("5");
    const CBusTestLogic::Outcome write = page->logic().writeBinaryValue("4", true);
    EXPECT_FALSE(read.ran);
    EXPECT_FALSE(write.ran);
    EXPECT_EQ(read.result, Result::DemoMode);
    EXPECT_TRUE(received(from).empty());
    EXPECT_EQ(status(), "Demo mode is active.");
    EXPECT_EQ(window->comInterface()->deviceType(), demoDevice);
}

// ---- without a unit ------------------------------------------------------------------

TEST_F(TestPagesOnUnit, WithoutAnswerFromTheUnitNothingIsSentAndTheStatusSaysSo)
{
    modbusUnit();
    CTabModbus* page = modbusPage();
    s_sim.reset(); // the unit is gone
    s_unit.clear();
    typeInto(page->field("Holding Address"), "2000");
    page->field("Holding Value (in)")->setText("kept");
    press(page, "Holding Read");
    EXPECT_EQ(status(), "Error: No device connected or PIN wrong.");
    EXPECT_EQ(shown(page, "Holding Value (in)"), "kept");
}

#include "test_test_pages_sim.moc"
