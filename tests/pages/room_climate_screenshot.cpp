// Takes pictures of the Room Climate page connected to the simulator, for
// looking at it without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/room_climate_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050) on a private port, starts the
// tool at the width it opens at on a desktop screen, connects, opens "Room Climate" and writes room_climate.png (hovering
// "Setpoint Temp"), room_climate_fan.png (hovering "Fan Label") and
// room_climate_presence.png (hovering "Presence Status"); then
// room_climate_laptop.png with the window as it opens on a 1366 x 768
// screen and room_climate_minimum.png at the window's minimum size,
// scrolled to the page's bottom.
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "pages/CTabRoomClimate.h"
#include "tests/support/ToolSession.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTest>

#include <cstdio>

using testsupport::ToolSession;

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "room_climate_screenshot", {"--device-type", "2050"},
                                     "ttySIM7");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();
    // The width the tool opens at on a desktop screen: every tab shows.
    window.resize(qMax(window.width(), 1380), window.height());

    auto* page = qobject_cast<CTabRoomClimate*>(window.page(PageId::RoomClimate));
    session.open("Room Climate");
    ToolSession::Hover(page->controls().label(RoomClimateId::SetpointTemp));
    bool ok = ToolSession::Save(window, dir + "/room_climate.png");
    ToolSession::Hover(page->controls().label(RoomClimateId::FanLabel));
    ok = ToolSession::Save(window, dir + "/room_climate_fan.png") && ok;
    ToolSession::Hover(page->controls().label(RoomClimateId::PresenceStatus));
    ok = ToolSession::Save(window, dir + "/room_climate_presence.png") && ok;

    session.sizeForLaptop();
    ok = ToolSession::Save(window, dir + "/room_climate_laptop.png") && ok;
    window.resize(window.minimumWindowSize());
    QTest::qWait(100);
    if (QScrollArea* area = window.tabs()->scrollArea(page))
        area->ensureVisible(0, page->height());
    ok = ToolSession::Save(window, dir + "/room_climate_minimum.png") && ok;
    return ok ? 0 : 1;
}
