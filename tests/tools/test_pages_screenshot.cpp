// Takes pictures of the Modbus and BACnet test pages, connected to the
// simulator, for looking at them without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/tools/test_pages_screenshot OUTDIR
// It starts tavemo-unitsim (device type 2050, no PIN) as a Modbus unit,
// reads a few registers on "Modbus" and writes modbus.png; then switches
// the unit to BACnet, connects again, reads each object kind on "BACnet"
// and writes bacnet.png.
#include "app/CTavemoConfigurationToolDlg.h"
#include "link/CModbus.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/ToolSession.h"
#include "tools/ui/CTabBACNet.h"
#include "tools/ui/CTabModbus.h"

#include <QCheckBox>
#include <QPushButton>

using testsupport::ToolSession;

namespace {

void Set(CBusTestPage* page, const char* field, const char* text)
{
    if (QLineEdit* f = page->field(QString::fromLatin1(field)))
        f->setText(QString::fromUtf8(text));
}

void Press(CBusTestPage* page, const char* button)
{
    if (QPushButton* b = page->button(QString::fromLatin1(button)))
        b->click();
}

void ModbusPage(CTabModbus* page)
{
    Set(page, "Holding Address", "2000");
    Press(page, "Holding Read");
    Set(page, "Holding Value (out)", "-5");
    Set(page, "Input Address", "15");
    Press(page, "Input Read");
    Set(page, "Coil Address", "210");
    page->check(QStringLiteral("Coil Active"))->setChecked(true);
    Press(page, "Coil Read");
}

void BacnetPage(CTabBACNet* page)
{
    const struct
    {
        const char* row;
        const char* instance;
        const char* out;
    } rows[] = {{"Analogue Value", "3", "21.46"}, {"Analogue Input", "0", nullptr},
                {"Binary Value", "1", nullptr},   {"Binary Input", "0", nullptr},
                {"Integer Value", "5", "-5"},     {"Character String Value", "9", "Meeting room"},
                {"Date Time Value", "1", "24.12.2026 10:15:00"}, {"Time Value", "64", "12:30"}};
    for (const auto& row : rows) {
        const std::string r = row.row;
        Set(page, (r + " Instance").c_str(), row.instance);
        if (row.out)
            Set(page, (r + " Value (out)").c_str(), row.out);
        Press(page, (r + " Read").c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    const QString dir = ToolSession::OutputDir(argc, argv);
    ToolSession session(TAVEMO_TEST_BIN_DIR, "test_pages_screenshot", {"--device-type", "2050"}, "ttySIM8");
    if (!session.ready())
        return 1;
    CTavemoConfigurationToolDlg& window = session.window();
    session.connect();
    ModbusPage(session.openPage<CTabModbus>("Modbus", PageId::Modbus));
    bool ok = ToolSession::Save(window, dir + "/modbus.png");

    // The unit speaks BACnet from now on; the tool finds out when it connects.
    CModbus other;
    if (other.connect(session.sim().name()) != 0 || other.writeHoldingSpecial(Reg::Protocol, 1) != 0)
        return 1;
    other.disconnect();
    session.connect();
    BacnetPage(session.openPage<CTabBACNet>("BACnet", PageId::BACnet));
    ok = ToolSession::Save(window, dir + "/bacnet.png") && ok;
    return ok ? 0 : 1;
}
