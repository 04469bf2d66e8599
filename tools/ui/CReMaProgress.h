// The progress box of a ReMa file export or import: a bar from 0 to 100 with
// its percentage ("37 %"), green when the file was handled to its end, red
// when it failed; it closes itself a moment after the end so that the
// installer sees the outcome.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

class CReMaProgress : public QDialog
{
    Q_OBJECT
public:
    // Long enough to read the outcome, short enough not to be in the way.
    static constexpr int kCloseAfterMs = 2500;

    CReMaProgress(const QString& title, QWidget* over);

    // p is clamped to 0 .. 100; the text follows.
    void setPercent(int p);
    // The end: 100 %, the bar green (ok) or red, closing after kCloseAfterMs.
    void finish(bool ok);

    int percent() const;
    QString percentText() const;
    // "green", "red" or "" while running.
    QString outcome() const { return m_outcome; }

private:
    QProgressBar* m_bar;
    QLabel* m_text;
    QString m_outcome;
};
