// The Qt side shared by the controller configuration dialogs: a header line,
// the mode's rows (label, value control, unit label) built from
// CControllerDialogLogic's table, up to two diagram frames, an information
// line, and "OK"/"Cancel" (in the output values view "Refresh"/"Close", a
// periodic refresh that never overlaps itself and stops after a refresh the
// unit did not answer, and the note that says so). The rules are the
// logic's. "Close" stops the timer before anything else.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/form/CControlSet.h"
#include "pages/CDialogHost.h"
#include "pages/form/CInfoLine.h"
#include "pages/core/CControllerDialogLogic.h"

#include <QDialog>

#include <memory>

class CHoverTracker;
class CPicturePanel;
class QLabel;
class QTimer;
class RegisterCatalogue;

class CDlgControllerForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 375;

    // unit: for the output values view (may be null otherwise).
    CDlgControllerForm(DialogRequest& request, RegisterCatalogue& catalogue, IPageHost& host,
                       IUnitAccess* unit, QWidget* parent = nullptr);
    ~CDlgControllerForm() override;

    CControlSet& controls() { return m_controls; }
    CControllerDialogLogic& logic() { return *m_logic; }
    // The widget of a register's field (null when the mode has none).
    QWidget* field(uint16_t address) const;
    CInfoLine* infoLine() const { return m_info; }
    CPicturePanel* upperPicture() const { return m_upper; }
    CPicturePanel* lowerPicture() const { return m_lower; }
    QTimer* refreshTimer() const { return m_timer; }

    // The output values view's refresh period; tests shorten it.
    static void SetRefreshInterval(int ms) { s_refreshMs = ms; }
    static int RefreshInterval() { return s_refreshMs; }

    void accept() override;
    void reject() override;

private:
    void showPictures();
    void focusField(Page::ControlId id);
    void followRefresh();

    CControlSet m_controls;
    CInfoLine* m_info = nullptr;
    std::unique_ptr<CDialogHost> m_host;
    std::unique_ptr<CControllerDialogLogic> m_logic;
    CPicturePanel* m_upper = nullptr;
    CPicturePanel* m_lower = nullptr;
    CHoverTracker* m_tracker = nullptr;
    QTimer* m_timer = nullptr;
    static inline int s_refreshMs = CControllerDialogLogic::kOutputRefreshMs;
};
