// The "Sensors" page: the readings of the unit's eleven sensors, the CO2
// sensor's "Reset (Autozero)" and "Auto cal", and per sensor a "Configure"
// button that opens the sensor dialog on the sensor's configuration block.
// The rows and rules are CSensorsLogic's; this class adds the dialog.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/CSensorsLogic.h"

#include <memory>

class CTabSensors : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabSensors(const PageContext& context, CConfiguration& configuration = CConfiguration::Instance());
    ~CTabSensors() override;

    CSensorsLogic& logic() { return *m_logic; }
    // "Configure" of a row: reads the block, runs the dialog, writes the block.
    void configureSensor(const SensorInfo& sensor);

protected:
    void buttonClicked(Page::ControlId id) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<CSensorsLogic> m_logic;
};
