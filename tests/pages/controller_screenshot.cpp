// Takes pictures of the Controller page and of each mode of its
// configuration dialogs, connected to the simulator, for looking at them
// without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/controller_screenshot OUTDIR
// It starts tavemo-unitsim (device type 1003, no PIN) on a private port,
// starts the tool, connects, opens "Controller" (hovering "Heating:") and
// writes controller.png, then one dlg_<mode>.png per dialog mode.
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "pages/CDlgConfigure1.h"
#include "pages/CDlgConfigure2.h"
#include "pages/CDlgConfigureGlobal.h"
#include "pages/CTabController.h"
#include "tests/support/ToolSession.h"
#include "tests/support/WhenModal.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include <functional>

using testsupport::ToolSession;
using testsupport::WhenModal;
using namespace ControllerId;

namespace {

bool g_ok = true;

// Opens a dialog from the page, lets prepare set it up, saves it and closes it.
void Shoot(CTabController* page, Page::ControlId button, const QString& path,
           const std::function<void(CDlgControllerForm*)>& prepare = {})
{
    auto answer = WhenModal<CDlgControllerForm>([&](CDlgControllerForm* d) {
        if (prepare)
            prepare(d);
        g_ok = ToolSession::Save(*d, path) && g_ok;
        d->reject();
    });
    page->logic().launchControllerDialog(button);
    if (!answer.appeared()) {
        std::printf("%s (no dialog)\n", qPrintable(path));
        g_ok = false;
    }
}

void Check(CTabController* page, Page::ControlId radio)
{
    page->widget<QRadioButton>(radio)->click();
}

void Choose(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

} // namespace

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "controller_screenshot", {"--device-type", "1003"}, "ttySIM8");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    auto* page = session.openPage<CTabController>("Controller", PageId::Controller);
    ToolSession::Hover(page->controls().widget(HeatingCaption));
    g_ok = ToolSession::Save(window, dir + "/controller.png") && g_ok;

    Shoot(page, GlobalConfig, dir + "/dlg_global.png");
    Shoot(page, HeatingConfig, dir + "/dlg_heating_pi.png");
    Check(page, HeatingOnOff);
    Shoot(page, HeatingConfig, dir + "/dlg_heating_onoff.png");
    Check(page, HeatingPi);
    Check(page, CoolingOnOff);
    Shoot(page, CoolingConfig, dir + "/dlg_cooling_onoff.png");
    Check(page, CoolingPi);
    Shoot(page, ValveOutput, dir + "/dlg_valve_general.png",
          [](CDlgControllerForm* d) { Choose(qobject_cast<QComboBox*>(d->field(8020)), 1); });
    Shoot(page, ValveOutput, dir + "/dlg_valve_belimo.png",
          [](CDlgControllerForm* d) { Choose(qobject_cast<QComboBox*>(d->field(8020)), 2); });
    Shoot(page, ValveOutput, dir + "/dlg_valve_sauter_dn20_inverted.png",
          [](CDlgControllerForm* d) { Choose(qobject_cast<QComboBox*>(d->field(8020)), 7); });
    Shoot(page, SecondConfig, dir + "/dlg_second_pi.png");
    Check(page, SecondOnOff);
    Shoot(page, SecondConfig, dir + "/dlg_second_onoff.png");
    Check(page, SecondPi);
    Shoot(page, FanConfig, dir + "/dlg_fan_temperature.png");
    Choose(page->widget<QComboBox>(FanMapping), 6);
    Check(page, FanPi);
    Shoot(page, FanConfig, dir + "/dlg_fan_quantity_pi.png");
    Check(page, FanOnOff);
    Shoot(page, FanConfig, dir + "/dlg_fan_quantity_onoff.png");
    Choose(page->widget<QComboBox>(FanMapping), 1);
    Shoot(page, HcOutput, dir + "/dlg_outputs.png");
    Shoot(page, FanOutputButton, dir + "/dlg_fan_output.png");
    Shoot(page, DefaultReboot, dir + "/dlg_default_reboot.png");
    Shoot(page, ConfigChangeOver, dir + "/dlg_change_over.png");
    Shoot(page, ShowOutputValues, dir + "/dlg_output_values.png",
          [](CDlgControllerForm* d) { ToolSession::Hover(d->controls().label(d->logic().fieldId(8044))); });
    return g_ok ? 0 : 1;
}
