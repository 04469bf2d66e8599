// A modeless progress box: a headline, a bar from 0 to 100 and a
// percentage text. The texts are formatted like printf and shown at once.
// Initially the headline reads "Head line text" and the percentage "0 %".
//
// Thread rules: user-interface thread only.
#pragma once

#include <QColor>
#include <QDialog>

class QLabel;
class QProgressBar;

class CDlgProgress : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgProgress(QWidget* parent = nullptr);

    void SetHeadline(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetPercentText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // p is clamped to 0 .. 100.
    void SetPosition(int p);
    void SetBarColour(const QColor& colour);

    QString headline() const;
    QString percentText() const;
    int position() const;

private:
    QLabel* m_headline;
    QLabel* m_percent;
    QProgressBar* m_bar;
};
