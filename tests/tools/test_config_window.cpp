// The configuration export and import in the real main window, offscreen,
// against the simulator: the File menu and the FW-Update page's buttons, the
// category chooser, the progress box's end, the closing message, and the
// window disabled while they run.
//
// Longer than 700 lines: one fixture's end-to-end cases (the real window
// against the simulator), each a scenario of its own, and the few helpers
// they share.
#include "diag/LocalSystem.h"
#include "tests/support/MenuAction.h"
#include "tests/support/PagesOnUnit.h"
#include "tests/support/ExportWrites.h"
#include "tests/support/PortHolder.h"
#include "tests/support/TempDir.h"
#include "tools/ui/CConfigFileRunner.h"
#include "app/CDlgCommission.h"
#include "tools/commission/CommissionStatus.h"
#include "tools/report/CChangeJournal.h"
#include "tools/ui/CDlgCompare.h"
#include "tools/ui/CDlgExportCategories.h"
#include "tools/ui/CDlgProgress.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>

using testsupport::MenuAction;
using testsupport::ReadFile;
using testsupport::WritesOf;

class ConfigWindow : public pagetest::PagesOnUnit
{
protected:
    void SetUp() override
    {
        PagesOnUnit::SetUp();
        runner = window->configurationFiles();
        ASSERT_NE(runner, nullptr);
        runner->setEndPauseMs(0);
        runner->setPacing({});
    }
    // The file dialogs answer with this path and filter.
    void answerFileDialogs(const std::string& path, ConfigFile::Format filter)
    {
        runner->setFileChooser([path, filter](bool) { return CConfigFileRunner::FileChoice{path, filter}; });
    }
    // "File" > "Commission From Plan..." with the plan dir/plan.csv and the
    // output folder out, the lists read; check works in the open dialog,
    // which is closed afterwards.
    void runCommissionDialog(const std::filesystem::path& out, const std::function<void(CDlgCommission*)>& check)
    {
        bool shown = false;
        const auto dialog = testsupport::WhenModal<CDlgCommission>([&](CDlgCommission* d) {
            shown = true;
            d->planField()->setText(QString::fromStdString((dir.path() / "plan.csv").string()));
            d->folderField()->setText(QString::fromStdString(out.string()));
            d->reload();
            check(d);
            d->reject();
        });
        QAction* action = MenuAction(window, "Commission From &Plan...");
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << window->statusText().toStdString();
        action->trigger();
        EXPECT_TRUE(shown);
    }
    // Runs the export from the File menu with these category boxes checked
    // (-1: "Choose all"); the closing message's text, if one came.
    QString exportWith(std::vector<int> boxes)
    {
        const auto chosen = testsupport::WhenModal<CDlgExportCategories>([boxes](CDlgExportCategories* d) {
            EXPECT_EQ(d->windowTitle(), "Choose Export Categories");
            for (int i = 0; i < 8; ++i)
                EXPECT_FALSE(d->box(i)->isChecked()) << "unchecked when it opens";
            for (int b : boxes) {
                if (b < 0) {
                    for (QPushButton* button : d->findChildren<QPushButton*>())
                        if (button->text() == "Choose all")
                            button->click();
                } else {
                    d->box(b)->setChecked(true);
                }
            }
            d->accept();
        });
        return runWatching([this] { MenuAction(window, "&Save Configuration...")->trigger(); });
    }
    // Runs an action, answering the closing message; notes whether the main
    // window was disabled while it ran.
    QString runWatching(const std::function<void()>& action)
    {
        QString message;
        const auto answer = testsupport::WhenModal<QMessageBox>([&message, this](QMessageBox* box) {
            message = box->text();
            messageTitle = box->windowTitle();
            messageIcon = box->icon();
            box->accept();
        });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [this] {
            if (runner->running())
                sawDisabled = sawDisabled || !window->tabs()->isEnabled();
        });
        watch.start(5);
        action();
        EXPECT_TRUE(window->tabs()->isEnabled()) << "enabled again at the end";
        return message;
    }
    void clickOnUpdatePage(const char* caption)
    {
        show("FW-Update");
        for (QPushButton* b : window->page(PageId::Update)->findChildren<QPushButton*>())
            if (b->text() == caption)
                b->click();
    }

    // Presses "Cancel" on the progress box as soon as it shows its bar;
    // notes whether the box offered one.
    struct PressCancel
    {
        PressCancel()
        {
            QObject::connect(&timer, &QTimer::timeout, [this] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* box = qobject_cast<CDlgProgress*>(w); box && box->isVisible()) {
                        offered = box->cancelButton() != nullptr;
                        if (offered)
                            box->cancelButton()->click();
                        timer.stop();
                    }
            });
            timer.start(0);
        }
        QTimer timer;
        bool offered = false;
    };

    CConfigFileRunner* runner = nullptr;
    testsupport::TempDir dir;
    QString messageTitle;
    QMessageBox::Icon messageIcon = QMessageBox::NoIcon;
    bool sawDisabled = false;
};

TEST_F(ConfigWindow, AWholeConfigurationGoesToAnotherUnitAndTheImportSaysDoneAllOk)
{
    connect({"--device-type", "2050", "--pressure-unit", "2", "--pin", kPin, "--holding", "2009=1", "--holding",
             "2011=55"});
    const std::string file = (dir.path() / "export.csv").string();
    answerFileDialogs(file, ConfigFile::Format::Csv);
    EXPECT_EQ(exportWith({-1}), "");
    EXPECT_TRUE(runner->lastEndedGreen());
    EXPECT_TRUE(sawDisabled);
    const std::vector<std::string> expected = WritesOf(ReadFile(file));
    ASSERT_GT(expected.size(), 600u);

    // Another unit, seeded differently, takes the file from the FW-Update page.
    connect(Unit());
    const std::size_t from = mark();
    sawDisabled = false;
    const QString message = runWatching([this] { clickOnUpdatePage("Import Configuration"); });
    EXPECT_EQ(message, "Done - all ok");
    EXPECT_EQ(messageTitle, "Import from File");
    EXPECT_EQ(messageIcon, QMessageBox::Information);
    EXPECT_TRUE(sawDisabled);
    std::vector<std::string> written = writes(from);
    ASSERT_EQ(written.size(), expected.size() + 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written.begin()));
    EXPECT_EQ(written.back(), "Mw2013 1");
    EXPECT_TRUE(has(written, "Mw2009 1"));
    EXPECT_EQ(catalogue.Holding(2011).value, 55);
}

TEST_F(ConfigWindow, TheDataFilterWritesBinaryRecordsAndRefusedRegistersEndRed)
{
    connect({"--device-type", "2050", "--pressure-unit", "2", "--pin", kPin, "--fail-read", "2009", "--fail-read",
             "2011"});
    answerFileDialogs((dir.path() / "unit").string(), ConfigFile::Format::Binary);
    const QString message = runWatching([this] {
        const auto chosen = testsupport::WhenModal<CDlgExportCategories>([](CDlgExportCategories* d) {
            d->box(0)->setChecked(true); // "Common"
            d->accept();
        });
        clickOnUpdatePage("Save Configuration");
    });
    EXPECT_NE(message.indexOf("2 registers could not be read"), -1) << message.toStdString();
    EXPECT_NE(message.indexOf("2009, 2011"), -1) << message.toStdString();
    EXPECT_FALSE(runner->lastEndedGreen());
    const std::string bytes = ReadFile(dir.path() / "unit.bin");
    ASSERT_GT(bytes.size(), 22u);
    EXPECT_EQ(bytes.rfind("Orvelant 4000 Export\r\n", 0), 0u);
    EXPECT_EQ((bytes.size() - 22) % 26, 0u);
    connect(Unit());
}

TEST_F(ConfigWindow, AUnitFallingSilentEndsWithLinkLostAndThePreviousFileKept)
{
    // As many commands as connecting takes, then thirty more.
    connect(Unit());
    const std::size_t connecting = received().size();
    std::vector<std::string> silentLater = Unit();
    silentLater.insert(silentLater.end(), {"--silent-after", std::to_string(connecting + 30)});
    connect(silentLater);
    runner->setPacing({.attempts = 10, .silentAttempts = 1, .lostAfterRegisters = 2});
    const std::string file = (dir.path() / "export.csv").string();
    std::ofstream(file) << "previous";
    answerFileDialogs(file, ConfigFile::Format::Csv);
    const QString message = exportWith({-1});
    EXPECT_NE(message.indexOf("Link lost"), -1) << message.toStdString();
    EXPECT_FALSE(runner->lastEndedGreen());
    EXPECT_EQ(ReadFile(file), "previous");
    connect(Unit());
}

TEST_F(ConfigWindow, AFileThatIsNoExportIsSaidSoAndAllReadsNothing)
{
    const std::string file = (dir.path() / "notes.txt").string();
    std::ofstream(file) << "Addr: 2009; Val: 1;\r\n";
    answerFileDialogs(file, ConfigFile::Format::Csv); // "Text": read as text
    const QString message = runWatching([this] { MenuAction(window, "&Import Configuration...")->trigger(); });
    EXPECT_NE(message.indexOf("not an export file"), -1) << message.toStdString();

    answerFileDialogs(file, ConfigFile::Format::None); // "All (*.*)": nothing is imported
    const std::size_t from = mark();
    EXPECT_EQ(runWatching([this] { MenuAction(window, "&Import Configuration...")->trigger(); }), "");
    EXPECT_TRUE(received(from).empty());
}

TEST_F(ConfigWindow, AnImportWithAnotherUnitBehindThePortWritesNothingAndSaysSo)
{
    const std::string file = (dir.path() / "import.csv").string();
    std::ofstream(file) << "Orvelant 4000 Export\r\nAddr: 2009; Val: 1;\r\nAddr: 2011; Val: 60;\r\n";
    answerFileDialogs(file, ConfigFile::Format::Csv);
    // Same device type, another serial number: only the identity tells.
    std::vector<std::string> other = Unit();
    other.insert(other.end(), {"--holding", "2003=4711"});
    restartUnit(other);
    const std::size_t from = mark();
    const QString message = runWatching([this] { MenuAction(window, "&Import Configuration...")->trigger(); });
    EXPECT_TRUE(message.startsWith("Another unit is attached")) << message.toStdString();
    EXPECT_TRUE(writes(from).empty());
    EXPECT_FALSE(runner->lastEndedGreen());
    EXPECT_FALSE(allTabsEnabled());
}

TEST_F(ConfigWindow, AnExportWhoseUnitCannotBeReachedFailsWithWordsAndWritesNoFile)
{
    const std::string file = (dir.path() / "before-update.csv").string();
    answerFileDialogs(file, ConfigFile::Format::Csv);
    testsupport::PortHolder holder(sim().device(), "portholder");
    ASSERT_TRUE(holder.holding());
    const QString message = exportWith({-1});
    EXPECT_TRUE(message.startsWith("The unit could not be reached: ")) << message.toStdString();
    EXPECT_NE(message.indexOf("Nothing was exported"), -1) << message.toStdString();
    EXPECT_FALSE(runner->lastEndedGreen());
    EXPECT_FALSE(std::filesystem::exists(file)) << "no file of stored values";
}

TEST_F(ConfigWindow, TheImportsCancelStopsAfterTheRegisterUnderWay)
{
    std::string text = "Orvelant 4000 Export\r\n";
    for (int i = 0; i < 400; ++i)
        text += "Addr: 2011; Val: " + std::to_string(40 + i % 20) + ";\r\n";
    const std::string file = (dir.path() / "long.csv").string();
    std::ofstream(file) << text;
    answerFileDialogs(file, ConfigFile::Format::Csv);
    // The box's button is pressed as soon as the box shows its bar.
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&press] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<CDlgProgress*>(w); box && box->isVisible() && box->cancelButton()) {
                EXPECT_TRUE(box->isModal());
                box->cancelButton()->click();
                press.stop();
            }
    });
    press.start(0);
    const std::size_t from = mark();
    const QString message = runWatching([this] { MenuAction(window, "&Import Configuration...")->trigger(); });
    EXPECT_NE(message.indexOf("Cancelled: the rest of the file was not written."), -1) << message.toStdString();
    EXPECT_LT(writes(from).size(), 10u);
    EXPECT_FALSE(runner->lastEndedGreen());
}

// A whole unit takes a while: the export can be cancelled, which keeps the
// previous file as it was and leaves nothing else behind; an export that
// ends says in the status line where the file went.
TEST_F(ConfigWindow, AnExportNamesItsFileAndItsCancelKeepsThePreviousOne)
{
    const std::string file = (dir.path() / "unit.csv").string();
    answerFileDialogs(file, ConfigFile::Format::Csv);
    EXPECT_EQ(exportWith({0}), ""); // "Common"
    EXPECT_TRUE(runner->lastEndedGreen());
    EXPECT_EQ(window->statusText().toStdString(), "Exported to " + file + ".");
    EXPECT_NE(ReadFile(file), "previous");

    std::ofstream(file) << "previous";
    const std::size_t from = mark();
    {
        PressCancel cancel;
        EXPECT_EQ(exportWith({-1}), "") << "the user knows what he did: no message";
        EXPECT_TRUE(cancel.offered);
    }
    EXPECT_LT(reads(from).size(), 50u);
    EXPECT_TRUE(ReadFile(file) == "previous") << "the previous file as it was";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
    EXPECT_EQ(window->statusText().toStdString(), "Export cancelled: " + file + " is unchanged.");
    EXPECT_FALSE(runner->lastEndedGreen());
}

// Comparing a whole unit takes as long as exporting it: "Cancel" stops the
// reading and no comparison of half the registers is shown.
TEST_F(ConfigWindow, CompareWithFileCanBeCancelled)
{
    const std::string file = (dir.path() / "whole.csv").string();
    {
        std::ofstream out(file, std::ios::binary);
        out << ConfigFile::kHeader;
        for (uint32_t a = ConfigFile::kFirstExportable; a <= ConfigFile::kLastExportable; ++a)
            if (ConfigFile::IsExportable(catalogue, a))
                out << ConfigFile::CsvLine(static_cast<uint16_t>(a), 0, "x");
    }
    answerFileDialogs(file, ConfigFile::Format::Csv);
    bool shown = false;
    const auto compare = testsupport::WhenModal<CDlgCompare>([&shown](CDlgCompare* d) {
        shown = true;
        d->reject();
    });
    const std::size_t from = mark();
    {
        PressCancel cancel;
        MenuAction(window, "&Compare With File...")->trigger();
        EXPECT_TRUE(cancel.offered);
    }
    EXPECT_FALSE(shown);
    EXPECT_LT(reads(from).size(), 50u);
    EXPECT_EQ(window->statusText().toStdString(), "Compare With File cancelled: nothing was compared.");
    EXPECT_TRUE(window->tabs()->isEnabled());
}

// A file that cannot be read whole is not compared: what it lost would show
// as equal.
TEST_F(ConfigWindow, CompareWithFileRefusesADamagedFile)
{
    const std::string file = (dir.path() / "damaged.csv").string();
    std::ofstream(file, std::ios::binary) << "Orvelant 4000 Export\r\nAddr: 2009; Val: 1; Des: x\r\n"
                                             "Addr: 2011; Val: abc\r\nAddr: 2012; Val: 20; Des: x\r\n";
    answerFileDialogs(file, ConfigFile::Format::Csv);
    bool shown = false;
    const auto compare = testsupport::WhenModal<CDlgCompare>([&shown](CDlgCompare* d) {
        shown = true;
        d->reject();
    });
    QString told;
    const auto message = testsupport::WhenModal<QMessageBox>([&told](QMessageBox* box) {
        told = box->text();
        box->accept();
    });
    const std::size_t from = mark();
    MenuAction(window, "&Compare With File...")->trigger();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(told.startsWith("The file is damaged: line 3 has no value")) << told.toStdString();
    EXPECT_TRUE(told.endsWith("Nothing was compared.")) << told.toStdString();
    for (const std::string& r : reads(from))
        EXPECT_TRUE(r != "Mr2009" && r != "Mr2012") << "the file's registers are not asked for: " << r;
}

// The unit's PIN is compared like any register but shown as the report
// shows it ("set", "none") unless the user asks to see it.
TEST_F(ConfigWindow, CompareWithFileMasksThePinUnlessAsked)
{
    const std::string file = (dir.path() / "pin.csv").string();
    std::ofstream(file) << "Orvelant 4000 Export\r\nAddr: 2008; Val: " << kPin << "; Des: PIN\r\n"
                           "Addr: 2011; Val: 61; Des: x\r\n";
    answerFileDialogs(file, ConfigFile::Format::Csv);
    // The PIN as the Common page shows it.
    const QString clear = QString::fromStdString(ConfigCompare::Shown(catalogue, Reg::Pin, 42));
    bool shown = false;
    const auto compare = testsupport::WhenModal<CDlgCompare>([&shown, &clear](CDlgCompare* d) {
        shown = true;
        QTreeWidgetItem* pin = d->rowOf(2008);
        ASSERT_NE(pin, nullptr);
        d->showEqualBox()->setChecked(true);
        EXPECT_FALSE(pin->isHidden());
        EXPECT_EQ(pin->text(CDlgCompare::kUnitValue), "set");
        EXPECT_EQ(pin->text(CDlgCompare::kFileValue), "set");
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(d->list());
        for (int i = 0; table && i < table->childCount(); ++i) {
            QAccessibleInterface* cell = table->child(i);
            EXPECT_NE(cell ? cell->text(QAccessible::Name) : QString(), clear) << "never read out";
        }

        QCheckBox* showPin = d->showPinBox();
        ASSERT_NE(showPin, nullptr);
        EXPECT_EQ(showPin->text().remove('&'), "Show PIN");
        EXPECT_FALSE(showPin->isChecked());
        showPin->setChecked(true);
        EXPECT_EQ(pin->text(CDlgCompare::kUnitValue), clear);
        EXPECT_EQ(pin->text(CDlgCompare::kFileValue), clear);
        showPin->setChecked(false);
        EXPECT_EQ(pin->text(CDlgCompare::kUnitValue), "set");
        d->reject();
    });
    MenuAction(window, "&Compare With File...")->trigger();
    EXPECT_TRUE(shown);
}

// "File" > "Compare With File...": the three registers that differ are
// listed in the pages' form; two of them checked are written, read back and
// stored after the question; the third is left as it is.
TEST_F(ConfigWindow, CompareWithFileListsTheDifferencesAndWritesTheCheckedOnes)
{
    const std::string file = (dir.path() / "template.csv").string();
    std::ofstream(file) << "Orvelant 4000 Export\r\nAddr: 2009; Val: 1; Des: Language\r\n"
                           "Addr: 2011; Val: 60; Des: x\r\nAddr: 2012; Val: 45; Des: x\r\n"
                           "Addr: 3603; Val: 195; Des: x\r\n";
    answerFileDialogs(file, ConfigFile::Format::Csv);
    const std::size_t from = mark();
    CChangeJournal::Instance().clear();
    bool shown = false;
    const auto compare = testsupport::WhenModal<CDlgCompare>([&](CDlgCompare* d) {
        shown = true;
        EXPECT_EQ(d->windowTitle(), "Compare With File");
        QTreeWidget* list = d->list();
        EXPECT_EQ(d->rowOf(2009)->isHidden(), true) << "equal registers stay out of the way";
        d->showEqualBox()->setChecked(true);
        EXPECT_FALSE(d->rowOf(2009)->isHidden());
        d->showEqualBox()->setChecked(false);
        struct Row
        {
            uint32_t address;
            const char* category;
            const char* unit;
            const char* file;
        } rows[] = {{2011, "Common", "0", "60"}, {2012, "Common", "20", "45"},
                    {3603, "Room Climate", "21.0 \u00b0C", "19.5 \u00b0C"}};
        for (const Row& r : rows) {
            QTreeWidgetItem* item = d->rowOf(r.address);
            ASSERT_NE(item, nullptr);
            EXPECT_FALSE(item->isHidden());
            EXPECT_EQ(item->parent()->text(0).toStdString(), r.category);
            EXPECT_EQ(item->text(CDlgCompare::kUnitValue).toStdString(), r.unit);
            EXPECT_EQ(item->text(CDlgCompare::kFileValue).toStdString(), r.file);
            EXPECT_EQ(item->checkState(0), Qt::Checked) << "all checked when it opens";
        }
        // Every cell is read out through the accessibility interface.
        QStringList names;
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
        for (int i = 0; table && i < table->childCount(); ++i)
            if (QAccessibleInterface* cell = table->child(i))
                names << cell->text(QAccessible::Name);
        EXPECT_TRUE(names.contains("19.5 \u00b0C")) << names.join("|").toStdString();
        EXPECT_TRUE(names.contains("Setpoint Temp After Reboot")) << names.join("|").toStdString();

        if (const char* shot = std::getenv("TAVEMO_COMPARE_SCREENSHOT"))
            d->grab().save(QString::fromLocal8Bit(shot));
        // The third stays as it is: its box unchecked with the keyboard.
        list->setFocus();
        list->setCurrentItem(d->rowOf(2012));
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(d->rowOf(2012)->checkState(0), Qt::Unchecked);
        bool asked = false;
        const auto save = testsupport::WhenModal<QMessageBox>([&asked](QMessageBox* box) {
            asked = true;
            EXPECT_NE(box->text().indexOf("Save To NVRAM"), -1);
            box->button(QMessageBox::Yes)->click();
        });
        d->writeButton()->click();
        EXPECT_TRUE(asked);
        EXPECT_EQ(d->rowOf(2011)->text(CDlgCompare::kNote), "written");
        EXPECT_EQ(d->rowOf(3603)->text(CDlgCompare::kUnitValue), "19.5 \u00b0C");
        EXPECT_EQ(d->rowOf(2012)->text(CDlgCompare::kNote), "");
        EXPECT_NE(d->resultLine()->text().indexOf("Written: 2, verified: 2."), -1)
            << d->resultLine()->text().toStdString();
        EXPECT_NE(d->resultLine()->text().indexOf("Save To NVRAM done."), -1);
        if (const char* shot = std::getenv("TAVEMO_COMPARE_SCREENSHOT"))
            d->grab().save(QString::fromLocal8Bit(shot).replace(".png", "-written.png"));
        d->reject();
    });
    MenuAction(window, "&Compare With File...")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw2011 60", "Mw3603 195", "Mw2013 1"}));
    const std::vector<std::string> r = reads(from);
    EXPECT_EQ(std::count(r.begin(), r.end(), "Mr2011"), 2) << "compared, then read back";
    EXPECT_EQ(std::count(r.begin(), r.end(), "Mr2012"), 1) << "compared only";
    EXPECT_TRUE(runner->lastEndedGreen());
    // The commissioning report's journal has both writes, with the unit's
    // values before them.
    const std::vector<JournalEntry> journal = CChangeJournal::Instance().entries();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0].address, 2011);
    EXPECT_EQ(journal[0].before, 0);
    EXPECT_EQ(journal[0].after, 60);
    EXPECT_EQ(journal[1].address, 3603);
    EXPECT_EQ(journal[1].before, 210);
    EXPECT_EQ(journal[1].result, 0);
}

// Without a unit the file is compared with the stored values and nothing
// can be written.
TEST_F(ConfigWindow, CompareWithFileInDemoModeComparesWithTheStoredValuesAndWritesNothing)
{
    startDemoMode();
    const std::string file = (dir.path() / "demo.csv").string();
    const uint16_t stored = s_catalogue->Holding(2011).value;
    std::ofstream(file) << "Orvelant 4000 Export\r\nAddr: 2011; Val: " << (stored == 60 ? 61 : 60) << "; Des: x\r\n";
    answerFileDialogs(file, ConfigFile::Format::Csv);
    const std::size_t from = mark();
    CChangeJournal::Instance().clear();
    bool shown = false;
    const auto compare = testsupport::WhenModal<CDlgCompare>([&](CDlgCompare* d) {
        shown = true;
        ASSERT_NE(d->rowOf(2011), nullptr);
        EXPECT_EQ(d->rowOf(2011)->text(CDlgCompare::kUnitValue).toStdString(), std::to_string(stored));
        EXPECT_FALSE(d->rowOf(2011)->flags() & Qt::ItemIsUserCheckable);
        EXPECT_FALSE(d->writeButton()->isEnabled());
        d->reject();
    });
    // The File menu's unit actions work on the stored values in demo mode.
    EXPECT_TRUE(MenuAction(window, "&Compare With File...")->isEnabled());
    EXPECT_TRUE(MenuAction(window, "&Save Configuration...")->isEnabled());
    runner->CompareWithFile();
    EXPECT_TRUE(shown) << runner->lastMessage().toStdString();
    EXPECT_TRUE(received(from).empty()) << "nothing goes to a unit in demo mode";
}

// "File" > "Commission From Plan...": the rooms with their state from the
// status file, the first pending one chosen, a preview that writes nothing,
// then the room commissioned, recorded and reported.
TEST_F(ConfigWindow, CommissionFromPlanPreviewsThenCommissionsTheFirstPendingRoom)
{
    std::ofstream(dir.path() / "office.csv", std::ios::binary)
        << "Orvelant 4000 Export\r\nAddr: 2011; Val: 61; Des: x\r\nAddr: 2012; Val: 33; Des: x\r\n";
    std::ofstream(dir.path() / "plan.csv", std::ios::binary) << "room,template,set\n2.11,office.csv,\n2.12,office.csv,2009=2\n";
    const std::filesystem::path out = dir.path() / "out";
    std::filesystem::create_directory(out);
    std::ofstream(out / "status.csv", std::ios::binary)
        << Commission::kStatusHeader << "\n2.11,ttyUSB0,2050,1011,0,0,ok,2,,\n";
    const std::size_t from = mark();
    runCommissionDialog(out, [&](CDlgCommission* d) {
        ASSERT_EQ(d->rooms()->topLevelItemCount(), 2);
        EXPECT_EQ(d->rooms()->topLevelItem(0)->text(CDlgCommission::kState), "ok");
        EXPECT_EQ(d->rooms()->topLevelItem(1)->text(CDlgCommission::kState), "pending");
        ASSERT_NE(d->rooms()->currentItem(), nullptr);
        EXPECT_EQ(d->rooms()->currentItem()->text(CDlgCommission::kRoom), "2.12") << "the first pending room";

        d->previewButton()->click();
        EXPECT_TRUE(writes(from).empty()) << "a preview writes nothing";
        QStringList listed;
        for (int i = 0; i < d->differences()->topLevelItemCount(); ++i)
            listed << d->differences()->topLevelItem(i)->text(CDlgCommission::kRegister) + "=" +
                          d->differences()->topLevelItem(i)->text(CDlgCommission::kPlanValue);
        EXPECT_TRUE(listed.contains("2011=61")) << listed.join(" ").toStdString();
        EXPECT_TRUE(listed.contains("2012=33")) << listed.join(" ").toStdString();
        if (const char* shot = std::getenv("TAVEMO_COMMISSION_SCREENSHOT"))
            d->grab().save(QString::fromLocal8Bit(shot));

        QString opened;
        d->setReportOpener([&opened](const QString& path) { opened = path; });
        const auto offer = testsupport::WhenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_NE(box->text().indexOf("Open its report now?"), -1);
            box->button(QMessageBox::Yes)->click();
        });
        d->commissionButton()->click();
        EXPECT_NE(d->messageLine()->text().indexOf("Room 2.12 commissioned"), -1)
            << d->messageLine()->text().toStdString();
        EXPECT_EQ(d->rooms()->topLevelItem(1)->text(CDlgCommission::kState), "ok");
        EXPECT_TRUE(opened.endsWith("2.12.html")) << opened.toStdString();
        if (const char* shot = std::getenv("TAVEMO_COMMISSION_SCREENSHOT"))
            d->grab().save(QString::fromLocal8Bit(shot).replace(".png", "-done.png"));
    });
    const std::vector<std::string> w = writes(from);
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.back(), "Mw2013 1");
    EXPECT_NE(std::find(w.begin(), w.end(), "Mw2011 61"), w.end());
    EXPECT_NE(std::find(w.begin(), w.end(), "Mw2012 33"), w.end());
    EXPECT_NE(std::find(w.begin(), w.end(), "Mw2009 2"), w.end());
    EXPECT_NE(ReadFile(out / "status.csv").find("\n2.12,"), std::string::npos);
    EXPECT_NE(ReadFile(out / "2.12.json").find("\"address\": 2009, \"name\""), std::string::npos)
        << "the report lists the change";
}

// After a room ends the dialog moves on to the next pending room; a second
// "Commission" on a done room asks first, and the unit whose bus address
// the tool itself just wrote is still the unit connected to.
TEST_F(ConfigWindow, CommissionFromPlanMovesOnAndAsksBeforeADoneRoomIsDoneAgain)
{
    std::ofstream(dir.path() / "office.csv", std::ios::binary)
        << "Orvelant 4000 Export\r\nAddr: 2011; Val: 61; Des: x\r\n";
    std::ofstream(dir.path() / "plan.csv", std::ios::binary)
        << "room,template,set\n2.11,office.csv,2004=21\n2.12,office.csv,2004=22\n2.13,office.csv,2004=23\n";
    const std::filesystem::path out = dir.path() / "out";
    // 2.13 is another run's, still at work (init stands in for it).
    std::filesystem::create_directory(out);
    std::ofstream(out / "2.13.claim", std::ios::binary)
        << "host: " << LocalSystem::HostName() << "\npid: 1\nport: ttyUSB1\nsince: 2026-12-11T09:30:05+01:00\n";
    std::size_t from = mark();
    runCommissionDialog(out, [&](CDlgCommission* d) {
        EXPECT_TRUE(d->rooms()->topLevelItem(2)->text(CDlgCommission::kState).startsWith("claimed: run 1 on this computer"))
            << d->rooms()->topLevelItem(2)->text(CDlgCommission::kState).toStdString();
        d->rooms()->setCurrentItem(d->rooms()->topLevelItem(2));
        from = mark();
        d->commissionButton()->click();
        EXPECT_TRUE(d->messageLine()->text().startsWith("Room 2.13 is being commissioned by run 1"))
            << d->messageLine()->text().toStdString();
        EXPECT_TRUE(received(from).empty()) << "another run's room is not taken";
        d->rooms()->setCurrentItem(d->rooms()->topLevelItem(0));

        d->setReportOpener([](const QString&) {});
        const auto noReport = testsupport::WhenModal<QMessageBox>(
            [](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
        d->commissionButton()->click();
        EXPECT_NE(d->messageLine()->text().indexOf("Room 2.11 commissioned"), -1)
            << d->messageLine()->text().toStdString();
        ASSERT_NE(d->rooms()->currentItem(), nullptr);
        EXPECT_EQ(d->rooms()->currentItem()->text(CDlgCommission::kRoom), "2.12")
            << "on to the next pending room";
        EXPECT_FALSE(std::filesystem::exists(out / "2.11.claim"));

        // The done room chosen again: the question comes first, and "No"
        // sends nothing.
        d->rooms()->setCurrentItem(d->rooms()->topLevelItem(0));
        from = mark();
        bool asked = false;
        {
            const auto no = testsupport::WhenModal<QMessageBox>([&asked](QMessageBox* box) {
                asked = box->text().contains("Room 2.11 is already commissioned");
                box->button(QMessageBox::No)->click();
            });
            d->commissionButton()->click();
        }
        EXPECT_TRUE(asked);
        EXPECT_TRUE(received(from).empty()) << "nothing goes to the unit";

        // "Yes": the same unit, its bus address now the plan's, is still
        // recognised; it already holds the room, so nothing is written.
        d->rooms()->setCurrentItem(d->rooms()->topLevelItem(0));
        {
            // Two boxes: the question ("Yes") and the report's offer ("No").
            QTimer answer;
            QObject::connect(&answer, &QTimer::timeout, [] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->button(box->text().contains("already commissioned") ? QMessageBox::Yes
                                                                             : QMessageBox::No)
                        ->click();
            });
            answer.start(5);
            d->commissionButton()->click();
        }
        EXPECT_NE(d->messageLine()->text().indexOf("Room 2.11 commissioned: 0 registers written"), -1)
            << d->messageLine()->text().toStdString();
        EXPECT_EQ(d->rooms()->topLevelItem(0)->text(CDlgCommission::kState), "ok");
        EXPECT_EQ(d->rooms()->topLevelItem(1)->text(CDlgCommission::kState), "pending");
        EXPECT_EQ(d->rooms()->currentItem()->text(CDlgCommission::kRoom), "2.12");
    });
    EXPECT_TRUE(writes(from).empty());
    EXPECT_EQ(ReadFile(out / "status.csv").find("failed"), std::string::npos) << ReadFile(out / "status.csv");
}

// The ways a room must not be taken: demo mode (no unit at all), another
// unit behind the port than the one connected to, and the adapter pulled.
TEST_F(ConfigWindow, CommissionFromPlanTakesNoRoomInDemoModeFromAnotherUnitOrWithTheAdapterPulled)
{
    std::ofstream(dir.path() / "office.csv", std::ios::binary)
        << "Orvelant 4000 Export\r\nAddr: 2011; Val: 61; Des: x\r\n";
    std::ofstream(dir.path() / "plan.csv", std::ios::binary) << "room,template,set\n2.12,office.csv,\n";
    const std::filesystem::path out = dir.path() / "out";
    startDemoMode();
    std::size_t from = mark();
    runCommissionDialog(out, [](CDlgCommission* d) {
        ASSERT_EQ(d->rooms()->topLevelItemCount(), 1);
        EXPECT_FALSE(d->previewButton()->isEnabled());
        EXPECT_FALSE(d->commissionButton()->isEnabled());
        EXPECT_TRUE(d->messageLine()->text().startsWith("Demo mode is active")) << d->messageLine()->text().toStdString();
        d->commissionButton()->click();
    });
    EXPECT_TRUE(received(from).empty()) << "nothing goes to a unit in demo mode";
    EXPECT_FALSE(std::filesystem::exists(out / "status.csv")) << "no attempt is recorded";

    // Connected to the unit, then another one behind the port: same device
    // type, another serial number, so only the identity tells.
    connect(Unit());
    std::vector<std::string> other = Unit();
    other.insert(other.end(), {"--holding", "2003=4711"});
    restartUnit(other);
    from = mark();
    runCommissionDialog(out, [](CDlgCommission* d) {
        ASSERT_TRUE(d->commissionButton()->isEnabled());
        d->commissionButton()->click();
        EXPECT_TRUE(d->messageLine()->text().startsWith("Room 2.12 failed: another unit is attached"))
            << d->messageLine()->text().toStdString();
        EXPECT_TRUE(d->rooms()->topLevelItem(0)->text(CDlgCommission::kState).startsWith("failed"));
    });
    EXPECT_TRUE(writes(from).empty()) << "nothing is written to another unit";
    EXPECT_FALSE(allTabsEnabled()) << "the pages wait for \"Connect\"";
    EXPECT_FALSE(std::filesystem::exists(out / "2.12.json"));

    // Connected again, then the adapter pulled: the unit cannot be
    // identified, and the room fails rather than ending "ok".
    connect(Unit());
    s_sim.reset(); // unplugged
    runCommissionDialog(out, [](CDlgCommission* d) {
        d->commissionButton()->click();
        EXPECT_TRUE(d->messageLine()->text().startsWith("Room 2.12 failed: ")) << d->messageLine()->text().toStdString();
        EXPECT_TRUE(d->rooms()->topLevelItem(0)->text(CDlgCommission::kState).startsWith("failed"));
    });
    EXPECT_EQ(ReadFile(out / "status.csv").find(",ok,"), std::string::npos) << "no attempt ended ok";
    EXPECT_FALSE(std::filesystem::exists(out / "2.12.json"));
}
