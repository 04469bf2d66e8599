#include "tools/ui/CReMaProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

CReMaProgress::CReMaProgress(const QString& title, QWidget* over) : QDialog(over)
{
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_text = new QLabel(this);
    m_text->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    resize(320, 90);
    if (over) {
        const QPoint centre = over->mapToGlobal(over->rect().center());
        move(centre - rect().center());
    }
    setPercent(0);
}

void CReMaProgress::setPercent(int p)
{
    p = std::clamp(p, 0, 100);
    if (p == m_bar->value() && !m_text->text().isEmpty())
        return;
    m_bar->setValue(p);
    m_text->setText(QStringLiteral("%1 %").arg(p));
}

void CReMaProgress::finish(bool ok)
{
    setPercent(100);
    m_outcome = ok ? QStringLiteral("green") : QStringLiteral("red");
    m_bar->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }").arg(m_outcome));
    QTimer::singleShot(kCloseAfterMs, this, &QWidget::close);
}

int CReMaProgress::percent() const { return m_bar->value(); }
QString CReMaProgress::percentText() const { return m_text->text(); }
