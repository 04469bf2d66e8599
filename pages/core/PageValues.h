// A register's value in the form the configuration page that shows it uses:
// the entry of its list ("2 = heating"), its tenths ("21.5"), "on" or "off"
// for a check box, the unit's "---" for a value it does not have. The form
// comes from the pages' own rows (the category pages' descriptions), so a
// register reads the same wherever the tool names it (the time-program
// dialog, its overview). Temperatures carry the unit's temperature unit
// ("21.5 °C", "70.0 °F" by holding 2010): the registers the tool converts
// when that unit changes, and the readings labelled in degrees. A list
// entry keeps the page's own text ("2 = 0.5°"): a choice takes no unit.
//
// A register no page shows is its plain number, signed where the catalogue
// limits are.
//
// Thread rules: pure functions over the catalogue; user-interface thread
// (the catalogue's).
#pragma once

#include "pages/core/PageTypes.h"

#include <cstdint>
#include <string>

class RegisterCatalogue;

namespace PageValues {

// The text beside an address for a register the catalogue does not know.
inline constexpr const char* kNoSuchRegister = "no such register";

// The row of a category page that shows the holding register (a field, a
// list, a check box on the whole register); nullptr when no page does.
const Page::Row* ShowingRow(uint16_t address);

// The word as the register's page shows it, with the temperature unit where
// the register holds a temperature; "" when the catalogue has no such
// holding register.
std::string ShownValue(const RegisterCatalogue& catalogue, uint16_t address, uint16_t word);

// "400 - Setpoint Temp": the address and the register's catalogue name;
// kNoSuchRegister when the catalogue has none.
std::string RegisterTitle(const RegisterCatalogue& catalogue, uint16_t address);

// "°C" or "°F" by the catalogue's temperature unit (holding 2010).
std::string TemperatureUnit(const RegisterCatalogue& catalogue);

} // namespace PageValues
