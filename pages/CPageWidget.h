// The Qt side of a configuration page: builds the page's controls from its
// ControlDef rows (grid at the left, picture frame at the right, button bar
// below), connects them to the page's CPageEngine and plays the page's part
// towards the main window (ITabPage).
//
// What the framework wires for every page:
// - a selection in a list, a click on a check box and Enter in a control run
//   the engine's change handler for that control (controlChanged);
// - buttons with a ButtonAction run "Read target", "Undo changes" or "Save
//   To NVRAM"; other buttons call buttonClicked;
// - mouse moves set the register information line and the picture mark;
// - preparePage enables the common buttons for the mode, activatePage runs
//   the read cycle, setPageReady lets the picture frame paint.
//
// A page derives from it, builds its engine (the page's logic) and calls
// buildPage with its rows and then attach with the engine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "app/ITabPage.h"
#include "pages/CControlSet.h"
#include "pages/CMainWindowHost.h"
#include "pages/ControlDef.h"

#include <QWidget>

#include <memory>
#include <span>

class CConfiguration;
class CHoverTracker;
class CPageEngine;
class CPicturePanel;
class IMainWindow;
class IUnitAccess;
class QGridLayout;
class RegisterCatalogue;
struct PageContext;

class CPageWidget : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    // The picture frame of a page: 4:3 like the unit's display.
    static constexpr QSize kPictureSize{400, 300};

    explicit CPageWidget(const PageContext& context);
    ~CPageWidget() override;

    CControlSet& controls() { return m_controls; }
    CPageEngine* engine() const { return m_engine; }
    CPicturePanel* picturePanel() const { return m_picture; }
    IMainWindow* mainWindow() const { return m_mainWindow; }
    template <class W> W* widget(Page::ControlId id) const { return m_controls.as<W>(id); }

    // ITabPage
    void setPageReady() override;
    void preparePage() override;
    void activatePage() override;

protected:
    // Builds the rows; pictureSize empty: no picture frame.
    void buildPage(std::span<const ControlDef> specs, QSize pictureSize = kPictureSize);
    void attach(CPageEngine& engine);

    // A list selection, a check box click or Enter in a control.
    virtual void controlChanged(Page::ControlId id);
    // A button without a framework action.
    virtual void buttonClicked(Page::ControlId id) { (void)id; }

    IUnitAccess& unit() { return *m_unit; }
    IPageHost& host() { return m_host; }
    RegisterCatalogue& catalogue() { return *m_catalogue; }
    QGridLayout* grid() const { return m_grid; }

private:
    void onMouse(bool inside, QPoint position);
    void onAction(ButtonAction action, Page::ControlId id);

    IMainWindow* m_mainWindow;
    RegisterCatalogue* m_catalogue;
    std::unique_ptr<IUnitAccess> m_unit;
    CMainWindowHost m_host;
    CControlSet m_controls;
    CPageEngine* m_engine = nullptr;
    CPicturePanel* m_picture = nullptr;
    CHoverTracker* m_tracker = nullptr;
    QGridLayout* m_grid = nullptr;
    std::span<const ControlDef> m_specs;
};
