#include "app/CStatusLine.h"

#include "pages/form/TextLineAccessible.h"

#include <QPainter>
#include <qdrawutil.h>

void CStatusLine::InstallAccessibility()
{
    InstallTextLineAccessibility<CStatusLine>();
}

CStatusLine::CStatusLine(const QString& accessibleName, QWidget* parent) : QWidget(parent)
{
    InstallAccessibility();
    setObjectName(accessibleName);
    setAccessibleName(accessibleName);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CStatusLine::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setToolTip(text.trimmed().isEmpty() ? QString() : text);
    repaint();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void CStatusLine::setColourFlags(bool isError, bool isDemo)
{
    if (isError == m_isError && isDemo == m_isDemo)
        return;
    m_isError = isError;
    m_isDemo = isDemo;
    repaint();
}

QColor CStatusLine::background() const
{
    if (m_isDemo)
        return kDemoColour;
    if (m_isError)
        return kErrorColour;
    return palette().color(QPalette::Button);
}

QSize CStatusLine::sizeHint() const
{
    return {200, fontMetrics().height() + 2 * kMargin + 2};
}

QSize CStatusLine::minimumSizeHint() const
{
    return {40, sizeHint().height()};
}

void CStatusLine::paintEvent(QPaintEvent*)
{
    ++m_paintCount;
    QPainter painter(this);
    const QRect frame = rect();
    qDrawWinPanel(&painter, frame, palette(), true);
    const QRect inside = frame.adjusted(2, 2, -2, -2);
    painter.fillRect(inside, background());
    painter.setPen(m_isDemo || m_isError ? QColor(Qt::black) : palette().color(QPalette::ButtonText));
    const QRect textArea = inside.adjusted(kMargin, 0, -kMargin, 0);
    const QString shown = fontMetrics().elidedText(m_text, Qt::ElideRight, textArea.width());
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}
