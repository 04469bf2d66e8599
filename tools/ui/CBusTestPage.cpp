#include "tools/ui/CBusTestPage.h"

#include "link/CConnection.h"
#include "pages/core/PageText.h"
#include "tools/bustest/BusTestText.h"
#include "tools/ui/TestLogViewer.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Widths that hold what the fields take: a register number, a value, a
// date and time, and (growing with the window) a 48-character text read
// back; together they fit the window at its smallest.
constexpr int kNumberWidth = 70;
constexpr int kValueWidth = 110;
constexpr int kTextWidth = 170;
constexpr int kResultWidth = 300;

PageText::Filtered Filter(CBusTestPage::Entry entry, const std::string& text)
{
    using Entry = CBusTestPage::Entry;
    switch (entry) {
    case Entry::Digits: return BusTestText::FilterDigitsEntry(text);
    case Entry::Integer: return PageText::FilterNumericEntry(text, false);
    case Entry::Decimal: return PageText::FilterNumericEntry(text, true);
    case Entry::Time: return BusTestText::FilterTimeEntry(text, false);
    case Entry::DateTime: return BusTestText::FilterTimeEntry(text, true);
    case Entry::Text:
    case Entry::Result: break;
    }
    return {.text = text, .changed = false, .caret = -1};
}

// The filter runs on every change of the text however it came: typed,
// pasted, or set by an assistive tool. A dropped character puts the caret
// where it stood; otherwise the caret stays and any selection goes.
void InstallFilter(QLineEdit* field, CBusTestPage::Entry entry)
{
    QObject::connect(field, &QLineEdit::textChanged, field, [field, entry](const QString& text) {
        const PageText::Filtered f = Filter(entry, text.toStdString());
        if (!f.changed)
            return;
        const int caret = field->cursorPosition();
        const QString filtered = QString::fromStdString(f.text);
        field->setText(filtered);
        field->setCursorPosition(std::min(f.caret >= 0 ? f.caret : caret, static_cast<int>(filtered.size())));
    });
}

} // namespace

CBusTestPage::CBusTestPage(CConnection& connection, IPageHost& host, CTestLog* log, QWidget* parent)
    : QWidget(parent), m_connection(connection), m_host(host), m_log(log)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 16);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(10);
    m_grid->setVerticalSpacing(8);
    outer->addLayout(m_grid);
    outer->addStretch(1);
    // The menu bar keeps F and H.
    m_usedMnemonics = QStringLiteral("fh");
}

QString CBusTestPage::mnemonic(const QString& caption)
{
    // The first free letter, a word's first letter preferred.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < caption.size(); ++i) {
            const QChar c = caption[i].toLower();
            const bool wordStart = i == 0 || !caption[i - 1].isLetterOrNumber();
            if (c.isLetter() && c.unicode() < 128 && (pass == 1 || wordStart) && !m_usedMnemonics.contains(c)) {
                m_usedMnemonics += c;
                return caption.left(i) + QLatin1Char('&') + caption.mid(i);
            }
        }
    return caption;
}

void CBusTestPage::addHeadings(const QString& heading, const QString& number, const QString& valueOut,
                               const QString& valueIn)
{
    auto* title = new QLabel(heading, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_grid->addWidget(title, 0, kLabelColumn, 1, kResultColumn + 1);
    m_grid->addWidget(new QLabel(number, this), 1, kNumberColumn);
    m_grid->addWidget(new QLabel(valueOut, this), 1, kValueColumn);
    m_grid->addWidget(new QLabel(valueIn, this), 1, kResultColumn);
}

void CBusTestPage::addRowLabel(int row, const QString& caption)
{
    auto* label = new QLabel(mnemonic(caption), this);
    m_grid->addWidget(label, row, kLabelColumn);
    m_rowLabels.push_back(label);
}

QLineEdit* CBusTestPage::addField(int row, Column column, const QString& rowName, const QString& columnName,
                                  Entry entry, int maxLength)
{
    auto* field = new QLineEdit(this);
    const QString name = rowName + QLatin1Char(' ') + columnName;
    field->setObjectName(name);
    field->setAccessibleName(name);
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    if (entry == Entry::Result) {
        field->setReadOnly(true);
        // Shown, not typed into: the keyboard passes it by.
        field->setFocusPolicy(Qt::ClickFocus);
        field->setMinimumWidth(kResultWidth);
        m_results.push_back(field);
    } else {
        const bool number = entry == Entry::Digits || entry == Entry::Integer || entry == Entry::Decimal;
        field->setFixedWidth(column == kNumberColumn ? kNumberWidth : number ? kValueWidth : kTextWidth);
        InstallFilter(field, entry);
    }
    if (column == kNumberColumn)
        for (QLabel* label : m_rowLabels)
            if (!label->buddy() && label->text().remove(QLatin1Char('&')) == rowName)
                label->setBuddy(field);
    m_grid->addWidget(field, row, column);
    return field;
}

QCheckBox* CBusTestPage::addCheck(int row, const QString& rowName, const QString& caption)
{
    auto* box = new QCheckBox(mnemonic(caption), this);
    const QString name = rowName + QLatin1Char(' ') + caption;
    box->setObjectName(name);
    box->setAccessibleName(name);
    m_grid->addWidget(box, row, kValueColumn);
    return box;
}

QPushButton* CBusTestPage::addButton(int row, Column column, const QString& rowName, const QString& caption,
                                     std::function<void()> action)
{
    auto* button = new QPushButton(caption, this);
    const QString name = rowName + QLatin1Char(' ') + caption;
    button->setObjectName(name);
    button->setAccessibleName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, std::move(action));
    m_grid->addWidget(button, row, column);
    m_unitButtons.push_back(button);
    return button;
}

void CBusTestPage::finish()
{
    const int row = m_grid->rowCount();
    // Room between the rows and the log button, and the columns kept together.
    m_grid->setRowMinimumHeight(row, 16);
    m_openLog = new QPushButton(mnemonic(QStringLiteral("Open Test Log")), this);
    m_openLog->setObjectName(QStringLiteral("Open Test Log"));
    m_openLog->setAutoDefault(false);
    m_openLog->setToolTip(QStringLiteral("The record of every test of this run, in the log folder"));
    connect(m_openLog, &QPushButton::clicked, this, [this] { TestLogViewer::Open(m_log, m_host); });
    m_grid->addWidget(m_openLog, row + 1, kLabelColumn, 1, 2, Qt::AlignLeft);
    m_grid->setColumnStretch(kResultColumn, 1);
}

void CBusTestPage::preparePage()
{
    const bool enabled = !m_connection.demoMode();
    for (QPushButton* button : m_unitButtons)
        button->setEnabled(enabled);
}

void CBusTestPage::clearPage()
{
    for (QLineEdit* result : m_results)
        result->clear();
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

void CBusTestPage::Show(QLineEdit* result, const CBusTestLogic::Outcome& outcome)
{
    if (outcome.shown)
        result->setText(QString::fromStdString(*outcome.shown));
}

std::string CBusTestPage::Text(const QLineEdit* field)
{
    return field->text().toStdString();
}
