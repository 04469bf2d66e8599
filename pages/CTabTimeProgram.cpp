#include "pages/CTabTimeProgram.h"

#include "pages/CDlgTimeProgram.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

using namespace TimeProgramId;

CTabTimeProgram::CTabTimeProgram(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CTimeProgramLogic>(catalogue(), unit(), host(), controls());
    // No picture frame: the buttons fill the page.
    attach(*m_logic, QSize());
    m_logic->rebuildLabels();
    // One width for all: the columns stay even whatever the labels say.
    int width = 0;
    for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n) {
        auto* button = widget<QPushButton>(FirstProgram + n - 1);
        button->setObjectName(QStringLiteral("Time Program %1").arg(n));
        const QString widest = QString::fromStdString(CTimeProgramLogic::ButtonLabel(n, true));
        width = std::max(width, button->sizeHint().width() + button->fontMetrics().horizontalAdvance(widest) -
                                    button->fontMetrics().horizontalAdvance(button->text()));
    }
    for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n)
        widget<QPushButton>(FirstProgram + n - 1)->setMinimumWidth(width);
    buildOverview();
    m_logic->setRebuilt([this] { showOverview(); });
    showOverview();
}

void CTabTimeProgram::buildOverview()
{
    static constexpr std::array<const char*, static_cast<std::size_t>(OverviewColumn::Count)> kHeaders = {
        "No.", "Active", "Days", "Time", "Register", "Value", "Scene"};
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel(QStringLiteral("&Programs:"), box);
    m_overview = new QTableWidget(CTimeProgramLogic::kPrograms, static_cast<int>(kHeaders.size()), box);
    caption->setBuddy(m_overview);
    m_overview->setObjectName(QStringLiteral("Programs"));
    m_overview->setAccessibleName(QStringLiteral("Programs"));
    QStringList headers;
    for (const char* header : kHeaders)
        headers << QString::fromLatin1(header);
    m_overview->setHorizontalHeaderLabels(headers);
    m_overview->verticalHeader()->hide();
    // Lines as high as the text: more programs in view.
    m_overview->verticalHeader()->setDefaultSectionSize(m_overview->fontMetrics().height() + kLinePadding);
    m_overview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_overview->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_overview->setSelectionMode(QAbstractItemView::SingleSelection);
    m_overview->setWordWrap(false);
    m_overview->setMinimumWidth(kOverviewMinWidth);
    m_overview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_overview->horizontalHeader()->setSectionResizeMode(static_cast<int>(OverviewColumn::Register),
                                                         QHeaderView::Stretch);
    m_overview->setToolTip(QStringLiteral("Double-click a program to open it"));
    // Double-click, or Enter on the selected line.
    connect(m_overview, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { openProgram(index.row() + 1); });
    column->addWidget(caption);
    column->addWidget(m_overview, 1);
    addBesideForm(box);
}

void CTabTimeProgram::showOverview()
{
    const auto column = [](OverviewColumn c) { return static_cast<int>(c); };
    const QColor staleText = palette().color(QPalette::Disabled, QPalette::Text);
    for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n) {
        const TimeProgramOverviewRow row = m_logic->overviewRow(n);
        const std::array<std::string, static_cast<std::size_t>(OverviewColumn::Count)> cells = {
            std::to_string(n), row.active, row.days, row.time, row.registerName, row.value, row.scene};
        for (std::size_t c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = m_overview->item(n - 1, static_cast<int>(c));
            if (!item) {
                item = new QTableWidgetItem;
                m_overview->setItem(n - 1, static_cast<int>(c), item);
            }
            const QString text = QString::fromStdString(cells[c]);
            item->setText(text);
            // Grey while the program was not read from the unit; the whole
            // text where the column cuts it short.
            item->setData(Qt::ForegroundRole, row.stale ? QVariant(staleText) : QVariant());
            item->setToolTip(row.stale ? text + QStringLiteral(" (not read from the unit: Read Target reads it)")
                                       : text);
        }
    }
    m_overview->setColumnHidden(column(OverviewColumn::Scene), !m_logic->scenesUsed());
}

CTabTimeProgram::~CTabTimeProgram() = default;

void CTabTimeProgram::preparePage()
{
    CPageWidget::preparePage();
    // Also in demo mode, where the page is not activated.
    m_logic->rebuildLabels();
}

void CTabTimeProgram::activatePage()
{
    m_logic->rebuildLabels();
}

void CTabTimeProgram::clearPage()
{
    CPageWidget::clearPage();
    m_logic->forgetReads();
    m_logic->rebuildLabels();
}

void CTabTimeProgram::buttonClicked(Page::ControlId id)
{
    if (const int program = CTimeProgramLogic::ProgramOf(id))
        openProgram(program);
}

void CTabTimeProgram::openProgram(int program)
{
    const TimeProgramData data = m_logic->openProgram(program);
    CDlgTimeProgram dialog(program, m_logic->scenesUsed(), data, catalogue(), host(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_logic->saveProgram(program, dialog.program());
    else
        m_logic->rebuildLabels();
}
