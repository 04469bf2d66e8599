// The tab control as assistive tools read it: a greyed-out tab is disabled,
// the current tab is selected, and both follow the control as it changes.
#include "app/CXTabBar.h"
#include "app/CXTabCtrl.h"
#include "tests/support/QtApp.h"

#include <QAccessible>
#include <QLabel>

#include <memory>

#include <gtest/gtest.h>

namespace {

class TabAccess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::App();
        tabs = std::make_unique<CXTabCtrl>();
        for (const char* caption : {"COM-Interface", "FW-Update", "Modbus"})
            tabs->AddTab(new QLabel(QString::fromLatin1(caption)), QString::fromLatin1(caption), 0);
        tabs->show();
        bar = QAccessible::queryAccessibleInterface(tabs->bar());
        ASSERT_NE(bar, nullptr);
    }

    QAccessibleInterface* tab(int index) const { return bar->child(index); }
    // "d" disabled, "s" selected, "-" neither, per tab.
    std::string states() const
    {
        std::string out;
        for (int i = 0; i < tabs->count(); ++i) {
            const QAccessible::State s = tab(i)->state();
            out += s.disabled ? (s.selected ? "ds" : "d") : (s.selected ? "s" : "-");
            out += ' ';
        }
        return out;
    }

    // Made once the application exists.
    std::unique_ptr<CXTabCtrl> tabs;
    QAccessibleInterface* bar = nullptr;
};

TEST_F(TabAccess, TabsAreChildrenOfTheBarByIndexAndName)
{
    EXPECT_EQ(bar->role(), QAccessible::PageTabList);
    ASSERT_GE(bar->childCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* child = tab(i);
        ASSERT_NE(child, nullptr) << i;
        EXPECT_EQ(child->role(), QAccessible::PageTab);
        EXPECT_EQ(child->text(QAccessible::Name), tabs->tabText(i));
        EXPECT_EQ(child->parent(), bar);
        EXPECT_EQ(bar->indexOfChild(child), i);
        EXPECT_EQ(tab(i), child) << "one interface per tab";
        EXPECT_EQ(bar->childAt(child->rect().center().x(), child->rect().center().y()), child);
    }
}

TEST_F(TabAccess, DisabledAndSelectedFollowTheControl)
{
    tabs->SetTabEnabled(1, false);
    tabs->SetTabEnabled(2, false);
    EXPECT_EQ(states(), "s d d ");

    tabs->SetTabEnabled(2, true);
    ASSERT_TRUE(tabs->SelectTab(2));
    EXPECT_EQ(states(), "- d s ");

    // Pressing a tab selects it unless it is disabled.
    auto* press = tab(1)->actionInterface();
    ASSERT_NE(press, nullptr);
    EXPECT_TRUE(press->actionNames().isEmpty());
    press->doAction(QAccessibleActionInterface::pressAction());
    tab(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(states(), "s d - ");

    // A removed tab's interface is no longer valid.
    QAccessibleInterface* last = tab(2);
    tabs->RemoveTabsFrom(2);
    EXPECT_FALSE(last->isValid());
    EXPECT_EQ(states(), "s d ");
}

} // namespace
