#include "tools/ui/CDlgProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdarg>
#include <cstdio>

namespace {
QString Format(const char* format, va_list args)
{
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    return QString::fromUtf8(buffer);
}
} // namespace

CDlgProgress::CDlgProgress(QWidget* parent) : CDlgProgress(QStringLiteral("Head line text"), parent)
{
    setWindowTitle(QStringLiteral("Progress"));
}

CDlgProgress::CDlgProgress(const QString& headline, QWidget* parent) : QDialog(parent)
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
    SetBarColour(palette().color(QPalette::Highlight));
}

void CDlgProgress::SetHeadline(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_headline->setText(Format(format, args));
    va_end(args);
    m_headline->repaint();
}

void CDlgProgress::SetPercentText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_percent->setText(Format(format, args));
    va_end(args);
    m_percent->repaint();
}

void CDlgProgress::SetPosition(int p)
{
    m_bar->setValue(qBound(0, p, 100));
    m_bar->repaint();
}

void CDlgProgress::SetBarColour(const QColor& colour)
{
    m_colour = colour;
    QPalette palette = m_bar->palette();
    palette.setColor(QPalette::Highlight, colour);
    m_bar->setPalette(palette);
    m_bar->update();
}

void CDlgProgress::setPercent(int p)
{
    p = qBound(0, p, 100);
    m_bar->setValue(p);
    m_percent->setText(QString::number(p) + QStringLiteral(" %"));
}

void CDlgProgress::showPercent(int percent)
{
    setPercent(percent);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CDlgProgress::enableCancel()
{
    if (m_cancel)
        return;
    // Events are taken while the work runs: nothing but this box may
    // receive input then (no second job, no closing the window under it).
    setWindowModality(Qt::ApplicationModal);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    layout()->addWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        m_cancel->setEnabled(false);
    });
}

void CDlgProgress::reject()
{
    if (!m_cancel || !m_outcome.isEmpty()) { // nothing to cancel, or the work has ended
        QDialog::reject();
        return;
    }
    if (m_cancel->isEnabled())
        m_cancel->click();
}

bool CDlgProgress::cancelled() const
{
    // The work runs on this thread: the click is taken here, between two
    // registers.
    if (m_cancel && !m_cancelled)
        QApplication::processEvents();
    return m_cancelled;
}

void CDlgProgress::markFailed()
{
    m_failed = true;
    SetBarColour(kRed);
}

void CDlgProgress::finish()
{
    if (m_cancel)
        m_cancel->setEnabled(false);
    setPercent(100);
    SetBarColour(m_failed ? kRed : kGreen);
    m_outcome = m_failed ? QStringLiteral("red") : QStringLiteral("green");
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CDlgProgress::finish(bool ok)
{
    if (!ok)
        markFailed();
    finish();
}

void CDlgProgress::closeAfter(int ms)
{
    setAttribute(Qt::WA_DeleteOnClose);
    QTimer::singleShot(ms, this, &QWidget::close);
}

void CDlgProgress::centreOver(QWidget* over)
{
    adjustSize();
    if (over)
        move(over->mapToGlobal(over->rect().center()) - rect().center());
}

QString CDlgProgress::headline() const
{
    return m_headline->text();
}

QString CDlgProgress::percentText() const
{
    return m_percent->text();
}

int CDlgProgress::position() const
{
    return m_bar->value();
}
