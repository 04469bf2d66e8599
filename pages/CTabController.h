// The "Controller" page: the unit's control loops (operating mode and
// change-over, main and second temperature controller, fan controller,
// outputs). The rows and rules are CControllerLogic's; this class adds the
// configuration dialogs, the fan controller's information box and the
// change-over timer (one-shot, 6500 ms) after which the page reads itself
// again.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CControllerLogic.h"

#include <memory>

class QTimer;

class CTabController : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabController(const PageContext& context);
    ~CTabController() override;

    CControllerLogic& logic() { return *m_logic; }
    QTimer* changeOverTimer() const { return m_changeOverTimer; }
    // What the change-over timer does when it runs out; tests call it in
    // place of waiting the 6.5 seconds.
    void changeOverTimerFired();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void controlChanged(Page::ControlId id) override;
    void buttonClicked(Page::ControlId id) override;

private:
    bool runDialog(DialogRequest& request);

    std::unique_ptr<CControllerLogic> m_logic;
    QTimer* m_changeOverTimer = nullptr;
};
