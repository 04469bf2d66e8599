#include "pages/CDlgTimeProgram.h"

#include "pages/CDlgTimeProgramPicture.h"
#include "pages/CHoverTracker.h"
#include "pages/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
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
    m_info = new CInfoLine(this);
    m_host = std::make_unique<CDialogHost>(host, m_info);
    m_logic = std::make_unique<CTimeProgramDialogLogic>(program, scenes, catalogue, *m_host, m_controls);

    setWindowTitle(QStringLiteral("Time Program"));
    auto* outer = new QVBoxLayout(this);
    DialogParts::AddHeading(this, outer, m_controls, Heading);

    // The fields the page could not read, named until the user sets them.
    auto* unread = new QLabel(this);
    unread->setWordWrap(true);
    unread->setStyleSheet(QStringLiteral("color: #a04000;"));
    outer->addWidget(unread);
    m_controls.add(Unread, unread);

    const DialogParts::FormRow form = DialogParts::AddForm(this, outer, m_logic->rows(), m_controls);
    m_picture = new CDlgTimeProgramPicture(kPictureSize, this);
    m_picture->setReady(true);
    form.row->addSpacing(DialogParts::kPictureSpacing);
    form.row->addWidget(m_picture, 0, Qt::AlignTop);
    DialogParts::AddInfoLine(m_info, outer, m_controls, Info);

    const auto [ok, cancel] = DialogParts::AddButtons(this, outer, m_controls, Ok, Cancel);
    cancel->setAutoDefault(false);
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

    // "Find Register": typing part of a register's name or number narrows
    // the list; the register picked goes into "Register Address".
    auto* find = m_controls.as<QComboBox>(FindRegister);
    find->setEditable(true);
    find->setInsertPolicy(QComboBox::NoInsert);
    find->setMaxVisibleItems(kFindVisibleItems);
    // As wide as a typical name, not as the longest of several hundred.
    find->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    find->setMinimumContentsLength(kFindWidthChars);
    find->completer()->setFilterMode(Qt::MatchContains);
    find->completer()->setCompletionMode(QCompleter::PopupCompletion);
    find->lineEdit()->setPlaceholderText(QStringLiteral("name or number"));
    find->lineEdit()->setAccessibleName(m_controls.label(FindRegister)->text().remove(QLatin1Char('&')));
    find->setAccessibleName(find->lineEdit()->accessibleName());
    connect(find, &QComboBox::activated, this, &CDlgTimeProgram::showScreen);

    m_logic->show(data);
    for (const Page::Row& row : m_logic->rows()) {
        QWidget* w = m_controls.widget(row.id);
        if (auto* field = qobject_cast<QLineEdit*>(w))
            connect(field, &QLineEdit::textChanged, this, &CDlgTimeProgram::showScreen);
        else if (auto* box = qobject_cast<QCheckBox*>(w))
            connect(box, &QCheckBox::toggled, this, &CDlgTimeProgram::showScreen);
        else if (auto* list = qobject_cast<QComboBox*>(w))
            connect(list, &QComboBox::currentIndexChanged, this, &CDlgTimeProgram::showScreen);
    }
    showScreen();
    m_tracker = new CHoverTracker(this, m_logic->hover(), m_picture);
    m_tracker->watchChildren();
}

CDlgTimeProgram::~CDlgTimeProgram()
{
    // The tracker reports to the logic, which goes before the widgets do;
    // so would the picture's updates from a widget that changes as it goes.
    delete m_tracker;
    for (QWidget* child : findChildren<QWidget*>())
        child->disconnect(this);
}

void CDlgTimeProgram::showScreen()
{
    m_logic->showRegister();
    m_picture->setScreen(m_logic->screen());
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
