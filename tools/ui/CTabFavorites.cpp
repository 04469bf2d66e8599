#include "tools/ui/CTabFavorites.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "link/CModbus.h"
#include "pages/core/IPageHost.h"

#include "pages/form/CFormBuilder.h"

#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QGridLayout>
#include <QKeyEvent>
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

using Page::Kind;
using Page::Row;

enum Id : Page::ControlId
{
    Title = 1,
    SortedBy,
    Selector,
    Address,
    Category,
    Register,
    DeleteEntry,
    EntryDefault,
    List,
    ReadList,
    WriteList,
    ListDefault,
    LoadList,
    SaveList,
};

constexpr const char* kListColumns[] = {"Customized Address", "Table", "Default Tavemo Address"};
// The list's first two columns hold an address and a table's name; the
// last takes the rest.
constexpr int kAddressColumnWidth = 140;
constexpr int kTableColumnWidth = 260;

// The inputs above the list, each under its label; a register's name is
// long.
constexpr Row Input(Id id, Kind kind, const char* caption, int16_t width)
{
    return {.id = id, .kind = kind, .caption = caption, .row = 1, .span = 4, .accessibleName = caption,
            .width = width, .inLine = true};
}
constexpr Row LineButton(Id id, const char* caption, int row, bool needsUnit = false)
{
    return {.id = id, .kind = Kind::Button, .caption = caption, .row = row, .span = 4, .needsUnit = needsUnit,
            .inLine = true};
}

constexpr Row kRows[] = {
    {.id = Title, .kind = Kind::Heading, .caption = "Customized Register Address:", .span = 2},
    {.id = SortedBy, .kind = Kind::List, .caption = "Sorted by:", .column = 2, .accessibleName = "Sorted by:",
     .labelAlign = Page::Align::Right},
    Input(Selector, Kind::List, "Function Selector", Page::kFitItems),
    Input(Address, Kind::Spin, "Customized Address", 0),
    Input(Category, Kind::List, "Table", Page::kFitItems),
    Input(Register, Kind::List, "Default Tavemo Address", 36),
    LineButton(DeleteEntry, "Delete selected Entry", 2),
    LineButton(EntryDefault, "Get Default Mapping on Entry", 2),
    {.id = List, .kind = Kind::ListView, .row = 3, .span = 4, .items = kListColumns,
     .accessibleName = "Customized Address\tTable\tDefault Tavemo Address"},
    LineButton(ReadList, "Read shown List from Target", 4, true),
    LineButton(WriteList, "Write shown List to Target", 4, true),
    LineButton(ListDefault, "Get Default shown List", 4),
    LineButton(LoadList, "Load shown List", 4),
    LineButton(SaveList, "Save shown List", 4),
};

} // namespace

CTabFavorites::CTabFavorites(IPageHost& host, CConnection& connection, RegisterCatalogue& catalogue, QWidget* parent)
    : QWidget(parent), m_host(host), m_connection(connection), m_editor(catalogue), m_controls(this)
{
    CFormBuilder::Build(kRows, new QGridLayout(this), nullptr, m_controls, CFormBuilder::Mnemonics::Off);
    m_sort = m_controls.as<QComboBox>(SortedBy);
    m_selector = m_controls.as<QComboBox>(Selector);
    m_address = m_controls.as<QSpinBox>(Address);
    m_category = m_controls.as<QComboBox>(Category);
    m_register = m_controls.as<QComboBox>(Register);
    m_list = m_controls.as<QTreeWidget>(List);
    m_address->setRange(1, m_editor.maxAddress());
    m_address->setValue(CReMaEditor::kStartAddress);
    m_address->installEventFilter(this);
    m_list->setColumnWidth(0, kAddressColumnWidth);
    m_list->setColumnWidth(1, kTableColumnWidth);

    connect(m_sort, &QComboBox::activated, this, [this] { rebuildList(); });
    connect(m_selector, &QComboBox::activated, this, &CTabFavorites::selectorChosen);
    connect(m_address, &QSpinBox::valueChanged, this, &CTabFavorites::addressChanged);
    connect(m_category, &QComboBox::activated, this, &CTabFavorites::categoryChosen);
    connect(m_register, &QComboBox::activated, this, &CTabFavorites::registerChosen);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { lineChosen(); });
    const struct
    {
        Id button;
        void (CTabFavorites::*action)();
    } actions[] = {{DeleteEntry, &CTabFavorites::deleteEntry},  {EntryDefault, &CTabFavorites::defaultOnEntry},
                   {ReadList, &CTabFavorites::readFromTarget}, {WriteList, &CTabFavorites::writeToTarget},
                   {ListDefault, &CTabFavorites::defaultList}, {LoadList, &CTabFavorites::loadList},
                   {SaveList, &CTabFavorites::saveList}};
    for (const auto& a : actions)
        connect(m_controls.as<QPushButton>(a.button), &QPushButton::clicked, this, a.action);

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
    CFormBuilder::EnableUnitControls(kRows, m_controls, !m_connection.demoMode());
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
