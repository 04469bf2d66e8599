#include "tools/ui/CTabFavorites.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "link/CModbus.h"
#include "pages/core/IPageHost.h"

#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

constexpr const char* kRunning = "Running...";
constexpr const char* kNoConnectionFound = "Error: no connection found";
constexpr const char* kNoConnectionToTarget = "Error: no connection to target";
// The progress box stays this long after a file transfer: long enough to
// read the outcome, short enough not to be in the way.
constexpr int kProgressCloseAfterMs = 2500;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QLabel* Buddy(const char* text, QWidget* control, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setBuddy(control);
    control->setAccessibleName(QString::fromLatin1(text));
    return label;
}

} // namespace

CTabFavorites::CTabFavorites(IPageHost& host, CConnection& connection, RegisterCatalogue& catalogue, QWidget* parent)
    : QWidget(parent), m_host(host), m_connection(connection), m_editor(catalogue)
{
    auto* grid = new QGridLayout(this);
    m_title = new QLabel(QStringLiteral("Customized Register Address:"), this);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);

    m_sort = new QComboBox(this);
    m_selector = new QComboBox(this);
    m_address = new QSpinBox(this);
    m_address->setRange(1, m_editor.maxAddress());
    m_address->setValue(CReMaEditor::kStartAddress);
    m_address->installEventFilter(this);
    m_category = new QComboBox(this);
    m_register = new QComboBox(this);
    m_register->setMinimumContentsLength(36);
    m_register->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_category->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_selector->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    grid->addWidget(m_title, 0, 0, 1, 2);
    grid->addWidget(Buddy("Sorted by:", m_sort, this), 0, 2, Qt::AlignRight);
    grid->addWidget(m_sort, 0, 3);

    const struct
    {
        const char* text;
        QWidget* control;
    } fields[] = {{"Function Selector", m_selector},
                  {"Customized Address", m_address},
                  {"Table", m_category},
                  {"Default Tavemo Address", m_register}};
    auto* fieldRow = new QHBoxLayout;
    for (const auto& f : fields) {
        auto* column = new QVBoxLayout;
        column->addWidget(Buddy(f.text, f.control, this));
        column->addWidget(f.control);
        fieldRow->addLayout(column);
    }
    fieldRow->addStretch(1);
    grid->addLayout(fieldRow, 1, 0, 1, 4);

    auto* entryButtons = new QHBoxLayout;
    auto* remove = new QPushButton(QStringLiteral("Delete selected Entry"), this);
    auto* entryDefault = new QPushButton(QStringLiteral("Get Default Mapping on Entry"), this);
    entryButtons->addWidget(remove);
    entryButtons->addWidget(entryDefault);
    entryButtons->addStretch(1);
    grid->addLayout(entryButtons, 2, 0, 1, 4);

    m_list = new QTreeWidget(this);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Customized Address"), QStringLiteral("Table"),
                             QStringLiteral("Default Tavemo Address")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setAccessibleName(QStringLiteral("Customized Address\tTable\tDefault Tavemo Address"));
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 140);
    m_list->setColumnWidth(1, 260);
    grid->addWidget(m_list, 3, 0, 1, 4);
    grid->setRowStretch(3, 1);

    auto* tableButtons = new QHBoxLayout;
    m_read = new QPushButton(QStringLiteral("Read shown List from Target"), this);
    m_write = new QPushButton(QStringLiteral("Write shown List to Target"), this);
    auto* listDefault = new QPushButton(QStringLiteral("Get Default shown List"), this);
    auto* load = new QPushButton(QStringLiteral("Load shown List"), this);
    auto* save = new QPushButton(QStringLiteral("Save shown List"), this);
    for (QPushButton* b : {m_read, m_write, listDefault, load, save})
        tableButtons->addWidget(b);
    tableButtons->addStretch(1);
    grid->addLayout(tableButtons, 4, 0, 1, 4);

    connect(m_sort, &QComboBox::activated, this, [this] { rebuildList(); });
    connect(m_selector, &QComboBox::activated, this, &CTabFavorites::selectorChosen);
    connect(m_address, &QSpinBox::valueChanged, this, &CTabFavorites::addressChanged);
    connect(m_category, &QComboBox::activated, this, &CTabFavorites::categoryChosen);
    connect(m_register, &QComboBox::activated, this, &CTabFavorites::registerChosen);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { lineChosen(); });
    connect(remove, &QPushButton::clicked, this, &CTabFavorites::deleteEntry);
    connect(entryDefault, &QPushButton::clicked, this, &CTabFavorites::defaultOnEntry);
    connect(m_read, &QPushButton::clicked, this, &CTabFavorites::readFromTarget);
    connect(m_write, &QPushButton::clicked, this, &CTabFavorites::writeToTarget);
    connect(listDefault, &QPushButton::clicked, this, &CTabFavorites::defaultList);
    connect(load, &QPushButton::clicked, this, &CTabFavorites::loadList);
    connect(save, &QPushButton::clicked, this, &CTabFavorites::saveList);

    fill();
}

CTabFavorites::~CTabFavorites() = default;

QPushButton* CTabFavorites::button(const QString& caption) const
{
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

QStringList CTabFavorites::lineTexts() const
{
    QStringList lines;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        lines << item->text(0) + QLatin1Char('\t') + item->text(1) + QLatin1Char('\t') + item->text(2);
    }
    return lines;
}

// ---- filling -------------------------------------------------------------------

void CTabFavorites::preparePage()
{
    const bool onUnit = !m_connection.demoMode();
    m_read->setEnabled(onUnit);
    m_write->setEnabled(onUnit);
}

void CTabFavorites::activatePage() { fill(); }

void CTabFavorites::protocolChanged() { fill(); }

void CTabFavorites::fill()
{
    m_updating = true;
    m_sort->clear();
    m_sort->addItems({QStringLiteral("Customized Address"), QStringLiteral("Default Tavemo Address")});
    m_sort->setCurrentIndex(0);
    const int protocol = ProtocolOf(m_editor.catalogue().Holding(Reg::Protocol).value);
    m_editor.setUnit(m_connection.deviceType(), protocol);
    m_selector->clear();
    for (int i = 0; i < ReMa::kSelectorCount; ++i)
        m_selector->addItem(QString::fromLatin1(ReMa::SelectorText(i, protocol)));
    m_selector->setCurrentIndex(0);
    // The shown table is the holding table again; the address edited stays.
    const int address = m_editor.address();
    m_editor.setSelector(0);
    m_editor.setAddress(address);
    m_address->setRange(1, m_editor.maxAddress());
    m_address->setValue(m_editor.address());
    m_updating = false;
    fillCategories();
    showMapping();
    rebuildList();
}

void CTabFavorites::fillCategories()
{
    const bool outer = m_updating;
    m_updating = true;
    m_category->clear();
    for (const ReMa::Category& c : m_editor.categories())
        m_category->addItem(Q(c.text), QVariant::fromValue(c.data()));
    m_updating = outer;
}

void CTabFavorites::fillRegisters(int category)
{
    const bool outer = m_updating;
    m_updating = true;
    m_registerItems = m_editor.registerItems(category);
    m_register->clear();
    for (const auto& item : m_registerItems)
        m_register->addItem(Q(item.text), item.address);
    m_updating = outer;
}

void CTabFavorites::showMapping()
{
    const bool outer = m_updating;
    m_updating = true;
    m_editor.setAddress(m_address->value());
    m_address->setValue(m_editor.address());
    const int category = m_editor.shownCategory();
    m_category->setCurrentIndex(category);
    fillRegisters(category);
    m_register->setCurrentIndex(m_editor.shownRegisterItem(m_registerItems));
    m_updating = outer;
}

void CTabFavorites::rebuildList()
{
    const bool outer = m_updating;
    m_updating = true;
    const auto order = m_sort->currentIndex() == 1 ? CReMaEditor::SortOrder::ByDefaultAddress
                                                   : CReMaEditor::SortOrder::ByCustomizedAddress;
    const auto lines = m_editor.lines(order);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<int>(lines.size()));
    for (const auto& line : lines) {
        const QStringList columns = Q(line.text).split(QLatin1Char('\t'));
        auto* item = new QTreeWidgetItem(columns);
        item->setData(0, Qt::UserRole, line.address);
        items << item;
    }
    m_list->addTopLevelItems(items);
    const int at = CReMaEditor::lineOf(lines, m_editor.address());
    if (at >= 0) {
        m_list->setCurrentItem(m_list->topLevelItem(at));
        m_list->scrollToItem(m_list->topLevelItem(at));
    }
    m_updating = outer;
}

void CTabFavorites::edited()
{
    showMapping();
    rebuildList();
}

// ---- the user's choices ----------------------------------------------------------

void CTabFavorites::selectorChosen(int index)
{
    m_editor.setSelector(index);
    m_updating = true;
    m_address->setRange(1, m_editor.maxAddress());
    m_address->setValue(m_editor.address());
    m_updating = false;
    fillCategories();
    edited();
}

void CTabFavorites::addressChanged(int)
{
    if (m_updating)
        return;
    showMapping();
    m_updating = true;
    bool found = false;
    for (int i = 0; i < m_list->topLevelItemCount() && !found; ++i)
        if (m_list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == m_editor.address()) {
            m_list->setCurrentItem(m_list->topLevelItem(i));
            found = true;
        }
    if (!found)
        m_list->setCurrentItem(nullptr);
    m_updating = false;
}

void CTabFavorites::categoryChosen(int index)
{
    if (m_updating)
        return;
    m_editor.setAddress(m_address->value());
    if (index == 0) {
        m_editor.chooseEmptyCategory();
        edited();
        return;
    }
    fillRegisters(index);
}

void CTabFavorites::registerChosen(int index)
{
    if (m_updating || index < 0 || index >= static_cast<int>(m_registerItems.size()))
        return;
    m_editor.setAddress(m_address->value());
    m_editor.chooseRegister(m_registerItems[static_cast<std::size_t>(index)].address);
    edited();
}

void CTabFavorites::lineChosen()
{
    if (m_updating || !m_list->currentItem())
        return;
    m_updating = true;
    m_address->setValue(m_list->currentItem()->data(0, Qt::UserRole).toInt());
    m_updating = false;
    showMapping();
}

bool CTabFavorites::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_address && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_address->interpretText();
            registerChosen(m_register->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CTabFavorites::deleteEntry()
{
    m_editor.setAddress(m_address->value());
    m_editor.deleteEntry();
    edited();
}

void CTabFavorites::defaultOnEntry()
{
    m_editor.setAddress(m_address->value());
    m_editor.defaultOnEntry();
    edited();
}

void CTabFavorites::defaultList()
{
    m_editor.defaultList();
    edited();
    m_host.setStatusText("Done");
}

// ---- the unit --------------------------------------------------------------------

UnitActionResult CTabFavorites::runOnUnit(bool sameDevice, const std::function<int(ReMa::ILink&)>& transfer,
                                          bool* reachedLink)
{
    // Only the unit connected to with its PIN: another one behind the port
    // (the connection says so) or none connected yet gets nothing. The
    // link is closed after every action, whatever the unit answered: no
    // port stays open between the installer's actions.
    bool overlay = false;
    const UnitActionResult r = m_connection.run(
        {.inDemo = UnitAction::InDemo::Skip, .identify = true, .requireDevice = false, .sameDevice = sameDevice},
        [&] {
            ReMa::CPortLink link(m_connection.modbus());
            return transfer(link);
        },
        {.started =
             [&] {
                 m_host.setStatusText(kRunning);
                 m_host.showBusyOverlay();
                 overlay = true;
             }});
    if (overlay)
        m_host.hideBusyOverlay();
    if (reachedLink)
        *reachedLink = overlay;
    if (r.refused() && r.result == Result::PinNotAccepted)
        m_host.showResult(r.result);
    return r;
}

void CTabFavorites::readFromTarget()
{
    const UnitActionResult r =
        runOnUnit(false, [this](ReMa::ILink& link) { return m_editor.readFromUnit(link); }, nullptr);
    if (r.outcome == UnitActionResult::Outcome::NotConnected) {
        m_host.setStatus(kNoConnectionFound, r.result);
    } else if (r.ran()) {
        edited();
        m_host.setStatus(ReMa::StatusText(r.result), r.result);
    }
}

void CTabFavorites::writeToTarget()
{
    // A table that takes registers away from their addresses goes to the
    // unit only when the installer says so (the tool refuses by itself a
    // table that moves the registers it identifies and unlocks a unit by).
    RegisterCatalogue& catalogue = m_editor.catalogue();
    const auto removed = ReMa::RemovedAddresses(catalogue, m_editor.selector(), m_editor.map());
    const bool refusedAnyway = !ReMa::IdentityRegistersMoved(catalogue, m_editor.selector(), m_editor.map()).empty();
    if (!removed.empty() && !refusedAnyway) {
        QString first;
        for (std::size_t i = 0; i < removed.size() && i < 10; ++i)
            first += (i ? QStringLiteral(", ") : QString()) + QString::number(removed[i]);
        if (removed.size() > 10)
            first += QStringLiteral(" and %1 more").arg(removed.size() - 10);
        QMessageBox ask(QMessageBox::Question, QStringLiteral("ReMa"),
                        QStringLiteral("This table takes %1 register(s) away from their addresses (%2): the unit "
                                       "will no longer answer there.\n\nWrite it to the unit?")
                            .arg(removed.size())
                            .arg(first),
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes) {
            m_host.setStatusText("Not written.");
            return;
        }
    }
    bool reachedLink = false;
    const UnitActionResult r =
        runOnUnit(true, [this](ReMa::ILink& link) { return m_editor.writeToUnit(link); }, &reachedLink);
    if (r.refused() && r.result == Result::AnotherUnit && reachedLink) {
        // The unit behind the open link is not the one connected to.
        m_host.selectFirstTab();
        m_host.setStatus(kNoConnectionToTarget, Result::AnotherUnit);
    } else if (r.outcome == UnitActionResult::Outcome::NotConnected) {
        m_host.setStatus(kNoConnectionToTarget, r.result);
    } else if (r.ran()) {
        m_host.setStatus(ReMa::StatusText(r.result), r.result);
    }
}

// ---- files -----------------------------------------------------------------------

QString CTabFavorites::chooseFile(bool save, const QString& title, const QString& proposed)
{
    if (m_chooseFile)
        return m_chooseFile(save, title, proposed);
    const QString filters = QStringLiteral("Text (*.csv);;Data (*.bin);;All (*.*)");
    QString selected = QStringLiteral("Text (*.csv)");
    return save ? QFileDialog::getSaveFileName(this, title, proposed, filters, &selected)
                : QFileDialog::getOpenFileName(this, title, proposed, filters, &selected);
}

void CTabFavorites::saveList()
{
    transferFile(true, [this](const std::string& path, const ReMa::Progress& progress) {
        return ReMa::ImportResult{m_editor.exportFile(path, progress), 0};
    });
}

void CTabFavorites::loadList()
{
    transferFile(false, [this](const std::string& path, const ReMa::Progress& progress) {
        const ReMa::ImportResult r = m_editor.importFile(path, progress);
        edited();
        return r;
    });
}

void CTabFavorites::transferFile(bool save, const FileTransfer& transfer)
{
    const int selector = m_editor.selector();
    const int protocol = m_editor.protocol();
    const QString path = chooseFile(save,
                                    Q(save ? ReMa::ExportDialogTitle(selector, protocol)
                                           : ReMa::ImportDialogTitle(selector, protocol)),
                                    Q(ReMa::DefaultFileName(selector, protocol)));
    if (path.isEmpty())
        return;
    auto* box = new CDlgProgress(
        Q(save ? ReMa::ExportProgressTitle(selector, protocol) : ReMa::ImportProgressTitle(selector, protocol)), this);
    box->centreOver(this);
    m_progress = box;
    box->show();
    const ReMa::ImportResult r = transfer(path.toStdString(), [box](int p) { box->setPercent(p); });
    box->finish(r.code == 0);
    box->closeAfter(kProgressCloseAfterMs);
    m_host.setStatus(ReMa::FileErrorText(r, path.toStdString()), r.code);
}
