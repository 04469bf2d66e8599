#include "pages/CDlgConfigureSensor.h"

#include "pages/CHoverTracker.h"
#include "pages/DialogParts.h"

#include <QComboBox>
#include <QGridLayout>
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
    m_info = new CInfoLine(this);
    m_host = std::make_unique<CDialogHost>(host, m_info);
    m_logic = std::make_unique<CSensorDialogLogic>(sensor, unitText, catalogue, *m_host, m_controls);

    setWindowTitle(QStringLiteral("Configure"));
    auto* outer = new QVBoxLayout(this);
    DialogParts::AddHeading(this, outer, m_controls, Header)->setAccessibleName(QStringLiteral("Sensor"));

    const DialogParts::FormRow form = DialogParts::AddForm(this, outer, m_logic->rows(), m_controls);
    QGridLayout* grid = form.grid;
    // The offset changes only by the spinner, one step at a time.
    auto* spin = new QWidget(grid->parentWidget());
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
    m_picture = DialogParts::AddPicture(this, form.row, kPictureSize);
    DialogParts::AddInfoLine(m_info, outer, m_controls, Info);

    const auto [ok, cancel] = DialogParts::AddButtons(this, outer, m_controls, Ok, Cancel);
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
