// The Qt side of a configuration page: builds the page's controls from its
// rows (grid at the left, picture frame at the right, button bar below),
// connects them to the page's CPageEngine and plays the page's part towards
// the main window (ITabPage).
//
// What the framework wires for every page:
// - a selection in a list, a click on a check box and Enter in a field run
//   the engine's change handler for that control (controlChanged);
// - a field the user changed is marked until it is written; leaving it says
//   "Press Enter to write", Escape puts it back, and "Save To NVRAM", a tab
//   switch or closing the window first ask whether to write, discard or stay
//   (confirmLeave); "Read Target" asks whether to write, discard or not read
//   (confirmRead);
// - the framework's buttons run "Read Target", "Undo Changes" and "Save To
//   NVRAM"; other buttons call buttonClicked;
// - mouse moves set the register information line and the picture mark
//   (CHoverInfo over the same rows);
// - preparePage turns the button bar on or off for the mode, activatePage
//   runs the read cycle, setPageReady lets the picture frame paint.
//
// A page is its logic (a CPageEngine, with the page's own rules in its
// hooks): the page registry names it, and this class builds and owns it
// and the widgets of its rows. A page whose Qt side does more than the rows
// say (a view beside the form, its own events) derives from it, builds its
// engine and calls attach with it.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/form/CControlSet.h"
#include "pages/core/CPageEngine.h"
#include "pages/core/ITabPage.h"
#include "pages/core/PageTypes.h"

#include <QWidget>

#include <memory>

class CHoverInfo;
class CHoverTracker;
class CPicturePanel;
class IPageHost;
class IUnitAccess;
class QGridLayout;
class QHBoxLayout;
class QVBoxLayout;
class RegisterCatalogue;
struct PageContext;

class CPageWidget : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    // The picture frame of a page: 4:3 like the unit's display.
    static constexpr QSize kPictureSize{400, 300};

    explicit CPageWidget(const PageContext& context, QWidget* parent = nullptr);
    // The whole page from its logic: the picture frame as its description
    // says, none where it names no default picture.
    CPageWidget(const PageContext& context, CPageEngine::Factory logic, QWidget* parent = nullptr);
    ~CPageWidget() override;

    CControlSet& controls() { return m_controls; }
    CPageEngine* engine() const { return m_engine; }
    CHoverInfo* hover() const { return m_hover.get(); }
    CPicturePanel* picturePanel() const { return m_picture; }
    template <class W> W* widget(Page::ControlId id) const { return m_controls.as<W>(id); }

    // ITabPage
    void setPageReady() override;
    void preparePage() override;
    void activatePage() override;
    bool confirmLeave() override;
    // Before "Read Target" shows the unit's values over unwritten edits:
    // true when the read may go on (written, discarded, or none).
    bool confirmRead();
    void clearPage() override;

    // The fields changed and not written, and the two ways out.
    bool hasUnwrittenEdits() const;
    void writeEdits();
    void discardEdits();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Builds the engine's rows into widgets and wires them; pictureSize
    // empty: no picture frame.
    void attach(CPageEngine& engine, QSize pictureSize = kPictureSize);

    // A list selection, a check box click or Enter in a control (the
    // engine's controlChanged).
    virtual void controlChanged(Page::ControlId id);
    // A button without a framework action (the engine's buttonClicked).
    virtual void buttonClicked(Page::ControlId id);
    // Any button of the page was clicked, before its action runs.
    virtual void actionStarting() {}
    // One unwritten edit written or given up (confirmLeave): Enter's path,
    // and the value shown before the edit.
    virtual void writeEdit(Page::ControlId id) { controlChanged(id); }
    virtual void discardEdit(Page::ControlId id) { m_controls.restoreField(id); }

    IUnitAccess& unit() { return *m_unit; }
    IPageHost& host() { return *m_host; }
    RegisterCatalogue& catalogue() { return *m_catalogue; }
    QGridLayout* grid() const { return m_grid; }
    // A widget of the page's own beside the form (after the picture frame),
    // taking the page's spare room in both directions.
    void addBesideForm(QWidget* widget);

private:
    void build(std::span<const Page::Row> rows, QSize pictureSize);
    void onAction(Page::ButtonAction action, Page::ControlId id);
    // Names the unwritten edits and asks the question: write, discard, or
    // keep them (keepCaption). True when none are left unwritten.
    bool confirmUnwritten(const QString& question, const QString& keepCaption);

    IPageHost* m_host;
    RegisterCatalogue* m_catalogue;
    std::unique_ptr<IUnitAccess> m_unit;
    CControlSet m_controls;
    std::unique_ptr<CPageEngine> m_ownEngine; // the logic the registry named
    CPageEngine* m_engine = nullptr;
    std::unique_ptr<CHoverInfo> m_hover;
    CPicturePanel* m_picture = nullptr;
    CHoverTracker* m_tracker = nullptr;
    QGridLayout* m_grid = nullptr;
    QVBoxLayout* m_outer = nullptr;
    QHBoxLayout* m_top = nullptr;
};
