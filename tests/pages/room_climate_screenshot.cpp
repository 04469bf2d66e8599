// Takes pictures of the Room Climate page connected to the simulator, for
// looking at it without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/room_climate_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050) on a private port, starts the
// tool at the width it opens at on a desktop screen, connects, opens "Room Climate" and writes room_climate.png (hovering
// "Setpoint Temp"), room_climate_fan.png (hovering "Fan Label") and
// room_climate_presence.png (hovering "Presence Status").
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "pages/CTabRoomClimate.h"
#include "tests/support/ToolSession.h"

#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <cstdio>

namespace {

bool Save(QWidget& window, const QString& path)
{
    QTest::qWait(150);
    const bool ok = window.grab().save(path);
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

} // namespace

int main(int argc, char** argv)
{
    const QString dir = QString::fromLocal8Bit(argc > 1 ? argv[1] : ".");
    QDir().mkpath(dir);
    testsupport::ToolSession session(TAVEMO_TEST_BIN_DIR, "room_climate_screenshot", {"--device-type", "2050"},
                                     "ttySIM7");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();
    // The width the tool opens at on a desktop screen: every tab shows.
    window.resize(qMax(window.width(), 1380), window.height());

    auto* page = qobject_cast<CTabRoomClimate*>(window.page(PageId::RoomClimate));
    const int tab = window.tabs()->captions().indexOf(QStringLiteral("Room Climate"));
    window.SelectTab(tab);
    (void)QTest::qWaitFor([&] { return window.lastTab() == tab; }, 3000);
    QTest::qWait(300);
    Hover(page->controls().label(RoomClimateId::SetpointTemp));
    bool ok = Save(window, dir + "/room_climate.png");
    Hover(page->controls().label(RoomClimateId::FanLabel));
    ok = Save(window, dir + "/room_climate_fan.png") && ok;
    Hover(page->controls().label(RoomClimateId::PresenceStatus));
    ok = Save(window, dir + "/room_climate_presence.png") && ok;
    return ok ? 0 : 1;
}
