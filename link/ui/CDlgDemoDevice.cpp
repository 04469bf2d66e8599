#include "link/ui/CDlgDemoDevice.h"

#include "model/TextNumber.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

const char* const CDlgDemoDevice::kEntries[9] = {
    "3 = ORVELANT B1 Interface, Temp-Contol",
    "4 = ORVELANT B2 Interface, Temp- and Fan-Control",
    "1000 = ORVELANT C1, 230V Controller, 1AO 2R0, Temp-Control",
    "1001 = ORVELANT C2, 24V Controller, 3AO, Temp-Control",
    "1002 = ORVELANT C3, 24V Controller, 2AO 2DO, Temp-Control",
    "1003 = ORVELANT D1, 24V Controller, 3AO, Temp- and Fan-Control",
    "1004 = ORVELANT D2, 230V Controller, 5RO, Temp- and Fan-Control",
    "1005 = ORVELANT D3, 230V Controller, 1AO 2RO, Temp- and Fan-Control",
    "1006 = ORVELANT D4, 24V Controller, 2AO 2DO, Temp- and Fan-Control",
};

CDlgDemoDevice::CDlgDemoDevice(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Choose demo device"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 12);
    auto* label = new QLabel(QStringLiteral("&Device type:"), this);
    m_list = new QComboBox(this);
    for (const char* entry : kEntries)
        m_list->addItem(QString::fromUtf8(entry));
    m_list->setCurrentIndex(0);
    m_list->setAccessibleName(QStringLiteral("Device type:"));
    label->setBuddy(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addSpacing(8);
    layout->addWidget(buttons);
}

int CDlgDemoDevice::code() const
{
    return CodeOf(m_list->currentText());
}

int CDlgDemoDevice::CodeOf(const QString& entry)
{
    return TextNumber::Leading(entry.toStdString(), TextNumber::kPlainDigits);
}
