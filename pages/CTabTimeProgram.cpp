#include "pages/CTabTimeProgram.h"

#include "pages/CDlgTimeProgram.h"

#include <QPushButton>

#include <algorithm>

using namespace TimeProgramId;

CTabTimeProgram::CTabTimeProgram(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CTimeProgramLogic>(catalogue(), unit(), host(), controls());
    // No picture frame: the buttons fill the page.
    attach(*m_logic, QSize());
    m_logic->rebuildLabels();
    // One width for all: the columns stay even whatever the labels say.
    int width = 0;
    for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n) {
        auto* button = widget<QPushButton>(FirstProgram + n - 1);
        button->setObjectName(QStringLiteral("Time Program %1").arg(n));
        const QString widest = QString::fromStdString(CTimeProgramLogic::ButtonLabel(n, true));
        width = std::max(width, button->sizeHint().width() + button->fontMetrics().horizontalAdvance(widest) -
                                    button->fontMetrics().horizontalAdvance(button->text()));
    }
    for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n)
        widget<QPushButton>(FirstProgram + n - 1)->setMinimumWidth(width);
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
