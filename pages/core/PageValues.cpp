#include "pages/core/PageValues.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CCommonLogic.h"
#include "pages/core/CControllerLogic.h"
#include "pages/core/CInputsLogic.h"
#include "pages/core/CLightLogic.h"
#include "pages/core/CRoomClimateLogic.h"
#include "pages/core/CSensorsLogic.h"
#include "pages/core/CSunProtectLogic.h"
#include "pages/core/CTilesLogic.h"
#include "pages/core/PageText.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>

using namespace Page;

namespace {

constexpr const char* kCelsius = "\u00b0C";
constexpr const char* kFahrenheit = "\u00b0F";

// How a register is shown, found once from the pages' rows.
struct Shown
{
    const Row* row = nullptr;
    bool degrees = false; // a field labelled in degrees
};

bool ShowsValue(const Row& row)
{
    switch (row.kind) {
    case Kind::Number:
    case Kind::ReadOnly:
    case Kind::List: return true;
    // A box on one bit shows that bit, not the register.
    case Kind::Check: return row.bit < 0;
    default: return false;
    }
}

// The unit label right after the row's field (the field sits one column
// after its label, the unit one after the field).
bool LabelledInDegrees(const Description& page, const Row& row)
{
    return std::any_of(page.rows.begin(), page.rows.end(), [&row](const Row& unit) {
        if (unit.kind != Kind::UnitLabel || unit.row != row.row || unit.column != row.column + 2)
            return false;
        const std::string caption = unit.caption;
        return caption == kCelsius || caption == kFahrenheit;
    });
}

// By address; the first page in tab order that shows a register wins.
const std::array<Shown, RegisterCatalogue::kHoldingCount>& ShownRegisters()
{
    static const auto table = [] {
        auto shown = std::make_unique<std::array<Shown, RegisterCatalogue::kHoldingCount>>();
        const Description* pages[] = {
            &CCommonLogic::PageDescription(),      &CSensorsLogic::PageDescription(),
            &CRoomClimateLogic::PageDescription(), &CInputsLogic::PageDescription(),
            &CSunProtectLogic::PageDescription(),  &CLightLogic::PageDescription(),
            &CControllerLogic::PageDescription(),  &CTilesLogic::PageDescription(),
        };
        for (const Description* page : pages)
            for (const Row& row : page->rows) {
                if (row.address == 0 || row.address >= shown->size() || !ShowsValue(row))
                    continue;
                Shown& entry = (*shown)[row.address];
                if (!entry.row)
                    entry = Shown{&row, LabelledInDegrees(*page, row)};
            }
        return shown;
    }();
    return *table;
}

// The registers the Common page converts between °C and °F hold
// temperatures (or temperature differences) in tenths.
bool IsTemperatureRegister(uint16_t address)
{
    const auto& list = CCommonLogic::kTemperatureRegisters;
    return std::find(std::begin(list), std::end(list), address) != std::end(list);
}

} // namespace

namespace PageValues {

const Row* ShowingRow(uint16_t address)
{
    return address < RegisterCatalogue::kHoldingCount ? ShownRegisters()[address].row : nullptr;
}

std::string TemperatureUnit(const RegisterCatalogue& catalogue)
{
    return catalogue.Holding(Reg::TempUnit).value != 0 ? kCelsius : kFahrenheit;
}

std::string ShownValue(const RegisterCatalogue& catalogue, uint16_t address, uint16_t word)
{
    if (!catalogue.IsUsed(RegisterTableKind::Holding, address))
        return {};
    const bool isSigned = catalogue.Holding(address).min < 0;
    const int number = isSigned ? static_cast<int16_t>(word) : static_cast<int>(word);
    const Shown shown = ShownRegisters()[address];
    const bool temperature = shown.degrees || IsTemperatureRegister(address);

    std::string text;
    // A list entry or a check box is a choice, not a temperature: its text is
    // the page's own ("2 = 0.5°" for a step size) and takes no unit after it.
    bool choice = false;
    if (const Row* row = shown.row) {
        choice = row->kind == Kind::List || row->kind == Kind::Check;
        if (row->kind == Kind::List) {
            const int index = static_cast<int>(word) - row->listOffset;
            text = index >= 0 && static_cast<std::size_t>(index) < row->items.size()
                       ? row->items[static_cast<std::size_t>(index)]
                       : std::to_string(number);
        } else if (row->kind == Kind::Check) {
            text = (word != 0) != row->inverted ? "on" : "off";
        } else {
            text = PageText::FormatValue(*row, word);
        }
    } else {
        // No page shows it: a temperature is in tenths all the same.
        text = temperature ? PageText::Tenths(number) : std::to_string(number);
    }
    if (temperature && !choice && text != PageText::kMissing)
        text += " " + TemperatureUnit(catalogue);
    return text;
}

std::string RegisterTitle(const RegisterCatalogue& catalogue, uint16_t address)
{
    if (!catalogue.IsUsed(RegisterTableKind::Holding, address))
        return kNoSuchRegister;
    return std::to_string(address) + " - " + catalogue.Holding(address).name;
}

} // namespace PageValues
