#include "app/CDlgQuestion.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

CDlgQuestion::CDlgQuestion(const QString& caption, const QString& message, const QString& okText,
                           const QString& cancelText, int iconKind, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(true);
    const QStyle::StandardPixmap which = iconKind == kIconInformation ? QStyle::SP_MessageBoxInformation
                                         : iconKind == kIconWarning   ? QStyle::SP_MessageBoxWarning
                                                                      : QStyle::SP_MessageBoxCritical;
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setHorizontalSpacing(16);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(which, nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(message, this);
    text->setWordWrap(true);
    text->setMinimumWidth(300);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(okText, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancelText, QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(icon, 0, 0);
    layout->addWidget(text, 0, 1);
    layout->addWidget(buttons, 1, 0, 1, 2);
}

void CDlgQuestion::showEvent(QShowEvent* event)
{
    QApplication::beep();
    QDialog::showEvent(event);
}
