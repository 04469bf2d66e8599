// Takes pictures of the Time Program page and its event dialog, connected to
// the simulator, for looking at them without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/pages/time_program_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, the register address of
// program 45 unreadable) on a private port, starts the tool, connects, opens
// "Time Program" with the window as it opens on a 1366 x 768 screen and
// writes time_program.png; after "Read Target" time_program_overview.png;
// then opens program 5's dialog
// (time_program_dialog.png hovering "Event Hour",
// time_program_dialog_scene.png hovering "Assignment To Scene") and program
// 45's, read in part, with hour 24 refused (time_program_dialog_unread.png).
#include "app/CTavemoConfigurationToolDlg.h"
#include "pages/CDlgTimeProgram.h"
#include "pages/CTabTimeProgram.h"
#include "tests/support/ToolSession.h"
#include "tests/support/WhenModal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using testsupport::ToolSession;
using testsupport::WhenModal;
namespace Dlg = TimeProgramDialogId;

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "time_program_screenshot",
                        {"--device-type", "2050", "--fail-read", "7484"}, "ttySIM9");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    auto* page = session.openPage<CTabTimeProgram>("Time Program", PageId::TimeProgram);
    session.sizeForLaptop();
    bool ok = ToolSession::Save(window, dir + "/time_program.png");
    page->widget<QPushButton>(Page::kReadTarget)->click();
    ok = ToolSession::Save(window, dir + "/time_program_overview.png") && ok;

    {
        auto shown = WhenModal<CDlgTimeProgram>([&](CDlgTimeProgram* d) {
            ToolSession::Hover(d->controls().label(Dlg::EventHour));
            ok = ToolSession::Save(*d, dir + "/time_program_dialog.png") && ok;
            ToolSession::Hover(d->controls().label(Dlg::Scene));
            ok = ToolSession::Save(*d, dir + "/time_program_dialog_scene.png") && ok;
            d->reject();
        });
        page->openProgram(5);
    }
    {
        auto shown = WhenModal<CDlgTimeProgram>([&](CDlgTimeProgram* d) {
            auto* hour = d->widget<QLineEdit>(Dlg::EventHour);
            hour->setText(QStringLiteral("24"));
            d->widget<QPushButton>(Dlg::Ok)->click();
            ok = ToolSession::Save(*d, dir + "/time_program_dialog_unread.png") && ok;
            d->reject();
        });
        page->openProgram(45);
    }
    return ok ? 0 : 1;
}
