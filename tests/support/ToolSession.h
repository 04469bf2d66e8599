// The tool against the simulator, as the screenshot tools start it: the
// private test environment, the QApplication, tavemo-unitsim publishing a
// named port, and the tool's main window at the screen's top-left corner,
// past its start-up timer and with the simulator's port picked in the port
// list. Connecting is the caller's step (connect), and so is what happens
// after it. When the object goes, the window closes, the tool finishes and
// the simulator ends, in that order.
//
// Thread rules: user-interface thread only; one per process, as the test
// environment it sets up.
#pragma once

#include "app/CTavemoConfigurationToolApp.h"
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "link/ui/CDlgPw.h"
#include "link/ui/CTabInterface.h"
#include "tests/support/QtApp.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ToolSession
{
public:
    // The start-up timer fires after a tenth of a second; the rest is room
    // for a loaded machine or a slow X server.
    static constexpr int kStartTimeoutMs = 5000;

    // binDir: the build folder (where the simulator is); program: the
    // caller's name for its messages on stderr; simOptions and portName as
    // for SimProcess.
    ToolSession(const char* binDir, const char* program, const std::vector<std::string>& simOptions,
                const std::string& portName)
        : m_environment(binDir), m_app(App()), m_sim(simOptions, portName)
    {
        if (!m_sim.ready()) {
            std::fprintf(stderr, "%s: the simulator did not start\n", program);
            return;
        }
        m_tool.emplace();
        CTavemoConfigurationToolDlg& window = m_tool->Start();
        window.move(0, 0);
        if (!QTest::qWaitFor([&] { return window.isStarted(); }, kStartTimeoutMs)) {
            std::fprintf(stderr, "%s: the main window did not finish starting\n", program);
            return;
        }
        QComboBox* ports = window.comInterface()->portList();
        ports->setCurrentIndex(ports->findText(QString::fromStdString(m_sim.name()), Qt::MatchStartsWith));
        m_window = &window;
    }
    ~ToolSession()
    {
        if (m_window)
            m_window->close();
        if (m_tool)
            m_tool->Finish();
    }
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // Simulator up, window started, port picked; the rest only then.
    bool ready() const { return m_window != nullptr; }
    CTavemoConfigurationToolDlg& window() { return *m_window; }
    const SimProcess& sim() const { return m_sim; }
    SimProcess& sim() { return m_sim; }

    // Connects to the picked port. A PIN prompt that opens is accepted,
    // with pin typed into it first unless pin is empty.
    void connect(const QString& pin = {})
    {
        QTimer::singleShot(0, [pin] {
            if (auto* prompt = qobject_cast<CDlgPw*>(QApplication::activeModalWidget())) {
                if (!pin.isEmpty())
                    prompt->field()->setText(pin);
                prompt->accept();
            }
        });
        m_window->comInterface()->OnConnect();
    }

    // Selects a page's tab and waits until the window has activated it (the
    // page has read the unit) and painted it.
    void open(const char* caption)
    {
        const int tab = m_window->tabs()->captions().indexOf(QString::fromLatin1(caption));
        m_window->SelectTab(tab);
        (void)QTest::qWaitFor([&] { return m_window->lastTab() == tab; }, kStartTimeoutMs);
        QTest::qWait(kSettleMs);
    }

    // The same, giving the page as its class.
    template <class Page> Page* openPage(const char* caption, PageId id)
    {
        open(caption);
        return qobject_cast<Page*>(m_window->page(id));
    }

    // The window as it first opens on a 1366 x 768 screen: the room a
    // desktop leaves it there (a task bar of 40 pixels, a title bar of 30).
    static constexpr QSize kLaptopRoom{1366, 768 - 40 - 30};
    void sizeForLaptop()
    {
        CTavemoConfigurationToolDlg& w = *m_window;
        const QScrollArea* area = w.tabs()->scrollArea(w.tabs()->currentWidget());
        const QSize around = area ? w.size() - area->size() : QSize();
        w.resize(CTavemoConfigurationToolDlg::FirstSize(w.tabs()->largestPageSize(), around, w.size(), kLaptopRoom,
                                                        w.minimumWindowSize()));
        std::printf("largest page %dx%d, window %dx%d\n", w.tabs()->largestPageSize().width(),
                    w.tabs()->largestPageSize().height(), w.width(), w.height());
    }

    // The folder the pictures go to: the first argument, else the current
    // one; made when it is missing.
    static QString OutputDir(int argc, char** argv)
    {
        const QString dir = QString::fromLocal8Bit(argc > 1 ? argv[1] : ".");
        QDir().mkpath(dir);
        return dir;
    }

    // The mouse over a control: its register information and picture mark.
    static void Hover(QWidget* target)
    {
        const QPoint centre(target->width() / 2, target->height() / 2);
        QMouseEvent move(QEvent::MouseMove, centre, target->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }

    // A picture of a window or dialog as it paints itself (the offscreen
    // platform too); says which file it wrote.
    static bool Save(QWidget& window, const QString& path)
    {
        QTest::qWait(kPaintMs);
        const bool ok = window.grab().save(path);
        std::printf("%s%s\n", qPrintable(path), ok ? "" : " (not written)");
        return ok;
    }

private:
    // Time for a page's pictures to settle after its read, and for a paint.
    static constexpr int kSettleMs = 300;
    static constexpr int kPaintMs = 150;

    TestEnvironment m_environment;
    QApplication& m_app; // after the environment: Qt reads it when it starts
    SimProcess m_sim;
    std::optional<CTavemoConfigurationToolApp> m_tool;
    CTavemoConfigurationToolDlg* m_window = nullptr;
};

} // namespace testsupport
