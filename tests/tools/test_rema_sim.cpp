// The ReMa page in the real main window, offscreen, against tavemo-unitsim:
// a table edited on the page, written to the unit, used by the unit at the
// customized address, read back; the files; the BACnet names; demo mode.
#include "tests/support/PagesOnUnit.h"

#include "tests/support/TempDir.h"
#include "tests/support/WhenModal.h"
#include "tools/ui/CDlgProgress.h"
#include "tools/ui/CTabFavorites.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include <fstream>

namespace {

class ReMaPage : public pagetest::PagesOnUnit
{
protected:
    CTabFavorites* page() const { return qobject_cast<CTabFavorites*>(window->page(PageId::ReMa)); }
    void click(const char* caption)
    {
        QPushButton* b = page()->button(QString::fromLatin1(caption));
        ASSERT_NE(b, nullptr) << caption;
        ASSERT_TRUE(b->isEnabled()) << caption;
        b->click();
    }
    // As the user does it: the address typed, then the category and the
    // register chosen from their lists.
    void remap(int address, const QString& category, int registerAddress)
    {
        QSpinBox* field = page()->addressField();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::number(address));
        ASSERT_EQ(page()->editor().address(), address);
        const int c = page()->categoryBox()->findText(category);
        ASSERT_GE(c, 0) << category.toStdString();
        choose(page()->categoryBox(), c);
        const int r = page()->registerBox()->findData(registerAddress);
        ASSERT_GE(r, 0) << registerAddress;
        choose(page()->registerBox(), r);
    }
    static uint16_t readOnUnit(uint16_t address)
    {
        CModbus other;
        EXPECT_EQ(other.connect(sim().name()), 0);
        other.sendUnlock(42);
        uint16_t v = 0;
        EXPECT_EQ(other.readHolding(address, &v), 0) << address;
        other.disconnect();
        return v;
    }
    static QStringList selectorTexts(QComboBox* box)
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    testsupport::TempDir dir;
};

const QString kMovedLine = QStringLiteral("5000\tData Room Climate (400 - 699)\t400 - ");

TEST_F(ReMaPage, ShowsTheHoldingTableWithItsControlsWhenOpened)
{
    open("ReMa");
    ASSERT_NE(page(), nullptr);
    EXPECT_EQ(selectorTexts(page()->selectorBox()), (QStringList{"Holding", "Input", "Coil"}));
    EXPECT_EQ(page()->sortBox()->currentText(), "Customized Address");
    EXPECT_EQ(page()->categoryBox()->itemText(0), "Empty");
    EXPECT_GE(page()->categoryBox()->findText("Data Scenes (1500 - 1599)"), 0); // a 2050
    EXPECT_TRUE(page()->lineTexts().contains("100\tData Sensors (100 - 399)\t100 - Temp Sensor 1 Int."));
    EXPECT_EQ(page()->list()->headerItem()->text(2), "Default Tavemo Address");
    EXPECT_TRUE(page()->button("Read shown List from Target")->isEnabled());
    // Assistive tools reach each field by its label.
    EXPECT_EQ(accessibleNameOf(page()->addressField()), "Customized Address");
    for (auto [box, label] : {std::pair{page()->selectorBox(), "Function Selector"}, {page()->categoryBox(), "Table"},
                              {page()->registerBox(), "Default Tavemo Address"}, {page()->sortBox(), "Sorted by:"}})
        EXPECT_EQ(labelsOf(box), QStringList{QString::fromLatin1(label)});
}

TEST_F(ReMaPage, ARemappedRegisterAnswersAtItsCustomizedAddressAndReadsBack)
{
    open("ReMa");
    click("Get Default shown List");
    remap(5000, "Data Room Climate (400 - 699)", 400);
    const QStringList edited = page()->lineTexts();
    ASSERT_TRUE(std::any_of(edited.begin(), edited.end(), [](const QString& l) { return l.startsWith(kMovedLine); }));
    const std::size_t from = mark();
    click("Write shown List to Target");
    EXPECT_EQ(window->statusText(), "Done");
    const auto sent = received(from);
    EXPECT_TRUE(has(sent, "Cw0"));
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const std::string& l) { return l.rfind("Cw1 13880190,", 0) == 0; }));
    EXPECT_TRUE(has(sent, "Cw2"));
    EXPECT_EQ(readOnUnit(5000), readOnUnit(400));

    // The tool's copy forgets the entry; the unit still has it.
    click("Get Default shown List");
    const QStringList defaults = page()->lineTexts();
    ASSERT_FALSE(std::any_of(defaults.begin(), defaults.end(), [](const QString& l) { return l.startsWith(kMovedLine); }));
    click("Read shown List from Target");
    EXPECT_EQ(window->statusText(), "Done");
    const QStringList back = page()->lineTexts();
    EXPECT_TRUE(std::any_of(back.begin(), back.end(), [](const QString& l) { return l.startsWith(kMovedLine); }));
    EXPECT_EQ(back.size(), defaults.size() + 1);

    // Back to the unit's own layout for the other tests.
    click("Get Default shown List");
    click("Write shown List to Target");
    EXPECT_EQ(window->statusText(), "Done");
}

TEST_F(ReMaPage, EnterInTheAddressFieldAppliesTheRegisterShownAndDeleteTakesItAway)
{
    open("ReMa");
    click("Get Default shown List");
    QSpinBox* field = page()->addressField();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "5001");
    choose(page()->categoryBox(), page()->categoryBox()->findText("Data Room Climate (400 - 699)"));
    EXPECT_EQ(page()->registerBox()->currentData().toInt(), 400); // the category's first register, not yet taken
    EXPECT_FALSE(page()->lineTexts().join('\n').contains("5001\t"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(page()->lineTexts().join('\n').contains("5001\tData Room Climate (400 - 699)\t400 - "));
    ASSERT_NE(page()->list()->currentItem(), nullptr);
    EXPECT_EQ(page()->list()->currentItem()->text(0), "5001");
    click("Delete selected Entry");
    EXPECT_FALSE(page()->lineTexts().join('\n').contains("5001\t"));
    EXPECT_EQ(page()->categoryBox()->currentText(), "Empty");
}

TEST_F(ReMaPage, SavesAndLoadsAFileAndSaysWhatIsWrongWithABadOne)
{
    open("ReMa");
    click("Get Default shown List");
    remap(6000, "Data Room Climate (400 - 699)", 400);
    const QString file = QString::fromStdString((dir.path() / "table.bin").string());
    QString title, proposed;
    page()->setFileChooser([&](bool, const QString& t, const QString& p) {
        title = t;
        proposed = p;
        return file;
    });
    click("Save shown List");
    EXPECT_EQ(title, "Export ReMa Holding File");
    EXPECT_EQ(proposed, "export_rema_holding.csv");
    ASSERT_NE(page()->progress(), nullptr);
    EXPECT_EQ(page()->progress()->windowTitle(), "Export ReMa Holding");
    EXPECT_EQ(page()->progress()->percentText(), "100 %");
    EXPECT_EQ(page()->progress()->outcome(), "green");

    click("Get Default shown List");
    click("Load shown List");
    EXPECT_EQ(title, "Import ReMa Holding File");
    EXPECT_EQ(page()->progress()->windowTitle(), "Import Favorites Holding");
    EXPECT_EQ(page()->progress()->outcome(), "green");
    const QStringList loaded = page()->lineTexts();
    EXPECT_TRUE(std::any_of(loaded.begin(), loaded.end(), [](const QString& l) { return l.startsWith("6000\t"); }));

    const std::string bad = (dir.path() / "bad.csv").string();
    std::ofstream(bad, std::ios::binary) << "ReMa Holding\r\nFav: 7000; Addr: 400;\r\nnonsense\r\n";
    page()->setFileChooser([&](bool, const QString&, const QString&) { return QString::fromStdString(bad); });
    click("Load shown List");
    EXPECT_EQ(page()->progress()->outcome(), "red");
    EXPECT_EQ(window->statusText(), QString::fromStdString("Error: line 3 of " + bad + " is no table entry"));
    EXPECT_EQ(page()->lineTexts(), loaded); // the shown table stays as it was
    click("Get Default shown List");
}

TEST_F(ReMaPage, TheBacnetViewRenamesTheTablesAndHidesTheDateTimeParts)
{
    open("ReMa");
    click("Get Default shown List");
    catalogue.Holding(Reg::Protocol).value = 1;
    window->protocolChanged(); // as the Common page reports a protocol switch
    EXPECT_EQ(selectorTexts(page()->selectorBox()),
              (QStringList{"BN AV IV CSV TIME DATETIME", "BN AI", "BN BI BV"}));
    const QStringList lines = page()->lineTexts();
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.startsWith("2019\t"); }));
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.startsWith("7043\t"); }));
    EXPECT_TRUE(lines.contains("7042\tConfig Time Programs (7000 - 7999)\t7042 - Event Time"));
    choose(page()->selectorBox(), 2);
    EXPECT_EQ(page()->addressField()->maximum(), 399);
    EXPECT_EQ(page()->addressField()->value(), 1);
    catalogue.Holding(Reg::Protocol).value = 0;
    window->protocolChanged();
    EXPECT_EQ(page()->selectorBox()->currentText(), "Holding");
}

TEST_F(ReMaPage, ADamagedChunkLeavesTheShownTableAsItWas)
{
    std::vector<std::string> options = Unit();
    options.insert(options.end(), {"--rema-bad-chunk", "1"});
    connect(options);
    open("ReMa");
    click("Get Default shown List");
    remap(5000, "Data Room Climate (400 - 699)", 400);
    click("Write shown List to Target");
    ASSERT_EQ(window->statusText(), "Done");
    click("Get Default shown List");
    remap(6000, "Data Room Climate (400 - 699)", 401);
    const QStringList before = page()->lineTexts();
    click("Read shown List from Target");
    EXPECT_EQ(window->statusText(), "Error: -12");
    EXPECT_EQ(window->statusDetail().toStdString(), ResultText(Result::RemaChunkCrcWrong));
    EXPECT_EQ(page()->lineTexts(), before);
}

TEST_F(ReMaPage, EachFailedRequestIsExplainedInItsOwnWords)
{
    // The page keeps its short texts; the detail line gives the ReMa step's
    // own words, not those of a register command with the same number.
    const struct
    {
        const char* fault;
        const char* status;
        int code;
    } cases[] = {{"1", "Error: -2", Result::RemaRequestNoReply}, {"2", "Error: -3", Result::RemaNoCount}};
    for (const auto& c : cases) {
        std::vector<std::string> options = Unit();
        options.insert(options.end(), {"--rema-count-fault", c.fault});
        connect(options);
        open("ReMa");
        click("Read shown List from Target");
        EXPECT_EQ(window->statusText(), c.status);
        EXPECT_EQ(window->statusDetail().toStdString(), ResultText(c.code)) << c.status;
        EXPECT_EQ(window->statusDetail().indexOf("limits"), -1);
    }
    // A chunk request that could not be sent ("Error: -10"), as the page
    // reports it: not a failed register read.
    window->setStatus(ReMa::StatusText(Result::RemaChunkNotSent), Result::RemaChunkNotSent);
    EXPECT_EQ(window->statusText(), "Error: -10");
    EXPECT_EQ(window->statusDetail().toStdString(), ResultText(Result::RemaChunkNotSent));
    connect(Unit());
}

TEST_F(ReMaPage, InDemoModeTheUnitButtonsAreOff)
{
    startDemoMode();
    show("ReMa");
    EXPECT_FALSE(page()->button("Read shown List from Target")->isEnabled());
    EXPECT_FALSE(page()->button("Write shown List to Target")->isEnabled());
    EXPECT_TRUE(page()->button("Save shown List")->isEnabled());
}

} // namespace

// A shown table that takes a register away from its address goes to the
// unit only after the installer said yes to it.
TEST_F(ReMaPage, WritingATableThatTakesRegistersAwayAsksFirst)
{
    open("ReMa");
    click("Get Default shown List");
    QSpinBox* field = page()->addressField();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "401");
    click("Delete selected Entry");

    std::size_t from = mark();
    {
        const auto no = testsupport::WhenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(box->text().contains("takes 1 register(s) away")) << box->text().toStdString();
            box->button(QMessageBox::No)->click();
        });
        click("Write shown List to Target");
        EXPECT_TRUE(no.appeared());
    }
    EXPECT_EQ(window->statusText(), "Not written.");
    EXPECT_FALSE(has(received(from), "Cw0"));

    from = mark();
    {
        const auto yes = testsupport::WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        click("Write shown List to Target");
        EXPECT_TRUE(yes.appeared());
    }
    EXPECT_EQ(window->statusText(), "Done");
    EXPECT_TRUE(has(received(from), "Cw2"));

    click("Get Default shown List");
    click("Write shown List to Target");
    EXPECT_EQ(window->statusText(), "Done");
}
