#include "pages/CTabCommon.h"

#include "app/IMainWindow.h"
#include "app/PageContext.h"
#include "link/ui/CTabInterface.h"
#include "pages/CDlgDateTime.h"
#include "pages/core/CConfiguration.h"

#include <QComboBox>

using namespace CommonId;

namespace {

constexpr const char* kBaudrates[] = {"0 = 9600 Baud", "1 = 19200 Baud", "2 = 38400 Baud", "3 = 57600 Baud",
                                      "4 = 115200 Baud"};
constexpr const char* kParities[] = {"0 = None, 1 Stopbit", "1 = Even, 1 Stopbit", "2 = Odd, 1 Stopbit",
                                     "3 = None, 2 Stopbits"};
constexpr const char* kLanguages[] = {"0 = german", "1 = english", "2 = spanish",
                                      "3 = french", "4 = italian", "5 = russian"};
constexpr const char* kTempUnits[] = {"0 = \u00b0F", "1 = \u00b0C"};
constexpr const char* kTimeFormats[] = {"0 = 12h", "1 = 24h", "2 = hidden"};
constexpr const char* kDateFormats[] = {"0 = DD.MM.", "1 = MM.DD", "2 = hidden"};
constexpr const char* kDls[] = {"0 = Europe", "1 = USA", "2 = no change"};
constexpr const char* kProtocols[] = {"0 = Modbus", "1 = BACnet"};

using T = ControlType;
constexpr ControlDef kControls[] = {
    {.id = DeviceType, .type = T::ReadOnly, .label = "Device Type", .row = 0, .column = 0, .span = 3},
    {.id = Firmware, .type = T::ReadOnly, .label = "Firmware", .row = 1, .column = 0},
    {.id = ProdDate, .type = T::ReadOnly, .label = "Prod. Date", .row = 2, .column = 0},
    {.id = OperationDays, .type = T::ReadOnly, .label = "Operation Days", .row = 3, .column = 0},
    {.id = InternalError, .type = T::ReadOnly, .label = "Internal Error", .row = 4, .column = 0},
    {.id = BusAddress, .type = T::Number, .label = "Bus Address", .row = 5, .column = 0,
     .filter = EntryFilter::Integer},
    {.id = Baudrate, .type = T::List, .label = "Baudrate", .row = 6, .column = 0, .items = kBaudrates, .initial = 2},
    {.id = Parity, .type = T::List, .label = "Parity / Stop Bits", .row = 7, .column = 0, .items = kParities,
     .initial = 1},
    {.id = Protocol, .type = T::List, .label = "Protocol", .row = 8, .column = 0, .items = kProtocols, .initial = 0},
    {.id = DateTime, .type = T::ReadOnly, .label = "Date / Time", .row = 9, .column = 0},
    {.id = ConfigureDateTime, .type = T::Button, .label = "Configure Date / Time", .row = 10, .column = 1},

    {.id = Pin, .type = T::Number, .label = "PIN", .row = 1, .column = 2, .filter = EntryFilter::Pin},
    {.id = Language, .type = T::List, .label = "Language", .row = 2, .column = 2, .items = kLanguages, .initial = 1},
    {.id = TempUnit, .type = T::List, .label = "Temp Unit", .row = 3, .column = 2, .items = kTempUnits, .initial = 1},
    {.id = Brightness, .type = T::Number, .label = "Display Brightness [%]", .row = 4, .column = 2,
     .filter = EntryFilter::Integer},
    {.id = ScreenSaver, .type = T::Number, .label = "Screen Saver Timeout [s]", .row = 5, .column = 2,
     .filter = EntryFilter::Integer},
    {.id = TimeFormat, .type = T::List, .label = "Time Format", .row = 6, .column = 2, .items = kTimeFormats,
     .initial = 1},
    {.id = DateFormat, .type = T::List, .label = "Date Format", .row = 7, .column = 2, .items = kDateFormats,
     .initial = 0},
    {.id = Dls, .type = T::List, .label = "DLS", .row = 8, .column = 2, .items = kDls, .initial = 0},
    {.id = Darkmode, .type = T::Check, .label = "Darkmode", .row = 9, .column = 3},

    {.id = ReadTarget, .type = T::Button, .label = "Read Target", .row = -1, .action = ButtonAction::ReadTarget},
    {.id = UndoChanges, .type = T::Button, .label = "Undo Changes", .row = -1, .action = ButtonAction::UndoChanges},
    {.id = SaveToNvram, .type = T::Button, .label = "Save To NVRAM", .row = -1, .action = ButtonAction::SaveToNvram},
    {.id = FactoryReset, .type = T::Button, .label = "Factory Reset", .row = -1},
};

} // namespace

CTabCommon::CTabCommon(const PageContext& context, CConfiguration& configuration)
    : CPageWidget(context), m_comInterface(context.comInterface)
{
    buildPage(kControls);
    m_logic = std::make_unique<CCommonLogic>(catalogue(), unit(), host(), controls(), configuration);
    attach(*m_logic);
}

CTabCommon::~CTabCommon() = default;

void CTabCommon::controlChanged(Page::ControlId id)
{
    switch (id) {
    case TempUnit: m_logic->chooseTempUnit(); break;
    case Protocol: {
        // The unit restarts with the other protocol; the user connects again.
        const int index = controls().index(Protocol);
        if (index < 0 || !m_comInterface)
            return;
        m_comInterface->switchProtocol(index);
        if (mainWindow())
            mainWindow()->ReplaceProtocolTab();
        break;
    }
    default: CPageWidget::controlChanged(id); break;
    }
}

void CTabCommon::buttonClicked(Page::ControlId id)
{
    switch (id) {
    case FactoryReset: m_logic->factoryReset(); break;
    case ConfigureDateTime: configureDateTime(); break;
    default: break;
    }
}

void CTabCommon::configureDateTime()
{
    CDlgDateTime dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QDateTime m = dialog.dateTime();
    m_logic->writeDateTime(UnitDateTime{m.date().year(), m.date().month(), m.date().day(), m.time().hour(),
                                        m.time().minute(), m.time().second()});
}
