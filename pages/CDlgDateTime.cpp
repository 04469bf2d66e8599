#include "pages/CDlgDateTime.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

CDlgDateTime::CDlgDateTime(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Date Time"));
    auto* layout = new QVBoxLayout(this);
    m_calendar = new QCalendarWidget(this);
    m_calendar->setAccessibleName(QStringLiteral("Date"));
    // The unit keeps the year as two digits after 2000.
    m_calendar->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    m_calendar->setGridVisible(true);
    layout->addWidget(m_calendar);

    auto* timeRow = new QHBoxLayout;
    auto* timeLabel = new QLabel(QStringLiteral("&Time"), this);
    m_time = new QTimeEdit(this);
    m_time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_time->setAccessibleName(QStringLiteral("Time"));
    timeLabel->setBuddy(m_time);
    timeRow->addWidget(timeLabel);
    timeRow->addWidget(m_time, 1);
    m_pcTime = new QPushButton(QStringLiteral("Use &PC time"), this);
    m_pcTime->setAutoDefault(false);
    connect(m_pcTime, &QPushButton::clicked, this, [this] { setDateTime(QDateTime::currentDateTime()); });
    timeRow->addWidget(m_pcTime);
    layout->addLayout(timeRow);
    // Text that changes: shown as it is, never a frozen accessible name.
    m_unitClock = new QLabel(this);
    layout->addWidget(m_unitClock);
    setUnitClock(QDateTime());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    // Enter confirms, wherever the focus is (the calendar and the time
    // field leave Enter to the dialog's default button).
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    setDateTime(QDateTime::currentDateTime());
}

QDateTime CDlgDateTime::dateTime() const
{
    return QDateTime(m_calendar->selectedDate(), m_time->time());
}

void CDlgDateTime::setUnitClock(const QDateTime& unitNow)
{
    m_unitClock->setText(unitNow.isValid()
                             ? QStringLiteral("Unit clock: ") + unitNow.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))
                             : QStringLiteral("Unit clock: not read"));
}

void CDlgDateTime::setDateTime(const QDateTime& moment)
{
    m_calendar->setSelectedDate(moment.date());
    m_time->setTime(moment.time());
}
