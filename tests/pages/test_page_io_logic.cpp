// The Inputs and Sun Protect pages' own rules against a fake unit: what the
// simulator cannot easily show (no unit at all, a unit that reports an
// unknown position) and the tables' agreement with the catalogue.
#include "tests/support/PageFakes.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CInputsLogic.h"
#include "pages/core/CSunProtectLogic.h"

#include <gtest/gtest.h>

using namespace Page;

TEST(InputsLogic, WithoutAUnitAChoiceIsNeitherWrittenNorStored)
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    FakeUnit unit(catalogue);
    FakeHost host;
    FakeControls controls;
    CInputsLogic logic(catalogue, unit, host, controls);
    controls.add(InputsId::Input1Config, ControlKind::ComboBox).index = 9;
    catalogue.Holding(3900).value = 3;

    unit.type = -1;
    EXPECT_EQ(logic.chooseFunction(InputsId::Input1Config), 0);
    EXPECT_EQ(catalogue.Holding(3900).value, 3);
    EXPECT_TRUE(unit.log.empty());

    unit.type = 2050;
    EXPECT_EQ(logic.chooseFunction(InputsId::Input1Config), 0);
    EXPECT_EQ(unit.writes(), std::vector<std::string>{"Mw3900 9"});
    EXPECT_EQ(host.status, "Done.");
}

// A number field shows a signed number exactly where its register's
// minimum is negative; with a plain display an angle of -45 would read 65491.
TEST(SunProtectLogic, SignedFieldsAreThoseWithANegativeMinimum)
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    for (const int deviceType : {1004, 2050}) {
        catalogue.ApplyDeviceProfile(deviceType, 1, 0);
        for (const Row& row : CSunProtectLogic::PageDescription().rows) {
            if (row.kind != Kind::Number)
                continue;
            const bool signedShown = row.format == CSunProtectLogic::SignedNumber;
            EXPECT_EQ(signedShown, catalogue.Holding(row.address).min < 0) << row.caption << " " << deviceType;
        }
    }
    EXPECT_EQ(CSunProtectLogic::SignedNumber(0xFFD3), "-45");
}

// A unit of device type 0 still sees a read start and end on the status line.
TEST(SunProtectLogic, AUnitOfTypeZeroGetsItsStatus)
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    FakeUnit unit(catalogue);
    FakeHost host;
    FakeControls controls;
    CSunProtectLogic logic(catalogue, unit, host, controls);
    const struct
    {
        int type;
        std::vector<std::string> shown;
    } kCases[] = {{0, {"Running...", "Error: -1"}}, {-1, {}}};
    for (const auto& c : kCases) {
        unit.type = c.type;
        host.statusHistory.clear();
        logic.readCycle();
        EXPECT_EQ(host.statusHistory, c.shown) << c.type;
    }
}
