// A register's value as its page shows it, from the pages' own rows, and the
// register's title from the catalogue.
#include "model/RegisterCatalogue.h"
#include "pages/core/PageValues.h"

#include <gtest/gtest.h>

namespace {

RegisterCatalogue& Catalogue()
{
    static RegisterCatalogue catalogue = [] {
        RegisterCatalogue c;
        c.Build();
        c.ApplyDeviceProfile(2050, 1, 0);
        return c;
    }();
    return catalogue;
}

constexpr uint16_t Word(int value)
{
    return static_cast<uint16_t>(value);
}

} // namespace

TEST(PageValues, ShownValueTakesThePagesFormAndTheTemperatureUnit)
{
    const struct
    {
        const char* what;
        uint16_t address;
        uint16_t word;
        uint16_t tempUnit; // holding 2010
        const char* shown;
    } rows[] = {
        {"set-point in tenths, Celsius unit", 400, 215, 1, "21.5 \u00b0C"},
        {"set-point in tenths, Fahrenheit unit", 400, 700, 0, "70.0 \u00b0F"},
        {"signed tenths (an offset the Common page does not convert)", 401, Word(-25), 1, "-2.5"},
        {"reading labelled in degrees", 100, 215, 1, "21.5 \u00b0C"},
        {"reading the unit does not have", 100, Word(-420), 1, "---"},
        {"list entry", 404, 2, 1, "2 = heating"},
        {"list entry with an offset", 3762, 3, 1, "3"},
        {"list value beyond its entries", 404, 7, 1, "7"},
        {"list entry of a temperature register: its own degree sign", 3600, 2, 1, "2 = 0.5\u00b0"},
        {"list value of a temperature register beyond its entries: a choice", 3600, 7, 1, "7"},
        {"check box", 3749, 1, 1, "on"},
        {"check box off", 3749, 0, 1, "off"},
        {"unsigned tenths (a position)", 721, 505, 1, "50.5"},
        {"position not known yet", 731, 0xFFFF, 1, "---"},
        {"signed number of the page's own format", 722, Word(-45), 1, "-45"},
        {"temperature no page shows: tenths all the same", 8006, 210, 1, "21.0 \u00b0C"},
        {"plain number no page shows", 7044, 400, 1, "400"},
        {"signed number no page shows", 7045, Word(-45), 1, "-45"},
        {"bits of a register shown as boxes: the word", 409, 5, 1, "5"},
        {"unknown register", 9999, 5, 1, ""},
        {"address 0", 0, 5, 1, ""},
    };
    RegisterCatalogue& c = Catalogue();
    for (const auto& r : rows) {
        c.Holding(Reg::TempUnit).value = r.tempUnit;
        EXPECT_EQ(PageValues::ShownValue(c, r.address, r.word), r.shown) << r.what;
    }
    c.Holding(Reg::TempUnit).value = 1;
}

TEST(PageValues, NoShownValueCarriesItsDegreeSignTwice)
{
    RegisterCatalogue& c = Catalogue();
    for (const uint16_t unit : {uint16_t{0}, uint16_t{1}}) {
        c.Holding(Reg::TempUnit).value = unit;
        for (uint16_t address = 1; address < RegisterCatalogue::kHoldingCount; ++address)
            for (const int value : {0, 1, 2, 3, 7, 215, -5}) {
                const std::string shown = PageValues::ShownValue(c, address, Word(value));
                const std::size_t first = shown.find("\u00b0");
                EXPECT_TRUE(first == std::string::npos || shown.find("\u00b0", first + 1) == std::string::npos)
                    << address << " = " << value << ": " << shown;
            }
    }
    c.Holding(Reg::TempUnit).value = 1;
}

TEST(PageValues, RegisterTitleNamesTheCatalogueEntry)
{
    EXPECT_EQ(PageValues::RegisterTitle(Catalogue(), 400), "400 - Setpoint Temp");
    EXPECT_EQ(PageValues::RegisterTitle(Catalogue(), 1), "no such register");
    EXPECT_EQ(PageValues::RegisterTitle(Catalogue(), 0), "no such register");
}
