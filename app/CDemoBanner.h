// The band above the pages while demo mode is active: which demo device the
// tool shows, that no unit is connected and nothing is read or written, and
// a button to leave demo mode. It is on the demo colour of the status line,
// so that the two read as one state.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QFrame>

class QLabel;

class CDemoBanner : public QFrame
{
    Q_OBJECT
public:
    explicit CDemoBanner(QWidget* parent = nullptr);

    // Shows the banner for the demo device deviceName while active, else hides it.
    void showDemo(bool active, const QString& deviceName);

signals:
    // "Leave Demo Mode" was pressed.
    void leaveRequested();

private:
    QLabel* m_text;
};
