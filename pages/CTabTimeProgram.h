// The "Time Program" page: one button per time program of the unit (six
// columns of eight), marked "*" on both sides while the program is active,
// an overview of all programs beside them, "Read Target" and "Save To
// NVRAM". A button, or a double-click (Enter) on a program's line of the
// overview, opens the event dialog on its program: the page reads the
// program, the dialog edits it, the page writes it back. The rules are
// CTimeProgramLogic's; this class adds the dialog and the overview.
//
// Selecting the page sends nothing to the unit: the labels and the overview
// come from the catalogue (the activate flags the connection read, what the
// dialog saved, what "Read Target" read).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CTimeProgramLogic.h"

#include <memory>

class QTableWidget;

class CTabTimeProgram : public CPageWidget
{
    Q_OBJECT
public:
    // The overview is at least this wide; the register's name takes what
    // the page has beyond it.
    static constexpr int kOverviewMinWidth = 420;
    // Space above and below the text of an overview line.
    static constexpr int kLinePadding = 6;

    explicit CTabTimeProgram(const PageContext& context);
    ~CTabTimeProgram() override;

    CTimeProgramLogic& logic() { return *m_logic; }
    QTableWidget* overview() const { return m_overview; }
    // A program's button: read the program, run the dialog, save it.
    void openProgram(int program);

    // ITabPage
    void preparePage() override;
    void activatePage() override;
    void clearPage() override;

protected:
    void buttonClicked(Page::ControlId id) override;

private:
    void buildOverview();
    // The overview from the catalogue (after every rebuild of the labels).
    void showOverview();

    std::unique_ptr<CTimeProgramLogic> m_logic;
    QTableWidget* m_overview = nullptr;
};
