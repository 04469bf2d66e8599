// "Date Time": the user picks a date in a month calendar and a time of day;
// both start at the unit's moment when the page read it (the PC's moment
// otherwise), and "Use PC time" takes the PC's. Enter confirms. The dialog
// only collects the moment; the Common page writes it to the unit.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDateTime>
#include <QDialog>

class QCalendarWidget;
class QPushButton;
class QTimeEdit;

class CDlgDateTime : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgDateTime(QWidget* parent = nullptr);

    QDateTime dateTime() const;
    void setDateTime(const QDateTime& moment);
    QCalendarWidget* calendar() const { return m_calendar; }
    QTimeEdit* timeEdit() const { return m_time; }
    QPushButton* pcTimeButton() const { return m_pcTime; }

private:
    QCalendarWidget* m_calendar;
    QTimeEdit* m_time;
    QPushButton* m_pcTime;
};
