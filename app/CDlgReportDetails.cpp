#include "app/CDlgReportDetails.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CDlgReportDetails::CDlgReportDetails(const QString& technician, QWidget* parent)
    : QDialog(parent), m_technician(new QLineEdit(technician, this)), m_note(new QPlainTextEdit(this))
{
    setWindowTitle(QStringLiteral("Commissioning Report"));
    auto* form = new QFormLayout;
    auto* nameLabel = new QLabel(QStringLiteral("&Technician:"), this);
    nameLabel->setBuddy(m_technician);
    m_technician->setAccessibleName(QStringLiteral("Technician:"));
    auto* noteLabel = new QLabel(QStringLiteral("&Note:"), this);
    noteLabel->setBuddy(m_note);
    m_note->setAccessibleName(QStringLiteral("Note:"));
    m_note->setTabChangesFocus(true);
    m_note->setMinimumHeight(80);
    form->addRow(nameLabel, m_technician);
    form->addRow(noteLabel, m_note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(420, sizeHint().height());
}

QString CDlgReportDetails::technician() const
{
    return m_technician->text().trimmed();
}

QString CDlgReportDetails::note() const
{
    return m_note->toPlainText().trimmed();
}
