// The "Controller" page: the unit's control loops (operating mode and
// change-over, main and second temperature controller, fan controller,
// outputs). The rows and rules are CControllerLogic's; this class adds the
// configuration dialogs, the fan controller's information box and the
// change-over timer (one-shot, 6500 ms) after which the page reads itself
// again. The timer runs only while the page is on screen and nothing else
// happens on it: leaving the page, any other action of the page, the window
// turning to modal work (it disables the pages) and another unit or demo
// device cancel it.
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

    void clearPage() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void controlChanged(Page::ControlId id) override;
    void buttonClicked(Page::ControlId id) override;
    void actionStarting() override;

private:
    bool runDialog(DialogRequest& request);
    void cancelChangeOver();

    std::unique_ptr<CControllerLogic> m_logic;
    QTimer* m_changeOverTimer = nullptr;
};
