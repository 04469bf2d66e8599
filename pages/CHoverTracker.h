// Follows the mouse over a page or dialog and its children and reports the
// position in the root widget's coordinates (or that it left), for the
// register information line and the picture marks. Also reports Enter
// pressed in a control, the page's default command.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

class CHoverTracker : public QObject
{
    Q_OBJECT
public:
    using MoveHandler = std::function<void(bool inside, QPoint position)>;
    using EnterHandler = std::function<void(QWidget* control)>;

    CHoverTracker(QWidget* root, MoveHandler onMove, EnterHandler onEnter);
    // Watches the root's children too; call after the form is built.
    void watchChildren();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_root;
    MoveHandler m_onMove;
    EnterHandler m_onEnter;
};
