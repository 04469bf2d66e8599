#include "tools/ui/CDlgCompare.h"

#include "diag/Result.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace {

constexpr int kAddressRole = Qt::UserRole + 1;
constexpr int kRowIndexRole = Qt::UserRole + 2;

} // namespace

CDlgCompare::CDlgCompare(const ConfigComparison& comparison, bool canWrite, const QString& note, QWidget* parent)
    : QDialog(parent), m_comparison(comparison), m_canWrite(canWrite)
{
    setWindowTitle(QStringLiteral("Compare With File"));
    setObjectName(QStringLiteral("CompareWithFile"));
    auto* layout = new QVBoxLayout(this);
    auto* noteLabel = new QLabel(note, this);
    noteLabel->setWordWrap(true);
    layout->addWidget(noteLabel);

    m_list = new QTreeWidget(this);
    m_list->setAccessibleName(QStringLiteral("Registers"));
    m_list->setHeaderLabels({QStringLiteral("Register"), QStringLiteral("Name"), QStringLiteral("Unit Value"),
                             QStringLiteral("File Value"), QStringLiteral("Note")});
    m_list->setRootIsDecorated(true);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_showPin = new QCheckBox(QStringLiteral("Show &PIN"), this);
    std::map<std::string, QTreeWidgetItem*> categories;
    for (std::size_t i = 0; i < m_comparison.rows.size(); ++i) {
        const CompareRow& row = m_comparison.rows[i];
        const std::string category = row.category.empty() ? std::string("Other") : row.category;
        QTreeWidgetItem*& parentItem = categories[category];
        if (!parentItem) {
            parentItem = new QTreeWidgetItem(m_list, {QString::fromStdString(category)});
            parentItem->setFlags(Qt::ItemIsEnabled);
            parentItem->setFirstColumnSpanned(true);
            parentItem->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(parentItem, {QString::number(row.address), QString::fromStdString(row.name),
                                                      QString(), QString(),
                                                      QString::fromUtf8(ConfigCompare::MarkText(row.mark))});
        showValues(item, row);
        item->setData(kRegister, kAddressRole, row.address);
        item->setData(kRegister, kRowIndexRole, static_cast<int>(i));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (row.writable() && m_canWrite) {
            flags |= Qt::ItemIsUserCheckable;
            item->setCheckState(kRegister, Qt::Checked);
        }
        item->setFlags(flags);
        if (row.equal)
            item->setText(kNote, QStringLiteral("equal"));
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_list, 1);

    m_showEqual = new QCheckBox(QStringLiteral("Show equal registers too"), this);
    layout->addWidget(m_showEqual);
    layout->addWidget(m_showPin);
    setTabOrder(m_showEqual, m_showPin); // in the order they stand
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("CompareResult"));
    m_result->setWordWrap(true);
    layout->addWidget(m_result);

    auto* buttons = new QDialogButtonBox(this);
    m_write = buttons->addButton(QStringLiteral("Write Checked"), QDialogButtonBox::ActionRole);
    m_write->setAutoDefault(false);
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    layout->addWidget(buttons);

    connect(m_showEqual, &QCheckBox::toggled, this, [this] { updateVisibleRows(); });
    connect(m_showPin, &QCheckBox::toggled, this, [this] {
        for (const CompareRow& row : m_comparison.rows)
            if (ConfigCompare::IsSecret(row.address))
                showValues(rowOf(row.address), row);
    });
    connect(m_list, &QTreeWidget::itemChanged, this, [this] { updateWriteButton(); });
    connect(m_write, &QPushButton::clicked, this, [this] {
        const std::vector<ConfigFile::Value> values = checkedValues();
        if (!values.empty() && m_writeHandler)
            m_writeHandler(values);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    if (!m_canWrite)
        m_write->setToolTip(QStringLiteral("No unit to write to"));
    const int shown = m_comparison.differing;
    m_result->setText(shown == 0 ? QStringLiteral("No differences.")
                                 : QStringLiteral("%1 of %2 registers differ.")
                                       .arg(shown)
                                       .arg(static_cast<int>(m_comparison.rows.size())));
    updateVisibleRows();
    updateWriteButton();
    m_list->setFocus();
    if (QTreeWidgetItem* first = m_list->topLevelItemCount() ? m_list->topLevelItem(0) : nullptr)
        m_list->setCurrentItem(first->childCount() ? first->child(0) : first);
    resize(760, 480);
}

void CDlgCompare::showValues(QTreeWidgetItem* item, const CompareRow& row)
{
    if (!item)
        return;
    const bool clear = m_showPin->isChecked();
    item->setText(kUnitValue, QString::fromStdString(clear ? row.leftShown : ConfigCompare::MaskedShown(row, true)));
    item->setText(kFileValue,
                  QString::fromStdString(clear ? row.rightShown : ConfigCompare::MaskedShown(row, false)));
}

QTreeWidgetItem* CDlgCompare::rowOf(uint32_t address) const
{
    for (int c = 0; c < m_list->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = m_list->topLevelItem(c);
        for (int r = 0; r < category->childCount(); ++r)
            if (category->child(r)->data(kRegister, kAddressRole).toUInt() == address)
                return category->child(r);
    }
    return nullptr;
}

std::vector<ConfigFile::Value> CDlgCompare::checkedValues() const
{
    std::vector<ConfigFile::Value> values;
    for (int c = 0; c < m_list->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = m_list->topLevelItem(c);
        for (int r = 0; r < category->childCount(); ++r) {
            QTreeWidgetItem* item = category->child(r);
            if (!(item->flags() & Qt::ItemIsUserCheckable) || item->checkState(kRegister) != Qt::Checked)
                continue;
            const CompareRow& row = m_comparison.rows[static_cast<std::size_t>(item->data(kRegister, kRowIndexRole).toInt())];
            values.push_back({static_cast<uint16_t>(row.address), static_cast<uint16_t>(row.right)});
        }
    }
    return values;
}

void CDlgCompare::showWriteResult(const ChangesReport& report)
{
    std::map<uint32_t, int> failed;
    for (const ChangesReport::Failure& f : report.failures)
        failed.emplace(f.address, f.code);
    for (const ConfigFile::Value& v : checkedValues()) {
        QTreeWidgetItem* item = rowOf(v.address);
        const auto it = failed.find(v.address);
        const bool tried = it != failed.end() || !report.linkLost;
        if (!tried)
            continue;
        if (it == failed.end()) {
            // The unit holds the file's value now.
            CompareRow& row =
                m_comparison.rows[static_cast<std::size_t>(item->data(kRegister, kRowIndexRole).toInt())];
            row.left = row.right;
            row.hasLeft = true;
            row.leftShown = row.rightShown;
            showValues(item, row);
            item->setText(kNote, QStringLiteral("written"));
        } else {
            item->setText(kNote, QStringLiteral("error %1: %2")
                                     .arg(it->second)
                                     .arg(QString::fromStdString(ResultText(it->second))));
        }
        item->setData(kRegister, Qt::CheckStateRole, QVariant());
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
    }
    QString text = QStringLiteral("Written: %1, verified: %2.").arg(report.written).arg(report.verified);
    if (!report.failures.empty())
        text += QStringLiteral(" Failed: %1.").arg(static_cast<int>(report.failures.size()));
    if (report.linkLost)
        text += QStringLiteral(" Link lost: the rest was not written.");
    setResultText(text);
    updateWriteButton();
}

void CDlgCompare::setResultText(const QString& text)
{
    m_result->setText(text);
}

void CDlgCompare::updateVisibleRows()
{
    const bool all = m_showEqual->isChecked();
    for (int c = 0; c < m_list->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = m_list->topLevelItem(c);
        bool any = false;
        for (int r = 0; r < category->childCount(); ++r) {
            QTreeWidgetItem* item = category->child(r);
            const CompareRow& row = m_comparison.rows[static_cast<std::size_t>(item->data(kRegister, kRowIndexRole).toInt())];
            item->setHidden(row.equal && !all);
            any = any || !item->isHidden();
        }
        category->setHidden(!any);
    }
}

void CDlgCompare::updateWriteButton()
{
    m_write->setEnabled(m_canWrite && !checkedValues().empty());
}
