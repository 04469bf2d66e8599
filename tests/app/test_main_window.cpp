// The main window driven offscreen: start-up, the tab rules, the status
// line, the tab timer, closing, the debug window and the progress box.
#include "tools/ui/CDlgProgress.h"
#include "app/CDlgAbout.h"
#include "app/CStatusLine.h"
#include "diag/Version.h"
#include "app/CXTabBar.h"
#include "pages/core/ITabPage.h"
#include "diag/ui/CDlgDebug.h"
#include "pages/CPageWidget.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/QtApp.h"
#include "tests/support/WhenModal.h"

#include <QAccessible>
#include <QMessageBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollArea>
#include <QSignalSpy>

#include <algorithm>
#include <thread>

using apptest::TabSet;

namespace {

class MainWindow : public apptest::WindowFixture
{
};

QString AccessibleText(QObject* object, QAccessible::Text which)
{
    QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(object);
    return ai ? ai->text(which) : QString();
}

TEST_F(MainWindow, StartsWithOnlyComInterfaceEnabledAndReady)
{
    EXPECT_EQ(window->windowTitle(), "Tavemo-ConfigurationTool");
    EXPECT_EQ(window->statusText(), "Ready.");
    EXPECT_FALSE(window->statusIsError());
    // At start-up the Controller tab comes last.
    EXPECT_EQ(captions(),
              QStringList({"COM-Interface", "FW-Update", "Modbus", "Common", "Sensors", "Room Climate",
                           "Inputs", "Sun Protect", "Light", "Tiles", "Time Program", "ReMa", "Controller"}));
    EXPECT_TRUE(onlyFirstTabEnabled());
    for (int id = 0; id < static_cast<int>(PageId::Count); ++id)
        EXPECT_NE(window->page(static_cast<PageId>(id)), nullptr) << id;
    EXPECT_FALSE(window->page(PageId::BACnet)->isVisible());
    EXPECT_TRUE(page->isVisible());
    EXPECT_GE(window->width(), window->minimumWindowSize().width());

    // What assistive tools see.
    EXPECT_EQ(AccessibleText(window->statusLine(), QAccessible::Name), "Status");
    EXPECT_EQ(AccessibleText(window->statusLine(), QAccessible::Value), "Ready.");
    EXPECT_EQ(AccessibleText(window->registerInfoLine(), QAccessible::Name), "Register Info");
    for (QWidget* input :
         {static_cast<QWidget*>(page->portList()), static_cast<QWidget*>(page->deviceField())}) {
        // Named by its label, and labelled by it (screen readers on Linux
        // take a combo box's name from its text and its label from the relation).
        const QString label = input == page->portList() ? "COM-Interface:" : "Connected Device:";
        EXPECT_EQ(input->accessibleName(), label);
        QStringList labels;
        for (const auto& relation :
             QAccessible::queryAccessibleInterface(input)->relations(QAccessible::Label))
            labels << relation.first->text(QAccessible::Name);
        EXPECT_TRUE(labels.contains(label)) << labels.join('|').toStdString();
    }
}

TEST_F(MainWindow, RebuildTabsGivesTheTabSetOfTheDeviceType)
{
    const struct
    {
        int deviceType;
        uint16_t protocol;
        QStringList tabs;
    } rows[] = {
        {-1, 0, TabSet("Modbus", false, false)},
        {1004, 0, TabSet("Modbus", true, false)},
        {2050, 0, TabSet("Modbus", true, true)},
        {3, 1, TabSet("BACnet", false, false)},
    };
    for (const auto& row : rows) {
        catalogue.Holding(Reg::Protocol).value = row.protocol;
        window->RebuildTabs(row.deviceType);
        EXPECT_EQ(captions(), row.tabs) << row.deviceType;
        // The appended tabs are enabled; tabs 0 and 1 keep their flags.
        const auto flags = enabled();
        EXPECT_EQ(std::count(flags.begin() + 2, flags.end(), true), row.tabs.size() - 2) << row.deviceType;
        EXPECT_FALSE(flags[1]);
    }
    // Only the page shown in tab 2 is in the tab set.
    EXPECT_EQ(window->tabs()->indexOf(window->page(PageId::BACnet)), 2);
    EXPECT_EQ(window->tabs()->indexOf(window->page(PageId::Modbus)), -1);
}

TEST_F(MainWindow, ReplaceProtocolTabKeepsTheSelection)
{
    page->connection().enterDemoMode(1000);
    ASSERT_TRUE(window->SelectTab(5));
    catalogue.Holding(Reg::Protocol).value = 1;
    window->ReplaceProtocolTab();
    EXPECT_EQ(captions(), TabSet("BACnet", true, false));
    EXPECT_EQ(window->tabs()->currentIndex(), 5);
    EXPECT_TRUE(window->tabs()->IsTabEnabled(2));
    catalogue.Holding(Reg::Protocol).value = 0;
    window->ReplaceProtocolTab();
    EXPECT_EQ(window->tabs()->tabText(2), "Modbus");
}

TEST_F(MainWindow, DisabledTabCannotBeSelected)
{
    CXTabCtrl* tabs = window->tabs();
    const QPoint common = tabs->tabBar()->tabRect(3).center();
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, common);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(window->SelectTab(3));
    EXPECT_FALSE(window->page(PageId::Common)->isVisible());
    EXPECT_TRUE(window->SelectTab(0));

    window->SetTabEnabled(3, true);
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, common);
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_TRUE(window->page(PageId::Common)->isVisible());
    EXPECT_FALSE(page->isVisible());
    // The caption colours: selected blue, disabled grey.
    EXPECT_EQ(tabs->bar()->captionColour(3), QColor(0, 0, 255));
    EXPECT_EQ(tabs->bar()->captionColour(4), tabs->palette().color(QPalette::Disabled, QPalette::ButtonText));
}

TEST_F(MainWindow, StatusLineColours)
{
    // A status is an error by its code, never by its words.
    const QColor face = window->statusLine()->palette().color(QPalette::Button);
    const struct
    {
        const char* text;
        std::optional<int> code;
        QColor background;
    } rows[] = {
        {"Error: No device connected or PIN wrong.", Result::NoDeviceConnected, CStatusLine::kErrorColour},
        {"Ready.", std::nullopt, face},
        {"Error: -4", Result::NoReply, CStatusLine::kErrorColour},
        {"ERROR in line", std::nullopt, face},
        {"error while in demo", Result::NoReply, CStatusLine::kDemoColour}, // demo wins
        {"Done.", Result::Ok, face},
    };
    for (const auto& row : rows) {
        window->SetStatusText(QString::fromLatin1(row.text), row.code);
        EXPECT_EQ(window->statusText(), row.text);
        EXPECT_EQ(window->statusLine()->background(), row.background) << row.text;
    }
    // The same text again paints nothing.
    const int paints = window->statusLine()->paintCount();
    window->SetStatusText(QStringLiteral("Done."));
    EXPECT_EQ(window->statusLine()->paintCount(), paints);
}

TEST_F(MainWindow, DemoModeShowsEveryStatusAsDemoOnGreen)
{
    page->connection().enterDemoMode(1000);
    for (const char* text : {"Running...", "Error: -4", "Done."}) {
        window->SetStatusText(QString::fromLatin1(text));
        EXPECT_EQ(window->statusText(), "Demo mode is active.") << text;
        EXPECT_EQ(window->statusLine()->background(), CStatusLine::kDemoColour) << text;
    }
}

class RecordingPage : public QWidget, public ITabPage
{
public:
    void preparePage() override { ++prepared; }
    void activatePage() override { ++activated; }
    int prepared = 0;
    int activated = 0;
};

TEST_F(MainWindow, TabTimerActivatesOnlyTheTabSelectedAtTheTick)
{
    // Demo mode enables every tab; activation then only prepares the page.
    page->connection().enterDemoMode(3);
    RecordingPage first, second;
    const int a = window->tabs()->addTab(&first, QStringLiteral("First"));
    const int b = window->tabs()->addTab(&second, QStringLiteral("Second"));
    ASSERT_TRUE(waitForTick());
    // Two switches before the next tick.
    window->SelectTab(a);
    window->SelectTab(b);
    ASSERT_TRUE(waitForTick());
    EXPECT_EQ(first.prepared, 0);
    EXPECT_EQ(second.prepared, 1);
    EXPECT_EQ(second.activated, 0); // demo mode reads nothing
    window->tabs()->removeTab(b);
    window->tabs()->removeTab(a);
}

TEST_F(MainWindow, ExitClosesButEscapeDoesNot)
{
    QSignalSpy closed(window.get(), &CTavemoConfigurationToolDlg::closed);
    // Escape cancels in fields and dialogs; it never quits the tool.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(window->isVisible());

    QAction* exit = nullptr;
    for (QAction* menu : window->menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (item->text().remove('&') == "Exit")
                exit = item;
    ASSERT_NE(exit, nullptr);
    exit->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindow, ClosingDuringLongWorkAsksFirst)
{
    struct Downloading : RecordingPage
    {
        std::string busyWork() const override { return "A firmware download"; }
    } downloading;
    const int tab = window->tabs()->addTab(&downloading, QStringLiteral("Busy"));
    QSignalSpy closed(window.get(), &CTavemoConfigurationToolDlg::closed);
    for (const char* choice : {"Keep Running", "Close"}) {
        const auto asked = testsupport::WhenModal<QMessageBox>([choice](QMessageBox* box) {
            EXPECT_TRUE(box->text().startsWith("A firmware download is running"));
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove('&') == QLatin1String(choice))
                    b->click();
        });
        window->close();
        EXPECT_TRUE(asked.appeared()) << choice;
    }
    EXPECT_EQ(closed.count(), 1); // only after "Close"
    window->tabs()->removeTab(tab);
}

TEST_F(MainWindow, DebugWindowCollectsLinesFromAnyThreadInOrder)
{
    CDlgDebug* debug = window->debugWindow();
    std::thread writer([] {
        for (int i = 0; i < 600; ++i)
            DebugPrint("worker %d", i);
    });
    for (int i = 0; i < 600; ++i)
        DebugPrint("ui %d", i);
    writer.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return debug->lines().size() == CDlgDebug::kMaxLines; }, 2000));
    QCoreApplication::processEvents();
    // The texts without their time stamps.
    QStringList lines;
    for (std::size_t i = 0; i < debug->model().Size(); ++i)
        lines << QString::fromStdString(debug->model().At(i).text);
    // 1200 lines: the oldest 200 are gone; each thread's lines stay in order.
    ASSERT_EQ(lines.size(), 1000);
    int lastWorker = -1, lastUi = -1;
    for (const QString& line : lines) {
        const int n = line.section(' ', 1).toInt();
        int& last = line.startsWith("worker") ? lastWorker : lastUi;
        EXPECT_GT(n, last) << line.toStdString();
        last = n;
    }
    EXPECT_EQ(lastWorker, 599);
    EXPECT_EQ(lastUi, 599);

    debug->print("%s", std::string(300, 'x').c_str());
    EXPECT_EQ(debug->model().At(debug->model().Size() - 1).text.size(), 239u);

    // "Help" > "Debug Window" shows it.
    window->OnDebugWindow();
    EXPECT_TRUE(debug->isVisible());
}

TEST(SharedDialogs, ProgressClampsAndFormats)
{
    testsupport::App();
    CDlgProgress progress;
    EXPECT_EQ(progress.headline(), "Head line text");
    EXPECT_EQ(progress.percentText(), "0 %");
    progress.SetPosition(150);
    EXPECT_EQ(progress.position(), 100);
    progress.SetPosition(-5);
    EXPECT_EQ(progress.position(), 0);
    progress.SetPercentText("%d %%", 42);
    EXPECT_EQ(progress.percentText(), "42 %");
}

} // namespace

// The About box names the version --version prints (with its +git part
// between releases), not the bare project version.
TEST(AboutBox, ShowsTheProgramsVersion)
{
    testsupport::App();
    CDlgAbout about;
    const auto* build = about.findChild<QLabel*>(QStringLiteral("build"));
    ASSERT_NE(build, nullptr);
    EXPECT_TRUE(build->text().endsWith(QStringLiteral("\nVersion: ") + QString::fromLatin1(TavemoVersion())))
        << build->text().toStdString();
    EXPECT_TRUE(QString::fromLatin1(TavemoVersion()).startsWith(QStringLiteral(TAVEMO_VERSION)));
}

// The first size shows the largest page whole where the screen has the room,
// keeps what the window already has, and never goes below the minimum.
TEST(MainWindowSize, FirstSizeFitsTheLargestPageWithinTheScreen)
{
    const QSize minimum(1013, 533);
    const struct
    {
        const char* what;
        QSize page, around, current, room, expected;
    } rows[] = {
        {"room to spare", {1100, 560}, {20, 130}, {1100, 533}, {1366, 728}, {1120, 690}},
        {"a laptop screen: as high as it goes", {1250, 640}, {20, 130}, {1100, 533}, {1366, 728}, {1270, 728}},
        {"the window is wider for its tabs", {900, 400}, {20, 130}, {1200, 533}, {1366, 728}, {1200, 533}},
        {"a screen below the minimum", {1250, 640}, {20, 130}, {1013, 533}, {800, 500}, {1013, 533}},
        {"no screen known", {1250, 640}, {20, 130}, {1013, 533}, {}, {1270, 770}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CTavemoConfigurationToolDlg::FirstSize(r.page, r.around, r.current, r.room, minimum), r.expected)
            << r.what;
}

// The window keeps its size and place in the user's settings, here the
// test's own settings folder.
TEST_F(MainWindow, RemembersItsSizeAndPlaceBetweenRuns)
{
    const QString file = CTavemoConfigurationToolDlg::WindowSettingsFile();
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(file.startsWith(folder)) << file.toStdString();
    EXPECT_FALSE(window->placeRestored());

    const QSize size = window->minimumWindowSize() + QSize(37, 23);
    window->resize(size);
    window->move(40, 30);
    ASSERT_TRUE(window->close());
    ASSERT_TRUE(QFile::exists(file));

    window = std::make_unique<CTavemoConfigurationToolDlg>(catalogue, theModbus);
    EXPECT_TRUE(window->placeRestored());
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->isStarted(); }, 3000));
    EXPECT_EQ(window->size(), size) << "the pages do not grow a window the user sized";
    EXPECT_EQ(window->pos(), QPoint(40, 30));
    QFile::remove(file);
}

// On a 1366 x 768 screen (a task bar of 40 pixels, a title bar of 30) the
// window opens showing every page of a unit whole, without scrolling.
TEST_F(MainWindow, TheLargestPageFitsALaptopScreen)
{
    page->connection().enterDemoMode(2050); // the largest tab set
    const QScrollArea* area = window->tabs()->scrollArea(window->tabs()->currentWidget());
    ASSERT_NE(area, nullptr);
    const QSize needed = window->tabs()->largestPageSize() + (window->size() - area->size());
    const QSize room(1366, 768 - 40 - 30);
    EXPECT_EQ(needed.boundedTo(room), needed) << needed.width() << " x " << needed.height();
}

// At the window's minimum size the Room Climate page scrolls: every control
// and label keeps its size and is inside the page, and scrolling brings it
// whole into view.
TEST_F(MainWindow, AtTheMinimumSizeNoRoomClimateControlIsCutOff)
{
    page->connection().enterDemoMode(2050);
    window->resize(window->minimumWindowSize());
    const int index = captions().indexOf(QStringLiteral("Room Climate"));
    ASSERT_GE(index, 0);
    ASSERT_TRUE(window->SelectTab(index));
    ASSERT_TRUE(waitForTick());
    auto* room = qobject_cast<CPageWidget*>(window->page(PageId::RoomClimate));
    ASSERT_NE(room, nullptr);
    QScrollArea* area = window->tabs()->scrollArea(room);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(window->tabs()->currentWidget(), room);
    QApplication::processEvents();
    EXPECT_GE(room->width(), room->minimumSizeHint().width());
    EXPECT_GE(room->height(), room->minimumSizeHint().height());

    int checked = 0;
    for (const auto& [id, control] : room->controls().widgets())
        for (QWidget* w : {control, static_cast<QWidget*>(room->controls().label(id))}) {
            if (!w || !w->isVisibleTo(room))
                continue;
            const std::string name = w->objectName().toStdString() + " / " + std::to_string(id);
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << name;
            EXPECT_GE(w->height(), w->minimumSizeHint().height()) << name;
            EXPECT_TRUE(room->rect().contains(QRect(w->mapTo(room, QPoint(0, 0)), w->size()))) << name;
            area->ensureWidgetVisible(w, 0, 0);
            const QRect shown(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
            if (w->width() <= area->viewport()->width() && w->height() <= area->viewport()->height()) {
                EXPECT_TRUE(area->viewport()->rect().contains(shown)) << name;
            }
            ++checked;
        }
    EXPECT_GT(checked, 20);
}
