#include "pages/CTabInputs.h"

CTabInputs::CTabInputs(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CInputsLogic>(catalogue(), unit(), host(), controls());
    attach(*m_logic);
}

CTabInputs::~CTabInputs() = default;

void CTabInputs::controlChanged(Page::ControlId id)
{
    m_logic->chooseFunction(id);
}
