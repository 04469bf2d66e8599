// The window's connected unit as a commissioning unit: the link opens
// through the unit session (demo mode refused, the unit asked what it is,
// and checked behind the open link to be the one connected to with its
// PIN), the reads and writes are the export's and import's, and the
// catalogue is the window's. Its own writes of the bus address or the PIN
// keep the unit recognised as the one connected to.
//
// Result codes (diag/Result.h): open returns Ok or the session's code
// (DemoMode, NoLink, AnotherUnit, PinNotAccepted, the port's open code).
// Thread rules: the user-interface thread (the connection's).
#pragma once

#include "tools/commission/CCommissionJob.h"
#include "tools/config/CModbusConfigUnit.h"

#include "link/UnitSession.h"

class CConnection;

namespace Commission {

class CConnectionCommissionUnit : public ICommissionUnit
{
public:
    CConnectionCommissionUnit(CConnection& connection, RegisterCatalogue& catalogue);
    ~CConnectionCommissionUnit() override;

    int open() override;
    void close() override;
    int readHolding(uint16_t address, uint16_t* value) override { return m_config.readHolding(address, value); }
    int writeHolding(uint16_t address, uint16_t value) override;
    int deviceType() const override { return m_config.deviceType(); }
    bool demoMode() const override { return m_config.demoMode(); }
    int readIdentity(UnitIdentity& identity) override;
    int readSpecial(uint16_t address, uint16_t* value) override;
    int writeSpecial(uint16_t address, uint16_t value) override;
    RegisterCatalogue& catalogue() override { return m_catalogue; }
    std::string problem() const override { return m_problem; }

private:
    CConnection& m_connection;
    RegisterCatalogue& m_catalogue;
    CModbusConfigUnit m_config;
    UnitActionResult m_begun;
    bool m_open = false;
    std::string m_problem;
};

} // namespace Commission
