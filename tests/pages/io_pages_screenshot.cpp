// Takes pictures of the Inputs and Sun Protect pages, connected to the
// simulator, for looking at them without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/io_pages_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, no PIN) on a private port,
// starts the tool, connects, opens "Inputs" (hovering "Input 1 Config") and
// "Sun Protect" (hovering "Angle 1", then "Key Status 2"), and writes
// inputs.png, sunprotect.png and sunprotect_keys.png.
#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "pages/CTabInputs.h"
#include "pages/CTabSunProtect.h"
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
    // The widget paints itself: works on the offscreen platform too.
    const QPixmap shot = window.grab();
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

void Open(CTavemoConfigurationToolDlg& window, const char* caption)
{
    const int tab = window.tabs()->captions().indexOf(QString::fromLatin1(caption));
    window.SelectTab(tab);
    (void)QTest::qWaitFor([&] { return window.lastTab() == tab; }, 3000);
    QTest::qWait(300);
}

} // namespace

int main(int argc, char** argv)
{
    const QString dir = QString::fromLocal8Bit(argc > 1 ? argv[1] : ".");
    QDir().mkpath(dir);
    testsupport::ToolSession session(TAVEMO_TEST_BIN_DIR, "io_pages_screenshot", {"--device-type", "2050"},
                                     "ttySIM7");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    Open(window, "Inputs");
    auto* inputs = qobject_cast<CTabInputs*>(window.page(PageId::Inputs));
    Hover(inputs->controls().label(InputsId::Input1Config));
    bool ok = Save(window, dir + "/inputs.png");

    Open(window, "Sun Protect");
    auto* sun = qobject_cast<CTabSunProtect*>(window.page(PageId::SunProtect));
    Hover(sun->controls().label(SunProtectId::Angle1));
    ok = Save(window, dir + "/sunprotect.png") && ok;
    Hover(sun->controls().label(SunProtectId::KeyStatus2));
    ok = Save(window, dir + "/sunprotect_keys.png") && ok;
    return ok ? 0 : 1;
}
