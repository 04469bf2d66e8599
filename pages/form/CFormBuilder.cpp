#include "pages/form/CFormBuilder.h"

#include "pages/form/CControlSet.h"
#include "pages/form/CProgressBar.h"
#include "pages/core/PageText.h"
#include "tools/bustest/BusTestText.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTreeWidget>

#include <map>
#include <set>
#include <string_view>

namespace CFormBuilder {

using Page::EntryFilter;
using Page::Kind;

namespace {

// Fields for numbers stay narrow; a unit's texts are short.
constexpr int kFieldMinWidth = 90;

void Refilter(QLineEdit* field, const PageText::Filtered& f)
{
    if (!f.changed)
        return;
    const QString text = QString::fromStdString(f.text);
    field->setText(text);
    if (f.caret >= 0)
        field->setCursorPosition(std::min(f.caret, static_cast<int>(text.size())));
}

// Keyboard mnemonics: each input, check box and button of a form gets the
// first free letter of its caption (a word's first letter preferred), so
// that Alt and the letter reaches it. The menu bar keeps F and H. A caption
// that several controls share ("Configure") gets none: its letter could not
// say which.
class CMnemonics
{
public:
    CMnemonics(std::span<const Page::Row> rows, Mnemonics use) : m_rows(rows), m_use(use) {}

    QString caption(const Page::Row& row)
    {
        const QString text = QString::fromUtf8(row.caption);
        if (m_use == Mnemonics::Off || !takesMnemonic(row) || shared(row))
            return text;
        int chosen = -1;
        for (int pass = 0; pass < 2 && chosen < 0; ++pass)
            for (int i = 0; i < text.size() && chosen < 0; ++i) {
                const QChar c = text[i].toLower();
                const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
                if (c.isLetter() && c.unicode() < 128 && (pass == 1 || wordStart) && !m_used.contains(c))
                    chosen = i;
            }
        if (chosen < 0)
            return text;
        m_used.insert(text[chosen].toLower());
        return text.left(chosen) + QLatin1Char('&') + text.mid(chosen);
    }

private:
    static bool takesMnemonic(const Page::Row& row)
    {
        switch (row.kind) {
        case Kind::Number:
        case Kind::Text:
        case Kind::List:
        case Kind::Check:
        case Kind::Radio:
        case Kind::Button: return true;
        default: return false;
        }
    }
    bool shared(const Page::Row& row) const
    {
        int count = 0;
        for (const Page::Row& other : m_rows)
            if (std::string_view(other.caption) == row.caption)
                ++count;
        return count > 1;
    }

    std::span<const Page::Row> m_rows;
    Mnemonics m_use;
    QSet<QChar> m_used{QLatin1Char('f'), QLatin1Char('h')};
};

// Space between the button bar and a button kept apart from it.
constexpr int kApartSpacing = 48;

Qt::Alignment AlignmentOf(Page::Align align)
{
    switch (align) {
    case Page::Align::Fill: break;
    case Page::Align::Left: return Qt::AlignLeft;
    case Page::Align::Right: return Qt::AlignRight;
    }
    return {};
}

} // namespace

void InstallFilter(QLineEdit* field, Page::EntryFilter filter)
{
    switch (filter) {
    case EntryFilter::None: return;
    case EntryFilter::Text12:
        // QLineEdit counts UTF-16 units, like the unit's registers.
        field->setMaxLength(PageText::kTextRegisters);
        return;
    // The filters run on every change of the text however it came: typed,
    // pasted, or set by an assistive tool. The program's own values arrive
    // with the field's signals blocked (CControlSet), so "---" stays.
    case EntryFilter::Integer:
    case EntryFilter::Digits:
    case EntryFilter::Decimal: {
        const bool decimals = filter == EntryFilter::Decimal;
        const bool sign = filter != EntryFilter::Digits;
        QObject::connect(field, &QLineEdit::textChanged, field, [field, decimals, sign](const QString& text) {
            const int caret = field->cursorPosition();
            const PageText::Filtered f = PageText::FilterNumericEntry(text.toStdString(), decimals, sign);
            Refilter(field, f);
            if (f.changed && f.caret < 0)
                field->setCursorPosition(std::min(caret, static_cast<int>(field->text().size())));
        });
        return;
    }
    case EntryFilter::Pin:
        QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
            Refilter(field, PageText::FilterPinEntry(text.toStdString(), field->cursorPosition()));
        });
        return;
    case EntryFilter::RegisterNumber:
    case EntryFilter::Time:
    case EntryFilter::DateTime:
        // A dropped character puts the caret where it stood; otherwise the
        // caret stays and any selection goes.
        QObject::connect(field, &QLineEdit::textChanged, field, [field, filter](const QString& text) {
            const std::string typed = text.toStdString();
            const PageText::Filtered f = filter == EntryFilter::RegisterNumber
                                             ? BusTestText::FilterDigitsEntry(typed)
                                             : BusTestText::FilterTimeEntry(typed, filter == EntryFilter::DateTime);
            if (!f.changed)
                return;
            const int caret = field->cursorPosition();
            const QString filtered = QString::fromStdString(f.text);
            field->setText(filtered);
            field->setCursorPosition(std::min(f.caret >= 0 ? f.caret : caret, static_cast<int>(filtered.size())));
        });
        return;
    }
}

void EnableUnitControls(std::span<const Page::Row> rows, CControlSet& controls, bool enabled)
{
    for (const Page::Row& row : rows)
        if (row.needsUnit)
            controls.setEnabled(row.id, enabled);
}

void Build(std::span<const Page::Row> rows, QGridLayout* grid, QBoxLayout* buttonBar, CControlSet& controls,
           Mnemonics use)
{
    QWidget* owner = grid->parentWidget();
    CMnemonics mnemonics(rows, use);
    // The lines of the grid rows (Row::inLine), by grid row.
    std::map<int, QHBoxLayout*> lines;
    std::set<int> stretched; // the lines where a control takes the spare width
    bool apartStarted = false;
    // One exclusive set per register: radios sharing a parent would
    // otherwise all exclude each other.
    std::map<uint16_t, QButtonGroup*> radioSets;
    for (const Page::Row& r : rows) {
        const QString text = QString::fromUtf8(r.caption);
        const QString shown = mnemonics.caption(r);
        QWidget* widget = nullptr;
        switch (r.kind) {
        case Kind::None: continue;
        case Kind::Number:
        case Kind::ReadOnly:
        case Kind::Text: {
            auto* field = new QLineEdit(owner);
            field->setMinimumWidth(r.width > 0 ? r.width : kFieldMinWidth);
            if (r.kind == Kind::ReadOnly) {
                field->setReadOnly(true);
                // Shown, not typed into: the keyboard passes it by.
                field->setFocusPolicy(Qt::ClickFocus);
            } else if (r.width > 0) {
                field->setFixedWidth(r.width);
            }
            if (r.maxLength > 0)
                field->setMaxLength(r.maxLength);
            // A field shows a value, not its name: the label names it.
            field->setAccessibleName(text);
            InstallFilter(field, r.filter);
            widget = field;
            break;
        }
        case Kind::List: {
            auto* list = new QComboBox(owner);
            for (const char* item : r.items)
                list->addItem(QString::fromUtf8(item));
            list->setCurrentIndex(r.initial);
            if (r.width == Page::kFitItems) {
                list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            } else if (r.width > 0) {
                list->setMinimumContentsLength(r.width);
                list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            }
            widget = list;
            break;
        }
        case Kind::Spin: widget = new QSpinBox(owner); break;
        case Kind::ListView: {
            auto* view = new QTreeWidget(owner);
            view->setColumnCount(static_cast<int>(r.items.size()));
            QStringList headings;
            for (const char* item : r.items)
                headings << QString::fromUtf8(item);
            view->setHeaderLabels(headings);
            // A flat list whose lines are chosen whole.
            view->setRootIsDecorated(false);
            view->setUniformRowHeights(true);
            view->setAllColumnsShowFocus(true);
            view->header()->setStretchLastSection(true);
            widget = view;
            break;
        }
        case Kind::Check:
            if (r.labelInFront) {
                widget = new QCheckBox(owner);
                widget->setAccessibleName(text);
            } else {
                widget = new QCheckBox(shown, owner);
            }
            break;
        case Kind::Radio: {
            auto* radio = new QRadioButton(shown, owner);
            QButtonGroup*& group = radioSets[r.address];
            if (!group)
                group = new QButtonGroup(owner);
            group->addButton(radio);
            widget = radio;
            break;
        }
        case Kind::Button: {
            auto* button = new QPushButton(shown, owner);
            button->setAutoDefault(false);
            if (r.width > 0)
                button->setMinimumWidth(r.width);
            widget = button;
            break;
        }
        case Kind::UnitLabel:
            widget = new QLabel(text, owner);
            if (r.width > 0)
                widget->setMinimumWidth(r.width);
            break;
        case Kind::Progress: widget = new CProgressBar(owner); break;
        case Kind::Rule: {
            auto* rule = new QFrame(owner);
            rule->setFrameShape(QFrame::HLine);
            rule->setFrameShadow(QFrame::Sunken);
            widget = rule;
            break;
        }
        case Kind::Heading: {
            auto* heading = new QLabel(text, owner);
            QFont bold = heading->font();
            bold.setBold(true);
            heading->setFont(bold);
            widget = heading;
            break;
        }
        }
        widget->setObjectName(text);
        // Where the caption repeats on the page or is missing, the row names
        // the control for assistive tools.
        if (r.accessibleName) {
            widget->setAccessibleName(QString::fromUtf8(r.accessibleName));
            widget->setObjectName(widget->accessibleName());
        }
        if (r.toolTip)
            widget->setToolTip(QString::fromUtf8(r.toolTip));

        QLabel* label = nullptr;
        const bool labelled = ((r.kind == Kind::Number || r.kind == Kind::ReadOnly || r.kind == Kind::Text ||
                                r.kind == Kind::List || r.kind == Kind::Spin) &&
                               *r.caption) ||
                              (r.kind == Kind::Check && r.labelInFront);
        if (labelled) {
            label = new QLabel(shown, owner);
            label->setBuddy(widget);
        }
        if (r.inLine) {
            QHBoxLayout*& line = lines[r.row];
            if (!line) {
                line = new QHBoxLayout;
                grid->addLayout(line, r.row, r.column, 1, r.span);
            }
            if (label) {
                auto* column = new QVBoxLayout;
                column->addWidget(label);
                column->addWidget(widget);
                line->addLayout(column, r.stretch);
            } else {
                line->addWidget(widget, r.stretch);
            }
            if (r.stretch > 0)
                stretched.insert(r.row);
        } else if (labelled) {
            grid->addWidget(label, r.row, r.column, AlignmentOf(r.labelAlign));
            grid->addWidget(widget, r.row, r.column + 1, 1, r.span, AlignmentOf(r.align));
        } else if (r.kind == Kind::Button && r.row < 0 && buttonBar) {
            if (r.row == Page::kButtonBarApart && !apartStarted) {
                apartStarted = true;
                buttonBar->addSpacing(kApartSpacing);
                auto* rule = new QFrame(owner);
                rule->setFrameShape(QFrame::VLine);
                rule->setFrameShadow(QFrame::Sunken);
                buttonBar->addWidget(rule);
                buttonBar->addSpacing(kApartSpacing);
            }
            buttonBar->addWidget(widget);
        } else {
            grid->addWidget(widget, r.row, r.column, 1, r.span, AlignmentOf(r.align));
        }
        if (r.kind == Kind::ListView)
            grid->setRowStretch(r.row, 1);
        controls.add(r.id, widget, label);
    }
    // The controls of a line stand from its left.
    for (const auto& [row, line] : lines)
        if (!stretched.contains(row))
            line->addStretch(1);
}

} // namespace CFormBuilder
