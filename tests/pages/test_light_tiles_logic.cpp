// The Light and Tiles pages' tables against the catalogue and a fake unit:
// what the simulator cannot show (the pauses between reads) and the lists'
// agreement with the registers' limits on every family of units.
#include "tests/support/PageFakes.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CLightLogic.h"
#include "pages/core/CTilesLogic.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Page;

// A list shows the register's value as its index: an entry beyond the
// limits would be refused by the unit, a value without an entry shown as
// nothing.
TEST(LightTilesLogic, EachListHoldsOneEntryPerValueTheRegisterTakes)
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    for (const int deviceType : {1004, 2050, 3010}) {
        catalogue.ApplyDeviceProfile(deviceType, 1, 0);
        for (const Description* page : {&CLightLogic::PageDescription(), &CTilesLogic::PageDescription()})
            for (const Row& row : page->rows) {
                if (row.kind != Kind::List)
                    continue;
                const RegisterEntry& entry = catalogue.Holding(row.address);
                EXPECT_EQ(entry.min, row.listOffset) << row.caption << " " << deviceType;
                EXPECT_EQ(static_cast<int>(row.items.size()), entry.max - entry.min + 1)
                    << row.caption << " " << deviceType;
                EXPECT_GE(row.initial, 0) << row.caption;
            }
    }
}

// Each register read is followed by the unit's 10 ms pause; the labels are
// read register by register.
template <class Logic> void ExpectAPauseAfterEachRead(std::size_t expectedReads)
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    FakeUnit unit(catalogue);
    FakeHost host;
    FakeControls controls;
    Logic logic(catalogue, unit, host, controls);
    EXPECT_EQ(logic.readCycle(), 0);
    const auto reads =
        std::count_if(unit.log.begin(), unit.log.end(), [](const std::string& s) { return s.rfind("Mr", 0) == 0; });
    EXPECT_EQ(static_cast<std::size_t>(reads), expectedReads);
    EXPECT_EQ(host.pauses, std::vector<int>(expectedReads, 10));
    EXPECT_EQ(host.status, "Done.");
}

TEST(LightTilesLogic, EveryReadIsFollowedByTenMilliseconds)
{
    ExpectAPauseAfterEachRead<CLightLogic>(14 + 2 * 12);
    ExpectAPauseAfterEachRead<CTilesLogic>(7);
}
