#include "pages/CTabSensors.h"

#include "diag/Result.h"

#include "pages/CDlgConfigureSensor.h"

using namespace SensorsId;

CTabSensors::CTabSensors(const PageContext& context, CConfiguration& configuration) : CPageWidget(context)
{
    m_logic = std::make_unique<CSensorsLogic>(catalogue(), unit(), host(), controls(), configuration);
    attach(*m_logic);
    // Eleven buttons share the caption; the description says whose they are.
    for (const SensorInfo& sensor : CSensorsLogic::Sensors())
        controls().widget(sensor.configure)->setAccessibleDescription(QString::fromUtf8(sensor.title));
    m_logic->showTemperatureUnit();
}

CTabSensors::~CTabSensors() = default;

void CTabSensors::showEvent(QShowEvent* event)
{
    m_logic->showTemperatureUnit();
    CPageWidget::showEvent(event);
}

void CTabSensors::buttonClicked(Page::ControlId id)
{
    if (id == ResetAutozero) {
        m_logic->resetAutozero();
        return;
    }
    if (const SensorInfo* sensor = CSensorsLogic::SensorOf(id))
        configureSensor(*sensor);
}

void CTabSensors::configureSensor(const SensorInfo& sensor)
{
    // Another unit, or none connected with its PIN: no dialog to write from.
    if (const int r = m_logic->readBlock(sensor); r == Result::AnotherUnit || r == Result::PinNotAccepted)
        return;
    CDlgConfigureSensor dialog(sensor, m_logic->unitText(sensor), catalogue(), host(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_logic->writeBlock(sensor);
}
