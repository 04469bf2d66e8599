// Takes pictures of the ReMa page, connected to the simulator, for looking
// at it without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/tools/rema_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, no PIN) on a private port,
// starts the tool, connects, opens "ReMa", moves register 400 to address
// 5000 and writes rema_modbus.png; then, as after a switch to BACnet, shows
// the BACnet names around the date and time registers and writes
// rema_bacnet.png.
#include "app/CTavemoConfigurationToolDlg.h"
#include "tests/support/ToolSession.h"
#include "tools/ui/CTabFavorites.h"

#include <QComboBox>
#include <QSpinBox>

using testsupport::ToolSession;

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "rema_screenshot", {"--device-type", "2050"}, "ttySIM8");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();

    auto* page = session.openPage<CTabFavorites>("ReMa", PageId::ReMa);
    page->addressField()->setValue(5000);
    const int category = page->categoryBox()->findText("Data Room Climate (400 - 699)");
    page->categoryBox()->setCurrentIndex(category);
    emit page->categoryBox()->activated(category);
    const int reg = page->registerBox()->findData(400);
    page->registerBox()->setCurrentIndex(reg);
    emit page->registerBox()->activated(reg);
    bool ok = ToolSession::Save(window, dir + "/rema_modbus.png");

    page->editor().catalogue().Holding(Reg::Protocol).value = 1;
    window.protocolChanged();
    page->addressField()->setValue(2018);
    ok = ToolSession::Save(window, dir + "/rema_bacnet.png") && ok;
    return ok ? 0 : 1;
}
