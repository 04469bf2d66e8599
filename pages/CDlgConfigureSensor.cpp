#include "pages/CDlgConfigureSensor.h"

#include "pages/CFormBuilder.h"
#include "pages/CHoverTracker.h"
#include "pages/CPicturePanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <tuple>

using namespace SensorDialogId;

CDlgConfigureSensor::CDlgConfigureSensor(const SensorInfo& sensor, const std::string& unitText,
                                         RegisterCatalogue& catalogue, IPageHost& host, QWidget* parent)
    : QDialog(parent), m_controls(this)
{
    // The information line exists before the rows that report to it.
    m_info = new QLabel(this);
    m_host = std::make_unique<CDialogHost>(host, m_info);
    m_logic = std::make_unique<CSensorDialogLogic>(sensor, unitText, catalogue, *m_host, m_controls);

    setWindowTitle(QStringLiteral("Configure"));
    auto* outer = new QVBoxLayout(this);
    auto* header = new QLabel(this);
    QFont bold = header->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    header->setFont(bold);
    header->setAccessibleName(QStringLiteral("Sensor"));
    outer->addWidget(header);
    m_controls.add(Header, header);

    auto* top = new QHBoxLayout;
    auto* form = new QWidget(this);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    CFormBuilder::Build(m_logic->rows(), grid, nullptr, m_controls);

    // The offset changes only by the spinner, one step at a time.
    auto* spin = new QWidget(form);
    auto* spinLayout = new QVBoxLayout(spin);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    for (const auto& [arrow, name, steps] :
         {std::tuple{Qt::UpArrow, "Offset up", +1}, std::tuple{Qt::DownArrow, "Offset down", -1}}) {
        auto* button = new QToolButton(spin);
        button->setArrowType(arrow);
        button->setAccessibleName(QString::fromLatin1(name));
        button->setAutoRaise(true);
        button->setFixedSize(22, 13);
        spinLayout->addWidget(button);
        const int s = steps;
        connect(button, &QToolButton::clicked, this, [this, s] { m_logic->spin(s); });
    }
    grid->addWidget(spin, 2, 2, Qt::AlignLeft);
    m_controls.add(OffsetSpin, spin);
    grid->setColumnStretch(1, 1);
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
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    m_controls.add(Ok, ok);
    m_controls.add(Cancel, cancel);
    connect(ok, &QPushButton::clicked, this, &CDlgConfigureSensor::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgConfigureSensor::reject);

    connect(m_controls.as<QComboBox>(Unit), &QComboBox::activated, this, [this] { m_logic->unitChosen(); });

    m_logic->open();
    m_tracker = new CHoverTracker(this, m_logic->hover(), m_picture);
    m_tracker->watchChildren();
}

CDlgConfigureSensor::~CDlgConfigureSensor() = default;

void CDlgConfigureSensor::accept()
{
    m_logic->accept();
    QDialog::accept();
}
