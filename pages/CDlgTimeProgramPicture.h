// The event dialog's picture: the unit's screen of one time program, drawn
// from the dialog's fields as they are edited (TimeProgramScreen): the
// program's name and its on/off switch in the top bar, the weekdays it runs
// on, the event time, the register it writes with its name and the value
// in the register's own form, and the scene badge on units with scenes. The
// hover marks of the dialog's rows are drawn over it as on every picture
// panel; the elements sit where those marks say.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPicturePanel.h"
#include "pages/core/CTimeProgramDialogLogic.h"

class CDlgTimeProgramPicture : public CPicturePanel
{
    Q_OBJECT
public:
    // The screen is drawn on a canvas of this size, scaled to the panel.
    static constexpr QSize kCanvas{320, 240};

    explicit CDlgTimeProgramPicture(QSize size, QWidget* parent = nullptr);

    // Repaints only when the content changed.
    void setScreen(const TimeProgramScreen& screen);
    const TimeProgramScreen& screen() const { return m_screen; }

protected:
    void paintPicture(QPainter& painter, const QRect& area) override;

private:
    TimeProgramScreen m_screen;
};
