#include "pages/core/CSensorDialogLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"

using namespace Page;
using namespace SensorDialogId;

namespace {

const std::vector<std::string> kPressureUnits = {"Pa", "hPa", "mBar", "inWC"};
const std::vector<std::string> kVocUnits = {"ppb", "%"};
constexpr int kInitialUnitIndex = 1;
constexpr const char* kAveraging[] = {"0 = 4s", "1 = 8s", "2 = 16s", "3 = 32s"};
constexpr const char* kUnits[] = {"Pa", "hPa", "mBar", "inWC"};

// Elements of a sensor screen: the sensor's label under the top bar, the
// colour scale bar with its start and end values, the unit beside the
// reading, and the sensor-menu symbol at the bottom right.
constexpr FramePercent kLabelFrame{0, 16, 40, 35};
constexpr FramePercent kStartFrame{20, 66, 40, 80};
constexpr FramePercent kEndFrame{60, 66, 80, 80};
constexpr FramePercent kUnitFrame{80, 50, 100, 70};
constexpr FramePercent kScaleFrame{20, 66, 80, 80};
constexpr FramePercent kMenuFrame{80, 80, 100, 100};

} // namespace

CSensorDialogLogic::CSensorDialogLogic(const SensorInfo& sensor, std::string unitText, RegisterCatalogue& catalogue,
                                       IPageHost& host, IPageControls& controls)
    : m_sensor(sensor), m_unitText(std::move(unitText)), m_catalogue(catalogue), m_controls(controls),
      // A register the sensor does not have (0) is not named on mouse-over;
      // its control is hidden anyway.
      m_rows{Row{.id = Label, .kind = Kind::Text, .caption = "Label", .row = 1, .filter = EntryFilter::Text12,
                 .address = reg(0), .uses = Use::Hover, .mark = {Picture::None, {kLabelFrame}, 1}},
             Row{.id = Offset, .kind = Kind::ReadOnly, .caption = "Offset", .row = 2,
                 .address = has(SensorOptions::Offset) ? reg(12) : uint16_t{0}, .uses = Use::Hover},
             Row{.id = Averaging, .kind = Kind::List, .caption = "Averaging Time", .row = 3, .items = kAveraging,
                 .initial = 0, .address = has(SensorOptions::Averaging) ? reg(13) : uint16_t{0}, .uses = Use::Hover},
             Row{.id = ScaleStart, .kind = Kind::Number, .caption = "Colour Scale Start", .row = 4,
                 .filter = EntryFilter::Decimal, .address = reg(14), .uses = Use::Hover,
                 .mark = {Picture::None, {kStartFrame}, 1}},
             Row{.id = ScaleStartUnit, .kind = Kind::UnitLabel, .row = 4, .column = 2},
             Row{.id = ScaleEnd, .kind = Kind::Number, .caption = "Colour Scale End", .row = 5,
                 .filter = EntryFilter::Decimal, .address = reg(15), .uses = Use::Hover,
                 .mark = {Picture::None, {kEndFrame}, 1}},
             Row{.id = ScaleEndUnit, .kind = Kind::UnitLabel, .row = 5, .column = 2},
             Row{.id = Unit, .kind = Kind::List, .caption = "Unit", .row = 6, .items = kUnits, .initial = 1,
                 .address = has(SensorOptions::Unit) ? reg(16) : uint16_t{0}, .uses = Use::Hover,
                 .mark = {Picture::ScreenPressure, {kUnitFrame}, 1}},
             Row{.id = EnableMenu, .kind = Kind::Check, .caption = "Enable in Sensor Menu", .row = 7, .column = 1,
                 .span = 2, .address = reg(17), .uses = Use::Hover, .mark = {Picture::None, {kMenuFrame}, 1}},
             Row{.id = EnableScale, .kind = Kind::Check, .caption = "Enable Colour Scale", .row = 8, .column = 1,
                 .span = 2, .address = reg(18), .uses = Use::Hover, .mark = {Picture::None, {kScaleFrame}, 1}}},
      m_hover(m_rows, sensor.picture, catalogue, host, controls)
{
}

std::string CSensorDialogLogic::offsetText() const
{
    std::string text = m_sensor.scale == 10 ? PageText::Tenths(m_offset) : std::to_string(m_offset);
    if (!m_unitText.empty())
        text += " " + m_unitText;
    return text;
}

std::string CSensorDialogLogic::scaleText(uint16_t value) const
{
    return m_sensor.scale == 10 ? PageText::Tenths(value) : std::to_string(value);
}

void CSensorDialogLogic::open()
{
    IPageControls& c = m_controls;
    c.setText(Header, m_sensor.title);

    uint16_t label[PageText::kTextRegisters];
    for (int k = 0; k < PageText::kTextRegisters; ++k)
        label[k] = m_catalogue.Holding(reg(k)).value;
    c.setText(Label, PageText::RegistersToText(label));

    const bool offset = has(SensorOptions::Offset);
    c.setVisible(Offset, offset);
    c.setVisible(OffsetSpin, offset);
    if (offset) {
        m_offset = static_cast<int16_t>(m_catalogue.Holding(reg(12)).value);
        c.setText(Offset, offsetText());
    }

    const bool averaging = has(SensorOptions::Averaging);
    c.setVisible(Averaging, averaging);
    c.setIndex(Averaging, averaging ? m_catalogue.Holding(reg(13)).value : 0);

    m_unitItems = m_sensor.base == 3300 ? kVocUnits : kPressureUnits;
    c.setItems(Unit, m_unitItems);
    const bool unit = has(SensorOptions::Unit);
    c.setVisible(Unit, unit);
    c.setIndex(Unit, unit ? m_catalogue.Holding(reg(16)).value : kInitialUnitIndex);

    for (const auto& [field, unitLabel, offsetInBlock] :
         {std::tuple{ScaleStart, ScaleStartUnit, 14}, std::tuple{ScaleEnd, ScaleEndUnit, 15}}) {
        const RegisterEntry& e = m_catalogue.Holding(reg(offsetInBlock));
        c.setVisible(field, e.used != 0);
        c.setVisible(unitLabel, e.used != 0);
        if (e.used)
            c.setText(field, scaleText(e.value));
        c.setText(unitLabel, m_unitText);
    }

    c.setChecked(EnableMenu, m_catalogue.Holding(reg(17)).value != 0);
    c.setChecked(EnableScale, m_catalogue.Holding(reg(18)).value != 0);
    c.setText(Info, "");
}

int32_t CSensorDialogLogic::clampToLimits(uint16_t address, int32_t value) const
{
    const RegisterEntry& e = m_catalogue.Holding(address);
    // Compared as numbers, not as 16-bit words: a typed 70000 is above any
    // limit, it must not wrap around to 4464.
    if (value < e.min)
        return e.min;
    if (value > e.max)
        return e.max;
    return value;
}

void CSensorDialogLogic::spin(int steps)
{
    m_offset = static_cast<int16_t>(clampToLimits(reg(12), m_offset + steps));
    m_controls.setText(Offset, offsetText());
}

void CSensorDialogLogic::unitChosen()
{
    if (m_sensor.base != 3300 && m_sensor.base != 3500)
        return;
    const int index = m_controls.index(Unit);
    if (index < 0 || index >= static_cast<int>(m_unitItems.size()))
        return;
    m_controls.setText(ScaleStartUnit, m_unitItems[static_cast<std::size_t>(index)]);
    m_controls.setText(ScaleEndUnit, m_unitItems[static_cast<std::size_t>(index)]);
}

void CSensorDialogLogic::accept()
{
    IPageControls& c = m_controls;
    uint16_t label[PageText::kTextRegisters];
    PageText::TextToRegisters(PageText::CutText(c.text(Label)), label);
    for (int k = 0; k < PageText::kTextRegisters; ++k)
        m_catalogue.Holding(reg(k)).value = label[k];

    if (has(SensorOptions::Offset))
        m_catalogue.Holding(reg(12)).value = static_cast<uint16_t>(m_offset);
    if (has(SensorOptions::Averaging) && c.index(Averaging) >= 0)
        m_catalogue.Holding(reg(13)).value = static_cast<uint16_t>(c.index(Averaging));
    if (has(SensorOptions::Unit) && c.index(Unit) >= 0)
        m_catalogue.Holding(reg(16)).value = static_cast<uint16_t>(c.index(Unit));

    for (const auto& [field, offsetInBlock] : {std::pair{ScaleStart, 14}, std::pair{ScaleEnd, 15}}) {
        const uint16_t address = reg(offsetInBlock);
        const int32_t value = clampToLimits(address, PageText::ParseNumber(c.text(field), m_sensor.scale));
        c.setText(field, scaleText(static_cast<uint16_t>(value)));
        if (m_catalogue.Holding(address).used)
            m_catalogue.Holding(address).value = static_cast<uint16_t>(value);
    }

    m_catalogue.Holding(reg(17)).value = c.checked(EnableMenu) ? 1 : 0;
    m_catalogue.Holding(reg(18)).value = c.checked(EnableScale) ? 1 : 0;
}
