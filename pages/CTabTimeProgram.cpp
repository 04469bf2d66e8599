#include "pages/CTabTimeProgram.h"

#include "pages/CDlgTimeProgram.h"

using namespace TimeProgramId;

CTabTimeProgram::CTabTimeProgram(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CTimeProgramLogic>(catalogue(), unit(), host(), controls());
    // No picture frame: the buttons fill the page.
    attach(*m_logic, QSize());
    for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n)
        controls().widget(FirstProgram + n - 1)->setObjectName(QStringLiteral("Time Program %1").arg(n));
    m_logic->rebuildLabels();
}

CTabTimeProgram::~CTabTimeProgram() = default;

void CTabTimeProgram::preparePage()
{
    CPageWidget::preparePage();
    // Also in demo mode, where the page is not activated.
    m_logic->rebuildLabels();
}

void CTabTimeProgram::activatePage()
{
    m_logic->rebuildLabels();
}

void CTabTimeProgram::clearPage()
{
    CPageWidget::clearPage();
    m_logic->rebuildLabels();
}

void CTabTimeProgram::buttonClicked(Page::ControlId id)
{
    if (const int program = CTimeProgramLogic::ProgramOf(id))
        openProgram(program);
}

void CTabTimeProgram::openProgram(int program)
{
    const TimeProgramData data = m_logic->openProgram(program);
    CDlgTimeProgram dialog(program, m_logic->scenesUsed(), data, catalogue(), host(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_logic->saveProgram(program, dialog.program());
    else
        m_logic->rebuildLabels();
}
