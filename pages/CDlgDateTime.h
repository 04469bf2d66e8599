// "Date Time": the user picks a date in a month calendar and a time of day;
// both start at the current moment. The dialog only collects the moment;
// the Common page writes it to the unit.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDateTime>
#include <QDialog>

class QCalendarWidget;
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

private:
    QCalendarWidget* m_calendar;
    QTimeEdit* m_time;
};
