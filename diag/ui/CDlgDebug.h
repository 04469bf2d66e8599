// The debug window: a list of the serial port's and the protocol client's
// diagnostic lines (time-outs, refused reply lines, failed reads), for an
// installer who wants to look at the line traffic. At most 1000 lines are
// kept; the oldest goes first. Each line is cut to 239 characters.
//
// The window attaches itself as the debug outlet (DebugOutput.h) while it
// exists; OK and Cancel only hide it, it goes on collecting.
//
// Thread rules: print and debugLine may be called from any thread; lines
// from another thread are queued to the window's thread in their order.
// Everything else is user-interface thread only.
#pragma once

#include "diag/DebugOutput.h"

#include <QDialog>

class QListWidget;

class CDlgDebug : public QDialog, public IDebugOutput
{
    Q_OBJECT
public:
    static constexpr int kMaxLines = 1000;
    static constexpr int kMaxLineLength = 239;

    explicit CDlgDebug(QWidget* parent = nullptr);
    ~CDlgDebug() override;

    // printf-style; result 0.
    int print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void debugLine(const std::string& line) override;

    // Moves the window to the top right corner of the desktop.
    void placeTopRight();
    QStringList lines() const;

private:
    void appendLine(const QString& line);

    QListWidget* m_list;
    IDebugOutput* m_previous = nullptr;
};
