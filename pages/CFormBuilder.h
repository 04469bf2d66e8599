// Turns ControlDef rows into widgets: labels with their buddies and
// accessible names, fields with their entry filters, lists with their
// entries, check boxes and buttons, each registered in a CControlSet under
// its id.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/ControlDef.h"

#include <span>

class CControlSet;
class QBoxLayout;
class QGridLayout;
class QLineEdit;

namespace CFormBuilder {

// Builds the rows into grid (and buttons with row -1 into buttonBar, when
// given). Widgets are owned by the layouts' widget.
void Build(std::span<const ControlDef> specs, QGridLayout* grid, QBoxLayout* buttonBar, CControlSet& controls);

// Installs an entry filter on a field (Build does it for the rows).
void InstallFilter(QLineEdit* field, EntryFilter filter);

} // namespace CFormBuilder
