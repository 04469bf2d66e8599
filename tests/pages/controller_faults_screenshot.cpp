// Takes pictures of the Controller dialogs where the unit let the tool down,
// connected to the simulator, for looking at them without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/controller_faults_screenshot OUTDIR
// It starts tavemo-unitsim (device type 1003, no PIN, reads of 8014
// refused) on a private port, connects, opens "Controller" and writes
//   dlg_heating_unread.png        the heating PI dialog with 8014 not read
//   dlg_output_values_silent.png  the output values view after a refresh
//                                 that got no answer (the unit gone)
#include "app/CTavemoConfigurationToolDlg.h"
#include "pages/CDlgConfigure1.h"
#include "pages/CDlgConfigure2.h"
#include "pages/CTabController.h"
#include "tests/support/ToolSession.h"
#include "tests/support/WhenModal.h"

#include <QRadioButton>
#include <QTimer>

using testsupport::ToolSession;
using testsupport::WhenModal;
using namespace ControllerId;

namespace {

// How long the view may take to give up on the unit.
constexpr int kStopWaitMs = 15000;

} // namespace

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "controller_faults_screenshot",
                        {"--device-type", "1003", "--fail-read", "8014"}, "ttySIM8");
    if (!session.ready())
        return 1;
    session.connect();
    auto* page = session.openPage<CTabController>("Controller", PageId::Controller);
    bool ok = true;

    page->widget<QRadioButton>(HeatingPi)->click();
    auto unread = WhenModal<CDlgConfigure1>([&](CDlgConfigure1* d) {
        ok = ToolSession::Save(*d, dir + "/dlg_heating_unread.png") && ok;
        d->reject();
    });
    page->logic().launchControllerDialog(HeatingConfig);
    ok = unread.appeared() && ok;

    CDlgConfigure2::SetRefreshInterval(50);
    auto silent = WhenModal<CDlgConfigure2>([&](CDlgConfigure2* d) {
        session.sim().stop(); // the adapter pulled out
        ok = QTest::qWaitFor([d] { return !d->refreshTimer()->isActive(); }, kStopWaitMs) && ok;
        ok = ToolSession::Save(*d, dir + "/dlg_output_values_silent.png") && ok;
        d->reject();
    });
    page->logic().launchControllerDialog(ShowOutputValues);
    ok = silent.appeared() && ok;
    return ok ? 0 : 1;
}
