// Takes pictures of the Common page, the Sensors page and the sensor dialog,
// connected to the simulator, for looking at the pages without a display:
//   xvfb-run -a -s "-screen 0 1400x800x24" build/tests/pages/pages_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, no PIN) on a private port,
// starts the tool, connects, opens "Common" (hovering "Temp Unit", so the
// green frame shows), then "Sensors", then the dialog of "Temp Sensor 1 Int."
// (hovering "Label"), and writes common.png, sensors.png and sensor_dialog.png.
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "pages/CDlgConfigureSensor.h"
#include "pages/CTabCommon.h"
#include "pages/CTabSensors.h"
#include "tests/support/ToolSession.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

bool Save(QWidget& window, const QString& path)
{
    QTest::qWait(150);
    const QPixmap shot = window.screen()->grabWindow(0, window.frameGeometry().x(), window.frameGeometry().y(),
                                                     window.frameGeometry().width(), window.frameGeometry().height());
    const bool ok = shot.save(path);
    std::printf("%s%s\n", qPrintable(path), ok ? "" : " (not written)");
    return ok;
}

void Hover(QWidget* target)
{
    const QPoint centre(target->width() / 2, target->height() / 2);
    QMouseEvent move(QEvent::MouseMove, centre, target->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

int TabOf(CTavemoConfigurationToolDlg& window, const char* caption)
{
    return window.tabs()->captions().indexOf(QString::fromLatin1(caption));
}

} // namespace

int main(int argc, char** argv)
{
    const QString dir = QString::fromLocal8Bit(argc > 1 ? argv[1] : ".");
    QDir().mkpath(dir);
    testsupport::ToolSession session(TAVEMO_TEST_BIN_DIR, "pages_screenshot", {"--device-type", "2050"},
                                     "ttySIM2");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    auto* common = qobject_cast<CTabCommon*>(window.page(PageId::Common));
    window.SelectTab(TabOf(window, "Common"));
    (void)QTest::qWaitFor([&] { return window.lastTab() == TabOf(window, "Common"); }, 3000);
    QTest::qWait(300);
    Hover(common->controls().label(CommonId::TempUnit));
    bool ok = Save(window, dir + "/common.png");

    auto* sensors = qobject_cast<CTabSensors*>(window.page(PageId::Sensors));
    window.SelectTab(TabOf(window, "Sensors"));
    (void)QTest::qWaitFor([&] { return window.lastTab() == TabOf(window, "Sensors"); }, 3000);
    QTest::qWait(600);
    ok = Save(window, dir + "/sensors.png") && ok;

    QTimer::singleShot(400, [&] {
        if (auto* dialog = qobject_cast<CDlgConfigureSensor*>(QApplication::activeModalWidget())) {
            dialog->widget<QLineEdit>(SensorDialogId::Label)->setText(QStringLiteral("Wohnen"));
            Hover(dialog->controls().label(SensorDialogId::Label));
            ok = Save(*dialog, dir + "/sensor_dialog.png") && ok;
            dialog->reject();
        }
    });
    sensors->configureSensor(CSensorsLogic::Sensors()[0]);

    return ok ? 0 : 1;
}
