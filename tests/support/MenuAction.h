// The action of the main window's menu bar with this caption ("&Import
// Configuration..."), or null: tests trigger the File menu as a user does.
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace testsupport {

inline QAction* MenuAction(QMainWindow* window, const QString& text)
{
    for (QAction* menu : window->menuBar()->actions())
        if (menu->menu())
            for (QAction* a : menu->menu()->actions())
                if (a->text() == text)
                    return a;
    return nullptr;
}

} // namespace testsupport
