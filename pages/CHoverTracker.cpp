#include "pages/CHoverTracker.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

CHoverTracker::CHoverTracker(QWidget* root, MoveHandler onMove, EnterHandler onEnter)
    : QObject(root), m_root(root), m_onMove(std::move(onMove)), m_onEnter(std::move(onEnter))
{
    m_root->setMouseTracking(true);
    m_root->installEventFilter(this);
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
            m_onMove(true, widget == m_root ? local : widget->mapTo(m_root, local));
        }
        break;
    case QEvent::Leave:
        if (widget == m_root)
            m_onMove(false, QPoint());
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (widget && widget != m_root && (key == Qt::Key_Return || key == Qt::Key_Enter))
            m_onEnter(widget);
        break;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
