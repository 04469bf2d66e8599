#include "pages/CTabTiles.h"

CTabTiles::CTabTiles(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CTilesLogic>(catalogue(), unit(), host(), controls());
    attach(*m_logic, QSize());
}

CTabTiles::~CTabTiles() = default;
