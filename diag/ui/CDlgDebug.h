// The debug window: the serial line's traffic (each command sent, each
// reply line received) and the serial port's and the protocol client's
// failure lines (time-outs, refused reply lines, failed reads), for an
// installer or support who want to see what went over the line. Each line
// carries its local time; identical lines in a row fold into one with a
// count; at most 1000 lines are kept, the oldest goes first; each line's
// text is cut to 239 characters. The lines themselves live in CDebugLines
// (diag/); this window shows them.
//
// "Clear" empties the list, "Copy" puts all lines on the clipboard, "Save..."
// writes them to a text file (UTF-8, each line ended by CR LF, as the log
// files are).
//
// The window attaches itself as the debug outlet (DebugOutput.h) while it
// exists; OK and Cancel only hide it, it goes on collecting. While it is
// hidden only the lines are kept; the list is filled when it is shown.
//
// Result codes (diag/Result.h): saveLines returns Ok or DebugLinesNotSaved.
//
// Thread rules: print and debugLine may be called from any thread; the time
// is taken on the caller's thread, the line is queued to the window's thread
// in its order. Everything else is user-interface thread only.
#pragma once

#include "diag/CDebugLines.h"
#include "diag/DebugOutput.h"

#include <QDialog>

class QListWidget;
class QPushButton;

class CDlgDebug : public QDialog, public IDebugOutput
{
    Q_OBJECT
public:
    static constexpr int kMaxLines = static_cast<int>(CDebugLines::kMaxLines);
    static constexpr int kMaxLineLength = static_cast<int>(CDebugLines::kMaxText);

    explicit CDlgDebug(QWidget* parent = nullptr);
    ~CDlgDebug() override;

    // printf-style; result 0.
    int print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void debugLine(const std::string& line) override;

    // Moves the window to the top right corner of the desktop.
    void placeTopRight();
    // The lines as the list shows them ("hh:mm:ss.zzz text (xN)").
    QStringList lines() const;
    const CDebugLines& model() const { return m_lines; }

    // The buttons' actions; "Save..." asks for the file, then calls saveLines.
    void clearLines();
    void copyLines() const;
    int saveLines(const QString& path) const;

private:
    void addLine(const std::string& text, int msOfDay);
    void fillList();
    void onSave();
    void showEvent(QShowEvent* event) override;

    CDebugLines m_lines;
    QListWidget* m_list;
    bool m_listStale = false; // lines came while hidden
    IDebugOutput* m_previous = nullptr;
};
