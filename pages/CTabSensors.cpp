#include "pages/CTabSensors.h"

#include "pages/CDlgConfigureSensor.h"

using namespace SensorsId;

namespace {

using T = ControlType;

// One row per sensor: its reading, its unit and its "Configure" button.
#define SENSOR_ROW(value, unitLabel, configure, caption, unitText, r)                                             \
    ControlDef{.id = value, .type = T::ReadOnly, .label = caption, .row = r, .column = 0},                        \
        ControlDef{.id = unitLabel, .type = T::UnitLabel, .label = unitText, .row = r, .column = 2},              \
        ControlDef{.id = configure, .type = T::Button, .label = "Configure", .row = r, .column = 3}

constexpr ControlDef kControls[] = {
    SENSOR_ROW(TempInt, TempIntUnit, ConfigureFirst + 0, "Temp Sensor 1 Int.", "\u00b0C", 0),
    SENSOR_ROW(TempExt, TempExtUnit, ConfigureFirst + 1, "Temp Sensor 2 Ext.", "\u00b0C", 1),
    SENSOR_ROW(TempBus, TempBusUnit, ConfigureFirst + 5, "Temp Sensor 3 Bus", "\u00b0C", 2),
    SENSOR_ROW(HumInt, HumIntUnit, ConfigureFirst + 2, "Humidity Sensor 1 Int.", "% r.H.", 3),
    SENSOR_ROW(HumBus, HumBusUnit, ConfigureFirst + 6, "Humidity Sensor 2 Bus", "% r.H.", 4),
    SENSOR_ROW(Co2Int, Co2IntUnit, ConfigureFirst + 3, "CO2 Sensor 1 Int.", "ppm", 5),
    SENSOR_ROW(Co2Bus, Co2BusUnit, ConfigureFirst + 7, "CO2 Sensor 2 Bus", "ppm", 6),
    ControlDef{.id = ResetAutozero, .type = T::Button, .label = "Reset (Autozero)", .row = 7, .column = 1},
    ControlDef{.id = AutoCal, .type = T::Check, .label = "Auto cal", .row = 7, .column = 2, .span = 2},
    SENSOR_ROW(VocInt, VocIntUnit, ConfigureFirst + 4, "VOC Sensor 1 Int.", "%", 8),
    SENSOR_ROW(VocBus, VocBusUnit, ConfigureFirst + 8, "VOC Sensor 2 Bus", "ppb", 9),
    SENSOR_ROW(PmBus, PmBusUnit, ConfigureFirst + 9, "PM Sensor 2 Bus", "g/m", 10),
    SENSOR_ROW(PressureBus, PressureBusUnit, ConfigureFirst + 10, "Pressure Sensor 2 Bus", "----", 11),
    ControlDef{.id = ReadTarget, .type = T::Button, .label = "Read target", .row = -1,
                .action = ButtonAction::ReadTarget},
    ControlDef{.id = SaveToNvram, .type = T::Button, .label = "Save To NVRAM", .row = -1,
                .action = ButtonAction::SaveToNvram},
};

#undef SENSOR_ROW

} // namespace

CTabSensors::CTabSensors(const PageContext& context, CConfiguration& configuration) : CPageWidget(context)
{
    buildPage(kControls);
    // Eleven buttons share the caption; the description says whose they are.
    for (const SensorInfo& sensor : CSensorsLogic::Sensors())
        controls().widget(sensor.configure)->setAccessibleDescription(QString::fromUtf8(sensor.title));
    m_logic = std::make_unique<CSensorsLogic>(catalogue(), unit(), host(), controls(), configuration);
    attach(*m_logic);
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
    m_logic->readBlock(sensor);
    CDlgConfigureSensor dialog(sensor, m_logic->unitText(sensor), catalogue(), unit(), host(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_logic->writeBlock(sensor);
}
