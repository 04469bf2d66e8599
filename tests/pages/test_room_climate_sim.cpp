// The Room Climate page in the real main window, offscreen, against
// tavemo-unitsim on a pseudo-terminal: what the unit received (the
// simulator's transcript) and what the controls show.
#include "tests/support/PagesOnUnit.h"

#include "pages/CPicturePanel.h"
#include "pages/CTabRoomClimate.h"
#include "pages/core/PageText.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <functional>

using testsupport::WhenModal;
using namespace RoomClimateId;
using Page::ControlId;

namespace {

// The Room Climate page against one unit. A test that connects another unit
// puts the suite's unit back before it ends.
class RoomClimatePage : public pagetest::PagesOnUnit
{
protected:
    // Selects the page's tab, coming from another one: the page reads the unit.
    void open() { PagesOnUnit::open("Room Climate"); }
    CTabRoomClimate* page() const { return qobject_cast<CTabRoomClimate*>(window->page(PageId::RoomClimate)); }
    QString text(ControlId id) const { return PagesOnUnit::text(page(), id); }
    template <class W> W* widget(ControlId id) const { return page()->widget<W>(id); }
    void choose(ControlId id, int index) { PagesOnUnit::choose(widget<QComboBox>(id), index); }
    void type(ControlId id, const char* typed) { PagesOnUnit::type(page(), id, typed); }
    // 3749 is one the bus may only read: the special write reaches it.
    static void setOnUnit(uint16_t address, uint16_t value) { PagesOnUnit::setOnUnit(address, value, true); }
};

} // namespace

TEST_F(RoomClimatePage, ReadShowsTheUnitAndLeavesItsLiveStateToIt)
{
    open();
    EXPECT_EQ(window->statusText(), "Done.");
    EXPECT_EQ(text(SetpointTemp), "21.0");
    EXPECT_EQ(text(SetpointAbsolut), "21.0");
    EXPECT_EQ(text(FanLabel), "Fan");
    EXPECT_EQ(page()->controls().index(FanSteps), 2);
    EXPECT_EQ(widget<QComboBox>(FanSteps)->currentText(), "3");
    EXPECT_EQ(widget<QComboBox>(OpModeStatus)->currentText(), "2 = heating");
    for (ControlId id : {SetpointOffset, SetpointAbsolut, OpModeStatus, PresenceStatus, FanAutoMode, FanLevel})
        EXPECT_FALSE(page()->controls().enabled(id)) << id;
    EXPECT_TRUE(page()->controls().enabled(FanInTempMenu));
    EXPECT_FALSE(theModbus.isOpen());

    // A unit without a fan: nothing to show in the temperature menu.
    setOnUnit(3749, 0);
    widget<QPushButton>(Page::kReadTarget)->click();
    EXPECT_FALSE(page()->controls().enabled(FanInTempMenu));
    setOnUnit(3749, 1);
    widget<QPushButton>(Page::kReadTarget)->click();
    EXPECT_TRUE(page()->controls().enabled(FanInTempMenu));

    // Fan steps: the entry shows the number the unit gets.
    const std::size_t from = mark();
    choose(FanSteps, 4);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw3762 5"});
    EXPECT_EQ(window->statusText(), "Done.");
}

TEST_F(RoomClimatePage, ChangesWriteWhatTheUnitTakes)
{
    open();
    struct Case
    {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> written;
        const char* status;
    };
    const Case cases[] = {
        {"reserved 6 above type 2000", [&] { choose(CurrentTempDisplay, 6); }, {"Mw3651 0"}, "Done."},
        {"reserved 7", [&] { choose(CurrentTempDisplay, 7); }, {"Mw3651 0"}, "Done."},
        {"a sensor", [&] { choose(CurrentTempDisplay, 9); }, {"Mw3651 9"}, "Done."},
        {"a comma", [&] { type(SetpointTemp, "21,5"); }, {"Mw400 215"}, "Done."},
        {"out of range", [&] { type(SetpointTemp, "130"); }, {},
         "Error: selected value out of range [0;1220] !"},
        {"Fan Lock alone", [&] { widget<QCheckBox>(FanLock)->click(); }, {"Mw409 2"}, "Done."},
        {"ECO and Error",
         [&] {
             widget<QCheckBox>(Eco)->setChecked(true);
             widget<QCheckBox>(FrostProtection)->setChecked(false);
             widget<QCheckBox>(WindowContact)->setChecked(false);
             widget<QCheckBox>(DewPoint)->setChecked(false);
             widget<QCheckBox>(Error)->setChecked(false);
             widget<QCheckBox>(Error)->click(); // checks it: ECO + Error
         },
         {"Mw3802 24"}, "Done."},
        {"presence reboot: stored only", [&] { widget<QCheckBox>(PresenceReboot)->click(); }, {}, "Done."},
    };
    for (const Case& c : cases) {
        const std::size_t from = mark();
        c.act();
        EXPECT_EQ(writes(from), c.written) << c.what;
        EXPECT_EQ(window->statusText(), c.status) << c.what;
    }
    // The presence reboot box waits for its write: a second click is back
    // at the unit's value.
    EXPECT_EQ(page()->controls().editState(PresenceReboot), EditState::Edited);
    widget<QCheckBox>(PresenceReboot)->click();
    EXPECT_EQ(page()->controls().editState(PresenceReboot), EditState::Clean);
    EXPECT_EQ(widget<QComboBox>(CurrentTempDisplay)->currentText(), "9 = HumS2Bus");
    EXPECT_EQ(text(SetpointTemp), "21.5"); // written before; the refused 130 gave way to what the unit holds
}

TEST_F(RoomClimatePage, TheFanLabelGoesInOneCommandAndReadsBack)
{
    open();
    const std::size_t from = mark();
    type(FanLabel, "Kitchen");
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw3750 75 105 116 99 104 101 110 0 0 0 0 0"});
    EXPECT_EQ(window->statusText(), "Done.");
    widget<QLineEdit>(FanLabel)->clearFocus();
    widget<QLineEdit>(FanLabel)->setText("x");
    {
        // The "x" was never written: the read asks first, and the user lets it go.
        const auto discard = WhenModal<QMessageBox>([](QMessageBox* question) {
            for (QAbstractButton* b : question->buttons())
                if (b->text().remove('&') == QLatin1String("Discard"))
                    b->click();
        });
        widget<QPushButton>(Page::kReadTarget)->click();
        EXPECT_TRUE(discard.appeared());
    }
    EXPECT_EQ(text(FanLabel), "Kitchen");
    // Longer texts are cut as typed.
    type(FanLabel, "Ventilation fan");
    EXPECT_EQ(text(FanLabel), "Ventilation ");
}

TEST_F(RoomClimatePage, HoverNamesTheBitAndMarksTheScreen)
{
    open();
    CTabRoomClimate* p = page();
    hover(p->controls().widget(FanLock));
    EXPECT_EQ(window->registerInfo().toStdString(),
              PageText::RegisterInfo(409, catalogue.Holding(409).value, "RCBBMS_Fan_Lock_409_bit1"));
    hover(p->controls().label(FanLabel));
    CPicturePanel* panel = p->picturePanel();
    EXPECT_EQ(panel->picture(), Page::Picture::RoomFan);
    ASSERT_EQ(panel->frameRects().size(), 1u);
    EXPECT_EQ(panel->frameRects()[0].right, panel->width() * 40 / 100);
    hover(p->controls().label(PresenceStatus));
    EXPECT_EQ(panel->picture(), Page::Picture::RoomPresence);
    hover(p->controls().label(SetpointAfterReboot)); // no element of the screen
    EXPECT_EQ(panel->picture(), Page::Picture::RoomTemperature);
    EXPECT_TRUE(panel->frameRects().empty());
}

TEST_F(RoomClimatePage, EveryInputIsReachableByItsLabel)
{
    CTabRoomClimate* p = page();
    for (const Page::Row& row : CRoomClimateLogic::PageDescription().rows) {
        QWidget* w = p->controls().widget(row.id);
        if (!w || row.kind == Page::Kind::Heading)
            continue;
        QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(w);
        ASSERT_TRUE(ai) << row.caption;
        QStringList names{ai->text(QAccessible::Name)};
        for (const auto& relation : ai->relations(QAccessible::Label))
            names << relation.first->text(QAccessible::Name);
        names.replaceInStrings(QStringLiteral("&"), QString());
        EXPECT_TRUE(names.contains(QString::fromUtf8(row.caption))) << row.caption << " " << names.join('|').toStdString();
    }
}

// Last: it connects units of its own and puts the suite's back.
TEST_F(RoomClimatePage, AnOlderUnitKeepsEntrySixAndShowsAMissingSetpoint)
{
    connect({"--device-type", "1003", "--pin", kPin, "--holding", "3603=-420"});
    open();
    EXPECT_EQ(text(SetpointAfterReboot), "---");
    const std::size_t from = mark();
    choose(CurrentTempDisplay, 6);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw3651 6"});
    EXPECT_EQ(window->statusText(), "Done.");
    connect(Unit());
}

// Answers the page's next question with the button of this caption (its
// mnemonic left out) and keeps the question's text.
static auto AnswerWith(const char* button, QString* text)
{
    return WhenModal<QMessageBox>([button, text](QMessageBox* question) {
        *text = question->text();
        for (QAbstractButton* b : question->buttons())
            if (b->text().remove('&') == QLatin1String(button))
                b->click();
    });
}

TEST_F(RoomClimatePage, PresenceRebootIsAnUnwrittenEditUntilWritten)
{
    setOnUnit(3801, 0);
    open();
    auto* box = widget<QCheckBox>(PresenceReboot);
    ASSERT_FALSE(box->isChecked());
    box->click();
    EXPECT_EQ(page()->controls().editState(PresenceReboot), EditState::Edited);
    EXPECT_EQ(box->accessibleDescription(), "changed, not written: press Enter to write");

    // "Save To NVRAM" asks and names the box; "Stay" sends nothing.
    std::size_t from = mark();
    QString asked;
    {
        const auto stay = AnswerWith("Stay", &asked);
        widget<QPushButton>(Page::kSaveToNvram)->click();
        ASSERT_TRUE(stay.appeared());
    }
    EXPECT_TRUE(asked.contains("Enable Presence DI Reboot")) << asked.toStdString();
    EXPECT_TRUE(received(from).empty());
    EXPECT_TRUE(box->isChecked());

    // "Discard": the unit's value is back in the box and the catalogue.
    {
        const auto discard = AnswerWith("Discard", &asked);
        window->tabs()->setCurrentIndex(indexOf("Common")); // the user's click on another tab
        ASSERT_TRUE(discard.appeared());
    }
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(catalogue.Holding(3801).value, 0);
    EXPECT_TRUE(writes(from).empty());

    // "Write" on Save: the unit gets it, then stores.
    open();
    box->click();
    from = mark();
    {
        const auto write = AnswerWith("Write", &asked);
        widget<QPushButton>(Page::kSaveToNvram)->click();
        ASSERT_TRUE(write.appeared());
    }
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw3801 1", "Mw2013 1"}));
    EXPECT_EQ(page()->controls().editState(PresenceReboot), EditState::Clean);
    open();
    EXPECT_TRUE(widget<QCheckBox>(PresenceReboot)->isChecked()); // the unit has it now
    setOnUnit(3801, 0);
}

// "Read Target" shows the unit's values: over a box the user changed and
// has not written it asks first, as leaving the page does.
TEST_F(RoomClimatePage, ReadTargetAsksBeforeItReadsOverAnUnwrittenChange)
{
    setOnUnit(3801, 0);
    open();
    auto* box = widget<QCheckBox>(PresenceReboot);
    auto* read = widget<QPushButton>(Page::kReadTarget);
    box->click();
    QString asked;
    const struct
    {
        const char* button;
        std::vector<std::string> written;
        bool read, checked;
        EditState state;
    } kAnswers[] = {
        // The read cycle gives "Fan Control" back to the unit (3749).
        {"Cancel", {}, false, true, EditState::Edited},                      // the change stays, nothing is read
        {"Discard", {"Mw3749 1"}, true, false, EditState::Clean},            // the unit's value is back
        {"Write", {"Mw3801 1", "Mw3749 1"}, true, true, EditState::Clean}, // written, then read back
    };
    for (const auto& a : kAnswers) {
        if (!box->isChecked())
            box->click();
        ASSERT_EQ(page()->controls().editState(PresenceReboot), EditState::Edited) << a.button;
        const std::size_t from = mark();
        {
            const auto reply = AnswerWith(a.button, &asked);
            read->click();
            ASSERT_TRUE(reply.appeared()) << a.button;
        }
        EXPECT_TRUE(asked.contains("Enable Presence DI Reboot")) << asked.toStdString();
        EXPECT_EQ(writes(from), a.written) << a.button;
        EXPECT_EQ(has(received(from), "Mr3801"), a.read) << a.button;
        EXPECT_EQ(box->isChecked(), a.checked) << a.button;
        EXPECT_EQ(page()->controls().editState(PresenceReboot), a.state) << a.button;
    }
    setOnUnit(3801, 0);
}

TEST_F(RoomClimatePage, ARefusedNumberNamesItsLimitsInTheFieldsScaleInTheDetailLine)
{
    open();
    const struct
    {
        ControlId id;
        const char* typed;
        const char* status; // exactly as ever: the raw words
        const char* scaled;
    } kCases[] = {
        {SetpointTemp, "130", "Error: selected value out of range [0;1220] !", "(0.0 - 122.0 \u00b0C)"},
        {SetpointAfterReboot, "999", nullptr, nullptr},
    };
    for (const auto& c : kCases) {
        const std::size_t from = mark();
        type(c.id, c.typed);
        EXPECT_TRUE(writes(from).empty()) << c.typed;
        const RegisterEntry& e = catalogue.Holding(page()->logic().rowOf(c.id)->address);
        const std::string status = c.status ? std::string(c.status)
                                            : PageText::RangeMessage(e.min, e.max);
        const std::string scaled =
            c.scaled ? std::string(c.scaled)
                     : "(" + PageText::Tenths(e.min) + " - " + PageText::Tenths(e.max) + " \u00b0C)";
        EXPECT_EQ(window->statusText().toStdString(), status) << c.typed;
        const std::string detail = window->statusDetail().toStdString();
        EXPECT_TRUE(detail.starts_with("the number typed is outside")) << detail;
        EXPECT_TRUE(detail.ends_with(" " + scaled)) << detail;
    }
}
