// "Date Time": the user picks a date in a month calendar and a time of day;
// both start at the PC's current moment, and "Use PC time" takes it again.
// The unit's clock (as read, gone on since) shows beside them for reference
// ("Unit clock: ..."; "not read" without one). Enter confirms. The dialog
// only collects the moment; the Common page writes it to the unit.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDateTime>
#include <QDialog>

class QCalendarWidget;
class QLabel;
class QPushButton;
class QTimeEdit;

class CDlgDateTime : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgDateTime(QWidget* parent = nullptr);

    QDateTime dateTime() const;
    void setDateTime(const QDateTime& moment);
    // The unit's clock now, for reference only (invalid: not read).
    void setUnitClock(const QDateTime& unitNow);
    QLabel* unitClockLabel() const { return m_unitClock; }
    QCalendarWidget* calendar() const { return m_calendar; }
    QTimeEdit* timeEdit() const { return m_time; }
    QPushButton* pcTimeButton() const { return m_pcTime; }

private:
    QCalendarWidget* m_calendar;
    QTimeEdit* m_time;
    QPushButton* m_pcTime;
    QLabel* m_unitClock;
};
