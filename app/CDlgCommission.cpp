#include "app/CDlgCommission.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "link/CConnection.h"
#include "model/RegisterCatalogue.h"
#include "pages/core/PageValues.h"
#include "tools/commission/CCommissionJob.h"
#include "tools/commission/CCommissionRun.h"
#include "tools/commission/CConnectionCommissionUnit.h"
#include "tools/commission/CommissionClaims.h"
#include "tools/commission/CommissionStatus.h"
#include "tools/config/ConfigFile.h"
#include "tools/ui/CDlgProgress.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QUrl>

#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <tuple>

namespace {

const QString kPlanKey = QStringLiteral("commission/plan");
const QString kFolderKey = QStringLiteral("commission/output");
// The report's technician, as "File" > "Commissioning Report..." keeps it.
const QString kTechnicianKey = QStringLiteral("report/technician");

std::filesystem::path PathOf(const QString& text)
{
    return std::filesystem::path(text.toStdU16String());
}

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QTreeWidget* List(const QStringList& columns, const QString& name)
{
    auto* list = new QTreeWidget;
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setAccessibleName(name);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return list;
}

} // namespace

CDlgCommission::CDlgCommission(CConnection& connection, RegisterCatalogue& catalogue, QString settingsFile,
                               QWidget* parent)
    : QDialog(parent), m_connection(connection), m_catalogue(catalogue), m_settingsFile(std::move(settingsFile))
{
    setWindowTitle(QStringLiteral("Commission From Plan"));
    auto* grid = new QGridLayout(this);

    const QSettings settings(m_settingsFile, QSettings::IniFormat);
    const auto field = [&](int row, const QString& caption, const QString& name, const QString& browseName,
                           const QString& value) {
        auto* label = new QLabel(caption);
        auto* edit = new QLineEdit(value);
        edit->setAccessibleName(name);
        label->setBuddy(edit);
        auto* browse = new QPushButton(QStringLiteral("Browse..."));
        browse->setAccessibleName(browseName);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(browse, row, 2);
        // Losing the focus to the progress box also finishes the editing:
        // only a changed field reads the plan again.
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            if (m_plan->text() == m_loadedPlan && m_folder->text() == m_loadedFolder)
                return;
            remember();
            reload();
        });
        return std::pair{edit, browse};
    };
    QPushButton* browsePlan = nullptr;
    QPushButton* browseFolder = nullptr;
    std::tie(m_plan, browsePlan) = field(0, QStringLiteral("&Plan:"), QStringLiteral("Plan"),
                                         QStringLiteral("Browse for the plan"), settings.value(kPlanKey).toString());
    std::tie(m_folder, browseFolder) =
        field(1, QStringLiteral("Output &Folder:"), QStringLiteral("Output Folder"),
              QStringLiteral("Browse for the output folder"), settings.value(kFolderKey).toString());
    connect(browsePlan, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Plan"), m_plan->text(),
                                                          QStringLiteral("Plan (*.csv);;All (*.*)"));
        if (!path.isEmpty()) {
            m_plan->setText(path);
            remember();
            reload();
        }
    });
    connect(browseFolder, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getExistingDirectory(this, QStringLiteral("Output Folder"), m_folder->text());
        if (!path.isEmpty()) {
            m_folder->setText(path);
            remember();
            reload();
        }
    });

    auto* roomsLabel = new QLabel(QStringLiteral("&Rooms:"));
    m_rooms = List({QStringLiteral("Room"), QStringLiteral("Device Type"), QStringLiteral("Template"),
                    QStringLiteral("State")},
                   QStringLiteral("Rooms"));
    roomsLabel->setBuddy(m_rooms);
    auto* diffLabel = new QLabel(QStringLiteral("&Differences:"));
    m_differences = List({QStringLiteral("Register"), QStringLiteral("Name"), QStringLiteral("Unit Value"),
                          QStringLiteral("Plan Value")},
                         QStringLiteral("Differences"));
    diffLabel->setBuddy(m_differences);
    grid->addWidget(roomsLabel, 2, 0, 1, 3);
    grid->addWidget(m_rooms, 3, 0, 1, 3);
    grid->addWidget(diffLabel, 4, 0, 1, 3);
    grid->addWidget(m_differences, 5, 0, 1, 3);
    // What happened last; its accessible text is the text shown.
    m_message = new QLabel;
    m_message->setWordWrap(true);
    grid->addWidget(m_message, 6, 0, 1, 3);

    auto* buttons = new QDialogButtonBox;
    m_preview = buttons->addButton(QStringLiteral("Preview"), QDialogButtonBox::ActionRole);
    m_commission = buttons->addButton(QStringLiteral("Commission"), QDialogButtonBox::ActionRole);
    m_openReport = buttons->addButton(QStringLiteral("Open Report"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    grid->addWidget(buttons, 7, 0, 1, 3);
    connect(m_preview, &QPushButton::clicked, this, &CDlgCommission::preview);
    connect(m_commission, &QPushButton::clicked, this, &CDlgCommission::commission);
    connect(m_openReport, &QPushButton::clicked, this, [this] {
        if (!m_lastReport.isEmpty())
            m_openReportFile(m_lastReport);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_rooms, &QTreeWidget::currentItemChanged, this, [this] {
        m_differences->clear();
        enableActions();
    });
    m_openReportFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    m_openReport->setEnabled(false);
    resize(720, 560);
    reload();
}

void CDlgCommission::remember()
{
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue(kPlanKey, m_plan->text());
    settings.setValue(kFolderKey, m_folder->text());
}

void CDlgCommission::reload()
{
    m_rooms->clear();
    m_differences->clear();
    m_planRows = {};
    m_loadedPlan = m_plan->text();
    m_loadedFolder = m_folder->text();
    const bool folder = !m_folder->text().isEmpty();
    m_preview->setEnabled(false);
    m_commission->setEnabled(false);
    if (m_plan->text().isEmpty()) {
        m_message->setText(QStringLiteral("Choose a plan and an output folder."));
        return;
    }
    RegisterCatalogue full;
    full.Build();
    m_planRows = Commission::ReadPlan(m_plan->text().toStdString(), full);
    if (m_planRows.problem) {
        m_message->setText(QStringLiteral("The plan is refused: %1.").arg(Text(Commission::ProblemText(*m_planRows.problem))));
        return;
    }
    const std::filesystem::path out = PathOf(m_folder->text());
    const auto rooms = folder ? Commission::CStatusFile::ReadRooms(out / "status.csv")
                              : std::map<std::string, Commission::CStatusFile::RoomState>{};
    const Commission::CClaims claims(out);
    QTreeWidgetItem* firstPending = nullptr;
    for (const Commission::PlanRow& row : m_planRows.rows) {
        const auto state = rooms.find(row.room);
        const bool done = state != rooms.end() && state->second.done;
        QString shown = state == rooms.end() ? QStringLiteral("pending")
                        : done               ? QStringLiteral("ok")
                                             : Text(state->second.last);
        // A later attempt at a done room that failed leaves it done.
        if (done && state->second.last != "ok")
            shown += QStringLiteral(" (the last attempt %1)").arg(Text(state->second.last));
        const std::optional<Commission::Claim> claim = folder ? claims.read(row.room) : std::nullopt;
        const bool claimed = claim && Commission::CClaims::StateOf(*claim) != Commission::ClaimState::Dead;
        if (claimed)
            shown = QStringLiteral("claimed: %1").arg(Text(Commission::CClaims::Describe(*claim)));
        auto* item = new QTreeWidgetItem(
            m_rooms,
            {Text(row.room), row.deviceType < 0 ? QStringLiteral("any") : QString::number(row.deviceType),
             row.templatePath.empty() ? QStringLiteral("-") : Text(row.templatePath.filename().string()),
             shown});
        if (!firstPending && !done && !claimed)
            firstPending = item;
    }
    // With every room done or taken, none is chosen: the user picks one.
    m_rooms->setCurrentItem(firstPending);
    enableActions();
    // Demo mode has no unit to take a room: the plan is shown, and no
    // attempt lands in the status file as if a unit had failed it.
    if (m_connection.demoMode())
        m_message->setText(QStringLiteral("Demo mode is active: the plan is shown, nothing goes to a unit."));
    else if (!folder)
        m_message->setText(QStringLiteral("Choose an output folder."));
    else if (!firstPending)
        m_message->setText(
            QStringLiteral("%1 rooms; none is pending.").arg(static_cast<int>(m_planRows.rows.size())));
    else
        m_message->setText(QStringLiteral("%1 rooms; the connected unit gets the chosen one.")
                               .arg(static_cast<int>(m_planRows.rows.size())));
}

void CDlgCommission::enableActions()
{
    const bool demo = m_connection.demoMode();
    const bool chosen = m_rooms->currentItem() != nullptr;
    m_preview->setEnabled(!demo && chosen);
    m_commission->setEnabled(!demo && chosen && !m_folder->text().isEmpty());
}

const Commission::PlanRow* CDlgCommission::chosenRow() const
{
    const QTreeWidgetItem* item = m_rooms->currentItem();
    const int index = item ? m_rooms->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
    return index >= 0 && index < static_cast<int>(m_planRows.rows.size()) ? &m_planRows.rows[index] : nullptr;
}

void CDlgCommission::preview()
{
    if (!chosenRow() || m_connection.demoMode())
        return;
    const Commission::PlanRow chosen = *chosenRow();
    const Commission::PlanRow* row = &chosen;
    m_differences->clear();
    CDlgProgress progress(QStringLiteral("Preview"), this);
    progress.centreOver(this);
    progress.show();
    Commission::CConnectionCommissionUnit unit(m_connection, m_catalogue);
    const Commission::JobSettings settings{.outDir = PathOf(m_folder->text())};
    const std::atomic<bool> stop{false};
    const Commission::Preview p = Commission::PreviewUnit(
        unit, *row, settings, [&progress](const Commission::Progress& at) { progress.showPercent(at.percent); }, stop);
    progress.finish(p.ok);
    progress.close();
    const QString room = Text(row->room);
    if (!p.ok) {
        m_message->setText(QStringLiteral("The unit cannot take room %1: %2.").arg(room, Text(p.reason)));
        return;
    }
    for (const CompareRow& r : p.plan.comparison.rows)
        if (r.writable())
            new QTreeWidgetItem(m_differences, {QString::number(r.address), Text(r.name), Text(r.leftShown),
                                                Text(r.rightShown)});
    for (const Commission::SpecialChange& c : p.plan.special)
        new QTreeWidgetItem(m_differences,
                            {QString::number(c.address), Text(m_catalogue.Holding(c.address).name),
                             Text(PageValues::ShownValue(m_catalogue, c.address, c.before)),
                             Text(PageValues::ShownValue(m_catalogue, c.address, c.after))});
    const int n = m_differences->topLevelItemCount();
    m_message->setText(n == 0 ? QStringLiteral("The unit already holds room %1's settings: nothing to write.").arg(room)
                              : QStringLiteral("%1 registers differ for room %2.").arg(n).arg(room));
}

QString CDlgCommission::reportPath(const std::string& room) const
{
    const std::filesystem::path path =
        PathOf(m_folder->text()) / LocalSystem::Utf8Path(Commission::RoomFileName(room) + ".html");
    return QString::fromStdU16String(path.u16string());
}

bool CDlgCommission::claim(const Commission::PlanRow& row, bool redoDone)
{
    const std::filesystem::path out = PathOf(m_folder->text());
    const QString room = Text(row.room);
    if (const std::string problem = Commission::CheckOutputFolder(out); !problem.empty()) {
        m_message->setText(QStringLiteral("The output folder %1 %2: nothing was done.")
                               .arg(m_folder->text(), Text(problem)));
        return false;
    }
    const Commission::CClaims claims(out);
    // Asked before the folder is held: another run must not wait on a
    // question.
    bool takeOtherComputers = false;
    if (const auto held = claims.read(row.room);
        held && Commission::CClaims::StateOf(*held) == Commission::ClaimState::OtherHost) {
        takeOtherComputers =
            QMessageBox::question(this, QStringLiteral("Commission From Plan"),
                                  QStringLiteral("Room %1 is claimed by %2. Take it anyway?")
                                      .arg(room, Text(Commission::CClaims::Describe(*held))),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
        if (!takeOtherComputers)
            return false;
    }
    const auto hold = claims.hold();
    // Another run may have ended the room since it was asked about.
    const auto rooms = Commission::CStatusFile::ReadRooms(out / "status.csv");
    if (const auto state = rooms.find(row.room); !redoDone && state != rooms.end() && state->second.done) {
        m_message->setText(
            QStringLiteral("Room %1 was commissioned by another run meanwhile: nothing was done.").arg(room));
        return false;
    }
    if (const auto held = claims.read(row.room); held && Commission::CClaims::Holds(*held, takeOtherComputers)) {
        m_message->setText(QStringLiteral("Room %1 is being commissioned by %2: nothing was done.")
                               .arg(room, Text(Commission::CClaims::Describe(*held))));
        return false;
    }
    if (claims.take(row.room, m_connection.portName()) != Result::Ok) {
        m_message->setText(QStringLiteral("Room %1 cannot be claimed: %2 cannot be written.")
                               .arg(room, QString::fromStdU16String(claims.path(row.room).u16string())));
        return false;
    }
    return true;
}

void CDlgCommission::commission()
{
    const Commission::PlanRow* row = chosenRow();
    if (!row || m_folder->text().isEmpty() || m_connection.demoMode())
        return;
    const Commission::PlanRow chosen = *row; // the list is read again afterwards
    const QString room = Text(chosen.room);
    // A done room's bus address is taken: running it again on another unit
    // would give two units one address, so the user says so first.
    const auto rooms = Commission::CStatusFile::ReadRooms(PathOf(m_folder->text()) / "status.csv");
    const auto state = rooms.find(chosen.room);
    const bool done = state != rooms.end() && state->second.done;
    if (done &&
        QMessageBox::question(this, QStringLiteral("Commission From Plan"),
                              QStringLiteral("Room %1 is already commissioned. Commission it again on the "
                                             "connected unit?")
                                  .arg(room),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!claim(chosen, done))
        return;

    CDlgProgress progress(QStringLiteral("Commission"), this);
    progress.enableCancel();
    progress.centreOver(this);
    progress.show();
    Commission::CConnectionCommissionUnit unit(m_connection, m_catalogue);
    Commission::JobSettings settings{
        .technician = QSettings(m_settingsFile, QSettings::IniFormat).value(kTechnicianKey).toString().toStdString(),
        .outDir = PathOf(m_folder->text())};
    std::vector<ConfigFile::Range> everything;
    for (const ConfigFile::Category& c : ConfigFile::Categories())
        everything.push_back({c.first, c.last});
    settings.writeReport = Commission::UnitReportWriter(settings, everything);
    Commission::CStatusFile status(settings.outDir / "status.csv");
    std::atomic<bool> stop{false};
    const Commission::UnitJob job = [&](const Commission::PlanRow& r, const std::string& port,
                                        const std::function<void(const Commission::Progress&)>& progressFn,
                                        const std::atomic<bool>& stopFlag) {
        return Commission::CommissionUnit(unit, r, port, settings, progressFn, stopFlag);
    };
    const Commission::UnitOutcome outcome = Commission::RunAndRecord(
        status, chosen, m_connection.portName(), job,
        [&](const Commission::Progress& at) {
            progress.showPercent(at.percent);
            if (progress.cancelled())
                stop = true;
        },
        stop);
    Commission::CClaims(settings.outDir).release(chosen.room);
    progress.finish(outcome.ok);
    progress.close();

    // On to the next pending room: the unit on the bench is the next one.
    reload();
    if (!outcome.ok) {
        m_message->setText(QStringLiteral("Room %1 failed: %2.").arg(room, Text(outcome.reason)));
        return;
    }
    m_lastReport = reportPath(chosen.room);
    m_openReport->setEnabled(QFileInfo::exists(m_lastReport));
    m_message->setText(QStringLiteral("Room %1 commissioned: %2 registers written. The report is %3.")
                           .arg(room)
                           .arg(outcome.written)
                           .arg(m_lastReport));
    if (m_openReport->isEnabled() &&
        QMessageBox::question(this, QStringLiteral("Commission From Plan"),
                              QStringLiteral("Room %1 is commissioned. Open its report now?").arg(room)) ==
            QMessageBox::Yes)
        m_openReportFile(m_lastReport);
}
