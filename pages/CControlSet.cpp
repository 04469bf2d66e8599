#include "pages/CControlSet.h"

#include "pages/core/PageText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using Page::ControlId;
using Page::ControlKind;

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void CControlSet::add(ControlId id, QWidget* widget, QLabel* label)
{
    m_widgets[id] = widget;
    if (label)
        m_labels[id] = label;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        m_captions[id] = button->text();
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
        if (edit->text() != t)
            edit->setText(t);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setPlaceholderText(t);
        combo->setCurrentIndex(-1);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(t);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(t);
    }
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
