#include "pages/CFormBuilder.h"

#include "pages/CControlSet.h"
#include "pages/core/PageText.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

#include <map>
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
    explicit CMnemonics(std::span<const Page::Row> rows) : m_rows(rows) {}

    QString caption(const Page::Row& row)
    {
        const QString text = QString::fromUtf8(row.caption);
        if (!takesMnemonic(row) || shared(row))
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
    QSet<QChar> m_used{QLatin1Char('f'), QLatin1Char('h')};
};

// Space between the button bar and a button kept apart from it.
constexpr int kApartSpacing = 48;

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
    }
}

void Build(std::span<const Page::Row> rows, QGridLayout* grid, QBoxLayout* buttonBar, CControlSet& controls)
{
    QWidget* owner = grid->parentWidget();
    CMnemonics mnemonics(rows);
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
            field->setMinimumWidth(kFieldMinWidth);
            if (r.kind == Kind::ReadOnly) {
                field->setReadOnly(true);
                // Shown, not typed into: the keyboard passes it by.
                field->setFocusPolicy(Qt::ClickFocus);
            }
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
            widget = list;
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
            widget = button;
            break;
        }
        case Kind::UnitLabel: widget = new QLabel(text, owner); break;
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
        if (r.accessibleName)
            widget->setAccessibleName(QString::fromUtf8(r.accessibleName));

        QLabel* label = nullptr;
        const bool labelled =
            r.kind == Kind::Number || r.kind == Kind::ReadOnly || r.kind == Kind::Text || r.kind == Kind::List ||
            (r.kind == Kind::Check && r.labelInFront);
        if (labelled) {
            label = new QLabel(shown, owner);
            label->setBuddy(widget);
            grid->addWidget(label, r.row, r.column);
            grid->addWidget(widget, r.row, r.column + 1, 1, r.span);
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
            grid->addWidget(widget, r.row, r.column, 1, r.span);
        }
        controls.add(r.id, widget, label);
    }
}

} // namespace CFormBuilder
