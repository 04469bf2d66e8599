// The Room Climate page in the real main window, offscreen, against
// tavemo-unitsim on a pseudo-terminal: what the unit received (the
// simulator's transcript) and what the controls show.
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "link/CModbus.h"
#include "link/CPassword.h"
#include "link/ui/CDlgPw.h"
#include "link/ui/CTabInterface.h"
#include "pages/CPicturePanel.h"
#include "pages/CTabRoomClimate.h"
#include "pages/core/PageText.h"
#include "tests/support/QtApp.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WhenModal.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>

using testsupport::SimProcess;
using testsupport::WhenModal;
using namespace RoomClimateId;
using Page::ControlId;

namespace {

constexpr const char* kPin = "42";
const std::vector<std::string> kUnit = {"--device-type", "2050", "--pin", kPin};

// One simulator and one connected main window for the suite (connecting
// costs about two seconds). A test that connects another unit puts the
// suite's unit back before it ends.
class RoomClimatePage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        testsupport::App();
        std::filesystem::remove(std::filesystem::temp_directory_path() / CPassword::kFileName);
        s_catalogue = std::make_unique<RegisterCatalogue>();
        s_catalogue->Build();
        s_window = std::make_unique<CTavemoConfigurationToolDlg>(*s_catalogue, theModbus);
        s_window->show();
        (void)QTest::qWaitFor([] { return s_window->isStarted(); }, 3000);
    }
    static void TearDownTestSuite()
    {
        theModbus.disconnect();
        s_window.reset();
        s_sim.reset();
        s_catalogue.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_window && s_window->isStarted());
        if (!s_sim || window->comInterface()->demoMode() || !allTabsEnabled())
            connect(kUnit);
    }

    void connect(const std::vector<std::string>& options)
    {
        s_sim.reset();
        s_sim = std::make_unique<SimProcess>(options, "ttySIM6");
        ASSERT_TRUE(s_sim->ready());
        CTabInterface* com = window->comInterface();
        com->refreshPortList();
        com->portList()->setCurrentIndex(
            com->portList()->findText(QString::fromStdString(s_sim->name()), Qt::MatchStartsWith));
        const auto answer = WhenModal<CDlgPw>([](CDlgPw* prompt) {
            prompt->field()->setText(QString::fromLatin1(kPin));
            prompt->accept();
        });
        com->OnConnect();
        ASSERT_EQ(window->statusText(), "Ready.");
        ASSERT_TRUE(allTabsEnabled());
    }
    bool allTabsEnabled() const
    {
        for (int i = 0; i < window->tabs()->count(); ++i)
            if (!window->tabs()->IsTabEnabled(i))
                return false;
        return true;
    }
    // Selects the page's tab, coming from the first one: the page reads the unit.
    void open()
    {
        const int index = window->tabs()->captions().indexOf(QStringLiteral("Room Climate"));
        ASSERT_GE(index, 0);
        select(0);
        select(index);
    }
    void select(int index)
    {
        ASSERT_TRUE(window->SelectTab(index));
        ASSERT_TRUE(QTest::qWaitFor([this, index] { return window->lastTab() == index; }, 2000));
    }
    CTabRoomClimate* page() const { return qobject_cast<CTabRoomClimate*>(window->page(PageId::RoomClimate)); }
    QString text(ControlId id) const { return QString::fromStdString(page()->controls().text(id)); }
    template <class W> W* widget(ControlId id) const { return page()->widget<W>(id); }

    static std::vector<std::string> writes(std::size_t from)
    {
        std::vector<std::string> w;
        std::istringstream in(s_sim->transcript().substr(from));
        for (std::string line; std::getline(in, line);)
            if (line.rfind("RX ", 0) == 0 && line.size() > 5 && line[4] == 'w')
                w.push_back(line.substr(3));
        return w;
    }
    static std::size_t mark() { return s_sim->transcript().size(); }
    static void setOnUnit(uint16_t address, uint16_t value)
    {
        // The special write reaches registers the bus may only read.
        CModbus other;
        ASSERT_EQ(other.connect(s_sim->name()), 0);
        ASSERT_EQ(other.writeHoldingSpecial(address, value), 0) << address;
        other.disconnect();
    }
    void choose(ControlId id, int index)
    {
        auto* list = widget<QComboBox>(id);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    void type(ControlId id, const char* typed)
    {
        auto* field = widget<QLineEdit>(id);
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
    }
    static void hover(QWidget* target)
    {
        const QPointF centre(target->width() / 2.0, target->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, centre, target->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }

    static inline std::unique_ptr<RegisterCatalogue> s_catalogue;
    static inline std::unique_ptr<CTavemoConfigurationToolDlg> s_window;
    static inline std::unique_ptr<SimProcess> s_sim;
    RegisterCatalogue& catalogue = *s_catalogue;
    CTavemoConfigurationToolDlg* window = s_window.get();
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
    widget<QPushButton>(Page::kReadTarget)->click();
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
    connect(kUnit);
}
