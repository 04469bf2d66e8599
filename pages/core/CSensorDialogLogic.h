// The sensor dialog's logic, free of any toolkit: how a sensor block's
// catalogue values fill the dialog (label, offset, averaging time, colour
// scale, display unit, the two enables), the offset spinner, the unit list,
// and how "OK" puts the values back into the catalogue. The dialog does not
// talk to the unit; the Sensors page reads the block before and writes it
// after. CDlgConfigureSensor is the thin Qt dialog over it.
//
// Its rows lay out the dialog and name the block's registers on mouse-over
// (CHoverInfo) with the element of the sensor screen they set; the
// addresses depend on the sensor's block, so the rows are built per dialog.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CHoverInfo.h"
#include "pages/core/CSensorsLogic.h"

#include <array>
#include <tuple>
#include <string>
#include <vector>

namespace SensorDialogId {
enum : Page::ControlId {
    Header = 1,
    Label,
    Offset,
    OffsetSpin,
    Averaging,
    ScaleStart,
    ScaleStartUnit,
    ScaleEnd,
    ScaleEndUnit,
    EnableMenu,
    EnableScale,
    Unit,
    Info,
    Ok,
    Cancel,
};
} // namespace SensorDialogId

class CSensorDialogLogic
{
public:
    static constexpr int kRowCount = 10;

    CSensorDialogLogic(const SensorInfo& sensor, std::string unitText, RegisterCatalogue& catalogue,
                       IPageHost& host, IPageControls& controls);
    // The hover information points into this object's own rows: it stays
    // where it is.
    CSensorDialogLogic(const CSensorDialogLogic&) = delete;
    CSensorDialogLogic& operator=(const CSensorDialogLogic&) = delete;

    const SensorInfo& sensor() const { return m_sensor; }
    const std::string& unitText() const { return m_unitText; }
    // The dialog's controls (the header, spinner, information line and
    // buttons are the dialog's own).
    std::span<const Page::Row> rows() const { return m_rows; }
    CHoverInfo& hover() { return m_hover; }

    // Fills the controls from the catalogue and hides what the sensor lacks.
    void open();
    // The spinner: one step up (+1) or down (-1), within the offset's limits.
    void spin(int steps);
    int16_t offset() const { return m_offset; }
    // A unit was chosen in the list: the colour scale unit labels follow.
    void unitChosen();
    // "OK": the values go into the catalogue entries of the block.
    void accept();

    // Texts of the fields.
    std::string offsetText() const;
    std::string scaleText(uint16_t value) const;

private:
    bool has(unsigned option) const { return (m_sensor.options & option) != 0; }
    uint16_t reg(int offset) const { return static_cast<uint16_t>(m_sensor.base + offset); }
    int32_t clampToLimits(uint16_t address, int32_t value) const;

    SensorInfo m_sensor;
    std::string m_unitText;
    RegisterCatalogue& m_catalogue;
    IPageControls& m_controls;
    std::vector<std::string> m_unitItems;
    int16_t m_offset = 0;

    std::array<Page::Row, kRowCount> m_rows;
    CHoverInfo m_hover;
};
