#include "app/CDemoBanner.h"

#include "app/CStatusLine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

CDemoBanner::CDemoBanner(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("DemoBanner"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, CStatusLine::kDemoColour);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 4, 10, 4);
    m_text = new QLabel(this);
    QFont bold = m_text->font();
    bold.setBold(true);
    m_text->setFont(bold);
    auto* leave = new QPushButton(QStringLiteral("&Leave Demo Mode"), this);
    leave->setAutoDefault(false);
    connect(leave, &QPushButton::clicked, this, &CDemoBanner::leaveRequested);
    row->addWidget(m_text, 1);
    row->addWidget(leave);
    hide();
}

void CDemoBanner::showDemo(bool active, const QString& deviceName)
{
    if (active)
        m_text->setText(
            QStringLiteral("Demo mode: %1. No unit is connected; nothing is read or written.").arg(deviceName));
    setVisible(active);
}
