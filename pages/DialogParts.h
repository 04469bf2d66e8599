// The parts every configuration dialog over a logic class is built from, top
// to bottom: a bold heading, the form with its pictures beside it, the
// "Register Info" line and the OK/Cancel row. Each part is added to the
// dialog's outer column; the caller keeps what is special to its dialog
// (column stretch, extra widgets in the grid, button defaults).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/PageTypes.h"

#include <QSize>
#include <QString>

#include <span>

class CControlSet;
class CInfoLine;
class CPicturePanel;
class QDialog;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace DialogParts {

// Between the form and its pictures.
constexpr int kPictureSpacing = 12;

// A bold heading, a fifth larger than the dialog's text, registered as id.
QLabel* AddHeading(QDialog* dialog, QVBoxLayout* outer, CControlSet& controls, Page::ControlId id);

// The form beside its pictures: a row added to outer, holding the grid of
// the rows (CFormBuilder) at its left. Pictures go to the returned row's
// right (AddPicture).
struct FormRow
{
    QHBoxLayout* row;
    QGridLayout* grid;
};
FormRow AddForm(QDialog* dialog, QVBoxLayout* outer, std::span<const Page::Row> rows, CControlSet& controls);

// A ready picture panel of the given size at the right of the form row.
CPicturePanel* AddPicture(QDialog* dialog, QHBoxLayout* formRow, QSize size);

// The dialog's information line (CInfoLine: "Register Info" to assistive
// tools, which read what it shows), sunken, one text line high, registered
// as id.
void AddInfoLine(CInfoLine* info, QVBoxLayout* outer, CControlSet& controls, Page::ControlId id);

// The right-aligned button row; OK is the default button.
struct ButtonRow
{
    QPushButton* ok;
    QPushButton* cancel;
};
ButtonRow AddButtons(QDialog* dialog, QVBoxLayout* outer, CControlSet& controls, Page::ControlId okId,
                     Page::ControlId cancelId, const QString& okText = QStringLiteral("OK"),
                     const QString& cancelText = QStringLiteral("Cancel"));

} // namespace DialogParts
