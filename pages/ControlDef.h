// How a page or dialog lays out its controls, as data: one row per control
// with its kind, its label text (the accessible name too), its grid cell,
// its list entries and initial selection, and the filter of what may be
// typed. CFormBuilder::Build turns the rows into widgets.
//
// Grid: a field or list puts its label at (row, column) and itself at
// (row, column + 1); a check box, button or unit label sits at (row, column)
// itself. A button with row -1 goes into the page's button bar.
//
// Thread rules: plain constant data.
#pragma once

#include "pages/core/PageTypes.h"

#include <span>

enum class ControlType : uint8_t {
    Number,    // a number field
    ReadOnly,  // a field that only shows
    Text,      // a text field
    List,      // a drop-down list
    Check,     // a check box (its label is its caption)
    Button,    // a push button (its label is its caption)
    UnitLabel, // a short text after a field, set by the page
    Heading,   // a bold line of text
};

enum class EntryFilter : uint8_t {
    None,
    Integer, // digits and one leading minus
    Decimal, // also one decimal separator ("," becomes ".")
    Pin,     // four digits
    Text12,  // at most 12 characters (a 12-register text)
};

// What a button does when the framework knows it.
enum class ButtonAction : uint8_t { Page, ReadTarget, UndoChanges, SaveToNvram };

struct ControlDef
{
    Page::ControlId id = Page::kNoControl;
    ControlType type = ControlType::Number;
    const char* label = "";
    int row = 0;
    int column = 0;
    std::span<const char* const> items = {};
    int initial = -1;
    EntryFilter filter = EntryFilter::None;
    int span = 1; // grid columns the control itself takes
    ButtonAction action = ButtonAction::Page;
};
