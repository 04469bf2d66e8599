// The "Room Climate" page: the room temperature set-points and how the
// temperature screen shows them, the fan, presence, the building system's
// locks and the icon enables. The rows and rules are CRoomClimateLogic's;
// this class routes the two controls whose change is not a plain write, and
// the ways out of an unwritten "Enable Presence DI Reboot".
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CRoomClimateLogic.h"

#include <memory>

class CTabRoomClimate : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabRoomClimate(const PageContext& context);
    ~CTabRoomClimate() override;

    CRoomClimateLogic& logic() { return *m_logic; }

protected:
    void controlChanged(Page::ControlId id) override;
    void writeEdit(Page::ControlId id) override;
    void discardEdit(Page::ControlId id) override;

private:
    std::unique_ptr<CRoomClimateLogic> m_logic;
};
