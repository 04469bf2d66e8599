// The "Tiles" page: whether the unit's start screen shows tiles and which
// function each of its six tiles opens. The rows and rules are
// CTilesLogic's; the page has no picture.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CTilesLogic.h"

#include <memory>

class CTabTiles : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabTiles(const PageContext& context);
    ~CTabTiles() override;

    CTilesLogic& logic() { return *m_logic; }

private:
    std::unique_ptr<CTilesLogic> m_logic;
};
