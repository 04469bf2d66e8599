#include "pages/CTabSunProtect.h"

using namespace SunProtectId;

CTabSunProtect::CTabSunProtect(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CSunProtectLogic>(catalogue(), unit(), host(), controls());
    // Two channels side by side take the room of one page's column more:
    // the picture gives way, in the same 4:3.
    attach(*m_logic, kPictureSize * 4 / 5);
    m_logic->disableStatusControls();
}

CTabSunProtect::~CTabSunProtect() = default;

void CTabSunProtect::buttonClicked(Page::ControlId id)
{
    switch (id) {
    case KeyClear1: m_logic->keyClear(1); break;
    case KeyClear2: m_logic->keyClear(2); break;
    case Page::kUndoChanges: m_logic->undoChanges(); break;
    default: break;
    }
}
