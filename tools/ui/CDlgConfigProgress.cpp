#include "tools/ui/CDlgConfigProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

CDlgConfigProgress::CDlgConfigProgress(const QString& headline, QWidget* parent) : QDialog(parent)
{
    setModal(false);
    setWindowTitle(headline);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    m_headline = new QLabel(headline, this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_percent = new QLabel(QStringLiteral("0 %"), this);
    m_percent->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_headline);
    layout->addWidget(m_bar);
    layout->addWidget(m_percent);
    setMinimumWidth(380);
    setBarColour(palette().color(QPalette::Highlight));
}

void CDlgConfigProgress::showPercent(int percent)
{
    const int p = qBound(0, percent, 100);
    m_bar->setValue(p);
    m_percent->setText(QString::number(p) + QStringLiteral(" %"));
    // The work runs on this thread: let the box show how far it is.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CDlgConfigProgress::markFailed()
{
    m_failed = true;
    setBarColour(kRed);
}

void CDlgConfigProgress::finish()
{
    showPercent(100);
    setBarColour(m_failed ? kRed : kGreen);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString CDlgConfigProgress::headline() const
{
    return m_headline->text();
}

QString CDlgConfigProgress::percentText() const
{
    return m_percent->text();
}

int CDlgConfigProgress::position() const
{
    return m_bar->value();
}

void CDlgConfigProgress::setBarColour(const QColor& colour)
{
    m_colour = colour;
    QPalette palette = m_bar->palette();
    palette.setColor(QPalette::Highlight, colour);
    m_bar->setPalette(palette);
    m_bar->update();
}
