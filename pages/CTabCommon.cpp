#include "pages/CTabCommon.h"

#include "pages/CDlgDateTime.h"
#include "pages/CQuestionBox.h"
#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"


using namespace CommonId;

CTabCommon::CTabCommon(const PageContext& context, CConfiguration& configuration) : CPageWidget(context)
{
    m_logic = std::make_unique<CCommonLogic>(catalogue(), unit(), host(), controls(), configuration);
    attach(*m_logic);
}

CTabCommon::~CTabCommon() = default;

void CTabCommon::controlChanged(Page::ControlId id)
{
    switch (id) {
    case TempUnit: m_logic->chooseTempUnit(); break;
    case Protocol: m_logic->chooseProtocol(); break;
    case Pin:
        // PIN 0 means no PIN: the unit is then open to anyone at its keys.
        if (PageText::IsNumber(controls().text(Pin)) && PageText::ParseNumber(controls().text(Pin), 1) == 0 &&
            !confirmNoPin()) {
            controls().restoreField(Pin);
            return;
        }
        CPageWidget::controlChanged(id);
        break;
    default: CPageWidget::controlChanged(id); break;
    }
}

void CTabCommon::buttonClicked(Page::ControlId id)
{
    switch (id) {
    case FactoryReset:
        if (confirmFactoryReset())
            m_logic->factoryReset();
        break;
    case ConfigureDateTime: configureDateTime(); break;
    default: break;
    }
}

QString CTabCommon::unitName()
{
    const QString type = QString::fromUtf8(DeviceTypeName(unit().deviceType()));
    const QString port = QString::fromStdString(unit().portName()).section(QLatin1Char('/'), -1);
    return port.isEmpty() ? type : QStringLiteral("%1 on %2").arg(type, port);
}

bool CTabCommon::confirmFactoryReset()
{
    enum { Reset, Cancel };
    return CQuestionBox::Ask(this, QMessageBox::Warning, QStringLiteral("ConfirmFactoryReset"),
                             QStringLiteral("Factory Reset"),
                             QStringLiteral("Factory Reset sets every setting of the unit %1 back to the factory's "
                                            "values (bus address, PIN, display, set-points and all the other "
                                            "pages) and restarts it. This cannot be undone.\n\nReset the unit?")
                                 .arg(unitName()),
                             {{QStringLiteral("&Factory Reset"), QMessageBox::DestructiveRole},
                              {QStringLiteral("&Cancel"), QMessageBox::RejectRole}},
                             Cancel, Cancel) == Reset;
}

bool CTabCommon::confirmNoPin()
{
    enum { Write, Cancel };
    return CQuestionBox::Ask(this, QMessageBox::Warning, QStringLiteral("ConfirmNoPin"), QStringLiteral("PIN"),
                             QStringLiteral("PIN 0000 switches the PIN protection of the unit %1 off: anyone can "
                                            "then change its settings.\n\nWrite PIN 0000?")
                                 .arg(unitName()),
                             {{QStringLiteral("&Write PIN 0000"), QMessageBox::AcceptRole},
                              {QStringLiteral("&Cancel"), QMessageBox::RejectRole}},
                             Cancel, Cancel) == Write;
}

void CTabCommon::configureDateTime()
{
    // The dialog starts at the PC's moment; the unit's clock, gone on since
    // it was read, shows beside it.
    CDlgDateTime dialog(this);
    if (const auto& clock = m_logic->unitClock())
        dialog.setUnitClock(QDateTime(QDate(clock->year, clock->month, clock->day),
                                      QTime(clock->hour, clock->minute, clock->second))
                                .addSecs(m_logic->unitClockAgeSeconds()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QDateTime m = dialog.dateTime();
    m_logic->writeDateTime(UnitDateTime{m.date().year(), m.date().month(), m.date().day(), m.time().hour(),
                                        m.time().minute(), m.time().second()});
}
