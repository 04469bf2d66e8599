// The catalogue's rules: limits, clamping, presence, device profiles and the
// Fahrenheit conversion.
#include "model/RegisterCatalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using K = RegisterTableKind;

class Catalogue : public ::testing::Test
{
protected:
    void SetUp() override { c.Build(); }
    const RegisterEntry& H(uint16_t a) const { return *c.Entry(K::Holding, a); }
    RegisterCatalogue c;
};

struct RangeRow
{
    const char* name;
    uint32_t address;
    int32_t value;
    bool inRange;
};

class CatalogueRange : public Catalogue, public ::testing::WithParamInterface<RangeRow>
{
};

TEST_P(CatalogueRange, AppliesTheLimitRule)
{
    const RangeRow& r = GetParam();
    EXPECT_EQ(c.InRange(r.address, r.value), r.inRange);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CatalogueRange,
    ::testing::Values(RangeRow{"unsigned_60000_at_123", 123, 60000, true},
                      RangeRow{"unsigned_word_above_60000", 123, 60001, false},
                      RangeRow{"signed_minus_180_at_722", 722, -180, true},
                      RangeRow{"signed_181_at_722", 722, 181, false},
                      RangeRow{"signed_word_0xFF4C_is_minus_180", 722, 0xFF4C, true},
                      RangeRow{"negative_on_unsigned_register_is_a_big_word", 400, -1, false},
                      RangeRow{"address_zero_never", 0, 0, false},
                      RangeRow{"beyond_table", 10000, 0, false},
                      RangeRow{"far_beyond_table", 0xFFFFFFFFu, 0, false},
                      RangeRow{"unknown_address_has_limits_0_0", 5, 0, true},
                      RangeRow{"minus_200_at_100", 100, -200, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(Catalogue, ClampForcesIntoLimitsAndStoresWhenNoOut)
{
    int32_t out = 99;
    EXPECT_FALSE(c.Clamp(1608, -5, &out));
    EXPECT_EQ(out, -1);
    EXPECT_FALSE(c.Clamp(400, 5000, &out));
    EXPECT_EQ(out, 1220);
    EXPECT_TRUE(c.Clamp(400, 215, &out));
    EXPECT_EQ(out, 215);

    // Without an out pointer the entry's value takes the result.
    EXPECT_FALSE(c.Clamp(722, 500, nullptr));
    EXPECT_EQ(static_cast<int16_t>(H(722).value), 180);
    EXPECT_FALSE(c.Clamp(1608, -5, nullptr));
    EXPECT_EQ(H(1608).value, 0xFFFF);
}

TEST_F(Catalogue, ClampRefusesWhatLiesOutsideTheTable)
{
    int32_t out = 7;
    EXPECT_FALSE(RegisterCatalogue::Clamp(10000, 1, c.Table(K::Holding), RegisterCatalogue::kHoldingCount, &out));
    EXPECT_EQ(out, 7);
    EXPECT_FALSE(RegisterCatalogue::Clamp(400, 1, c.Table(K::Input), RegisterCatalogue::kInputCount, nullptr));
    EXPECT_FALSE(RegisterCatalogue::Clamp(1, 1, nullptr, 10, &out));
    EXPECT_EQ(out, 7);
    // Address 0 is never in range; its limits are 0 .. 0.
    EXPECT_FALSE(c.Clamp(0, 5, &out));
    EXPECT_EQ(out, 0);
}

TEST_F(Catalogue, IsUsedOnlyInsideTables)
{
    EXPECT_FALSE(c.IsUsed(K::Holding, 0));
    EXPECT_FALSE(c.IsUsed(K::Input, 0));
    EXPECT_TRUE(c.IsUsed(K::Input, 1));
    EXPECT_FALSE(c.IsUsed(K::Input, 400));
    EXPECT_FALSE(c.IsUsed(K::Holding, 10000));
    EXPECT_FALSE(c.IsUsed(3, 400));
    EXPECT_FALSE(c.IsUsed(-1, 400));
    EXPECT_TRUE(c.IsUsed(0, 400));
    EXPECT_FALSE(c.IsUsed(K::Coil, 156));
}

TEST_F(Catalogue, SetEntryHonoursMaskAndTableRules)
{
    RegisterFields f;
    f.readOnly = 0;
    f.value = 5;
    f.defaultValue = 6;
    f.min = -3;
    f.max = 9;
    f.name = "x";
    f.textPart = 2;

    c.SetEntry(K::Holding, 400, f, RegisterMask::Default);
    EXPECT_EQ(H(400).defaultValue, 6);
    EXPECT_EQ(H(400).value, 210);
    EXPECT_EQ(H(400).name, "Setpoint Temp");

    c.SetEntry(K::Holding, 9, f, RegisterMask::Value);
    EXPECT_EQ(H(9).value, 5);
    EXPECT_EQ(H(9).lastReadValue, 5);
    EXPECT_EQ(H(9).used, 0);

    c.SetEntry(K::Input, 50, f, RegisterMask::All);
    EXPECT_EQ(c.Entry(K::Input, 50)->readOnly, 1);
    EXPECT_EQ(c.Entry(K::Input, 50)->lastReadValue, 0);

    c.SetEntry(K::Coil, 50, f, RegisterMask::All);
    EXPECT_EQ(c.Entry(K::Coil, 50)->min, 0);
    EXPECT_EQ(c.Entry(K::Coil, 50)->max, 1);

    // Outside the tables nothing happens (and nothing is touched).
    c.SetEntry(K::Holding, 0, f, RegisterMask::All);
    c.SetEntry(K::Holding, 10000, f, RegisterMask::All);
    c.SetEntry(K::Coil, 400, f, RegisterMask::All);
    EXPECT_EQ(H(0).used, 0);
    EXPECT_TRUE(H(0).name.empty());
}

TEST_F(Catalogue, AddressMapsFollowPresence)
{
    const uint32_t* map = c.Map(K::Holding);
    EXPECT_EQ(map[400], (400u << 16) | 400u);
    EXPECT_EQ(map[5], 0xFFFF0000u | 5u);
    EXPECT_EQ(map[0], 0xFFFF0000u);
    EXPECT_EQ(c.Map(K::Coil)[12], (12u << 16) | 12u);
    EXPECT_EQ(c.Map(K::Coil)[156], 0xFFFF0000u | 156u);
    // A device profile leaves the maps alone.
    c.ApplyDeviceProfile(2050, 0, 3);
    EXPECT_EQ(c.Map(K::Coil)[156], 0xFFFF0000u | 156u);
}

TEST_F(Catalogue, ProfileOfUnknownDeviceChangesOnlyFanLevel)
{
    RegisterCatalogue before;
    before.Build();
    c.Holding(407).value = 50;
    c.ApplyDeviceProfile(-1, 0, 3); // units count as unknown without a device
    for (K kind : {K::Holding, K::Input, K::Coil}) {
        for (int a = 0; a < RegisterCatalogue::Count(kind); ++a) {
            if (kind == K::Holding && a == 407)
                continue;
            const RegisterEntry& x = *c.Entry(kind, a);
            const RegisterEntry& y = *before.Entry(kind, a);
            ASSERT_TRUE(x.value == y.value && x.used == y.used && x.min == y.min && x.max == y.max &&
                        x.defaultValue == y.defaultValue && x.readOnly == y.readOnly && x.name == y.name)
                << "kind " << int(kind) << " address " << a;
        }
    }
    EXPECT_EQ(H(407).min, 0);
    EXPECT_EQ(H(407).max, 5);
    EXPECT_EQ(H(407).value, 1);
}

TEST_F(Catalogue, ProfileForE2InFahrenheitWithPascal)
{
    c.Holding(400).value = 215;
    c.ApplyDeviceProfile(2050, 0, 3);
    EXPECT_EQ(H(407).max, 100);
    EXPECT_EQ(H(125).max, 50000);
    EXPECT_EQ(H(400).defaultValue, 700);
    EXPECT_EQ(H(400).value, 215); // values stay; only defaults and limits move
    EXPECT_EQ(H(3014).defaultValue, 610);
    EXPECT_EQ(H(3015).defaultValue, 750);
    EXPECT_EQ(H(403).defaultValue, 60);
    EXPECT_EQ(H(1616).readOnly, 1);
    EXPECT_TRUE(c.IsUsed(K::Holding, 7046));
    EXPECT_EQ(H(7046).name, "Time Program 1 Zuordnung zur Szene");
    EXPECT_EQ(H(7516).name, "Time Program 48 Zuordnung zur Szene");
    EXPECT_EQ(H(7516).max, 8);
    EXPECT_TRUE(c.IsUsed(K::Holding, 1500));
    for (uint32_t a = 1501; a <= 1504; ++a)
        EXPECT_FALSE(c.IsUsed(K::Holding, a)) << a;
    EXPECT_TRUE(c.IsUsed(K::Holding, 2007));
    EXPECT_EQ(H(2007).name, "Displaymenü sperren");
    EXPECT_EQ(H(4200).readOnly, 0);
    EXPECT_EQ(H(4200).max, 4);
    EXPECT_EQ(H(4263).defaultValue, 2);
    EXPECT_EQ(H(3749).readOnly, 0);
    for (uint32_t a = 156; a <= 196; ++a)
        EXPECT_TRUE(c.IsUsed(K::Coil, a)) << a;
    EXPECT_EQ(c.Entry(K::Coil, 17)->name, "Boost Kühlen");
    EXPECT_EQ(c.Entry(K::Coil, 196)->defaultValue, 1);
}

TEST_F(Catalogue, ProfileForD1AfterE2KeepsAddedRowsButRestoresAccess)
{
    c.ApplyDeviceProfile(2050, 0, 3);
    c.ApplyDeviceProfile(1003, 1, 0);
    EXPECT_TRUE(c.IsUsed(K::Holding, 2007));
    for (uint32_t a : {8u, 9u, 10u, 11u, 15u, 16u, 17u, 18u, 19u})
        EXPECT_TRUE(c.IsUsed(K::Coil, a)) << a;
    EXPECT_EQ(H(4200).readOnly, 1);
    EXPECT_EQ(H(4200).max, 2);
    EXPECT_EQ(H(5300).readOnly, 1);
    EXPECT_EQ(H(4263).defaultValue, 0);
    EXPECT_FALSE(c.IsUsed(K::Holding, 1500));
    EXPECT_FALSE(c.IsUsed(K::Holding, 6450));
    EXPECT_FALSE(c.IsUsed(K::Coil, 156));
    EXPECT_EQ(H(125).max, 10000);
    EXPECT_EQ(H(400).defaultValue, 210);
    EXPECT_EQ(H(407).max, 100);
}

TEST_F(Catalogue, FamilyThreeOpensMoreCircuitsAndMultiroomScenes)
{
    c.ApplyDeviceProfile(3000, -1, -1);
    EXPECT_EQ(H(5300).max, 20);
    EXPECT_TRUE(c.IsUsed(K::Holding, 1504));
    EXPECT_FALSE(c.IsUsed(K::Holding, 7046)); // scene registers are family 2 only
    EXPECT_EQ(H(407).max, 5);
}

struct FahrenheitRow
{
    uint32_t address;
    int32_t in;
    int32_t out;
};

TEST(CatalogueFahrenheit, ConvertsAbsoluteAndDifferenceGroups)
{
    const FahrenheitRow rows[] = {
        {8041, 80, 140}, {400, 215, 700}, {400, 210, 700}, {3014, 160, 610},
        {3015, 240, 750}, {2000, 5, 5},   {8056, 250, 450}, {1315, 0, 320},
    };
    for (const auto& r : rows) {
        int32_t v = r.in;
        RegisterCatalogue::ToFahrenheitX10(r.address, v);
        EXPECT_EQ(v, r.out) << r.address << " " << r.in;
    }
}

TEST(CatalogueDeviceText, NamesKnownTypesOnly)
{
    EXPECT_STREQ(DeviceTypeText(0), "frei");
    EXPECT_STREQ(DeviceTypeText(2050), "ORVELANT E2, 24V Regler, 3AO, Temp- und Lüfter-Regler");
    EXPECT_STREQ(DeviceTypeText(1234), "");
}

TEST(CatalogueDeviceText, TheNameTheDescriptionAndTheDemoListShareOneTable)
{
    const struct
    {
        int type;
        const char* name;
        const char* text;
    } kCases[] = {
        {0, "frei", "frei"},
        {3, "ORVELANT B1 Interface", "ORVELANT B1 Interface, keine Regelausg\u00e4nge"},
        {1004, "ORVELANT D2", "ORVELANT D2, 230V Regler, 5RO, Temp- und L\u00fcfter-Regler"},
        {2050, "ORVELANT E2", "ORVELANT E2, 24V Regler, 3AO, Temp- und L\u00fcfter-Regler"},
        {1234, "", ""},
    };
    for (const auto& c : kCases) {
        EXPECT_STREQ(DeviceTypeName(c.type), c.name) << c.type;
        EXPECT_STREQ(DeviceTypeText(c.type), c.text) << c.type;
    }
    const std::vector<std::string>& demo = DemoDeviceEntries();
    ASSERT_EQ(demo.size(), 9u);
    EXPECT_EQ(demo.front(), "3 = ORVELANT B1 Interface, Temp-Contol");
    EXPECT_EQ(demo[4], "1002 = ORVELANT C3, 24V Controller, 2AO 2DO, Temp-Control");
    EXPECT_EQ(demo.back(), "1006 = ORVELANT D4, 24V Controller, 2AO 2DO, Temp- and Fan-Control");
    // Each entry names its type as the rest of the tool does.
    for (const std::string& entry : demo) {
        const int type = std::stoi(entry);
        EXPECT_EQ(entry.rfind(std::to_string(type) + " = " + DeviceTypeName(type) + ", ", 0), 0u) << entry;
    }
}

} // namespace
