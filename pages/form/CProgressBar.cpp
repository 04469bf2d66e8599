#include "pages/form/CProgressBar.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>


CProgressBar::CProgressBar(QWidget* parent) : QWidget(parent)
{
    m_colour = palette().color(QPalette::Highlight);
    m_background = palette().color(QPalette::Button);
    setAccessibleName(QStringLiteral("Update progress"));
    setMinimumHeight(18);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CProgressBar::setRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    update();
}

void CProgressBar::setPosition(int position)
{
    if (position == m_position)
        return;
    m_position = position;
    setAccessibleDescription(QString::number(percent()) + QStringLiteral(" %"));
    update();
}

void CProgressBar::setBarColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

void CProgressBar::setBackground(const QColor& colour)
{
    m_background = colour;
    update();
}

int CProgressBar::percent() const
{
    const int span = m_upper - m_lower;
    if (span <= 0)
        return 0;
    const long long scaled = static_cast<long long>(m_position - m_lower) * 100;
    const long long p = scaled >= 0 ? (scaled + span / 2) / span : -((-scaled + span / 2) / span);
    return static_cast<int>(std::clamp<long long>(p, 0, 100));
}

void CProgressBar::paintEvent(QPaintEvent*)
{
    const QSize size = this->size();
    if (size.isEmpty())
        return;
    QPixmap picture(size);
    {
        QPainter p(&picture);
        const int w = size.width(), h = size.height();
        p.fillRect(0, 0, w, h, m_background);
        p.setPen(kFrameDark);
        p.drawLine(0, 0, w - 1, 0);
        p.drawLine(0, 0, 0, h - 1);
        p.setPen(kFrameLight);
        p.drawLine(0, h - 1, w - 1, h - 1);
        p.drawLine(w - 1, 0, w - 1, h - 1);
        const int inner = w - 2;
        const int filled = inner * percent() / 100;
        if (filled > 0 && h > 2)
            p.fillRect(1, 1, filled, h - 2, m_colour);
    }
    QPainter(this).drawPixmap(0, 0, picture);
}
