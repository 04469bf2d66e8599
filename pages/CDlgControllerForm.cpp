#include "pages/CDlgControllerForm.h"

#include "model/RegisterCatalogue.h"
#include "pages/CFormBuilder.h"
#include "pages/CHoverTracker.h"
#include "pages/CPicturePanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
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
    m_info = new QLabel(this);
    m_host = std::make_unique<CDialogHost>(host, m_info);
    m_logic = std::make_unique<CControllerDialogLogic>(request, catalogue, *m_host, m_controls, unit);
    const bool view = m_logic->outputValues();

    setWindowTitle(QString::fromStdString(m_logic->caption()));
    auto* outer = new QVBoxLayout(this);
    auto* header = new QLabel(this);
    QFont bold = header->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    header->setFont(bold);
    outer->addWidget(header);
    m_controls.add(Header, header);

    auto* top = new QHBoxLayout;
    auto* form = new QWidget(this);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    CFormBuilder::Build(m_logic->rows(), grid, nullptr, m_controls);
    grid->setColumnStretch(1, 1);
    top->addWidget(form, 1, Qt::AlignTop);

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
        top->addSpacing(12);
        top->addLayout(column);
    }
    outer->addLayout(top);

    m_info->setAccessibleName(QStringLiteral("Register Info"));
    m_info->setFrameShape(QFrame::StyledPanel);
    m_info->setFrameShadow(QFrame::Sunken);
    m_info->setMinimumHeight(m_info->fontMetrics().height() + 8);
    outer->addWidget(m_info);
    m_controls.add(Info, m_info);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(view ? QStringLiteral("Refresh") : QStringLiteral("OK"), this);
    ok->setDefault(!view);
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(view ? QStringLiteral("Close") : QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    m_controls.add(Ok, ok);
    m_controls.add(Cancel, cancel);
    connect(cancel, &QPushButton::clicked, this, &CDlgControllerForm::reject);
    if (view)
        connect(ok, &QPushButton::clicked, this, [this] {
            Page::ControlId focus = Page::kNoControl;
            m_logic->refreshButton(&focus);
            focusField(focus);
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
        connect(m_timer, &QTimer::timeout, this, [this] { m_logic->refreshOutputValues(false); });
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
