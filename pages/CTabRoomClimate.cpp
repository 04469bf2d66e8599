#include "pages/CTabRoomClimate.h"

using namespace RoomClimateId;

namespace {
constexpr QSize kPictureSize{320, 240};
}

CTabRoomClimate::CTabRoomClimate(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CRoomClimateLogic>(catalogue(), unit(), host(), controls());
    // Two columns of controls beside the screen: a smaller picture leaves
    // them their room.
    attach(*m_logic, kPictureSize);
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

void CTabRoomClimate::writeEdit(Page::ControlId id)
{
    if (id == PresenceReboot)
        m_logic->writePresenceReboot();
    else
        CPageWidget::writeEdit(id);
}

void CTabRoomClimate::discardEdit(Page::ControlId id)
{
    if (id == PresenceReboot)
        m_logic->discardPresenceReboot();
    else
        CPageWidget::discardEdit(id);
}
