#include "pages/CTabRoomClimate.h"

using namespace RoomClimateId;

CTabRoomClimate::CTabRoomClimate(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CRoomClimateLogic>(catalogue(), unit(), host(), controls());
    attach(*m_logic);
}

CTabRoomClimate::~CTabRoomClimate() = default;

void CTabRoomClimate::controlChanged(Page::ControlId id)
{
    switch (id) {
    case CurrentTempDisplay: m_logic->chooseCurrentTempDisplay(); break;
    case PresenceReboot: m_logic->storePresenceReboot(); break;
    default: CPageWidget::controlChanged(id); break;
    }
}
