#include "link/ui/CDlgDemoDevice.h"

#include "model/RegisterCatalogue.h"
#include "model/TextNumber.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CDlgDemoDevice::CDlgDemoDevice(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Choose demo device"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 12);
    auto* label = new QLabel(QStringLiteral("&Device type:"), this);
    m_list = new QComboBox(this);
    for (const std::string& entry : DemoDeviceEntries())
        m_list->addItem(QString::fromStdString(entry));
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
