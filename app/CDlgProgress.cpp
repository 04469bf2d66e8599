#include "app/CDlgProgress.h"

#include <QLabel>
#include <QProgressBar>
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

CDlgProgress::CDlgProgress(QWidget* parent) : QDialog(parent)
{
    setModal(false);
    setWindowTitle(QStringLiteral("Progress"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    m_headline = new QLabel(QStringLiteral("Head line text"), this);
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
    QPalette palette = m_bar->palette();
    palette.setColor(QPalette::Highlight, colour);
    m_bar->setPalette(palette);
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
