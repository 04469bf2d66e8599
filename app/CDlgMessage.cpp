#include "app/CDlgMessage.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

CDlgMessage::CDlgMessage(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(QStringLiteral("Information"));
    setModal(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(14);
    auto* icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(side, side));
    layout->addWidget(icon);
    auto* text = new QLabel(QStringLiteral("Please wait, data transfer is running..."), this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text, 1);
    setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
}

void CDlgMessage::showCentredOver(QWidget* window)
{
    if (window) {
        const QRect frame = window->frameGeometry();
        move(frame.center() - rect().center());
    }
    show();
    raise();
    // Map and paint the window now; timers and user input wait.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}
