// Takes pictures of the Light and Tiles pages, connected to the simulator,
// for looking at them without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/light_tiles_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, no PIN) on a private port,
// starts the tool, connects, opens "Light" (hovering "Dimm Step Size 1",
// then "Key Status 2", then "Label 1") and "Tiles", and writes light.png,
// light_keys.png, light_label.png and tiles.png.
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "pages/core/CLightLogic.h"
#include "pages/core/CTilesLogic.h"
#include "pages/CPageWidget.h"
#include "tests/support/ToolSession.h"

#include <QLabel>

using testsupport::ToolSession;

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "light_tiles_screenshot", {"--device-type", "2050"}, "ttySIM8");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    auto* light = session.openPage<CPageWidget>("Light", PageId::Light);
    ToolSession::Hover(light->controls().label(LightId::DimmStep1));
    bool ok = ToolSession::Save(window, dir + "/light.png");
    ToolSession::Hover(light->controls().label(LightId::KeyStatus2));
    ok = ToolSession::Save(window, dir + "/light_keys.png") && ok;
    ToolSession::Hover(light->controls().label(LightId::Label1));
    ok = ToolSession::Save(window, dir + "/light_label.png") && ok;

    auto* tiles = session.openPage<CPageWidget>("Tiles", PageId::Tiles);
    ToolSession::Hover(tiles->controls().label(TilesId::Tile2));
    ok = ToolSession::Save(window, dir + "/tiles.png") && ok;
    return ok ? 0 : 1;
}
