#include "pages/DialogParts.h"

#include "pages/form/CControlSet.h"
#include "pages/form/CFormBuilder.h"
#include "pages/form/CInfoLine.h"
#include "pages/CPicturePanel.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace DialogParts {

QLabel* AddHeading(QDialog* dialog, QVBoxLayout* outer, CControlSet& controls, Page::ControlId id)
{
    auto* heading = new QLabel(dialog);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);
    outer->addWidget(heading);
    controls.add(id, heading);
    return heading;
}

FormRow AddForm(QDialog* dialog, QVBoxLayout* outer, std::span<const Page::Row> rows, CControlSet& controls)
{
    auto* row = new QHBoxLayout;
    auto* form = new QWidget(dialog);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    CFormBuilder::Build(rows, grid, nullptr, controls);
    row->addWidget(form, 1, Qt::AlignTop);
    outer->addLayout(row);
    return {row, grid};
}

CPicturePanel* AddPicture(QDialog* dialog, QHBoxLayout* formRow, QSize size)
{
    auto* picture = new CPicturePanel(size, dialog);
    picture->setReady(true);
    formRow->addSpacing(kPictureSpacing);
    formRow->addWidget(picture, 0, Qt::AlignTop);
    return picture;
}

void AddInfoLine(CInfoLine* info, QVBoxLayout* outer, CControlSet& controls, Page::ControlId id)
{
    info->setFrameShape(QFrame::StyledPanel);
    info->setFrameShadow(QFrame::Sunken);
    info->setMinimumHeight(info->fontMetrics().height() + 8);
    outer->addWidget(info);
    controls.add(id, info);
}

ButtonRow AddButtons(QDialog* dialog, QVBoxLayout* outer, CControlSet& controls, Page::ControlId okId,
                     Page::ControlId cancelId, const QString& okText, const QString& cancelText)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(okText, dialog);
    ok->setDefault(true);
    auto* cancel = new QPushButton(cancelText, dialog);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    controls.add(okId, ok);
    controls.add(cancelId, cancel);
    return {ok, cancel};
}

} // namespace DialogParts
