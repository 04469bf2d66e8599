#include "app/CXTabBar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace {
constexpr int kImageSize = 16;
constexpr int kPadding = 6; // on each side of image and caption

// What assistive tools see of the tab control. Qt's own tab bar interface
// reports every tab as enabled and none as selected, so a screen reader
// would offer the installer pages that the screen shows greyed out. These
// read the bar as it is: each tab is a page tab that is disabled while the
// screen greys it and selected while it is the current one.

QString WithoutMnemonic(QString caption)
{
    caption.replace(QLatin1String("&&"), QString(QChar(1))).remove(QLatin1Char('&'));
    return caption.replace(QChar(1), QLatin1Char('&'));
}

// One tab, by its index in the bar (tabs have no object of their own).
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TabAccessible(CXTabBar* bar, int index) : m_bar(bar), m_index(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_bar); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text which) const override
    {
        if (!isValid())
            return {};
        switch (which) {
        case QAccessible::Name:
            return WithoutMnemonic(m_bar->tabText(m_index));
        case QAccessible::Description:
            return m_bar->tabToolTip(m_index);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect tab = m_bar->tabRect(m_index);
        return QRect(m_bar->mapToGlobal(tab.topLeft()), tab.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool current = m_index == m_bar->currentIndex();
        s.disabled = !m_bar->isTabEnabled(m_index) || !m_bar->isEnabled();
        s.selectable = !s.disabled;
        s.selected = current;
        s.focusable = !s.disabled;
        s.focused = current && m_bar->hasFocus();
        s.invisible = !m_bar->isVisible() || !m_bar->isTabVisible(m_index);
        s.offscreen = !s.invisible && !m_bar->rect().intersects(m_bar->tabRect(m_index));
        return s;
    }

    // Pressing a tab selects it, as a click does; a disabled tab has no action.
    QStringList actionNames() const override
    {
        return isValid() && m_bar->isTabEnabled(m_index) ? QStringList(pressAction()) : QStringList();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid() && m_bar->isTabEnabled(m_index))
            m_bar->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<CXTabBar> m_bar;
    int m_index;
};

// The bar: its tabs first (the indices QTabBar's own accessibility events
// carry), then its child widgets (the scroll buttons).
class TabBarAccessible : public QAccessibleWidget
{
public:
    explicit TabBarAccessible(CXTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_tabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    CXTabBar* bar() const { return static_cast<CXTabBar*>(object()); }

    int childCount() const override { return bar()->count() + QAccessibleWidget::childCount(); }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0)
            return nullptr;
        const int tabs = bar()->count();
        if (index >= tabs)
            return QAccessibleWidget::child(index - tabs);
        // One interface per index for the bar's lifetime, registered so that
        // the platform bridge can hand it out by its id.
        if (const QAccessible::Id id = m_tabs.value(index))
            return QAccessible::accessibleInterface(id);
        auto* tab = new TabAccessible(bar(), index);
        m_tabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        if (child->role() == QAccessible::PageTab) {
            for (auto it = m_tabs.cbegin(); it != m_tabs.cend(); ++it) {
                if (QAccessible::accessibleInterface(it.value()) == child)
                    return it.key() < bar()->count() ? it.key() : -1;
            }
            return -1;
        }
        const int widgetIndex = QAccessibleWidget::indexOfChild(child);
        return widgetIndex < 0 ? -1 : bar()->count() + widgetIndex;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint local = bar()->mapFromGlobal(QPoint(x, y));
        const int tab = bar()->tabAt(local);
        if (tab >= 0)
            return child(tab);
        return QAccessibleWidget::childAt(x, y);
    }

private:
    mutable QHash<int, QAccessible::Id> m_tabs;
};

QAccessibleInterface* TabBarAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(CXTabBar::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new TabBarAccessible(static_cast<CXTabBar*>(object));
    return nullptr;
}

} // namespace

CXTabBar::CXTabBar(QWidget* parent) : QTabBar(parent)
{
    // The factory serves every tab bar of this kind; install it once.
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(TabBarAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setMouseTracking(true);
    setIconSize(QSize(kImageSize, kImageSize));
    setDrawBase(true);
    setExpanding(false);
    setUsesScrollButtons(true);
}

void CXTabBar::notifyTabStateChanged(int index)
{
    update(tabRect(index));
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.disabled = true;
    changed.selectable = true;
    changed.focusable = true;
    QAccessibleStateChangeEvent event(this, changed);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
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
