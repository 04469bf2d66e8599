// The one modeless progress box of the tool: a headline, a bar from 0 to 100
// and a percentage text. The configuration export and import report to it
// through IConfigProgress; the ReMa file transfers and the shared dialogs
// drive it directly. At the end the bar turns green when the work ended well
// and red as soon as something failed; a box may close itself a moment later.
// The printf-like texts are shown at once. Without a headline the box reads
// "Head line text" under the title "Progress"; the percentage starts at "0 %".
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/config/IConfigProgress.h"

#include <QColor>
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class CDlgProgress : public QDialog, public IConfigProgress
{
    Q_OBJECT
public:
    static inline const QColor kGreen{0x00, 0xFF, 0x00};
    static inline const QColor kRed{0xFF, 0x00, 0x00};

    explicit CDlgProgress(QWidget* parent = nullptr);
    // The headline is the window title as well.
    explicit CDlgProgress(const QString& headline, QWidget* parent = nullptr);

    void SetHeadline(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetPercentText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The bar alone; p is clamped to 0 .. 100.
    void SetPosition(int p);
    void SetBarColour(const QColor& colour);

    // Bar and text ("37 %"); p is clamped to 0 .. 100.
    void setPercent(int p);
    // IConfigProgress: setPercent, then the box is repainted (the work runs
    // on this thread).
    void showPercent(int percent) override;
    void markFailed() override;
    // The end: bar at 100 %, green unless something failed.
    void finish();
    // The same, failing first when ok is false.
    void finish(bool ok);
    // Adds a "Cancel" button and makes the box modal (call before show()).
    // From then on the box takes the user's click while the work runs on
    // this thread (the rest of the tool takes no input meanwhile), and
    // cancelled() says whether it came.
    void enableCancel();
    bool cancelled() const override;
    QPushButton* cancelButton() const { return m_cancel; }
    // With a "Cancel" button, Escape and the title bar's close ask to
    // cancel too instead of hiding the box while the work goes on.
    void reject() override;
    // Deletes the box ms milliseconds from now.
    void closeAfter(int ms);
    // Sized to its content and centred over the given widget.
    void centreOver(QWidget* over);

    bool failed() const { return m_failed; }
    QString headline() const;
    QString percentText() const;
    int position() const;
    QColor barColour() const { return m_colour; }
    // "green" or "red" once finished, "" while running.
    QString outcome() const { return m_outcome; }

private:
    QLabel* m_headline;
    QLabel* m_percent;
    QProgressBar* m_bar;
    QColor m_colour;
    QString m_outcome;
    bool m_failed = false;
    QPushButton* m_cancel = nullptr;
    bool m_cancelled = false;
};
