#include "pages/CDlgControllerForm.h"

#include "model/RegisterCatalogue.h"
#include "pages/CHoverTracker.h"
#include "pages/CPicturePanel.h"
#include "pages/DialogParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace ControllerDialogId;

namespace {

// The 6-way valve charts keep the makers' proportions: 350 high for 375 wide.
constexpr QSize kValveChart{CDlgControllerForm::kPictureWidth, CDlgControllerForm::kPictureWidth * 350 / 375};
constexpr QSize kDiagram{CDlgControllerForm::kPictureWidth, 220};

} // namespace

CDlgControllerForm::CDlgControllerForm(DialogRequest& request, RegisterCatalogue& catalogue, IPageHost& host,
                                       IUnitAccess* unit, QWidget* parent)
    : QDialog(parent), m_controls(this)
{
    m_info = new CInfoLine(this);
    m_host = std::make_unique<CDialogHost>(host, m_info);
    m_logic = std::make_unique<CControllerDialogLogic>(request, catalogue, *m_host, m_controls, unit);
    const bool view = m_logic->outputValues();

    setWindowTitle(QString::fromStdString(m_logic->caption()));
    auto* outer = new QVBoxLayout(this);
    DialogParts::AddHeading(this, outer, m_controls, Header);

    // The registers the page could not read, named until the user sets them.
    auto* unread = new QLabel(this);
    unread->setWordWrap(true);
    unread->setStyleSheet(QStringLiteral("color: #a04000;"));
    outer->addWidget(unread);
    m_controls.add(Unread, unread);
    if (view) {
        // The output values view says when it has stopped refreshing.
        auto* stopped = new QLabel(this);
        stopped->setWordWrap(true);
        stopped->setStyleSheet(QStringLiteral("color: #a04000;"));
        outer->addWidget(stopped);
        m_controls.add(Stopped, stopped);
    }

    const DialogParts::FormRow form = DialogParts::AddForm(this, outer, m_logic->rows(), m_controls);
    form.grid->setColumnStretch(1, 1);
    // Only what the user does makes an unread field the user's.
    for (const Page::Row& row : m_logic->rows()) {
        const Page::ControlId id = row.id;
        if (auto* edit = qobject_cast<QLineEdit*>(m_controls.widget(id)))
            connect(edit, &QLineEdit::textEdited, this, [this, id] { m_logic->userChanged(id); });
        else if (auto* list = qobject_cast<QComboBox*>(m_controls.widget(id)))
            connect(list, &QComboBox::activated, this, [this, id] { m_logic->userChanged(id); });
    }

    const bool valve = request.dialog == ControllerDialog::Valve;
    const bool pictures = valve || m_logic->upperPicture() != Page::Picture::None ||
                          m_logic->lowerPicture() != Page::Picture::None;
    if (pictures) {
        auto* column = new QVBoxLayout;
        m_upper = new CPicturePanel(valve ? kValveChart : kDiagram, this);
        m_upper->setReady(true);
        m_upper->setAccessibleName(QStringLiteral("Diagram"));
        column->addWidget(m_upper);
        if (m_logic->lowerPicture() != Page::Picture::None) {
            m_lower = new CPicturePanel(kDiagram, this);
            m_lower->setReady(true);
            m_lower->setAccessibleName(QStringLiteral("Second diagram"));
            column->addWidget(m_lower);
        }
        column->addStretch(1);
        form.row->addSpacing(DialogParts::kPictureSpacing);
        form.row->addLayout(column);
    }
    DialogParts::AddInfoLine(m_info, outer, m_controls, Info);

    const auto [ok, cancel] = DialogParts::AddButtons(
        this, outer, m_controls, Ok, Cancel, view ? QStringLiteral("Refresh") : QStringLiteral("OK"),
        view ? QStringLiteral("Close") : QStringLiteral("Cancel"));
    ok->setDefault(!view);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CDlgControllerForm::reject);
    if (view)
        connect(ok, &QPushButton::clicked, this, [this] {
            Page::ControlId focus = Page::kNoControl;
            m_logic->refreshButton(&focus);
            focusField(focus);
            followRefresh();
        });
    else
        connect(ok, &QPushButton::clicked, this, &CDlgControllerForm::accept);

    if (valve)
        if (auto* list = qobject_cast<QComboBox*>(field(8020)))
            connect(list, &QComboBox::activated, this, [this] {
                m_logic->valveChosen();
                showPictures();
            });

    m_logic->open();
    if (view) {
        // Display only: the labels of the outputs this unit has are lit.
        for (const DialogField& f : m_logic->mode().fields)
            if (QLabel* label = m_controls.label(m_logic->fieldId(f.address)))
                label->setEnabled(m_logic->outputLabelEnabled(f.address));
        m_timer = new QTimer(this);
        m_timer->setInterval(s_refreshMs);
        connect(m_timer, &QTimer::timeout, this, [this] {
            m_logic->refreshOutputValues(false);
            followRefresh();
        });
        m_timer->start();
    }
    showPictures();
    m_tracker = new CHoverTracker(this, m_logic->hover(), nullptr);
    m_tracker->watchChildren();
}

CDlgControllerForm::~CDlgControllerForm()
{
    // The tracker and the timer work on the logic, which goes before the
    // child widgets do.
    delete m_tracker;
    if (m_timer)
        m_timer->stop();
}

QWidget* CDlgControllerForm::field(uint16_t address) const
{
    return m_controls.widget(m_logic->fieldId(address));
}

void CDlgControllerForm::showPictures()
{
    if (m_upper)
        m_upper->setMark(Page::PictureMark{m_logic->upperPicture()});
    if (m_lower)
        m_lower->setMark(Page::PictureMark{m_logic->lowerPicture()});
}

void CDlgControllerForm::followRefresh()
{
    // A unit that did not answer is not asked every 5 seconds; a refresh
    // that read it again starts the periodic one anew. Closed meanwhile:
    // nothing starts again.
    if (!m_timer)
        return;
    if (m_logic->refreshStopped())
        m_timer->stop();
    else if (!m_timer->isActive() && isVisible())
        m_timer->start();
}

void CDlgControllerForm::focusField(Page::ControlId id)
{
    if (QWidget* w = m_controls.widget(id))
        w->setFocus();
}

void CDlgControllerForm::accept()
{
    if (m_logic->outputValues())
        return;
    Page::ControlId focus = Page::kNoControl;
    if (!m_logic->accept(&focus)) {
        focusField(focus);
        return;
    }
    QDialog::accept();
}

void CDlgControllerForm::reject()
{
    if (m_timer)
        m_timer->stop();
    QDialog::reject();
}
