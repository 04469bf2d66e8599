// A page's or dialog's controls as the page core sees them (IPageControls):
// each ControlId names one widget and, for fields and lists, the label in
// front of it. Texts cross as UTF-8.
//
// How the kinds map: a QLineEdit is an Edit, a QComboBox a ComboBox, a
// check box, radio button or push button a Button, anything else (labels)
// Other. A failed read writes "---" into a check box's caption; the caption
// comes back with the next value shown. A list shows "---" as its
// placeholder with nothing selected.
//
// Edit states: a field remembers the text it showed last (a value read or
// written); the user's edit that differs from it marks the field Edited, and
// an edit back to it Clean. Each state has a visible cue (a tinted field,
// grey text for a stale value) and an accessible description that says it.
// Text set by the program does not count as an edit. A form whose fields
// are not written on a change (the bus test pages) has no edit states
// (EditCues::Off).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/IPageControls.h"

#include <QString>

#include <map>

class QLabel;
class QWidget;

class CControlSet : public IPageControls
{
public:
    enum class EditCues { On, Off };
    // Coordinates of hoverRects are relative to root.
    explicit CControlSet(QWidget* root, EditCues cues = EditCues::On) : m_root(root), m_cues(cues) {}

    void add(Page::ControlId id, QWidget* widget, QLabel* label = nullptr);
    QWidget* widget(Page::ControlId id) const;
    QLabel* label(Page::ControlId id) const;
    template <class W> W* as(Page::ControlId id) const { return qobject_cast<W*>(widget(id)); }
    const std::map<Page::ControlId, QWidget*>& widgets() const { return m_widgets; }
    // The id of a widget (or of the control whose label it is); 0 when none.
    Page::ControlId idOf(const QWidget* widget) const;

    // IPageControls
    Page::ControlKind kind(Page::ControlId id) const override;
    bool hasFocus(Page::ControlId id) const override;
    std::string text(Page::ControlId id) const override;
    void setText(Page::ControlId id, const std::string& text) override;
    int index(Page::ControlId id) const override;
    void setIndex(Page::ControlId id, int index) override;
    bool checked(Page::ControlId id) const override;
    void setChecked(Page::ControlId id, bool checked) override;
    void setEnabled(Page::ControlId id, bool enabled) override;
    bool enabled(Page::ControlId id) const override;
    void setVisible(Page::ControlId id, bool visible) override;
    void setItems(Page::ControlId id, const std::vector<std::string>& items) override;
    void setEditState(Page::ControlId id, EditState state) override;
    EditState editState(Page::ControlId id) const override;

    // Fields the user changed without writing, in id order.
    std::vector<Page::ControlId> editedFields() const;
    void restoreField(Page::ControlId id) override;
    // Back to the state right after the page was built: lists at their
    // initial entry, fields and captions as built, boxes clear. Nothing of a
    // previous unit stays on screen.
    void resetAll();
    bool hoverRects(Page::ControlId id, PageRect* label, PageRect* control) const override;

private:
    void userEdited(Page::ControlId id);

    QWidget* m_root;
    EditCues m_cues;
    std::map<Page::ControlId, QWidget*> m_widgets;
    std::map<Page::ControlId, QLabel*> m_labels;
    std::map<Page::ControlId, QString> m_captions;
    std::map<Page::ControlId, QString> m_shownText; // fields: the text a value showed last
    std::map<Page::ControlId, EditState> m_states;
    std::map<Page::ControlId, int> m_initialIndex;  // lists: the entry selected when built
};
