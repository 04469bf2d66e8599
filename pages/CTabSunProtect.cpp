#include "pages/CTabSunProtect.h"

using namespace SunProtectId;

CTabSunProtect::CTabSunProtect(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CSunProtectLogic>(catalogue(), unit(), host(), controls());
    // Two channels side by side take the room of one page's column more:
    // the picture gives way, in the same 4:3.
    attach(*m_logic, kPictureSize * 4 / 5);
}

CTabSunProtect::~CTabSunProtect() = default;

void CTabSunProtect::buttonClicked(Page::ControlId id)
{
    switch (id) {
    // "Key clear": 0 to the key status, then the status as the unit now has it.
    case KeyClear1: m_logic->writeThenRead(KeyClear1, KeyStatus1); break;
    case KeyClear2: m_logic->writeThenRead(KeyClear2, KeyStatus2); break;
    case Page::kUndoChanges: m_logic->undoChanges(); break;
    default: break;
    }
}
