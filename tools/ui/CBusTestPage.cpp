#include "tools/ui/CBusTestPage.h"

#include "link/CConnection.h"
#include "pages/form/CFormBuilder.h"
#include "tools/ui/TestLogViewer.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Room between the rows and the log button.
constexpr int kGapAboveLog = 16;

} // namespace

CBusTestPage::CBusTestPage(std::span<const Page::Row> rows, CConnection& connection, IPageHost& host, CTestLog* log,
                           QWidget* parent)
    : QWidget(parent), m_rows(rows), m_connection(connection), m_controls(this, CControlSet::EditCues::Off)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 16);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    outer->addLayout(grid);
    outer->addStretch(1);
    CFormBuilder::Build(rows, grid, nullptr, m_controls);
    for (const Page::Row& row : rows)
        if (row.id == kOpenTestLog)
            grid->setRowMinimumHeight(row.row - 1, kGapAboveLog);
    // The result column takes what the window gives; the others stay together.
    grid->setColumnStretch(kResultColumn, 1);
    onClick(kOpenTestLog, [log, on = &host] { TestLogViewer::Open(log, *on); });
}

void CBusTestPage::onClick(Page::ControlId button, std::function<void()> action)
{
    connect(m_controls.as<QPushButton>(button), &QPushButton::clicked, this, std::move(action));
}

void CBusTestPage::preparePage()
{
    CFormBuilder::EnableUnitControls(m_rows, m_controls, !m_connection.demoMode());
}

void CBusTestPage::clearPage()
{
    for (const Page::Row& row : m_rows)
        if (row.kind == Page::Kind::ReadOnly)
            m_controls.as<QLineEdit>(row.id)->clear();
}

QLineEdit* CBusTestPage::field(const QString& name) const
{
    return findChild<QLineEdit*>(name, Qt::FindDirectChildrenOnly);
}

QPushButton* CBusTestPage::button(const QString& name) const
{
    return findChild<QPushButton*>(name, Qt::FindDirectChildrenOnly);
}

QCheckBox* CBusTestPage::check(const QString& name) const
{
    return findChild<QCheckBox*>(name, Qt::FindDirectChildrenOnly);
}

void CBusTestPage::showResult(Page::ControlId result, const CBusTestLogic::Outcome& outcome)
{
    if (outcome.shown)
        m_controls.as<QLineEdit>(result)->setText(QString::fromStdString(*outcome.shown));
}
