// The main window's tab control: one tab per page, each with a caption, an
// image from the tab image strip and the page it shows. A tab can be
// disabled; the user can never select a disabled tab (a click on it changes
// nothing), and SelectTab refuses it too.
//
// Pages live as long as the main window; removing a tab only takes the page
// out of the tab set (it stays a hidden child of the control).
//
// Each page sits in a scroll area of its own: a window smaller than a page
// scrolls the page instead of squeezing its controls. To its callers the
// control's widgets are the pages themselves (widget, currentWidget and
// indexOf see through the scroll areas); scrollArea gives a page's.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QTabWidget>

#include <vector>

class CXTabBar;
class QScrollArea;

class CXTabCtrl : public QTabWidget
{
    Q_OBJECT
public:
    explicit CXTabCtrl(QWidget* parent = nullptr);

    // Appends a tab, enabled; returns its index.
    int AddTab(QWidget* page, const QString& caption, int image);
    void SetTabEnabled(int index, bool enabled);
    bool IsTabEnabled(int index) const;
    // true at once when index is already selected; false for a disabled
    // tab or an index outside the tab set; otherwise selects it.
    bool SelectTab(int index);
    // Deletes tab 2 and inserts a new tab 2 (image 2, enabled).
    void ReplaceTab2(QWidget* page, const QString& caption);
    // Removes the tabs from the last one down to index first.
    void RemoveTabsFrom(int first);

    // The page of a tab, the page shown, the tab of a page (-1: none).
    QWidget* widget(int index) const;
    QWidget* currentWidget() const { return widget(currentIndex()); }
    int indexOf(const QWidget* page) const;
    // The scroll area a page sits in (nullptr: not a page of this control).
    QScrollArea* scrollArea(const QWidget* page) const;
    // The size that shows every page added so far without scrolling.
    QSize largestPageSize() const;

    CXTabBar* bar() const { return m_bar; }
    int previousTab() const { return m_previousTab; }
    QStringList captions() const;

private:
    void onCurrentChanged(int index);
    // The page's scroll area, made the first time the page is added.
    QScrollArea* wrap(QWidget* page, const QString& caption);

    CXTabBar* m_bar;
    std::vector<QScrollArea*> m_areas; // children of the control, one per page
    int m_previousTab = -1;
    int m_current = -1;
    bool m_reverting = false;
};
