// Takes a picture of the main window connected to the simulator, for the
// README and for looking at the tool without a display:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/tests/app/app_screenshot shot.png
// It starts tavemo-unitsim (device type 2050, PIN 1234) on a private port,
// starts the tool, picks that port, connects with the PIN and saves the
// screen once the unit's pages are open. With a folder as second argument
// it also saves the PIN prompt, the demo device chooser, the busy overlay,
// the Info box and the debug window there.
#include "app/CDlgAbout.h"
#include "app/CDlgMessage.h"
#include "app/CTavemoConfigurationToolApp.h"
#include "app/CTavemoConfigurationToolDlg.h"
#include "diag/ui/CDlgDebug.h"
#include "link/ui/CDlgDemoDevice.h"
#include "link/ui/CDlgPw.h"
#include "link/ui/CTabInterface.h"
#include "tests/support/QtApp.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    const testsupport::TestEnvironment environment(TAVEMO_TEST_BIN_DIR);
    const char* out = argc > 1 ? argv[1] : "tavemo-config.png";
    testsupport::App();
    testsupport::SimProcess sim({"--device-type", "2050", "--pin", "1234"}, "ttySIM1");
    if (!sim.ready()) {
        std::fprintf(stderr, "app_screenshot: the simulator did not start\n");
        return 1;
    }

    CTavemoConfigurationToolApp tool;
    CTavemoConfigurationToolDlg& window = tool.Start();
    window.move(0, 0);
    if (!QTest::qWaitFor([&] { return window.isStarted(); }, 5000))
        return 1;
    CTabInterface* page = window.comInterface();
    page->portList()->setCurrentIndex(
        page->portList()->findText(QString::fromStdString(sim.name()), Qt::MatchStartsWith));
    QTimer::singleShot(0, [] {
        if (auto* prompt = qobject_cast<CDlgPw*>(QApplication::activeModalWidget())) {
            prompt->field()->setText(QStringLiteral("1234"));
            prompt->accept();
        }
    });
    page->OnConnect();
    QTest::qWait(400);
    const QPixmap shot =
        window.screen()->grabWindow(0, 0, 0, window.frameGeometry().width(), window.frameGeometry().height());
    if (!shot.save(QString::fromLocal8Bit(out))) {
        std::fprintf(stderr, "app_screenshot: cannot write %s\n", out);
        return 1;
    }
    std::printf("%s\n", out);

    if (argc > 2) {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        const auto save = [&](QWidget& w, const char* name) {
            w.show();
            QTest::qWait(100);
            w.grab().save(folder + QLatin1Char('/') + QLatin1String(name));
            w.hide();
        };
        CDlgPw prompt(true, QStringLiteral("1234"), &window);
        save(prompt, "pin.png");
        CDlgDemoDevice chooser(&window);
        save(chooser, "demo.png");
        save(*window.overlay(), "overlay.png");
        CDlgAbout about(&window);
        save(about, "about.png");
        window.debugWindow()->print("CB(len = %5i): %s", 5, "hello");
        save(*window.debugWindow(), "debug.png");
    }
    window.close();
    tool.Finish();
    return 0;
}
