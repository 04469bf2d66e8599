#include "pages/CDlgTimeProgram.h"

#include "pages/CFormBuilder.h"
#include "pages/CHoverTracker.h"
#include "pages/CPicturePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace TimeProgramDialogId;

CDlgTimeProgram::CDlgTimeProgram(int program, bool scenes, const TimeProgramData& data,
                                 RegisterCatalogue& catalogue, IPageHost& host, QWidget* parent)
    : QDialog(parent), m_controls(this)
{
    // The information line exists before the rows that report to it.
    m_info = new QLabel(this);
    m_host = std::make_unique<CDialogHost>(host, m_info);
    m_logic = std::make_unique<CTimeProgramDialogLogic>(program, scenes, catalogue, *m_host, m_controls);

    setWindowTitle(QStringLiteral("Time Program"));
    auto* outer = new QVBoxLayout(this);
    auto* heading = new QLabel(this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);
    outer->addWidget(heading);
    m_controls.add(Heading, heading);

    // The fields the page could not read, named until the user sets them.
    auto* unread = new QLabel(this);
    unread->setWordWrap(true);
    unread->setStyleSheet(QStringLiteral("color: #a04000;"));
    outer->addWidget(unread);
    m_controls.add(Unread, unread);

    auto* top = new QHBoxLayout;
    auto* form = new QWidget(this);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    CFormBuilder::Build(m_logic->rows(), grid, nullptr, m_controls);
    top->addWidget(form, 1, Qt::AlignTop);

    m_picture = new CPicturePanel(kPictureSize, this);
    m_picture->setReady(true);
    top->addSpacing(12);
    top->addWidget(m_picture, 0, Qt::AlignTop);
    outer->addLayout(top);

    m_info->setAccessibleName(QStringLiteral("Register Info"));
    m_info->setFrameShape(QFrame::StyledPanel);
    m_info->setFrameShadow(QFrame::Sunken);
    m_info->setMinimumHeight(m_info->fontMetrics().height() + 8);
    outer->addWidget(m_info);
    m_controls.add(Info, m_info);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    m_controls.add(Ok, ok);
    m_controls.add(Cancel, cancel);
    connect(ok, &QPushButton::clicked, this, &CDlgTimeProgram::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgTimeProgram::reject);

    // Only what the user does makes a field the user's: typing, a click, a
    // choice (values the dialog shows come without these signals).
    for (const Page::Row& row : m_logic->rows()) {
        const Page::ControlId id = row.id;
        QWidget* w = m_controls.widget(id);
        if (auto* field = qobject_cast<QLineEdit*>(w))
            connect(field, &QLineEdit::textEdited, this, [this, id] { m_logic->userChanged(id); });
        else if (auto* box = qobject_cast<QCheckBox*>(w))
            connect(box, &QCheckBox::clicked, this, [this, id] { m_logic->userChanged(id); });
        else if (auto* list = qobject_cast<QComboBox*>(w))
            connect(list, &QComboBox::activated, this, [this, id] { m_logic->userChanged(id); });
    }
    m_controls.widget(EventHour)->installEventFilter(this);

    m_logic->show(data);
    m_tracker = new CHoverTracker(this, m_logic->hover(), m_picture);
    m_tracker->watchChildren();
}

CDlgTimeProgram::~CDlgTimeProgram()
{
    // The tracker reports to the logic, which goes before the widgets do.
    delete m_tracker;
}

bool CDlgTimeProgram::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched == m_controls.widget(EventHour))
        m_logic->checkHour();
    return QDialog::eventFilter(watched, event);
}

void CDlgTimeProgram::accept()
{
    if (!m_logic->confirm()) {
        if (QWidget* failed = m_controls.widget(m_logic->failedControl())) {
            failed->setFocus();
            if (auto* field = qobject_cast<QLineEdit*>(failed))
                field->selectAll();
        }
        return;
    }
    QDialog::accept();
}
