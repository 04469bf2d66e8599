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
#include "app/CTavemoConfigurationToolDlg.h"
#include "diag/ui/CDlgDebug.h"
#include "link/ui/CDlgDemoDevice.h"
#include "link/ui/CDlgPw.h"
#include "tests/support/ToolSession.h"

#include <QScreen>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "tavemo-config.png";
    testsupport::ToolSession session(TAVEMO_TEST_BIN_DIR, "app_screenshot",
                                     {"--device-type", "2050", "--pin", "1234"}, "ttySIM1");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect(QStringLiteral("1234"));
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
    return 0;
}
