// The Controller page and its configuration dialogs in the real main window,
// offscreen, against tavemo-unitsim on a pseudo-terminal: what the unit
// received (the simulator's transcript) and what the controls show.
#include "tests/support/PageFakes.h"
#include "tests/support/PagesOnUnit.h"

#include "pages/CDlgConfigure1.h"
#include "pages/CDlgConfigure2.h"
#include "pages/CDlgConfigureGlobal.h"
#include "pages/CTabController.h"
#include "pages/core/PageText.h"

#include <cstdio>
#include <functional>

#include <QLabel>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using testsupport::WhenModal;
using namespace ControllerId;

namespace {

class ControllerPage : public pagetest::PagesOnUnit
{
protected:
    CTabController* page() const { return qobject_cast<CTabController*>(window->page(PageId::Controller)); }

    // Connects to a unit of that device type unless the suite's unit is one.
    void unitOfType(const char* type)
    {
        if (catalogue.Holding(2000).value != std::stoi(type))
            connect({"--device-type", type, "--pin", kPin});
    }
    static void click(CPageWidget* p, Page::ControlId id)
    {
        auto* button = qobject_cast<QAbstractButton*>(p->controls().widget(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    // The register numbers of the plain reads or writes ("Mr8013", "Mw8013 20").
    static std::vector<int> addresses(const std::vector<std::string>& lines, char kind)
    {
        std::vector<int> out;
        for (const std::string& line : lines)
            if (line.size() > 2 && line[0] == 'M' && line[1] == kind)
                out.push_back(std::stoi(line.substr(2)));
        return out;
    }
    // The last read of an address (the dialog's list starts with 2010,
    // which the identification before it reads too).
    static std::vector<int>::const_iterator lastRead(const std::vector<int>& reads, int address)
    {
        const auto it = std::find(reads.rbegin(), reads.rend(), address);
        return it == reads.rend() ? reads.end() : std::prev(it.base());
    }
    static QString fieldText(CDlgControllerForm* d, uint16_t address)
    {
        return d->controls().text(d->logic().fieldId(address)).c_str();
    }
    static void setField(CDlgControllerForm* d, uint16_t address, const char* text)
    {
        auto* field = qobject_cast<QLineEdit*>(d->field(address));
        ASSERT_NE(field, nullptr) << address;
        field->setText(QString::fromLatin1(text));
    }
};

} // namespace

// ---- The page ----------------------------------------------------------------

TEST_F(ControllerPage, BusSensorChangeOverReleasesTheInputAndRereadsAfterTheTimer)
{
    // Input 1 switches the change-over today (17), by DI 1.
    setOnUnit(3900, 17);
    setOnUnit(8054, 1);
    open("Inputs");
    open("Controller");
    CTabController* p = page();
    ASSERT_TRUE(p->controls().checked(CoDiRadio));
    ASSERT_TRUE(p->controls().enabled(CoDiList));

    std::size_t from = mark();
    choose(p->widget<QComboBox>(CoDiList), 6);
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw8054 6", "Mw3900 2", "Mw3901 7"}));
    const auto r = received(from);
    EXPECT_TRUE(has(r, "Mr8054") && has(r, "Mr1602") && has(r, "Mr1600"));
    EXPECT_EQ(window->statusText(), "Refresh Change-Over Status. Please wait...");
    EXPECT_TRUE(p->changeOverTimer()->isActive());
    EXPECT_EQ(p->changeOverTimer()->interval(), CControllerLogic::kChangeOverDelayMs);
    EXPECT_EQ(CControllerLogic::kChangeOverDelayMs, 6500);
    // The unit's temperature decides now: its temperatures may be set.
    EXPECT_TRUE(p->controls().enabled(ConfigChangeOver));

    // 6.5 seconds later the page reads itself again, once.
    from = mark();
    p->changeOverTimerFired();
    EXPECT_FALSE(p->changeOverTimer()->isActive());
    EXPECT_TRUE(has(received(from), "Mr3749"));
    EXPECT_EQ(window->statusText(), "Done.");
    setOnUnit(8054, 0);
}

TEST_F(ControllerPage, TheChangeOverModeFollowsTheUnit)
{
    const struct
    {
        uint16_t byDi, byModbus;
        Page::ControlId radio, list;
    } kCases[] = {
        {0, 1, CoModbusRadio, CoModbusList},
        {0, 3, OpModeRadio, OpModeList},
        {4, 3, CoDiRadio, CoDiList},
    };
    for (const auto& c : kCases) {
        setOnUnit(8054, c.byDi);
        setOnUnit(1602, c.byModbus);
        show("Controller");
        CTabController* p = page();
        click(p, Page::kReadTarget);
        EXPECT_TRUE(p->controls().checked(c.radio)) << c.byDi << "/" << c.byModbus;
        for (const Page::ControlId list : {OpModeList, CoDiList, CoModbusList})
            EXPECT_EQ(p->controls().enabled(list), list == c.list)
                << c.byDi << "/" << c.byModbus << " " << list;
        // A change-over by a contact has no temperatures to set.
        EXPECT_FALSE(p->controls().enabled(ConfigChangeOver));
    }
    setOnUnit(8054, 0);
    setOnUnit(1602, 3);
}

TEST_F(ControllerPage, ModeRadioWritesBothListsAndWaitsForTheUnit)
{
    show("Controller");
    CTabController* p = page();
    const std::size_t from = mark();
    click(p, CoModbusRadio);
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw8054 0", "Mw1602 2"}));
    EXPECT_TRUE(p->controls().enabled(CoModbusList));
    EXPECT_FALSE(p->controls().enabled(OpModeList));
    EXPECT_FALSE(p->controls().enabled(DefaultReboot));
    EXPECT_EQ(window->statusText(), "Refresh Change-Over Status. Please wait...");
    EXPECT_TRUE(p->changeOverTimer()->isActive());
    p->changeOverTimer()->stop();
    setOnUnit(1602, 3);
}

TEST_F(ControllerPage, InactiveSecondControllerHasNoConfig)
{
    show("Controller");
    CTabController* p = page();
    ASSERT_TRUE(p->controls().enabled(SecondInactive)); // the change-over status is not 0
    std::size_t from = mark();
    click(p, SecondInactive);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw8044 2"});
    EXPECT_FALSE(p->controls().enabled(SecondConfig));
    from = mark();
    click(p, SecondPi);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw8044 0"});
    EXPECT_TRUE(p->controls().enabled(SecondConfig));
}

TEST_F(ControllerPage, FanConfigWithoutMappingOnlyInforms)
{
    show("Controller");
    CTabController* p = page();
    choose(p->widget<QComboBox>(FanMapping), 0);
    std::size_t from = mark();
    QString text;
    auto info = WhenModal<QMessageBox>([&text](QMessageBox* box) {
        text = box->windowTitle() + "|" + box->text();
        box->accept();
    });
    click(p, FanConfig);
    EXPECT_TRUE(info.appeared());
    EXPECT_EQ(text,
              "Fan Controller|Fan control by the BMS.\r\nResponsible registers see Modbus register table");
    EXPECT_TRUE(received(from).empty());
    choose(p->widget<QComboBox>(FanMapping), 1);
}

// ---- The dialogs ------------------------------------------------------------

TEST_F(ControllerPage, OutOfLimitsMaximumKeepsTheDialogOpenAndTheCatalogueAsItWas)
{
    show("Controller");
    CTabController* p = page();
    // The PI dialog: its maximum is enabled on every unit (a row disabled
    // for the unit never blocks "OK").
    click(p, CoolingPi);
    const uint16_t before = catalogue.Holding(8012).value;
    std::size_t from = mark();
    bool stillOpen = false;
    QString info;
    auto answer = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        setField(d, 8012, "150");
        d->accept();
        stillOpen = d->isVisible();
        info = d->infoLine()->text();
        d->reject();
    });
    click(p, CoolingConfig);
    ASSERT_TRUE(answer.appeared());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(info, "Error: selected value out of range [0 - 100]");
    EXPECT_EQ(catalogue.Holding(8012).value, before); // cancelled: nothing changed
    EXPECT_TRUE(writes(from).empty());
    click(p, CoolingPi);
}

TEST_F(ControllerPage, OutputValuesShowTheSecondSetPointAndRefreshOnTheirOwn)
{
    setOnUnit(8049, static_cast<uint16_t>(-10));
    show("Controller");
    CTabController* p = page();
    // The offset in the second controller's dialog, signed in tenths.
    QString offset;
    auto second = WhenModal<CDlgConfigure2>([&](CDlgConfigure2* d) {
        offset = fieldText(d, 8049);
        d->reject();
    });
    click(p, SecondConfig);
    ASSERT_TRUE(second.appeared());
    EXPECT_EQ(offset, "-1.0");

    CDlgConfigure2::SetRefreshInterval(20);
    QString setPoint, heating;
    bool refreshed = false;
    bool editable = true;
    std::vector<std::string> refresh;
    auto view = WhenModal<CDlgConfigure2>([&](CDlgConfigure2* d) {
        setPoint = fieldText(d, 8044);
        heating = fieldText(d, 1617);
        editable = d->field(1617)->isEnabled();
        const std::size_t at = mark();
        refreshed = QTest::qWaitFor([at] { return has(received(at), "Mr8049"); }, 2000);
        d->reject();
        refresh = received(at);
    });
    click(p, ShowOutputValues);
    CDlgConfigure2::SetRefreshInterval(CControllerDialogLogic::kOutputRefreshMs);
    ASSERT_TRUE(view.appeared());
    EXPECT_EQ(setPoint, "20.0"); // (210 - 10) / 10
    EXPECT_EQ(heating, "3.50");
    EXPECT_FALSE(editable);
    EXPECT_TRUE(refreshed);
    // A periodic refresh reads the outputs only: the unit is not identified again.
    const std::vector<std::string> kOutputs = {"Mr1617", "Mr1618", "Mr1619", "Mr1620", "Mr1621",
                                               "Mr1622", "Mr1623", "Mr1616", "Mr8200", "Mr8031",
                                               "Mr402",  "Mr8044", "Mr8049"};
    ASSERT_GE(refresh.size(), kOutputs.size());
    EXPECT_EQ(std::vector<std::string>(refresh.begin(), refresh.begin() + 13), kOutputs);
    setOnUnit(8049, static_cast<uint16_t>(-5));
}

TEST_F(ControllerPage, EveryControlIsReachableByItsLabel)
{
    show("Controller");
    CTabController* p = page();
    for (const char* label :
         {"OPMode by Modbus", "Change-Over by DI / Temp", "Change-Over by Modbus", "Fan Mapping",
          "Heating: PI Ctrl", "Heating: ON/OFF", "Cooling: PI Ctrl", "Cooling: ON/OFF",
          "Heating/Cooling: PI Ctrl", "Heating/Cooling: ON/OFF", "Heating/Cooling: INACTIVE",
          "Fan Controller: PI Ctrl", "Fan Controller: ON/OFF", "Mode: OPMode by Modbus",
          "Mode: Change-Over by DI / Temp", "Mode: Change-Over by Modbus"})
        EXPECT_EQ(answering(p->controls().widgets(), label).size(), 1u) << label;
    EXPECT_EQ(accessibleName(p, StatusText).toStdString(), p->controls().text(StatusText));

    // Every field and list of every dialog mode answers to its register's name.
    FakeHost host;
    const struct
    {
        ControllerDialog dialog;
        bool pi;
        uint16_t fanMapping;
    } kModes[] = {{ControllerDialog::Global, false, 1},     {ControllerDialog::Heating, true, 1},
                  {ControllerDialog::Cooling, false, 1},    {ControllerDialog::Valve, false, 1},
                  {ControllerDialog::Second, true, 1},      {ControllerDialog::Second, false, 1},
                  {ControllerDialog::Fan, false, 2},        {ControllerDialog::Fan, true, 7},
                  {ControllerDialog::Fan, false, 7},        {ControllerDialog::Outputs, false, 1},
                  {ControllerDialog::FanOutput, false, 1},  {ControllerDialog::DefaultReboot, false, 1},
                  {ControllerDialog::ChangeOver, false, 1}, {ControllerDialog::OutputValues, false, 1}};
    for (const auto& m : kModes) {
        DialogRequest request;
        request.dialog = m.dialog;
        request.pi = m.pi;
        request.fanMapping = m.fanMapping;
        request.deviceType = 1000;
        CDlgConfigure2 d(request, catalogue, host, nullptr, p);
        for (const DialogField& f : d.logic().mode().fields)
            EXPECT_EQ(answering(d.controls().widgets(), catalogue.Holding(f.address).name.c_str()).size(), 1u)
                << static_cast<int>(m.dialog) << " " << f.address;
    }
}

// ---- Other device types ------------------------------------------------------

TEST_F(ControllerPage, RoomController1000ReadsAndWritesTheOutputDirectionsWithPi)
{
    unitOfType("1000");
    open("Controller");
    CTabController* p = page();
    ASSERT_TRUE(p->controls().checked(HeatingPi));
    const std::size_t from = mark();
    auto answer = WhenModal<CDlgConfigure1>([](CDlgConfigure1* d) { d->accept(); });
    click(p, HeatingConfig);
    ASSERT_TRUE(answer.appeared());
    const auto lines = received(from);
    const std::vector<int> reads = addresses(lines, 'r');
    // identifyDevice reads the device information (2010 among it) first;
    // the dialog's list follows.
    const auto first = lastRead(reads, 2010);
    ASSERT_NE(first, reads.end());
    EXPECT_EQ(std::vector<int>(first, reads.end()),
              (std::vector<int>{2010, 8013, 8014, 8015, 8016, 8008, 8018, 8051, 8005, 8019, 8027, 8050, 8025,
                                // the same-unit check before the writes
                                2000, 2001, 2002, 2003, 2008,
                                // each write is shown again: read back
                                8013, 8014, 8015, 8016, 8008, 8018, 8005, 8051, 8019, 8027, 8050, 8025}));
    EXPECT_EQ(addresses(lines, 'w'),
              (std::vector<int>{8013, 8014, 8015, 8016, 8008, 8018, 8005, 8051, 8019, 8027, 8050, 8025}));
    EXPECT_FALSE(p->controls().enabled(FanOutputButton)); // a 1000 has no analog fan output
}

TEST_F(ControllerPage, HeatingOnOffOn1002WritesTheMaximumAndLeavesTheDeviationAlone)
{
    unitOfType("1002");
    open("Controller");
    CTabController* p = page();
    click(p, HeatingOnOff);
    const uint16_t deviation = catalogue.Holding(8018).value;
    const std::size_t from = mark();
    bool minEnabled = false;
    auto answer = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        minEnabled = d->field(8015)->isEnabled();
        setField(d, 8016, "50");
        d->accept();
    });
    click(p, HeatingConfig);
    ASSERT_TRUE(answer.appeared());
    EXPECT_TRUE(minEnabled);
    const auto w = writes(from);
    EXPECT_TRUE(has(w, "Mw8016 50"));
    EXPECT_TRUE(has(w, "Mw8018 " + std::to_string(deviation)));
    EXPECT_FALSE(p->controls().enabled(ValveOutput)); // no 6-way valve on a 1002
    click(p, HeatingPi);
}

TEST_F(ControllerPage, Unit1004KeepsTheFanOnLevels)
{
    unitOfType("1004");
    open("Controller");
    CTabController* p = page();
    for (const int mapping : {1, 6, 9}) {
        choose(p->widget<QComboBox>(FanMapping), mapping);
        EXPECT_FALSE(p->controls().enabled(FanPi)) << mapping;
        EXPECT_FALSE(p->controls().enabled(FanOnOff)) << mapping;
    }
    // PI checked from earlier: the 1004 still gets the ON/OFF register set.
    p->widget<QRadioButton>(FanPi)->setChecked(true);
    choose(p->widget<QComboBox>(FanMapping), 6);
    std::size_t from = mark();
    bool levelsShown = false;
    QString unitLabel;
    auto fan = WhenModal<CDlgConfigure2>([&](CDlgConfigure2* d) {
        levelsShown = d->field(8207) && d->field(8207)->isVisibleTo(d) && d->field(8202) == nullptr;
        unitLabel = d->controls().text(ControllerDialogId::FirstUnit + 0).c_str();
        d->reject();
    });
    click(p, FanConfig);
    ASSERT_TRUE(fan.appeared());
    EXPECT_TRUE(levelsShown);
    EXPECT_EQ(unitLabel, "ppm");
    const auto reads = addresses(received(from), 'r');
    const auto first = lastRead(reads, 2010);
    ASSERT_NE(first, reads.end());
    EXPECT_EQ(std::vector<int>(first, reads.end()),
              (std::vector<int>{2010, 8003, 8004, 8200, 8204, 8205, 8206, 8207}));

    // The heating ON/OFF limits are not the 1004's.
    click(p, HeatingOnOff);
    bool limitsEnabled = true;
    auto heating = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        limitsEnabled = d->field(8015)->isEnabled() || d->field(8016)->isEnabled();
        d->reject();
    });
    click(p, HeatingConfig);
    ASSERT_TRUE(heating.appeared());
    EXPECT_FALSE(limitsEnabled);
    click(p, HeatingPi);
    choose(p->widget<QComboBox>(FanMapping), 1);
}

TEST_F(ControllerPage, AnUnreadRegisterIsGreyedNamedAndNotWritten)
{
    // Reads of 8014 fail on a unit holding 77 there.
    connect({"--pin", kPin, "--fail-read", "8014", "--holding", "8014=77", "--holding", "8016=60"});
    open("Controller");
    CTabController* p = page();
    click(p, HeatingPi);
    std::size_t from = mark();
    QString note;
    EditState state = EditState::Clean;
    auto answer = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        note = QString::fromStdString(d->controls().text(ControllerDialogId::Unread));
        state = d->controls().editState(d->logic().fieldId(8014));
        d->accept();
    });
    click(p, HeatingConfig);
    ASSERT_TRUE(answer.appeared());
    EXPECT_TRUE(note.startsWith("Not read from the unit: ")) << note.toStdString();
    EXPECT_TRUE(note.contains(QString::fromStdString(catalogue.Holding(8014).name))) << note.toStdString();
    EXPECT_EQ(state, EditState::Stale);
    const std::vector<int> written = addresses(received(from), 'w');
    EXPECT_EQ(std::count(written.begin(), written.end(), 8014), 0);
    EXPECT_NE(std::count(written.begin(), written.end(), 8016), 0);
    EXPECT_TRUE(has(received(from), "Mw8016 60"));

    // A value typed into the unread field is the user's: it is written.
    from = mark();
    auto typed = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        auto* field = qobject_cast<QLineEdit*>(d->field(8014));
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("30"));
        d->accept();
    });
    click(p, HeatingConfig);
    ASSERT_TRUE(typed.appeared());
    EXPECT_TRUE(has(received(from), "Mw8014 30"));
    connect(Unit());
}

TEST_F(ControllerPage, DialogRefusesAnEmptyFieldAndNamesTheRangeInTheFieldsScale)
{
    show("Controller");
    CTabController* p = page();
    click(p, HeatingPi);
    const std::size_t from = mark();
    QString empty, range, heard;
    auto answer = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        setField(d, 8014, "");
        d->accept();
        empty = d->infoLine()->text();
        setField(d, 8014, "20");
        setField(d, 8013, "999");
        d->accept();
        range = d->infoLine()->text();
        heard = accessibleLine(d->infoLine());
        d->reject();
    });
    click(p, HeatingConfig);
    ASSERT_TRUE(answer.appeared());
    EXPECT_EQ(empty, "Error: enter a number - nothing was written.");
    const RegisterEntry& e = catalogue.Holding(8013);
    char expected[128];
    std::snprintf(expected, sizeof expected, "Error: selected value out of range [%d - %d]  (%s - %s \u00b0C)",
                  static_cast<int>(e.min), static_cast<int>(e.max), PageText::Tenths(e.min).c_str(),
                  PageText::Tenths(e.max).c_str());
    EXPECT_EQ(range.toStdString(), expected);
    // Assistive tools read the message the line shows, under the line's name.
    EXPECT_EQ(heard, "Register Info|" + range + "|" + range);
    EXPECT_TRUE(writes(from).empty());
}

// ---- Failures, other units, demo mode ----------------------------------------

TEST_F(ControllerPage, AChangeOverChoiceSendsNothingToAnotherUnitBehindThePort)
{
    const struct
    {
        const char* what;
        void (*act)(CTabController*);
    } kChoices[] = {
        {"DI / Temp list", [](CTabController* p) { choose(p->widget<QComboBox>(CoDiList), 1); }},
        {"mode radio", [](CTabController* p) { click(p, CoModbusRadio); }},
        {"Modbus list", [](CTabController* p) { choose(p->widget<QComboBox>(CoModbusList), 1); }},
    };
    for (const auto& c : kChoices) {
        connect(Unit());
        show("Controller");
        CTabController* p = page();
        // Another unit is plugged in behind the same port name.
        restartUnit({"--device-type", "1004", "--pin", kPin});
        c.act(p);
        EXPECT_TRUE(writes(0).empty()) << c.what;
        EXPECT_EQ(window->statusText(), "another unit is attached: connect again") << c.what;
        EXPECT_FALSE(p->changeOverTimer()->isActive()) << c.what;
    }
    connect(Unit());
}

TEST_F(ControllerPage, EachFailureStaysOnTheStatusLine)
{
    const struct
    {
        const char* refused; // the register whose writes the unit refuses
        void (*act)(CTabController*);
        std::vector<std::string> written; // what reaches the unit, in order
    } kCases[] = {
        {"8054", [](CTabController* p) { choose(p->widget<QComboBox>(CoDiList), 1); }, {"Mw8054 1"}},
        // The change-over itself was taken; the input functions were not.
        {"3900", [](CTabController* p) { choose(p->widget<QComboBox>(CoDiList), 1); }, {"Mw8054 1", "Mw3900 17"}},
        {"1602", [](CTabController* p) { click(p, CoModbusRadio); }, {"Mw8054 0", "Mw1602 2"}},
        {"8016",
         [](CTabController* p) {
             click(p, HeatingOnOff);
             auto answer = WhenModal<CDlgConfigure1>([](CDlgConfigure1* d) { d->accept(); });
             click(p, HeatingConfig);
             EXPECT_TRUE(answer.appeared());
         },
         {}},
    };
    for (const auto& c : kCases) {
        connect({"--pin", kPin, "--fail-write", c.refused});
        show("Controller");
        CTabController* p = page();
        const std::size_t from = mark();
        c.act(p);
        const auto w = writes(from);
        if (!c.written.empty())
            EXPECT_EQ(w, c.written) << c.refused;
        else
            EXPECT_TRUE(has(w, std::string("Mw") + c.refused + " " +
                                   std::to_string(catalogue.Holding(static_cast<uint16_t>(std::stoi(c.refused))).value)))
                << c.refused;
        // The first failure's code stands; no later text of the same action
        // replaces it, and no re-read follows it.
        const QString status = window->statusText();
        EXPECT_TRUE(status.startsWith("Error: ")) << c.refused << ": " << status.toStdString();
        QTest::qWait(20);
        EXPECT_EQ(window->statusText(), status) << c.refused;
        EXPECT_FALSE(p->changeOverTimer()->isActive()) << c.refused;
        EXPECT_FALSE(p->logic().changeOverPending()) << c.refused;
    }
    connect(Unit());
}

TEST_F(ControllerPage, ADialogInDemoModeKeepsTheDemoDeviceTypeAndSendsNothing)
{
    show("Controller");
    auto chosen = WhenModal<CDlgDemoDevice>([](CDlgDemoDevice* chooser) {
        chooser->list()->setCurrentIndex(chooser->list()->findText("1002 = ", Qt::MatchStartsWith));
        chooser->accept();
    });
    window->comInterface()->StartDemoMode();
    ASSERT_TRUE(chosen.appeared());
    open("Controller");
    CTabController* p = page();
    ASSERT_EQ(p->logic().unit().deviceType(), 1002);
    click(p, HeatingOnOff);
    const std::size_t from = mark();
    int type = 0;
    bool limitsEnabled = false;
    auto answer = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        type = d->logic().request().deviceType;
        // The ON/OFF limits are the 1002's: it drives outputs of its own.
        limitsEnabled = d->field(8015)->isEnabled() && d->field(8016)->isEnabled();
        setField(d, 8016, "50");
        d->accept();
    });
    click(p, HeatingConfig);
    ASSERT_TRUE(answer.appeared());
    EXPECT_EQ(type, 1002);
    EXPECT_TRUE(limitsEnabled);
    EXPECT_TRUE(received(from).empty());
    EXPECT_EQ(p->logic().unit().deviceType(), 1002);
}

TEST_F(ControllerPage, TheChangeOverReReadNeverFiresElsewhere)
{
    const struct
    {
        const char* what;
        std::function<void(CTabController*)> act;
    } kWays[] = {
        {"page left", [this](CTabController*) { open("Common"); }},
        {"another action",
         [](CTabController* p) {
             // The dialog stays open long enough for the re-read to come.
             auto answer = WhenModal<CDlgConfigure1>([](CDlgConfigure1* d) {
                 QTest::qWait(150);
                 d->reject();
             });
             click(p, HeatingConfig);
             EXPECT_TRUE(answer.appeared());
         }},
        {"modal work of the window",
         [this](CTabController*) {
             window->enableMainWindow(false);
             QTest::qWait(150);
             window->enableMainWindow(true);
         }},
    };
    for (const auto& w : kWays) {
        show("Controller");
        CTabController* p = page();
        choose(p->widget<QComboBox>(OpModeList), 3);
        ASSERT_TRUE(p->changeOverTimer()->isActive()) << w.what;
        // Sooner than 6.5 seconds: the test does not wait that long.
        p->changeOverTimer()->start(30);
        const std::size_t from = mark();
        w.act(p);
        QTest::qWait(100);
        EXPECT_FALSE(has(received(from), "Mr3749")) << w.what;
        EXPECT_FALSE(p->changeOverTimer()->isActive()) << w.what;
        EXPECT_FALSE(p->logic().changeOverPending()) << w.what;
    }
    // Another unit or demo device: the page is cleared, the re-read goes.
    show("Controller");
    choose(page()->widget<QComboBox>(OpModeList), 3);
    ASSERT_TRUE(page()->changeOverTimer()->isActive());
    startDemoMode();
    EXPECT_FALSE(page()->changeOverTimer()->isActive());
    EXPECT_FALSE(page()->logic().changeOverPending());
}

TEST_F(ControllerPage, OutputValuesStopAfterASilentRefreshAndCloseAtOnce)
{
    show("Controller");
    CTabController* p = page();
    CDlgConfigure2::SetRefreshInterval(20);
    bool stopped = false;
    QString note;
    std::vector<std::string> afterStop;
    qint64 closeMs = -1;
    bool closed = false;
    auto view = WhenModal<CDlgConfigure2>([&](CDlgConfigure2* d) {
        restartUnit({"--silent"}); // the unit falls silent behind the port
        stopped = QTest::qWaitFor([d] { return !d->refreshTimer()->isActive(); }, 15000);
        note = QString::fromStdString(d->controls().text(ControllerDialogId::Stopped));
        const std::size_t at = mark();
        QTest::qWait(200); // ten periods: no refresh comes
        afterStop = received(at);
        auto* refresh = qobject_cast<QPushButton*>(d->controls().widget(ControllerDialogId::Ok));
        EXPECT_TRUE(refresh && refresh->text() == "Refresh" && refresh->isEnabled());
        QElapsedTimer clock;
        clock.start();
        qobject_cast<QPushButton*>(d->controls().widget(ControllerDialogId::Cancel))->click();
        closeMs = clock.elapsed();
        closed = !d->isVisible();
    });
    click(p, ShowOutputValues);
    CDlgConfigure2::SetRefreshInterval(CControllerDialogLogic::kOutputRefreshMs);
    ASSERT_TRUE(view.appeared());
    EXPECT_TRUE(stopped);
    EXPECT_EQ(note, CControllerDialogLogic::kRefreshStopped);
    EXPECT_TRUE(afterStop.empty());
    EXPECT_TRUE(closed);
    EXPECT_LT(closeMs, 100);
    connect(Unit());
}
