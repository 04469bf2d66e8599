// Takes pictures of the FW-Update page and the configuration export's
// dialogs, connected to the simulator, for looking at them without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/update/update_page_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, the download at the real
// line's speed) on a private port, starts the tool, connects, opens
// "FW-Update", downloads a 120 kB image and writes update_running.png in the
// middle of the transfer and update_done.png at the end; then
// export_categories.png (the category chooser with two boxes checked) and
// export_progress.png (the progress box at 42 %).
#include "DnlTestFile.h"
#include "tests/support/ToolSession.h"
#include "tools/ui/CDlgProgress.h"
#include "tools/ui/CDlgExportCategories.h"
#include "update/ui/CTabUpdate.h"
#include "pages/form/CProgressBar.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

using testsupport::ToolSession;

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "update_page_screenshot",
                        {"--device-type", "2050", "--dl-baud", "115200", "--dl-reboot-ms", "200"}, "ttySIM8");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();
    session.open("FW-Update");
    auto* page = dynamic_cast<CTabUpdate*>(window.page(PageId::Update));
    if (!page)
        return 1;

    dnltest::DnlSpec image;
    image.version = "9.9.9";
    image.image = dnltest::Image(120000);
    dnltest::TempFile file(dnltest::Build(image), "RU-Touch_9.9.9.dnl");
    page->pathField()->setText(QString::fromStdString(file.path()));
    page->setAskFirst(false);
    page->OnUpdate();
    (void)QTest::qWaitFor([&] { return page->bar()->percent() >= 40; }, 30000);
    bool ok = ToolSession::Save(window, dir + "/update_running.png");
    (void)QTest::qWaitFor([&] { return !page->running(); }, 60000);
    ok = ToolSession::Save(window, dir + "/update_done.png") && ok;

    CDlgExportCategories categories(&window);
    categories.box(0)->setChecked(true);
    categories.box(2)->setChecked(true);
    categories.show();
    ok = ToolSession::Save(categories, dir + "/export_categories.png") && ok;
    categories.hide();

    CDlgProgress progress(QStringLiteral("Export to File"), &window);
    progress.show();
    progress.showPercent(42);
    ok = ToolSession::Save(progress, dir + "/export_progress.png") && ok;
    return ok ? 0 : 1;
}
