// The COM-Interface page in the real window against tavemo-unitsim on a
// pseudo-terminal: connecting with right and wrong PINs, the lockout, units
// without PIN, Cancel, silent ports and ports that cannot be opened, the identity check, the
// protocol switch, Save To NVRAM and demo mode; what the page tells about
// the lockout, its unit block, its port choice and its keyboard access.
//
// Longer than 700 lines: one fixture's end-to-end cases (the real window
// against the simulator), each a scenario of its own, and the few helpers
// they share.
#include "app/CDlgMessage.h"
#include "app/CStatusLine.h"
#include "diag/ui/CDlgDebug.h"
#include "diag/Result.h"
#include "link/CPassword.h"
#include "link/ui/CDlgDemoDevice.h"
#include "link/ui/CDlgPw.h"
#include "pages/CTabCommon.h"
#include "pages/CTabSensors.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/CSensorsLogic.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/OtherUser.h"
#include "tests/support/PortHolder.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WhenModal.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <atomic>
#include <cstdlib>

using apptest::TabSet;
using testsupport::SimProcess;
using testsupport::WhenModal;

namespace {

constexpr int64_t kT0 = 1800000000;

class ComInterface : public apptest::WindowFixture
{
protected:
    // Starts the simulator (replacing one that runs) and picks its port.
    void startSim(std::vector<std::string> options)
    {
        sim.reset();
        sim = std::make_unique<SimProcess>(options, "ttySIM7");
        ASSERT_TRUE(sim->ready());
        page->refreshButton()->click(); // "Refresh COM"
        pickPort(sim->name());
    }
    void pickPort(const std::string& name)
    {
        const int item = page->portList()->findText(QString::fromStdString(name), Qt::MatchStartsWith);
        ASSERT_GE(item, 0) << name;
        page->portList()->setCurrentIndex(item);
    }

    // Presses "Connect" and answers the PIN prompt (OK with the text, or
    // Cancel). Returns whether the prompt appeared.
    bool connectWith(const QString& pin, bool ok = true, std::function<void(CDlgPw*)> also = {})
    {
        const auto answer = WhenModal<CDlgPw>([pin, ok, also](CDlgPw* prompt) {
            if (also)
                also(prompt);
            prompt->field()->setText(pin);
            ok ? prompt->accept() : prompt->reject();
        });
        page->OnConnect();
        QCoreApplication::processEvents(); // what the connection queued
        return answer.appeared();
    }

    int lockoutCount()
    {
        int count = -1;
        CPassword().isUnlocked(&count);
        return count;
    }

    // The unit block's values, as shown.
    std::vector<QString> unitBlock() const
    {
        std::vector<QString> values;
        for (int i = 0; i < CTabInterface::kUnitFields; ++i)
            values.push_back(page->unitValue(i)->text());
        return values;
    }
    const std::vector<QString> kNoUnit =
        std::vector<QString>(CTabInterface::kUnitFields, QStringLiteral("---"));

    std::unique_ptr<SimProcess> sim;
    std::atomic<int64_t> now{kT0};
};

TEST_F(ComInterface, RightPinOpensThePagesOfTheUnit)
{
    startSim({"--device-type", "2050", "--pin", "1234"});
    catalogue.Holding(7040).value = 77; // replaced by what the unit holds
    ASSERT_TRUE(connectWith("1234"));
    EXPECT_EQ(window->statusText(), "Ready.");
    EXPECT_EQ(captions(), TabSet("Modbus", true, true));
    EXPECT_TRUE(allTabsEnabled());
    EXPECT_EQ(page->deviceType(), 2050);
    EXPECT_EQ(page->deviceField()->text(), QString::fromUtf8(DeviceTypeText(2050)));
    EXPECT_TRUE(sim->received("u 1234"));
    EXPECT_TRUE(sim->received("Mr2008"));
    EXPECT_TRUE(sim->received("Mr7510")); // the last activation flag
    EXPECT_NE(catalogue.Holding(7040).value, 77);
    EXPECT_EQ(lockoutCount(), 0);
    EXPECT_FALSE(theModbus.isOpen());
}

TEST_F(ComInterface, WrongPinKeepsTheTabsDisabled)
{
    startSim({"--device-type", "1004", "--pin", "1234"});
    ASSERT_TRUE(connectWith("4321"));
    EXPECT_EQ(window->statusText(), "Wrong Pin entered.");
    // Coloured and explained by its code, although its words say no "error".
    EXPECT_TRUE(window->statusIsError());
    EXPECT_EQ(window->statusDetail().toStdString(), ResultText(Result::WrongPin));
    EXPECT_EQ(captions(), TabSet("Modbus", true, false));
    EXPECT_TRUE(onlyFirstTabEnabled());
    EXPECT_EQ(lockoutCount(), 1);
    EXPECT_FALSE(sim->received("Mr7040"));
    EXPECT_FALSE(theModbus.isOpen());

    // Coming back to the COM-Interface page checks the unit again; the
    // same unit does not open the pages without its PIN.
    window->ActivatePage(0);
    EXPECT_TRUE(onlyFirstTabEnabled());
}

TEST_F(ComInterface, LockoutGrowsWithWrongTriesAndARightPinResetsIt)
{
    CPassword::SetClock([this] { return now.load(); });
    startSim({"--device-type", "1004", "--pin", "1234"});
    // Blocks after the 1st .. 6th wrong PIN.
    const int blocks[] = {0, 0, 10, 600, 3600, 3600};
    for (int n = 0; n < 6; ++n) {
        ASSERT_TRUE(connectWith("1")) << "try " << n + 1;
        EXPECT_EQ(window->statusText(), "Wrong Pin entered.");
        EXPECT_EQ(lockoutCount(), n + 1);
        if (blocks[n] > 0) {
            now += blocks[n] - 1;
            EXPECT_FALSE(connectWith("1234")) << "try " << n + 1; // no prompt
            EXPECT_EQ(window->statusText(), "Too many wrong tries - locked!");
            EXPECT_TRUE(window->statusIsError());
            EXPECT_TRUE(onlyFirstTabEnabled());
            now += 1;
        }
    }
    ASSERT_TRUE(connectWith("1234"));
    EXPECT_EQ(window->statusText(), "Ready.");
    EXPECT_TRUE(allTabsEnabled());
    EXPECT_EQ(lockoutCount(), 0);
}

TEST_F(ComInterface, BlockStartingWhileThePromptIsOpenRefusesAtTheCheck)
{
    startSim({"--device-type", "1004", "--pin", "1234"});
    // Another instance (tavemo-cli) counts wrong tries meanwhile.
    ASSERT_TRUE(connectWith("1234", true, [](CDlgPw*) { CPassword().store(600, 4); }));
    EXPECT_EQ(window->statusText(), "Wait - you are blocked on more wrong tries.");
    EXPECT_TRUE(onlyFirstTabEnabled());
}

TEST_F(ComInterface, UnitWithoutPinAcceptsAnyPinAndCancel)
{
    startSim({"--device-type", "1000", "--pin", "0"});
    ASSERT_TRUE(connectWith("9999"));
    EXPECT_EQ(window->statusText(), "Ready.");
    EXPECT_TRUE(allTabsEnabled());

    ASSERT_TRUE(connectWith("", false)); // Cancel
    EXPECT_TRUE(sim->received("u 0"));
    EXPECT_EQ(window->statusText(), "Ready.");
    EXPECT_TRUE(allTabsEnabled());
    EXPECT_EQ(lockoutCount(), 0);
}

TEST_F(ComInterface, CancelStillUnlocksWithPinZeroAndIdentifiesButIsNoWrongTry)
{
    startSim({"--device-type", "1000", "--pin", "1234", "--firmware", "1011"});
    ASSERT_TRUE(connectWith("1234"));
    ASSERT_EQ(unitBlock().front(), "1011") << "the unit's firmware";

    ASSERT_TRUE(connectWith("1234", false));
    EXPECT_TRUE(sim->received("u 0"));
    EXPECT_EQ(page->deviceType(), 1000);
    EXPECT_EQ(window->statusText(), "Connect canceled.");
    EXPECT_FALSE(window->statusIsError());
    EXPECT_EQ(lockoutCount(), 0);
    EXPECT_EQ(page->lockoutNote()->text(), "");
    EXPECT_TRUE(onlyFirstTabEnabled());
    EXPECT_EQ(unitBlock(), kNoUnit);
    EXPECT_FALSE(theModbus.isOpen());
}

TEST_F(ComInterface, WrongPinClearsTheUnitBlockOfAnEarlierConnect)
{
    startSim({"--device-type", "2050", "--pin", "1234", "--firmware", "1011"});
    ASSERT_TRUE(connectWith("1234"));
    const std::vector<QString> shown = unitBlock();
    EXPECT_EQ(shown.front(), "1011");
    EXPECT_EQ(std::count(shown.begin(), shown.end(), QStringLiteral("---")), 0);

    ASSERT_TRUE(connectWith("4321"));
    EXPECT_EQ(window->statusText(), "Wrong Pin entered.");
    EXPECT_EQ(unitBlock(), kNoUnit);
}

TEST_F(ComInterface, WrongPinsTellTheTriesLeftAndABlockCountsDown)
{
    CPassword::SetClock([this] { return now.load(); });
    startSim({"--device-type", "1004", "--pin", "1234"});
    EXPECT_TRUE(page->lockoutNote()->isHidden());

    ASSERT_TRUE(connectWith("1"));
    EXPECT_EQ(window->statusText(), "Wrong Pin entered.");
    EXPECT_EQ(page->lockoutNote()->text(), "2 tries left, then connecting is locked for 10 s.");
    EXPECT_FALSE(page->lockoutNote()->isHidden());

    // The prompt says the same before the next try.
    QString prompted;
    ASSERT_TRUE(connectWith("2", true, [&](CDlgPw* prompt) { prompted = prompt->note(); }));
    EXPECT_EQ(prompted, "2 tries left, then connecting is locked for 10 s.");
    EXPECT_EQ(page->lockoutNote()->text(), "1 try left: the next wrong PIN locks connecting for 10 s.");

    ASSERT_TRUE(connectWith("3"));
    EXPECT_EQ(page->lockoutNote()->text(), "Locked for 0:10 more.");
    EXPECT_FALSE(connectWith("1234")); // no prompt while locked
    EXPECT_EQ(window->statusText(), "Too many wrong tries - locked!");

    // The note counts down by itself, and reads to assistive tools as it shows.
    now += 3;
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return page->lockoutNote()->text() == "Locked for 0:07 more."; }, 2500))
        << page->lockoutNote()->text().toStdString();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->lockoutNote())->text(QAccessible::Name),
              "Locked for 0:07 more.");
    now += 7;
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            return page->lockoutNote()->text() ==
                   "1 try left: the next wrong PIN locks connecting for 10 min.";
        },
        2500))
        << page->lockoutNote()->text().toStdString();

    ASSERT_TRUE(connectWith("1234"));
    EXPECT_EQ(window->statusText(), "Ready.");
    EXPECT_TRUE(page->lockoutNote()->isHidden());
}

TEST_F(ComInterface, RefreshPrefersAUsbOrPublishedPortOverBoardSlots)
{
    startSim({});
    page->portList()->setCurrentIndex(0);
    page->refreshButton()->click();
    const std::vector<PortEntry> ports = EnumeratePorts();
    const int entry = page->portList()->currentData().toInt();
    ASSERT_GE(entry, 0);
    ASSERT_LT(entry, static_cast<int>(ports.size()));
    // The simulator's port is there, so a board slot is never the choice.
    EXPECT_NE(ports[static_cast<std::size_t>(entry)].kind, PortKind::Board)
        << page->portList()->currentText().toStdString();
}

TEST_F(ComInterface, ButtonsAndLabelsHaveMnemonicsButReadWithoutThem)
{
    const struct
    {
        QWidget* widget;
        const char* caption;
        const char* name;
    } rows[] = {
        {page->connectButton(), "&Connect", "Connect"},
        {page->demoButton(), "&Demo-Mode", "Demo-Mode"},
        {page->refreshButton(), "&Refresh COM", "Refresh COM"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(static_cast<QPushButton*>(row.widget)->text(), row.caption);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(row.widget)->text(QAccessible::Name), row.name);
    }
    // Alt+I reaches the port list through its label.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    page->deviceField()->setFocus();
    QTest::keyClick(window.get(), Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return page->portList()->hasFocus(); }, 1000));

    // The PIN prompt: the field by its label, the box by its caption.
    startSim({"--device-type", "1000"});
    const auto answer = WhenModal<CDlgPw>([](CDlgPw* prompt) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(prompt->field())->text(QAccessible::Name),
                  "Please input code:");
        EXPECT_EQ(prompt->rememberBox()->text(), "&Remember password");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(prompt->rememberBox())->text(QAccessible::Name),
                  "Remember password");
        prompt->reject();
    });
    page->OnConnect();
    EXPECT_TRUE(answer.appeared());
}

TEST_F(ComInterface, RememberPasswordKeepsTheTextBetweenPrompts)
{
    startSim({"--device-type", "1000", "--pin", "1234"});
    ASSERT_TRUE(connectWith("4321", true, [](CDlgPw* prompt) { prompt->rememberBox()->setChecked(true); }));
    QString shownText;
    bool shownChecked = false;
    ASSERT_TRUE(connectWith("4321", true, [&](CDlgPw* prompt) {
        shownText = prompt->field()->text();
        shownChecked = prompt->rememberBox()->isChecked();
        EXPECT_EQ(prompt->field()->echoMode(), QLineEdit::Password);
        prompt->rememberBox()->setChecked(false);
    }));
    EXPECT_EQ(shownText, "4321");
    EXPECT_TRUE(shownChecked);
    ASSERT_TRUE(connectWith("4321", true, [&](CDlgPw* prompt) { shownText = prompt->field()->text(); }));
    EXPECT_EQ(shownText, "");
}

// A remembered PIN is offered again only to the unit it was typed for, on
// the same port: offered to another unit, Enter would count a wrong try
// against the lockout. The box stays as the user left it.
TEST_F(ComInterface, RememberedPinIsOfferedOnlyToItsUnitOnItsPort)
{
    const std::vector<std::string> unitA = {"--device-type", "2050", "--firmware", "1011", "--pin", "1234"};
    const std::vector<std::string> unitB = {"--device-type", "2050", "--firmware", "1012", "--pin", "5678"};
    struct Step
    {
        const char* what;
        std::vector<std::string> unit;
        std::string port; // "" the usual one
        const char* offered;
        const char* typed;
    };
    const Step steps[] = {
        {"first connect", unitA, "", "", "1234"},
        {"the same unit again", unitA, "", "1234", "1234"},
        {"another unit behind the port", unitB, "", "", "5678"},
        {"the first unit back", unitA, "", "", "1234"},
        {"that unit on another port", unitA, "ttySIM8", "", "1234"},
    };
    for (const Step& step : steps) {
        sim.reset();
        sim = std::make_unique<SimProcess>(step.unit, step.port.empty() ? "ttySIM7" : step.port);
        ASSERT_TRUE(sim->ready()) << step.what;
        page->refreshButton()->click();
        pickPort(sim->name());
        QString offered;
        bool boxChecked = false;
        ASSERT_TRUE(connectWith(QString::fromLatin1(step.typed), true, [&](CDlgPw* prompt) {
            offered = prompt->field()->text();
            boxChecked = prompt->rememberBox()->isChecked();
            prompt->rememberBox()->setChecked(true);
        })) << step.what;
        EXPECT_EQ(offered.toStdString(), step.offered) << step.what;
        EXPECT_EQ(boxChecked, &step != &steps[0]) << step.what;
        EXPECT_TRUE(allTabsEnabled()) << step.what;
    }
    EXPECT_EQ(lockoutCount(), 0) << "no try was lost";
}

TEST_F(ComInterface, NoUnitAnsweringReportsNoDevice)
{
    startSim({"--silent"});
    catalogue.Holding(7040).value = 5;
    ASSERT_TRUE(connectWith("1234"));
    EXPECT_EQ(window->statusText(), "Error: No device connected or PIN wrong.");
    EXPECT_TRUE(window->statusIsError());
    EXPECT_EQ(page->deviceType(), -1);
    EXPECT_EQ(page->deviceField()->text(), "");
    EXPECT_TRUE(onlyFirstTabEnabled());
    EXPECT_EQ(catalogue.Holding(7040).value, 0);
}

// A port that cannot be opened ends the sequence with its code on the
// status line, and the detail line says why: the device's group, the
// program holding it (with its process id), or that it is gone.
TEST_F(ComInterface, PortThatCannotBeOpenedSaysWhy)
{
    startSim({});
    const std::string link = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/tavemo/ports/" + sim->name();
    {
        testsupport::DeniedDevice denied(sim->device());
        ASSERT_TRUE(denied.ok());
        testsupport::AsOtherUser nobody(link);
        ASSERT_TRUE(nobody.ok());
        ASSERT_TRUE(connectWith("1234"));
    }
    EXPECT_EQ(window->statusText(), "Error: -31");
    EXPECT_TRUE(window->statusIsError());
    const QString noAccess = window->statusDetail();
    EXPECT_TRUE(noAccess.startsWith("the port could not be opened: access to the device is denied: " +
                                    QString::fromStdString(link)))
        << noAccess.toStdString();
    if (testsupport::RunningAsRoot()) {
        EXPECT_TRUE(noAccess.contains("belongs to group 'dialout', which you are not in")) << noAccess.toStdString();
    }
    EXPECT_TRUE(onlyFirstTabEnabled());

    {
        testsupport::PortHolder holder(sim->device(), "portholder");
        ASSERT_TRUE(holder.holding());
        ASSERT_TRUE(connectWith("1234"));
        EXPECT_EQ(window->statusText(), "Error: -20");
        const QString busy = window->statusDetail();
        EXPECT_TRUE(busy.startsWith("the port could not be opened: it is in use by another program: ")) << busy.toStdString();
        EXPECT_TRUE(busy.contains(QStringLiteral("portholder (pid %1)").arg(holder.pid()))) << busy.toStdString();
    }

    // Its port goes (with its published name), the list still offers it.
    sim->stop();
    window->SetStatusText(QStringLiteral("Ready."));
    ASSERT_TRUE(connectWith("1234"));
    EXPECT_EQ(window->statusText(), "Error: -30");
    EXPECT_EQ(window->statusDetail().toStdString(),
              ResultText(Result::PortGone) + ": /dev/" + sim->name() + " no longer exists");
    EXPECT_TRUE(onlyFirstTabEnabled());
    EXPECT_FALSE(theModbus.isOpen());
}

TEST_F(ComInterface, AnotherUnitOnTheLineDisablesThePages)
{
    startSim({"--device-type", "2050", "--firmware", "1011"});
    ASSERT_TRUE(connectWith("0"));
    ASSERT_TRUE(allTabsEnabled());
    EXPECT_TRUE(page->verifySameDevice());
    EXPECT_TRUE(allTabsEnabled());

    // A unit whose reads fail counts as the same one and changes nothing.
    sim->stop();
    EXPECT_TRUE(page->verifySameDevice());
    EXPECT_TRUE(allTabsEnabled());

    // The same port, now with a unit of another firmware: selecting a page
    // finds out and disables every tab but the first.
    startSim({"--device-type", "2050", "--firmware", "1012"});
    ASSERT_TRUE(window->SelectTab(4)); // Sensors
    ASSERT_TRUE(waitForTick());
    EXPECT_TRUE(onlyFirstTabEnabled());
    EXPECT_TRUE(sim->received("Mr2001"));
    EXPECT_FALSE(window->overlay()->isVisible());
}

TEST_F(ComInterface, SwitchProtocol)
{
    startSim({"--device-type", "1004"}); // no PIN: writes are accepted
    window->SetOtherTabsEnabled(true);
    int waited = 0;
    page->setRebootWait([&](int ms) { waited = ms; });

    page->switchProtocol(0); // already Modbus: nothing is sent
    EXPECT_FALSE(sim->received("Xw2045 0"));

    window->SelectTab(5);
    page->switchProtocol(7); // any positive value means BACnet
    EXPECT_TRUE(sim->received("Xw2045 1"));
    EXPECT_EQ(waited, 15000);
    EXPECT_EQ(window->statusText(), " ");
    EXPECT_EQ(window->tabs()->currentIndex(), 0);
    EXPECT_EQ(catalogue.Holding(Reg::Protocol).value, 1);
}

TEST_F(ComInterface, SwitchProtocolWithAFailingWriteFallsBackToModbus)
{
    // A wrong PIN leaves the unit locked: it refuses every write.
    startSim({"--device-type", "1004", "--pin", "1234"});
    ASSERT_TRUE(connectWith("1"));
    page->connection().protocolSelector = 1;
    page->switchProtocol(1);
    EXPECT_TRUE(sim->received("Xw2045 1"));
    EXPECT_EQ(catalogue.Holding(Reg::Protocol).value, 0);
    EXPECT_EQ(page->connection().protocolSelector, 0);
    EXPECT_FALSE(theModbus.isOpen());
}

TEST_F(ComInterface, SaveToNvramWritesRegister2013)
{
    startSim({"--device-type", "1004"});
    // Not before "Connect": nothing goes to the unit.
    window->SaveToNvram();
    EXPECT_FALSE(sim->received("Mw2013 1"));
    EXPECT_EQ(window->statusText(), "Error: " + QString::number(Result::PinNotAccepted));

    ASSERT_TRUE(connectWith("0"));
    window->SaveToNvram(); // identifies the unit first
    EXPECT_TRUE(sim->received("Mr2000"));
    EXPECT_TRUE(sim->received("Mw2013 1"));
    EXPECT_EQ(window->statusText(), "Done.");
}

TEST_F(ComInterface, UnitOfDeviceType0IsNotReadAsAKnownUnit)
{
    startSim({"--device-type", "0", "--pin", "1234"});
    ASSERT_TRUE(connectWith("1"));
    EXPECT_EQ(page->deviceType(), 0);
    EXPECT_EQ(window->statusText(), "Ready."); // no PIN check without a known unit
    EXPECT_EQ(page->connectUnit(true), -1);
    EXPECT_FALSE(sim->received("Mr7040"));
    EXPECT_FALSE(theModbus.isOpen());
}

TEST_F(ComInterface, PortSettings)
{
    startSim({});
    PortSettings settings;
    ASSERT_EQ(page->getPortSettings(settings), 0);
    EXPECT_EQ(settings.portName, sim->name());
    EXPECT_EQ(settings.baudRate, 115200);
    EXPECT_EQ(settings.parity, 0);
    EXPECT_EQ(settings.stopBits, 0);
    EXPECT_FALSE(page->baudList()->isVisible());
    page->framingList()->setCurrentIndex(0); // "Even, 1 Stopbit"
    ASSERT_EQ(page->getPortSettings(settings), 0);
    EXPECT_EQ(settings.parity, 2);
    page->framingList()->setCurrentIndex(3); // "None, 2 Stopbit"
    ASSERT_EQ(page->getPortSettings(settings), 0);
    EXPECT_EQ(settings.stopBits, 2);
}

class DemoMode : public ComInterface
{
protected:
    void chooseDemo(int entry) // -1: Cancel
    {
        const auto answer = WhenModal<CDlgDemoDevice>([entry](CDlgDemoDevice* chooser) {
            EXPECT_EQ(chooser->list()->currentIndex(), 0);
            EXPECT_EQ(chooser->list()->count(), 9);
            if (entry < 0) {
                chooser->reject();
            } else {
                chooser->list()->setCurrentIndex(entry);
                chooser->accept();
            }
        });
        page->StartDemoMode();
        QCoreApplication::processEvents();
        ASSERT_TRUE(answer.appeared());
    }
};

TEST_F(DemoMode, ChosenDeviceTypeOpensItsPages)
{
    const struct
    {
        int entry;
        int deviceType;
        bool controller;
    } rows[] = {{2, 1000, true}, {0, 3, false}, {8, 1006, true}};
    for (const auto& row : rows) {
        chooseDemo(row.entry);
        EXPECT_EQ(page->deviceType(), row.deviceType);
        EXPECT_TRUE(page->demoMode());
        EXPECT_EQ(captions(), TabSet("Modbus", row.controller, false)) << row.deviceType;
        EXPECT_TRUE(allTabsEnabled());
        EXPECT_EQ(window->statusText(), "Demo mode is active.");
        EXPECT_EQ(window->statusLine()->background(), CStatusLine::kDemoColour);
    }
}

TEST_F(DemoMode, TouchesNoUnitAndCancelEndsIt)
{
    startSim({"--device-type", "1004"});
    chooseDemo(2);
    ASSERT_TRUE(window->SelectTab(3)); // Common
    ASSERT_TRUE(waitForTick());
    EXPECT_EQ(page->identifyDevice(), -100);
    EXPECT_EQ(page->deviceType(), -1);
    EXPECT_TRUE(page->demoMode());
    EXPECT_EQ(sim->transcript(), ""); // nothing reached the unit
    window->SelectTab(0);

    chooseDemo(-1);
    EXPECT_FALSE(page->demoMode());
    EXPECT_TRUE(onlyFirstTabEnabled());
    EXPECT_EQ(captions(), TabSet("Modbus", false, false));
    EXPECT_EQ(window->statusText(), "Ready.");
    EXPECT_EQ(window->statusLine()->background(), window->statusLine()->palette().color(QPalette::Button));
}

TEST_F(DemoMode, ConnectEndsDemoMode)
{
    startSim({"--device-type", "1004", "--pin", "1234"});
    chooseDemo(0);
    ASSERT_TRUE(connectWith("1"));
    EXPECT_FALSE(page->demoMode());
    EXPECT_EQ(page->deviceType(), 1004);
    EXPECT_EQ(window->statusText(), "Wrong Pin entered.");
    EXPECT_TRUE(onlyFirstTabEnabled());
}

} // namespace

namespace {

// The write commands a unit received ("Mw...", "Xw...").
std::vector<std::string> Writes(const SimProcess& unit)
{
    std::vector<std::string> out;
    for (const std::string& c : unit.commands())
        if (c.size() > 1 && c[1] == 'w')
            out.push_back(c);
    return out;
}

bool Holds(const QStringList& lines, const QString& text)
{
    return std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(text); });
}

} // namespace

TEST_F(ComInterface, AWrongPinGivesNeitherPinAwayAndTheConfigurationIsNotSaved)
{
    CDlgDebug debug;
    bool exported = false;
    window->setConfigurationFileHandlers([] {}, [&exported] { exported = true; });
    startSim({"--device-type", "2050", "--pin", "4711"});
    ASSERT_TRUE(connectWith("1234"));
    ASSERT_EQ(window->statusText(), "Wrong Pin entered.");
    ASSERT_TRUE(sim->received("u 1234")); // it went to the unit, not to the window
    ASSERT_TRUE(sim->received("Mr2008"));

    const QStringList lines = debug.lines();
    EXPECT_TRUE(Holds(lines, "> u ****"));
    EXPECT_TRUE(Holds(lines, "mbReadHoldingReg(2008): ****"));
    EXPECT_FALSE(Holds(lines, "1234"));
    EXPECT_FALSE(Holds(lines, "4711"));
    const QString path = QDir(QDir::tempPath()).filePath("tavemo-debug-mask-test.txt");
    ASSERT_EQ(debug.saveLines(path), 0);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    saved.close();
    QFile::remove(path);
    EXPECT_TRUE(text.contains("u ****"));
    EXPECT_FALSE(text.contains("1234"));
    EXPECT_FALSE(text.contains("4711"));

    // "Save Configuration..." reads no register of a unit not connected to.
    const auto before = sim->commands().size();
    window->saveConfiguration();
    EXPECT_FALSE(exported);
    EXPECT_EQ(sim->commands().size(), before);
    EXPECT_EQ(window->statusText(), "Error: " + QString::number(Result::PinNotAccepted));
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->text().contains("Configuration...")) {
            EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
        }
    }

    // The right PIN lets it run.
    ASSERT_TRUE(connectWith("4711"));
    window->saveConfiguration();
    EXPECT_TRUE(exported);
}

// Unit A (PIN 42) is connected; unit B takes its place behind the same port.
// No action writes to B; the status says why and the pages go off until
// "Connect" is pressed again.
TEST_F(ComInterface, AnotherUnitBehindThePortReceivesNothing)
{
    struct Action
    {
        const char* name;
        std::function<void()> run;
    };
    auto* common = qobject_cast<CTabCommon*>(window->page(PageId::Common));
    auto* sensors = qobject_cast<CTabSensors*>(window->page(PageId::Sensors));
    const SensorInfo& co2 = *CSensorsLogic::SensorOf(SensorsId::ConfigureFirst);
    const std::vector<Action> actions = {
        {"Undo Changes", [&] { common->logic().undoCycle(); }},
        {"Save To NVRAM", [&] { common->logic().saveToNvram(); }},
        {"sensor dialog", [&] {
             sensors->logic().readBlock(co2);
             sensors->logic().writeBlock(co2);
         }},
        {"Factory Reset", [&] { common->logic().factoryReset(); }},
        {"date and time", [&] { common->logic().writeDateTime({2026, 12, 10, 12, 0, 0}); }},
        {"Reset (Autozero)", [&] { sensors->logic().resetAutozero(); }},
    };
    for (const Action& action : actions) {
        startSim({"--device-type", "2050", "--pin", "42"});
        ASSERT_TRUE(connectWith("42")) << action.name;
        ASSERT_TRUE(allTabsEnabled()) << action.name;
        common = qobject_cast<CTabCommon*>(window->page(PageId::Common));
        sensors = qobject_cast<CTabSensors*>(window->page(PageId::Sensors));
        common->logic().readCycle(); // what Undo would write back
        startSim({"--device-type", "1004", "--firmware", "1012"});
        action.run();
        EXPECT_TRUE(Writes(*sim).empty()) << action.name << ": " << testing::PrintToString(Writes(*sim));
        EXPECT_EQ(window->statusText(), "another unit is attached: connect again") << action.name;
        EXPECT_TRUE(onlyFirstTabEnabled()) << action.name;
        EXPECT_EQ(page->deviceType(), 2050) << action.name; // A's identity stays until "Connect"
        EXPECT_FALSE(window->comInterface()->connection().pinAccepted()) << action.name;
    }
}

TEST_F(ComInterface, RefreshComLeavesTheConnectionOnItsPort)
{
    startSim({"--device-type", "2050"});
    ASSERT_TRUE(connectWith("0"));
    SimProcess other({"--device-type", "2050"}, "ttySIM8");
    ASSERT_TRUE(other.ready());
    page->refreshButton()->click();
    pickPort(other.name());

    auto* common = qobject_cast<CTabCommon*>(window->page(PageId::Common));
    auto* language = common->widget<QComboBox>(CommonId::Language);
    language->setCurrentIndex(2);
    emit language->activated(2);
    EXPECT_TRUE(sim->received("Mw2009 2"));
    EXPECT_TRUE(other.commands().empty());

    // The next "Connect" takes the list's choice.
    ASSERT_TRUE(connectWith("0"));
    EXPECT_FALSE(other.commands().empty());
}

TEST_F(ComInterface, TheSensorsPageLabelsTheTemperaturesAsTheUnitMeasures)
{
    auto label = [this] {
        auto* sensors = qobject_cast<CTabSensors*>(window->page(PageId::Sensors));
        sensors->logic().readCycle();
        return QString::fromStdString(sensors->controls().text(SensorsId::TempIntUnit));
    };
    CConfiguration::Instance().setText(CConfiguration::kTempUnitKey, "\u00b0C");
    startSim({"--device-type", "2050", "--temp-unit", "1"});
    ASSERT_TRUE(connectWith("0"));
    EXPECT_EQ(label(), QString::fromUtf8("\u00b0C"));
    startSim({"--device-type", "2050", "--temp-unit", "0"});
    ASSERT_TRUE(connectWith("0"));
    EXPECT_EQ(label(), QString::fromUtf8("\u00b0F"));
    // °F chosen in demo mode does not carry over to a Celsius unit.
    CConfiguration::Instance().setText(CConfiguration::kTempUnitKey, "\u00b0F");
    startSim({"--device-type", "2050", "--temp-unit", "1"});
    ASSERT_TRUE(connectWith("0"));
    EXPECT_EQ(label(), QString::fromUtf8("\u00b0C"));
    CConfiguration::Instance().setText(CConfiguration::kTempUnitKey, "\u00b0C");
}

// The unit is gone while the user works: nothing is shown as done.
TEST_F(ComInterface, AFailedIdentificationOrAPulledAdapterIsNeverDone)
{
    startSim({"--device-type", "2050"});
    ASSERT_TRUE(connectWith("0"));
    auto* common = qobject_cast<CTabCommon*>(window->page(PageId::Common));
    auto* sensors = qobject_cast<CTabSensors*>(window->page(PageId::Sensors));
    const SensorInfo& co2 = *CSensorsLogic::SensorOf(SensorsId::ConfigureFirst);

    // The sensor dialog's "OK" with the unit gone.
    ASSERT_EQ(sensors->logic().readBlock(co2), 0);
    sim->stop();
    EXPECT_NE(sensors->logic().writeBlock(co2), 0);
    EXPECT_TRUE(window->statusText().startsWith("Error: ")) << window->statusText().toStdString();

    // "Undo Changes" finds no unit; it comes back; a change is not taken as
    // written, and "Save To NVRAM" does not say "Done.".
    common->logic().undoCycle();
    startSim({"--device-type", "2050"});
    const auto before = sim->commands().size();
    auto* language = common->widget<QComboBox>(CommonId::Language);
    language->setCurrentIndex(2);
    emit language->activated(2);
    EXPECT_EQ(window->statusText(), "not written: no unit identified - connect again");
    EXPECT_EQ(common->controls().editState(CommonId::Language), EditState::Edited);
    common->logic().saveToNvram();
    EXPECT_NE(window->statusText(), "Done.");
    EXPECT_TRUE(Writes(*sim).empty()) << testing::PrintToString(Writes(*sim));
    EXPECT_EQ(sim->commands().size(), before);
}
