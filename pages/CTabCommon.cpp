#include "pages/CTabCommon.h"

#include "pages/CDlgDateTime.h"

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
