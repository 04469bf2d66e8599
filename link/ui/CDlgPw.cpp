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
    // Alt+I: some desktops give OK and Cancel the mnemonics O and C.
    auto* label = new QLabel(QStringLiteral("Please &input code:"), this);
    m_field = new QLineEdit(this);
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setAccessibleName(QStringLiteral("Please input code:"));
    label->setBuddy(m_field);
    if (remember)
        m_field->setText(text);
    m_rememberBox = new QCheckBox(QStringLiteral("&Remember password"), this);
    m_rememberBox->setAccessibleName(QStringLiteral("Remember password"));
    // How many tries are left before the lockout; hidden while there is
    // nothing to tell. Read as it shows, so no fixed accessible name.
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    m_note->hide();
    m_rememberBox->setChecked(remember);
    connect(m_rememberBox, &QCheckBox::toggled, this, [this](bool on) { m_remember = on; });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addWidget(m_note);
    layout->addSpacing(4);
    layout->addWidget(m_rememberBox);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(300);
    m_field->setFocus();
}

void CDlgPw::setNote(const QString& note)
{
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
}

QString CDlgPw::note() const
{
    return m_note->text();
}

QString CDlgPw::text() const
{
    return m_field->text();
}
