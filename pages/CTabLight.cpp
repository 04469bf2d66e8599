#include "pages/CTabLight.h"

using namespace LightId;

CTabLight::CTabLight(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CLightLogic>(catalogue(), unit(), host(), controls());
    // Two channels side by side: the picture gives way, in the same 4:3.
    attach(*m_logic, kPictureSize * 4 / 5);
}

CTabLight::~CTabLight() = default;

void CTabLight::buttonClicked(Page::ControlId id)
{
    switch (id) {
    // "Key clear": 0 to the key status, then the status as the unit now has it.
    case KeyClear1: m_logic->writeThenRead(KeyClear1, KeyStatus1); break;
    case KeyClear2: m_logic->writeThenRead(KeyClear2, KeyStatus2); break;
    default: break;
    }
}
