#include "pages/CHoverTracker.h"

#include "pages/CPicturePanel.h"
#include "pages/core/CHoverInfo.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

CHoverTracker::CHoverTracker(QWidget* root, CHoverInfo& hover, CPicturePanel* picture)
    : QObject(root), m_root(root), m_hover(hover), m_picture(picture)
{
    m_root->setMouseTracking(true);
    m_root->installEventFilter(this);
    if (m_picture)
        m_picture->setMark(m_hover.currentMark());
}

void CHoverTracker::moved(bool inside, QPoint p)
{
    const bool changed = inside ? m_hover.hoverAt(p.x(), p.y()) : m_hover.hoverNone();
    if (changed && m_picture)
        m_picture->setMark(m_hover.currentMark());
}

void CHoverTracker::watchChildren()
{
    for (QWidget* child : m_root->findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

bool CHoverTracker::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseMove:
        if (widget) {
            const QPoint local = static_cast<QMouseEvent*>(event)->position().toPoint();
            moved(true, widget == m_root ? local : widget->mapTo(m_root, local));
        }
        break;
    case QEvent::Leave:
        if (widget == m_root)
            moved(false, QPoint());
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
