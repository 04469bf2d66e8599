// The event dialog of one time program ("Time Program"): whether the program
// is active, the weekdays, the time, the register the unit writes then and
// the value it writes, and from device type 2000 on the scene the program
// belongs to. The Time Program page reads the program before and writes it
// after "OK"; the rules are CTimeProgramDialogLogic's, this class is its
// widgets.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/form/CControlSet.h"
#include "pages/CDialogHost.h"
#include "pages/form/CInfoLine.h"
#include "pages/core/CTimeProgramDialogLogic.h"

#include <QDialog>

#include <memory>

class CDlgTimeProgramPicture;
class CHoverTracker;
class QLabel;

class CDlgTimeProgram : public QDialog
{
    Q_OBJECT
public:
    // The dialog's picture: the unit's time-program screen, drawn from the
    // fields as they are edited.
    static constexpr QSize kPictureSize{320, 240};
    // "Find Register" shows this many registers at a time.
    static constexpr int kFindVisibleItems = 15;
    static constexpr int kFindWidthChars = 28;

    // scenes: the unit assigns programs to scenes (the list shows).
    CDlgTimeProgram(int program, bool scenes, const TimeProgramData& data, RegisterCatalogue& catalogue,
                    IPageHost& host, QWidget* parent = nullptr);
    ~CDlgTimeProgram() override;

    CControlSet& controls() { return m_controls; }
    CTimeProgramDialogLogic& logic() { return *m_logic; }
    CDlgTimeProgramPicture* picturePanel() const { return m_picture; }
    template <class W> W* widget(Page::ControlId id) const { return m_controls.as<W>(id); }
    // The program as edited, after "OK".
    TimeProgramData program() const { return m_logic->result(); }

    // "OK": closes only when every field passes its check.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The register's name and shown value beside its fields, and the
    // picture, follow every change of a field, typed or shown.
    void showScreen();

    CControlSet m_controls;
    CInfoLine* m_info = nullptr;
    std::unique_ptr<CDialogHost> m_host;
    std::unique_ptr<CTimeProgramDialogLogic> m_logic;
    CDlgTimeProgramPicture* m_picture = nullptr;
    CHoverTracker* m_tracker = nullptr;
};
