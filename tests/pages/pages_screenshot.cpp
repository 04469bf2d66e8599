// Takes pictures of the Common page, the Sensors page and the sensor dialog,
// connected to the simulator, for looking at the pages without a display:
//   xvfb-run -a -s "-screen 0 1400x800x24" build/tests/pages/pages_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, no PIN) on a private port,
// starts the tool, connects, opens "Common" (hovering "Temp Unit", so the
// green frame shows), then "Sensors", then the dialog of "Temp Sensor 1 Int."
// (hovering "Label"), and writes common.png, sensors.png and sensor_dialog.png.
// Then the installer's safety states: a field changed and left
// (common_edited.png), a refused number (common_refused.png), the question
// before a factory reset (factory_reset.png), the unit unplugged during a
// read (common_vanished.png) and demo mode (demo.png).
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "link/ui/CTabInterface.h"
#include "pages/CDlgConfigureSensor.h"
#include "pages/CTabCommon.h"
#include "pages/CTabSensors.h"
#include "tests/support/ToolSession.h"

#include <QFocusEvent>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

using testsupport::ToolSession;

namespace {

// Pictures the modal dialog that the action opens, then closes it.
bool SaveModal(const QString& path, const std::function<void()>& action)
{
    bool ok = false;
    QTimer::singleShot(400, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            ok = ToolSession::Save(*dialog, path);
            QMetaObject::invokeMethod(dialog, "reject");
        }
    });
    action();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "pages_screenshot", {"--device-type", "2050"},
                                     "ttySIM2");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    auto* common = qobject_cast<CTabCommon*>(window.page(PageId::Common));
    session.open("Common");
    ToolSession::Hover(common->controls().label(CommonId::TempUnit));
    bool ok = ToolSession::Save(window, dir + "/common.png");

    auto* sensors = qobject_cast<CTabSensors*>(window.page(PageId::Sensors));
    session.open("Sensors");
    QTest::qWait(300); // the eleven readings take longer
    ok = ToolSession::Save(window, dir + "/sensors.png") && ok;

    QTimer::singleShot(400, [&] {
        if (auto* dialog = qobject_cast<CDlgConfigureSensor*>(QApplication::activeModalWidget())) {
            dialog->widget<QLineEdit>(SensorDialogId::Label)->setText(QStringLiteral("Wohnen"));
            ToolSession::Hover(dialog->controls().label(SensorDialogId::Label));
            ok = ToolSession::Save(*dialog, dir + "/sensor_dialog.png") && ok;
            dialog->reject();
        }
    });
    sensors->configureSensor(CSensorsLogic::Sensors()[0]);

    // A change typed and left with Tab: marked, not written.
    session.open("Common");
    auto* brightness = common->widget<QLineEdit>(CommonId::Brightness);
    brightness->selectAll();
    QTest::keyClicks(brightness, QStringLiteral("55"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(brightness, &out);
    ok = ToolSession::Save(window, dir + "/common_edited.png") && ok;
    // A number outside the limits: refused, the unit's value back.
    brightness->selectAll();
    QTest::keyClicks(brightness, QStringLiteral("150"));
    QTest::keyClick(brightness, Qt::Key_Return);
    ok = ToolSession::Save(window, dir + "/common_refused.png") && ok;
    ok = SaveModal(dir + "/factory_reset.png",
                   [&] { common->widget<QPushButton>(CommonId::FactoryReset)->click(); }) &&
         ok;

    // The unit unplugged: the read fails at once.
    session.sim().stop();
    common->widget<QPushButton>(Page::kReadTarget)->click();
    ok = ToolSession::Save(window, dir + "/common_vanished.png") && ok;

    // Demo mode: the banner, and nothing of the unit on the pages.
    QTimer::singleShot(300, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    window.comInterface()->StartDemoMode();
    session.open("Common");
    ok = ToolSession::Save(window, dir + "/demo.png") && ok;

    return ok ? 0 : 1;
}
