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

void InstallFilter(QLineEdit* field, EntryFilter filter)
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

void Build(std::span<const ControlDef> specs, QGridLayout* grid, QBoxLayout* buttonBar, CControlSet& controls)
{
    QWidget* owner = grid->parentWidget();
    for (const ControlDef& s : specs) {
        const QString text = QString::fromUtf8(s.label);
        QLabel* label = nullptr;
        QWidget* widget = nullptr;
        switch (s.type) {
        case ControlType::Number:
        case ControlType::ReadOnly:
        case ControlType::Text: {
            auto* field = new QLineEdit(owner);
            field->setMinimumWidth(kFieldMinWidth);
            field->setReadOnly(s.type == ControlType::ReadOnly);
            InstallFilter(field, s.filter);
            widget = field;
            break;
        }
        case ControlType::List: {
            auto* list = new QComboBox(owner);
            for (const char* item : s.items)
                list->addItem(QString::fromUtf8(item));
            list->setCurrentIndex(s.initial);
            widget = list;
            break;
        }
        case ControlType::Check: widget = new QCheckBox(text, owner); break;
        case ControlType::Button: {
            auto* button = new QPushButton(text, owner);
            button->setAutoDefault(false);
            widget = button;
            break;
        }
        case ControlType::UnitLabel: widget = new QLabel(text, owner); break;
        case ControlType::Heading: {
            auto* heading = new QLabel(text, owner);
            QFont bold = heading->font();
            bold.setBold(true);
            heading->setFont(bold);
            widget = heading;
            break;
        }
        }
        widget->setObjectName(text);
        widget->setAccessibleName(text);

        const bool labelled = s.type == ControlType::Number || s.type == ControlType::ReadOnly ||
                              s.type == ControlType::Text || s.type == ControlType::List;
        if (labelled) {
            label = new QLabel(text, owner);
            label->setBuddy(widget);
            grid->addWidget(label, s.row, s.column);
            grid->addWidget(widget, s.row, s.column + 1, 1, s.span);
        } else if (s.type == ControlType::Button && s.row < 0 && buttonBar) {
            buttonBar->addWidget(widget);
        } else {
            grid->addWidget(widget, s.row, s.column, 1, s.span);
        }
        controls.add(s.id, widget, label);
    }
}

} // namespace CFormBuilder
