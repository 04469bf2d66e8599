// Turns a page's rows into widgets: labels with their buddies, fields with
// their entry filters and accessible names, lists with their entries, check
// boxes, buttons, unit labels, headings, spin boxes, list views, progress
// bars and rules, each registered in a CControlSet under its id. Rows
// without a widget (Kind::None) are passed over. A widget's object name is
// its accessible name where the row gives one, else its caption.
//
// Layout: a field or list has its label in front of it in the grid, a
// caption-less one none; the controls of a grid row marked inLine stand side
// by side in one box (a labelled one under its label), which the special
// pages (ReMa, FW-Update, COM-Interface) use for their rows of buttons and
// inputs.
//
// Accessible names are set only where the visible text is not the name: a
// field, and a check box without a caption of its own, is named after its
// label. A list gets its name from its label through the buddy relation;
// buttons, check boxes and labels expose their own (current) text, so a
// unit label that changes after a read reads back as it shows.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/PageTypes.h"

#include <span>

class CControlSet;
class QBoxLayout;
class QGridLayout;
class QLineEdit;

namespace CFormBuilder {

// Keyboard mnemonics: each input, check box and button gets the first free
// letter of its caption (On), or the captions stay as written (Off).
enum class Mnemonics { On, Off };

// Builds the rows into grid (and buttons with row -1 into buttonBar, when
// given). Widgets are owned by the grid's widget.
void Build(std::span<const Page::Row> rows, QGridLayout* grid, QBoxLayout* buttonBar, CControlSet& controls,
           Mnemonics use = Mnemonics::On);

// Installs an entry filter on a field (Build does it for the rows).
void InstallFilter(QLineEdit* field, Page::EntryFilter filter);

// Turns the controls of the rows that act on the unit (Row::needsUnit) on
// or off.
void EnableUnitControls(std::span<const Page::Row> rows, CControlSet& controls, bool enabled);

} // namespace CFormBuilder
