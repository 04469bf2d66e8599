#include "app/CXTabBar.h"

#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace {
constexpr int kImageSize = 16;
constexpr int kPadding = 6; // on each side of image and caption
} // namespace

CXTabBar::CXTabBar(QWidget* parent) : QTabBar(parent)
{
    setMouseTracking(true);
    setIconSize(QSize(kImageSize, kImageSize));
    setDrawBase(true);
    setExpanding(false);
    setUsesScrollButtons(true);
}

void CXTabBar::SetSelectedColour(bool use, QColor colour)
{
    m_useSelectedColour = use;
    m_selectedColour = colour;
    update();
}

void CXTabBar::SetDisabledColour(bool use, QColor colour)
{
    m_useDisabledColour = use;
    m_disabledColour = colour;
    update();
}

void CXTabBar::SetNormalColour(bool use, QColor colour)
{
    m_useNormalColour = use;
    m_normalColour = colour;
    update();
}

void CXTabBar::SetHoverColour(bool highlight, QColor colour)
{
    m_hoverHighlight = highlight;
    m_hoverColour = colour;
    update();
}

QColor CXTabBar::captionColour(int index) const
{
    if (!isTabEnabled(index) || !isEnabled())
        return m_useDisabledColour ? m_disabledColour
                                   : palette().color(QPalette::Disabled, QPalette::ButtonText);
    if (index == currentIndex() && m_useSelectedColour)
        return m_selectedColour;
    if (index == m_hoverTab && m_hoverHighlight)
        return m_hoverColour;
    return m_useNormalColour ? m_normalColour : palette().color(QPalette::Active, QPalette::ButtonText);
}

int CXTabBar::TabWidth(const QFont& font, const QString& caption)
{
    // The selected caption is drawn bold; size every tab for that.
    QFont bold = font;
    bold.setBold(true);
    return kPadding + QFontMetrics(font).horizontalAdvance(QLatin1Char(' ')) + kImageSize + kPadding +
           QFontMetrics(bold).horizontalAdvance(caption) + 2 * kPadding;
}

QSize CXTabBar::tabSizeHint(int index) const
{
    const int height = qMax(fontMetrics().height(), kImageSize) + 12;
    return {TabWidth(font(), tabText(index)), height};
}

void CXTabBar::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    const int current = currentIndex();
    // The selected tab is drawn last, so its shape overlaps its neighbours.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count(); ++i) {
            if ((i == current) != (pass == 1))
                continue;
            QStyleOptionTab option;
            initStyleOption(&option, i);
            if (!option.rect.intersects(rect()))
                continue;
            painter.drawControl(QStyle::CE_TabBarTabShape, option);

            QRect area = option.rect.adjusted(kPadding, 0, -kPadding, 0);
            const QIcon icon = tabIcon(i);
            if (!icon.isNull()) {
                const int indent = fontMetrics().horizontalAdvance(QLatin1Char(' '));
                const QRect image(area.left() + indent, area.center().y() - kImageSize / 2 + 1, kImageSize,
                                  kImageSize);
                icon.paint(&painter, image, Qt::AlignCenter,
                           isTabEnabled(i) && isEnabled() ? QIcon::Normal : QIcon::Disabled);
                area.setLeft(image.right() + kPadding);
            }
            QFont font = painter.font();
            font.setBold(i == current);
            painter.setFont(font);
            painter.setPen(captionColour(i));
            painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, tabText(i));
            font.setBold(false);
            painter.setFont(font);
        }
    }
}

void CXTabBar::mouseMoveEvent(QMouseEvent* event)
{
    setHoverTab(tabAt(event->position().toPoint()));
    QTabBar::mouseMoveEvent(event);
}

void CXTabBar::leaveEvent(QEvent* event)
{
    setHoverTab(-1);
    QTabBar::leaveEvent(event);
}

void CXTabBar::setHoverTab(int index)
{
    if (index == m_hoverTab)
        return;
    m_hoverTab = index;
    update();
}
