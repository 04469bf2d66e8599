#include "pages/CFormBuilder.h"

#include "pages/CControlSet.h"
#include "pages/core/PageText.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

} // namespace

void InstallFilter(QLineEdit* field, Page::EntryFilter filter)
{
    switch (filter) {
    case EntryFilter::None: return;
    case EntryFilter::Text12:
        // QLineEdit counts UTF-16 units, like the unit's registers.
        field->setMaxLength(PageText::kTextRegisters);
        return;
    case EntryFilter::Integer:
    case EntryFilter::Decimal: {
        const bool decimals = filter == EntryFilter::Decimal;
        QObject::connect(field, &QLineEdit::textEdited, field, [field, decimals](const QString& text) {
            const int caret = field->cursorPosition();
            const PageText::Filtered f = PageText::FilterNumericEntry(text.toStdString(), decimals);
            Refilter(field, f);
            if (f.changed && f.caret < 0)
                field->setCursorPosition(std::min(caret, static_cast<int>(field->text().size())));
        });
        return;
    }
    case EntryFilter::Pin:
        QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
            Refilter(field, PageText::FilterPinEntry(text.toStdString(), field->cursorPosition()));
        });
        return;
    }
}

void Build(std::span<const Page::Row> rows, QGridLayout* grid, QBoxLayout* buttonBar, CControlSet& controls)
{
    QWidget* owner = grid->parentWidget();
    for (const Page::Row& r : rows) {
        const QString text = QString::fromUtf8(r.caption);
        QWidget* widget = nullptr;
        switch (r.kind) {
        case Kind::None: continue;
        case Kind::Number:
        case Kind::ReadOnly:
        case Kind::Text: {
            auto* field = new QLineEdit(owner);
            field->setMinimumWidth(kFieldMinWidth);
            field->setReadOnly(r.kind == Kind::ReadOnly);
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
        case Kind::Check: widget = new QCheckBox(text, owner); break;
        case Kind::Button: {
            auto* button = new QPushButton(text, owner);
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

        QLabel* label = nullptr;
        const bool labelled =
            r.kind == Kind::Number || r.kind == Kind::ReadOnly || r.kind == Kind::Text || r.kind == Kind::List;
        if (labelled) {
            label = new QLabel(text, owner);
            label->setBuddy(widget);
            grid->addWidget(label, r.row, r.column);
            grid->addWidget(widget, r.row, r.column + 1, 1, r.span);
        } else if (r.kind == Kind::Button && r.row < 0 && buttonBar) {
            buttonBar->addWidget(widget);
        } else {
            grid->addWidget(widget, r.row, r.column, 1, r.span);
        }
        controls.add(r.id, widget, label);
    }
}

} // namespace CFormBuilder
