// The Time Program page and its event dialog in the real main window,
// offscreen, against tavemo-unitsim on a pseudo-terminal: what the unit
// received (the simulator's transcript) and what the controls show.
#include "tests/support/PagesOnUnit.h"

#include "pages/CDlgTimeProgram.h"
#include "pages/CDlgTimeProgramPicture.h"
#include "pages/CPicturePanel.h"
#include "pages/CTabTimeProgram.h"
#include "pages/core/PageText.h"

#include <QCheckBox>
#include <QCompleter>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <cstdlib>

using testsupport::WhenModal;
namespace Dlg = TimeProgramDialogId;

namespace {

class TimeProgramPage : public pagetest::PagesOnUnit
{
protected:
    // The suite's unit, with the register address of program 45 unreadable.
    static std::vector<std::string> Unit()
    {
        std::vector<std::string> unit = PagesOnUnit::Unit();
        unit.insert(unit.end(), {"--fail-read", "7484"});
        return unit;
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_window && s_window->isStarted());
        if (!s_sim || !s_onSuiteUnit || window->comInterface()->demoMode() || !allTabsEnabled()) {
            connect(Unit());
            s_onSuiteUnit = true;
        }
        show("Time Program");
    }

    CTabTimeProgram* page() const
    {
        return qobject_cast<CTabTimeProgram*>(window->page(PageId::TimeProgram));
    }
    QPushButton* button(int program) const
    {
        return page()->widget<QPushButton>(TimeProgramId::FirstProgram + program - 1);
    }
    static QString text(CDlgTimeProgram* d, Page::ControlId id)
    {
        return QString::fromStdString(d->controls().text(id));
    }
    // Types into a dialog field as the user does (the old text replaced).
    static void typeInto(CDlgTimeProgram* d, Page::ControlId id, const char* typed)
    {
        auto* field = d->widget<QLineEdit>(id);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromUtf8(typed));
    }
    static void ok(CDlgTimeProgram* d) { d->widget<QPushButton>(Dlg::Ok)->click(); }
    // The program reads and writes (registers 7040 .. 7519) from the offset on.
    static std::vector<std::string> programTraffic(std::size_t from)
    {
        std::vector<std::string> lines;
        for (const std::string& line : received(from)) {
            if (line.size() < 3 || line[0] != 'M' || (line[1] != 'r' && line[1] != 'w'))
                continue;
            const int address = std::atoi(line.c_str() + 2);
            if (address >= 7040 && address <= 7519)
                lines.push_back(line);
        }
        return lines;
    }

    static inline bool s_onSuiteUnit = false;
};

} // namespace

TEST_F(TimeProgramPage, ButtonsShowTheActiveProgramsWithoutAskingTheUnit)
{
    const std::size_t from = mark();
    open("Time Program");
    EXPECT_EQ(button(5)->text(), "*  Time Progam 5  *"); // active on the unit
    EXPECT_EQ(button(3)->text(), "   Time Progam 3   ");
    EXPECT_EQ(button(48)->text(), "   Time Progam 48   ");
    EXPECT_TRUE(programTraffic(from).empty());
    // Assistive tools read the buttons' labels as they are.
    QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(button(5));
    ASSERT_NE(ai, nullptr);
    EXPECT_EQ(ai->text(QAccessible::Name), "*  Time Progam 5  *");

    auto* save = page()->widget<QPushButton>(Page::kSaveToNvram);
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->isEnabled());
    const std::size_t saved = mark();
    save->click();
    EXPECT_EQ(writes(saved), std::vector<std::string>{"Mw2013 1"});
    EXPECT_EQ(window->statusText(), "Done.");
}

TEST_F(TimeProgramPage, DialogChecksTheFieldsWritesTheProgramAndSharesTheScenesTime)
{
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgTimeProgram>([this](CDlgTimeProgram* d) {
        EXPECT_EQ(d->windowTitle(), "Time Program");
        EXPECT_EQ(text(d, Dlg::Heading), "Time Program 3");
        EXPECT_FALSE(d->controls().widget(Dlg::Unread)->isVisibleTo(d)); // all of it was read
        // Program 3 as the unit holds it: weekends at 8:00, 400 = 210.
        EXPECT_FALSE(d->widget<QCheckBox>(Dlg::Activate)->isChecked());
        EXPECT_TRUE(d->widget<QCheckBox>(Dlg::Saturday)->isChecked());
        EXPECT_EQ(text(d, Dlg::EventHour), "8");
        EXPECT_EQ(text(d, Dlg::RegisterAddress), "400");
        EXPECT_EQ(text(d, Dlg::RegisterNewValue), "210");
        EXPECT_TRUE(d->controls().widget(Dlg::Scene)->isVisibleTo(d));
        EXPECT_EQ(d->widget<QComboBox>(Dlg::Scene)->currentText(), "No assignment");

        // Every input answers to its label; hovering names the register in
        // the dialog's line and the main window's, and marks the screen.
        for (const char* label : {"Activate", "Mo", "Tu", "We", "Th", "Fr", "Sa", "Su", "Event Hour", "Event Minute",
                                  "Register Address", "Register New Value", "Assignment To Scene"})
            EXPECT_NE(reachable(d, QString::fromLatin1(label)), nullptr) << label;
        hover(d->controls().label(Dlg::EventHour));
        EXPECT_EQ(text(d, Dlg::Info).toStdString(), PageText::RegisterInfo(7062, 8, RegisterKeyName(7062)));
        EXPECT_EQ(window->registerInfo(), text(d, Dlg::Info));
        EXPECT_EQ(d->picturePanel()->picture(), Page::Picture::ScreenTimeProgram);
        EXPECT_EQ(d->picturePanel()->frameRects().size(), 1u);

        // Mo, We and Su.
        for (const Page::ControlId day : {Dlg::Saturday, Dlg::Monday, Dlg::Wednesday})
            d->widget<QCheckBox>(day)->click();
        // Hour 24: refused on leaving the field and on "OK"; the dialog stays.
        typeInto(d, Dlg::EventHour, "24");
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(d->controls().widget(Dlg::EventHour), &out);
        EXPECT_EQ(text(d, Dlg::Info), "Value of Event Hour is out of range (0 - 23)");
        EXPECT_EQ(accessibleLine(d->controls().widget(Dlg::Info)),
                  "Register Info|Value of Event Hour is out of range (0 - 23)|"
                  "Value of Event Hour is out of range (0 - 23)");
        ok(d);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(text(d, Dlg::Info), "Value of Event Hour is out of range (0 - 23)");
        typeInto(d, Dlg::EventHour, "07");
        choose(d->widget<QComboBox>(Dlg::Scene), 2);
        ok(d);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(text(d, Dlg::EventHour), "7");
    });
    button(3)->click();
    ASSERT_TRUE(shown.appeared());
    // Read in order, then written in order; programs 5 and 7 share scene 2,
    // program 6 (scene 1) keeps its time.
    const std::vector<std::string> traffic = programTraffic(from);
    ASSERT_GE(traffic.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(traffic.begin(), traffic.begin() + 7),
              (std::vector<std::string>{"Mr7060", "Mr7061", "Mr7062", "Mr7063", "Mr7064", "Mr7065", "Mr7066"}));
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw7060 0", "Mw7061 69", "Mw7062 7", "Mw7063 0",
                                                      "Mw7064 400", "Mw7065 210", "Mw7066 2", "Mw7081 69",
                                                      "Mw7082 7", "Mw7083 0", "Mw7101 69", "Mw7102 7",
                                                      "Mw7103 0"}));
    EXPECT_EQ(window->statusText(), "Done.");
    EXPECT_EQ(catalogue.Holding(7061).value, 69);
    EXPECT_EQ(catalogue.Holding(7066).value, 2);
}

// The picture is drawn from the fields: program 1 as the unit holds it, and
// a new drawing as soon as the hour is typed.
TEST_F(TimeProgramPage, ThePictureShowsTheProgramBeingEdited)
{
    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        CDlgTimeProgramPicture* picture = d->picturePanel();
        EXPECT_EQ(picture->screen().title, "Time program 1");
        EXPECT_EQ(picture->screen().time, "06:30");
        EXPECT_EQ(picture->screen().address, "400");
        EXPECT_EQ(picture->screen().scene, "No assignment");
        const QImage before = picture->grab().toImage();
        typeInto(d, Dlg::EventHour, "9");
        EXPECT_EQ(picture->screen().time, "09:30");
        const QImage after = picture->grab().toImage();
        EXPECT_EQ(after.size(), before.size());
        EXPECT_NE(after, before);
        d->reject();
    });
    button(1)->click();
    ASSERT_TRUE(shown.appeared());
}

TEST_F(TimeProgramPage, NewValueTakesMinus32767ButNotMinus32768)
{
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        EXPECT_EQ(text(d, Dlg::RegisterNewValue), "-45"); // signed, as the unit holds it
        typeInto(d, Dlg::RegisterNewValue, "-32768");
        ok(d);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(text(d, Dlg::Info), "Value of Register New Value is out of range (-32767 - 32767)");
        typeInto(d, Dlg::RegisterNewValue, "-32767");
        ok(d);
        EXPECT_FALSE(d->isVisible());
    });
    button(4)->click();
    ASSERT_TRUE(shown.appeared());
    EXPECT_TRUE(has(writes(from), "Mw7075 32769"));
    EXPECT_EQ(window->statusText(), "Done.");
}

// A program read only in part: the dialog names what it could not read, and
// "OK" leaves those registers as the unit has them.
TEST_F(TimeProgramPage, FieldsThatCouldNotBeReadAreNamedAndNotWritten)
{
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        QWidget* note = d->controls().widget(Dlg::Unread);
        EXPECT_TRUE(note->isVisibleTo(d));
        EXPECT_EQ(text(d, Dlg::Unread), "Not read from the unit: Register Address, Register New Value, Assignment "
                                        "To Scene. The unit keeps its values for these unless you change them.");
        d->widget<QCheckBox>(Dlg::Activate)->click();
        ok(d);
    });
    button(45)->click();
    ASSERT_TRUE(shown.appeared());
    const auto traffic = programTraffic(from);
    EXPECT_FALSE(has(traffic, "Mr7485"));
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw7480 1", "Mw7481 0", "Mw7482 0", "Mw7483 0"}));
    EXPECT_EQ(window->statusText(), "Done.");
    EXPECT_EQ(button(45)->text(), "*  Time Progam 45  *");
}

TEST_F(TimeProgramPage, DemoModeShowsAndStoresTheCatalogueAndSendsNothing)
{
    startDemoMode();
    open("Time Program");
    EXPECT_FALSE(page()->controls().enabled(Page::kSaveToNvram));
    catalogue.Holding(7063).value = 20;
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        EXPECT_EQ(text(d, Dlg::EventMinute), "20");
        EXPECT_FALSE(d->controls().widget(Dlg::Unread)->isVisibleTo(d));
        d->widget<QCheckBox>(Dlg::Activate)->setChecked(true);
        ok(d);
    });
    button(3)->click();
    ASSERT_TRUE(shown.appeared());
    EXPECT_TRUE(received(from).empty());
    EXPECT_EQ(catalogue.Holding(7060).value, 1);
    EXPECT_EQ(button(3)->text(), "*  Time Progam 3  *");
}

TEST_F(TimeProgramPage, BelowDeviceType2000TheSceneIsNeitherShownNorReadNorWritten)
{
    connect({"--device-type", "1004", "--pin", kPin});
    s_onSuiteUnit = false;
    show("Time Program");
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        EXPECT_FALSE(d->controls().widget(Dlg::Scene)->isVisibleTo(d));
        EXPECT_FALSE(d->controls().label(Dlg::Scene)->isVisibleTo(d));
        EXPECT_FALSE(d->controls().widget(Dlg::Unread)->isVisibleTo(d));
        ok(d);
    });
    button(3)->click();
    ASSERT_TRUE(shown.appeared());
    const auto traffic = programTraffic(from);
    EXPECT_TRUE(has(traffic, "Mr7065"));
    EXPECT_FALSE(has(traffic, "Mr7066"));
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw7060 0", "Mw7061 96", "Mw7062 8", "Mw7063 0",
                                                      "Mw7064 400", "Mw7065 210"}));
}

TEST_F(TimeProgramPage, WithNoUnitOkOnlyStoresTheProgramInTheCatalogue)
{
    catalogue.Holding(7062).value = 5;
    s_sim.reset(); // the unit is gone
    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        EXPECT_EQ(text(d, Dlg::EventHour), "5"); // what the catalogue holds
        EXPECT_FALSE(d->controls().widget(Dlg::Scene)->isVisibleTo(d));
        typeInto(d, Dlg::EventHour, "9");
        ok(d);
    });
    button(3)->click();
    ASSERT_TRUE(shown.appeared());
    EXPECT_EQ(catalogue.Holding(7062).value, 9);
    EXPECT_EQ(window->statusText(), "Error: No device connected or PIN wrong."); // from opening, left standing
}

// Beside the address the register's name, beside the value its page's form,
// following what is typed; "Find Register" finds a register by part of its
// name and puts its address in place.
TEST_F(TimeProgramPage, TheRegisterIsNamedAndItsValueShownInItsPagesForm)
{
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        // Program 1 on the unit: 400 = 215, the unit works in °C.
        EXPECT_EQ(text(d, Dlg::AddressName), "400 - Setpoint Temp");
        EXPECT_EQ(text(d, Dlg::ValueShown), "21.5 \u00b0C");
        typeInto(d, Dlg::RegisterNewValue, "230");
        EXPECT_EQ(text(d, Dlg::ValueShown), "23.0 \u00b0C");
        // Assistive tools read what the line shows now.
        EXPECT_EQ(accessibleNameOf(d->controls().widget(Dlg::ValueShown)), "23.0 \u00b0C");
        typeInto(d, Dlg::RegisterAddress, "9999");
        EXPECT_EQ(text(d, Dlg::AddressName), "no such register");
        EXPECT_EQ(text(d, Dlg::ValueShown), "");
        EXPECT_EQ(d->picturePanel()->screen().registerName, "no such register");

        auto* find = d->widget<QComboBox>(Dlg::FindRegister);
        EXPECT_EQ(reachable(d, QStringLiteral("Find Register")), find);
        find->completer()->setCompletionPrefix(QStringLiteral("opmode stat"));
        ASSERT_GE(find->completer()->completionCount(), 1);
        EXPECT_EQ(find->completer()->currentCompletion(), "404 - OpMode Status");
        choose(find, find->findText(QStringLiteral("404 - OpMode Status")));
        EXPECT_EQ(text(d, Dlg::RegisterAddress), "404");
        EXPECT_EQ(text(d, Dlg::AddressName), "404 - OpMode Status");
        EXPECT_EQ(d->picturePanel()->screen().address, "404");
        typeInto(d, Dlg::RegisterNewValue, "2");
        EXPECT_EQ(text(d, Dlg::ValueShown), "2 = heating");
        ok(d);
    });
    button(1)->click();
    ASSERT_TRUE(shown.appeared());
    EXPECT_TRUE(has(writes(from), "Mw7044 404"));
    EXPECT_TRUE(has(writes(from), "Mw7045 2"));
}

// "Read Target" reads the 48 programs, each in the dialog's order, and the
// overview shows them as the unit holds them; a double-click opens one.
TEST_F(TimeProgramPage, ReadTargetFillsTheOverviewFromTheUnit)
{
    connect({"--device-type", "2050", "--temp-unit", "1", "--pin", kPin, "--holding", "7080=1", "--holding",
             "7081=96", "--holding", "7082=9", "--holding", "7083=45", "--holding", "7084=400", "--holding",
             "7085=225", "--holding", "7086=3"});
    s_onSuiteUnit = false;
    show("Time Program");
    QTableWidget* overview = page()->overview();
    ASSERT_NE(overview, nullptr);
    EXPECT_EQ(overview->rowCount(), 48);
    EXPECT_EQ(accessibleNameOf(overview), "Programs");
    const auto cells = [overview](int program) {
        QStringList row;
        for (int c = 0; c < overview->columnCount(); ++c)
            row << overview->item(program - 1, c)->text();
        return row;
    };
    EXPECT_NE(cells(5), (QStringList{"5", "on", "Sa Su", "09:45", "400 - Setpoint Temp", "22.5 \u00b0C", "Scene 3"}));
    // Grey until read: the connection read only the activate flags.
    const auto grey = [overview](int program) {
        return overview->item(program - 1, 2)->data(Qt::ForegroundRole).isValid();
    };
    EXPECT_TRUE(grey(5));

    const std::size_t from = mark();
    auto* read = page()->widget<QPushButton>(Page::kReadTarget);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->text().remove('&'), "Read Target");
    read->click();
    EXPECT_EQ(window->statusText(), "Done.");
    const std::vector<std::string> traffic = programTraffic(from);
    ASSERT_EQ(traffic.size(), 48u * 7u);
    EXPECT_EQ(std::vector<std::string>(traffic.begin() + 28, traffic.begin() + 35),
              (std::vector<std::string>{"Mr7080", "Mr7081", "Mr7082", "Mr7083", "Mr7084", "Mr7085", "Mr7086"}));
    EXPECT_TRUE(writes(from).empty());
    EXPECT_EQ(cells(5), (QStringList{"5", "on", "Sa Su", "09:45", "400 - Setpoint Temp", "22.5 \u00b0C", "Scene 3"}));
    EXPECT_EQ(cells(1), (QStringList{"1", "on", "Mo-Fr", "06:30", "400 - Setpoint Temp", "21.5 \u00b0C",
                                     "No assignment"}));
    EXPECT_FALSE(overview->isColumnHidden(6));
    EXPECT_FALSE(grey(5));

    auto shown = WhenModal<CDlgTimeProgram>([](CDlgTimeProgram* d) {
        EXPECT_EQ(text(d, Dlg::Heading), "Time Program 5");
        EXPECT_EQ(text(d, Dlg::EventHour), "9");
        d->reject();
    });
    const QRect cell = overview->visualRect(overview->model()->index(4, 3));
    ASSERT_TRUE(overview->viewport()->rect().contains(cell));
    // A double-click as the window system delivers it: a click, then the
    // second press.
    QTest::mouseClick(overview->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(overview->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    ASSERT_TRUE(shown.appeared());
}
