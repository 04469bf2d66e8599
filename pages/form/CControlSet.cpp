#include "pages/form/CControlSet.h"

#include "pages/form/CInfoLine.h"
#include "pages/core/PageText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

using Page::ControlId;
using Page::ControlKind;

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The cue of each state: a tint for a field the user changed or whose value
// was refused, grey text for a value that may be out of date.
QString StyleOf(EditState state)
{
    switch (state) {
    case EditState::Clean: return {};
    case EditState::Edited: return QStringLiteral("background-color: #fff3bf;");
    case EditState::Refused: return QStringLiteral("background-color: #ffd8d3;");
    case EditState::Stale: return QStringLiteral("color: palette(mid);");
    }
    return {};
}

QString DescriptionOf(EditState state)
{
    switch (state) {
    case EditState::Clean: return {};
    case EditState::Edited: return QStringLiteral("changed, not written: press Enter to write");
    case EditState::Refused: return QStringLiteral("refused: the unit's value is shown again");
    case EditState::Stale: return QStringLiteral("not read: the value may be out of date");
    }
    return {};
}

} // namespace

void CControlSet::add(ControlId id, QWidget* widget, QLabel* label)
{
    m_widgets[id] = widget;
    if (label)
        m_labels[id] = label;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        m_captions[id] = button->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        m_initialIndex[id] = combo->currentIndex();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        m_shownText[id] = edit->text();
        // Any change of the text the program did not make is the user's,
        // typed or set by an assistive tool.
        if (m_cues == EditCues::On)
            QObject::connect(edit, &QLineEdit::textChanged, edit, [this, id] { userEdited(id); });
    }
}

void CControlSet::userEdited(ControlId id)
{
    auto* edit = as<QLineEdit>(id);
    if (!edit || edit->isReadOnly())
        return;
    setEditState(id, edit->text() == m_shownText[id] ? EditState::Clean : EditState::Edited);
}

void CControlSet::setEditState(ControlId id, EditState state)
{
    QWidget* w = widget(id);
    if (!w)
        return;
    if (state == EditState::Clean)
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            m_shownText[id] = edit->text(); // what it shows now is what the unit has
    const auto it = m_states.find(id);
    const EditState old = it == m_states.end() ? EditState::Clean : it->second;
    m_states[id] = state;
    if (old == state)
        return;
    w->setStyleSheet(StyleOf(state));
    // Buttons keep the description that says whose they are.
    if (!qobject_cast<QPushButton*>(w))
        w->setAccessibleDescription(DescriptionOf(state));
}

EditState CControlSet::editState(ControlId id) const
{
    const auto it = m_states.find(id);
    return it == m_states.end() ? EditState::Clean : it->second;
}

std::vector<ControlId> CControlSet::editedFields() const
{
    std::vector<ControlId> ids;
    for (const auto& [id, state] : m_states)
        if (state == EditState::Edited)
            ids.push_back(id);
    return ids;
}

void CControlSet::restoreField(ControlId id)
{
    if (auto* edit = as<QLineEdit>(id)) {
        const QSignalBlocker quiet(edit);
        edit->setText(m_shownText[id]);
    }
    setEditState(id, EditState::Clean);
}

void CControlSet::resetAll()
{
    for (const auto& [id, w] : m_widgets) {
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            const QSignalBlocker quiet(edit);
            edit->clear();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->setPlaceholderText(QString());
            combo->setCurrentIndex(m_initialIndex[id]);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->isCheckable())
                button->setChecked(false);
        }
        if (auto caption = m_captions.find(id); caption != m_captions.end())
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                button->setText(caption->second);
        setEditState(id, EditState::Clean);
    }
}

QWidget* CControlSet::widget(ControlId id) const
{
    auto it = m_widgets.find(id);
    return it == m_widgets.end() ? nullptr : it->second;
}

QLabel* CControlSet::label(ControlId id) const
{
    auto it = m_labels.find(id);
    return it == m_labels.end() ? nullptr : it->second;
}

ControlId CControlSet::idOf(const QWidget* w) const
{
    for (const auto& [id, widget] : m_widgets)
        if (widget == w)
            return id;
    for (const auto& [id, label] : m_labels)
        if (label == w)
            return id;
    return Page::kNoControl;
}

ControlKind CControlSet::kind(ControlId id) const
{
    QWidget* w = widget(id);
    if (!w)
        return ControlKind::Missing;
    if (qobject_cast<QLineEdit*>(w))
        return ControlKind::Edit;
    if (qobject_cast<QComboBox*>(w))
        return ControlKind::ComboBox;
    if (qobject_cast<QAbstractButton*>(w))
        return ControlKind::Button;
    return ControlKind::Other;
}

bool CControlSet::hasFocus(ControlId id) const
{
    QWidget* w = widget(id);
    return w && w->hasFocus();
}

std::string CControlSet::text(ControlId id) const
{
    QWidget* w = widget(id);
    QString t;
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        t = edit->text();
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        t = combo->currentText();
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        t = button->text();
    else if (auto* label = qobject_cast<QLabel*>(w))
        t = label->text();
    return t.toStdString();
}

void CControlSet::setText(ControlId id, const std::string& text)
{
    QWidget* w = widget(id);
    const QString t = FromUtf8(text);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != t) {
            const QSignalBlocker quiet(edit); // a value shown is no edit
            edit->setText(t);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setPlaceholderText(t);
        combo->setCurrentIndex(-1);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(t);
    } else if (auto* line = qobject_cast<CInfoLine*>(w)) {
        line->setText(t); // announced to assistive tools
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(t);
    }
    setEditState(id, EditState::Clean);
}

int CControlSet::index(ControlId id) const
{
    auto* combo = as<QComboBox>(id);
    return combo ? combo->currentIndex() : -1;
}

void CControlSet::setIndex(ControlId id, int index)
{
    if (auto* combo = as<QComboBox>(id))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    setEditState(id, EditState::Clean);
}

bool CControlSet::checked(ControlId id) const
{
    auto* button = as<QAbstractButton>(id);
    return button && button->isChecked();
}

void CControlSet::setChecked(ControlId id, bool on)
{
    auto* button = as<QAbstractButton>(id);
    if (!button)
        return;
    // A value arrived: the caption that a failed read replaced comes back.
    auto caption = m_captions.find(id);
    if (caption != m_captions.end() && button->text() == QLatin1String(PageText::kMissing))
        button->setText(caption->second);
    button->setChecked(on);
    setEditState(id, EditState::Clean);
}

void CControlSet::setEnabled(ControlId id, bool on)
{
    if (QWidget* w = widget(id))
        w->setEnabled(on);
}

bool CControlSet::enabled(ControlId id) const
{
    QWidget* w = widget(id);
    return w && w->isEnabled();
}

void CControlSet::setVisible(ControlId id, bool visible)
{
    if (QWidget* w = widget(id))
        w->setVisible(visible);
    if (QLabel* l = label(id))
        l->setVisible(visible);
}

void CControlSet::setItems(ControlId id, const std::vector<std::string>& items)
{
    auto* combo = as<QComboBox>(id);
    if (!combo)
        return;
    combo->clear();
    for (const std::string& item : items)
        combo->addItem(FromUtf8(item));
}

bool CControlSet::hoverRects(ControlId id, PageRect* labelRect, PageRect* controlRect) const
{
    QWidget* w = widget(id);
    if (!w || !w->isVisibleTo(m_root))
        return false;
    const auto rectOf = [this](QWidget* x) {
        const QPoint p = x->mapTo(m_root, QPoint(0, 0));
        return PageRect{p.x(), p.y(), p.x() + x->width(), p.y() + x->height()};
    };
    *controlRect = rectOf(w);
    QLabel* l = label(id);
    *labelRect = l && l->isVisibleTo(m_root) ? rectOf(l) : *controlRect;
    return true;
}
