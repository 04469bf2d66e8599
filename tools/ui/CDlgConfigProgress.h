// The progress box of the configuration export and import: a headline, a
// bar from 0 to 100 and the percentage ("42 %"); the bar turns green when
// the work ended well and red as soon as something failed.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/config/IConfigProgress.h"

#include <QColor>
#include <QDialog>

class QLabel;
class QProgressBar;

class CDlgConfigProgress : public QDialog, public IConfigProgress
{
    Q_OBJECT
public:
    static inline const QColor kGreen{0x00, 0xFF, 0x00};
    static inline const QColor kRed{0xFF, 0x00, 0x00};

    explicit CDlgConfigProgress(const QString& headline, QWidget* parent = nullptr);

    // IConfigProgress
    void showPercent(int percent) override;
    void markFailed() override;
    // The end: bar at 100 %, green unless something failed.
    void finish();

    bool failed() const { return m_failed; }
    QString headline() const;
    QString percentText() const;
    int position() const;
    QColor barColour() const { return m_colour; }

private:
    void setBarColour(const QColor& colour);

    QLabel* m_headline;
    QLabel* m_percent;
    QProgressBar* m_bar;
    QColor m_colour;
    bool m_failed = false;
};
