#include "link/ui/CDlgPw.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDlgPw::CDlgPw(bool remember, const QString& text, QWidget* parent) : QDialog(parent), m_remember(remember)
{
    setWindowTitle(QStringLiteral("Enter pin code"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 12);
    auto* label = new QLabel(QStringLiteral("Please input code:"), this);
    m_field = new QLineEdit(this);
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setAccessibleName(label->text());
    label->setBuddy(m_field);
    if (remember)
        m_field->setText(text);
    m_rememberBox = new QCheckBox(QStringLiteral("Remember password"), this);
    m_rememberBox->setChecked(remember);
    connect(m_rememberBox, &QCheckBox::toggled, this, [this](bool on) { m_remember = on; });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addSpacing(4);
    layout->addWidget(m_rememberBox);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(300);
    m_field->setFocus();
}

QString CDlgPw::text() const
{
    return m_field->text();
}
