// A page's controls as the core sees them: addressed by ControlId, holding
// UTF-8 texts, list indexes and check states. The Qt page serves it over its
// widgets; tests serve it with a table of fake controls.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/PageTypes.h"

#include <cstdint>
#include <string>
#include <vector>

struct PageRect
{
    int left = 0;
    int top = 0;
    int right = 0;  // exclusive
    int bottom = 0; // exclusive

    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// What a field's value is to the user, beyond its text.
enum class EditState : uint8_t {
    Clean,   // shows the value last read or written
    Edited,  // the user changed it and it is not written yet (Enter writes it)
    Refused, // the value typed was refused; the field shows the unit's value again
    Stale,   // not read in the last read cycle: it may be out of date
};

class IPageControls
{
public:
    virtual ~IPageControls() = default;

    // Missing when the page has no such control.
    virtual Page::ControlKind kind(Page::ControlId id) const = 0;
    virtual bool hasFocus(Page::ControlId id) const = 0;

    virtual std::string text(Page::ControlId id) const = 0;
    virtual void setText(Page::ControlId id, const std::string& text) = 0;
    virtual int index(Page::ControlId id) const = 0; // -1 when nothing is selected
    virtual void setIndex(Page::ControlId id, int index) = 0;
    virtual bool checked(Page::ControlId id) const = 0;
    virtual void setChecked(Page::ControlId id, bool checked) = 0;
    virtual void setEnabled(Page::ControlId id, bool enabled) = 0;
    virtual bool enabled(Page::ControlId id) const = 0;
    // Shows or hides a control together with its label.
    virtual void setVisible(Page::ControlId id, bool visible) = 0;
    // Replaces the entries of a list.
    virtual void setItems(Page::ControlId id, const std::vector<std::string>& items) = 0;
    // Marks a control (a visible cue and a description for assistive tools).
    // Showing a value (setText, setIndex, setChecked) makes it Clean; so does
    // the user's edit that puts a field back to the value it showed.
    virtual void setEditState(Page::ControlId id, EditState state) = 0;
    virtual EditState editState(Page::ControlId id) const = 0;
    // Puts a field back to the text it showed last: the value read, or the
    // one the user wrote (Clean afterwards).
    virtual void restoreField(Page::ControlId id) = 0;

    // Where the mouse counts for the control's register information: its
    // label and the control itself, in page coordinates. false when the
    // control is missing or not shown.
    virtual bool hoverRects(Page::ControlId id, PageRect* label, PageRect* control) const = 0;
};
