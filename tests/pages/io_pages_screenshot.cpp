// Takes pictures of the Inputs and Sun Protect pages, connected to the
// simulator, for looking at them without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/io_pages_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, no PIN) on a private port,
// starts the tool, connects, opens "Inputs" (hovering "Input 1 Config") and
// "Sun Protect" (hovering "Angle 1", then "Key Status 2"), and writes
// inputs.png, sunprotect.png and sunprotect_keys.png.
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "pages/core/CInputsLogic.h"
#include "pages/core/CSunProtectLogic.h"
#include "pages/CPageWidget.h"
#include "tests/support/ToolSession.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <cstdio>

using testsupport::ToolSession;

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "io_pages_screenshot", {"--device-type", "2050"},
                                     "ttySIM7");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    auto* inputs = session.openPage<CPageWidget>("Inputs", PageId::Inputs);
    ToolSession::Hover(inputs->controls().label(InputsId::Input1Config));
    bool ok = ToolSession::Save(window, dir + "/inputs.png");

    auto* sun = session.openPage<CPageWidget>("Sun Protect", PageId::SunProtect);
    ToolSession::Hover(sun->controls().label(SunProtectId::Angle1));
    ok = ToolSession::Save(window, dir + "/sunprotect.png") && ok;
    ToolSession::Hover(sun->controls().label(SunProtectId::KeyStatus2));
    ok = ToolSession::Save(window, dir + "/sunprotect_keys.png") && ok;
    return ok ? 0 : 1;
}
