#include "pages/CTabLight.h"

using namespace LightId;

CTabLight::CTabLight(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CLightLogic>(catalogue(), unit(), host(), controls());
    // Two channels side by side: the picture gives way, in the same 4:3.
    attach(*m_logic, kPictureSize * 4 / 5);
    m_logic->disableStatusControls();
}

CTabLight::~CTabLight() = default;

void CTabLight::buttonClicked(Page::ControlId id)
{
    switch (id) {
    case KeyClear1: m_logic->keyClear(1); break;
    case KeyClear2: m_logic->keyClear(2); break;
    default: break;
    }
}
