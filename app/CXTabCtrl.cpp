#include "app/CXTabCtrl.h"

#include "app/CXTabBar.h"
#include "app/TabImages.h"

#include <QScrollArea>

CXTabCtrl::CXTabCtrl(QWidget* parent) : QTabWidget(parent), m_bar(new CXTabBar(this))
{
    setTabBar(m_bar);
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this, &CXTabCtrl::onCurrentChanged);
}

int CXTabCtrl::AddTab(QWidget* page, const QString& caption, int image)
{
    const int index = addTab(wrap(page, caption), TabImages::Icon(image), caption);
    setTabEnabled(index, true);
    return index;
}

void CXTabCtrl::SetTabEnabled(int index, bool enabled)
{
    if (index < 0 || index >= count() || isTabEnabled(index) == enabled)
        return;
    setTabEnabled(index, enabled);
    m_bar->notifyTabStateChanged(index);
}

bool CXTabCtrl::IsTabEnabled(int index) const
{
    return index >= 0 && index < count() && isTabEnabled(index);
}

bool CXTabCtrl::SelectTab(int index)
{
    if (index == currentIndex() && index >= 0)
        return true;
    if (!IsTabEnabled(index))
        return false;
    setCurrentIndex(index);
    return true;
}

void CXTabCtrl::ReplaceTab2(QWidget* page, const QString& caption)
{
    if (count() > 2)
        removeTab(2);
    insertTab(2, wrap(page, caption), TabImages::Icon(2), caption);
    setTabEnabled(2, true);
}

void CXTabCtrl::RemoveTabsFrom(int first)
{
    for (int i = count() - 1; i >= first && i >= 0; --i)
        removeTab(i);
}

QScrollArea* CXTabCtrl::wrap(QWidget* page, const QString& caption)
{
    if (QScrollArea* area = scrollArea(page))
        return area;
    auto* area = new QScrollArea(this);
    // Assistive tools name the page's area as its tab.
    area->setAccessibleName(caption);
    area->setFrameShape(QFrame::NoFrame);
    // The page fills the area and follows its size down to the page's
    // minimum; below it the area scrolls.
    area->setWidgetResizable(true);
    area->setWidget(page);
    m_areas.push_back(area);
    return area;
}

QScrollArea* CXTabCtrl::scrollArea(const QWidget* page) const
{
    for (QScrollArea* area : m_areas)
        if (page && area->widget() == page)
            return area;
    return nullptr;
}

QWidget* CXTabCtrl::widget(int index) const
{
    QWidget* tab = QTabWidget::widget(index);
    for (QScrollArea* area : m_areas)
        if (area == tab)
            return area->widget();
    return tab;
}

int CXTabCtrl::indexOf(const QWidget* page) const
{
    const QScrollArea* area = scrollArea(page);
    return QTabWidget::indexOf(area ? static_cast<const QWidget*>(area) : page);
}

QSize CXTabCtrl::largestPageSize() const
{
    QSize size;
    for (const QScrollArea* area : m_areas)
        if (const QWidget* page = area->widget())
            size = size.expandedTo(page->sizeHint().expandedTo(page->minimumSizeHint()));
    return size;
}

QStringList CXTabCtrl::captions() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list << tabText(i);
    return list;
}

void CXTabCtrl::onCurrentChanged(int index)
{
    if (m_reverting)
        return;
    // A change that lands on a disabled tab (the bar moving the selection
    // after a removal, or a program) goes back to where it was.
    if (index >= 0 && !isTabEnabled(index) && m_current >= 0 && m_current < count() &&
        isTabEnabled(m_current)) {
        m_reverting = true;
        setCurrentIndex(m_current);
        m_reverting = false;
        return;
    }
    m_previousTab = m_current;
    m_current = index;
}
