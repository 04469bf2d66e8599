// The "Time Program" page: one button per time program of the unit (six
// columns of eight), marked "*" on both sides while the program is active,
// and "Save To NVRAM". A button opens the event dialog on its program: the
// page reads the program, the dialog edits it, the page writes it back. The
// rules are CTimeProgramLogic's; this class adds the dialog.
//
// Selecting the page sends nothing to the unit: the labels come from the
// activate flags the connection read, and from what the dialog saved.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CTimeProgramLogic.h"

#include <memory>

class CTabTimeProgram : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabTimeProgram(const PageContext& context);
    ~CTabTimeProgram() override;

    CTimeProgramLogic& logic() { return *m_logic; }
    // A program's button: read the program, run the dialog, save it.
    void openProgram(int program);

    // ITabPage
    void preparePage() override;
    void activatePage() override;
    void clearPage() override;

protected:
    void buttonClicked(Page::ControlId id) override;

private:
    std::unique_ptr<CTimeProgramLogic> m_logic;
};
