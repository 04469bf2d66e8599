// IUnitAccess over the real link: the connection logic (CConnection) for the
// unit's state, identification, the identity check and the protocol switch,
// and its protocol client for the register commands. Pages reach the
// unit only through the holding-register commands, also when the unit's
// protocol is BACnet.
//
// Result codes: those of CModbus and CConnection (IUnitAccess.h).
//
// Thread rules: user-interface thread only (like the client it drives).
#pragma once

#include "pages/core/IUnitAccess.h"

class CConnection;
class CModbus;

class CModbusUnitAccess : public IUnitAccess
{
public:
    explicit CModbusUnitAccess(CConnection& connection);

    int deviceType() const override;
    bool demoMode() const override;
    std::string portName() override;
    bool specialReadWorks() const override;

    int connectUnit(bool requireDevice) override;
    void disconnect() override;
    int identifyDevice() override;
    bool isSameDevice() override;
    void switchProtocol(int protocol) override;

    int readHolding(uint16_t address, uint16_t* value) override;
    int writeHolding(uint16_t address, uint16_t value) override;
    int writeMultiHoldings(uint16_t firstAddress, const uint16_t* values) override;
    int readHoldingSpecial(uint16_t address, uint16_t* value) override;
    int writeHoldingSpecial(uint16_t address, uint16_t value) override;
    int writeHoldingChecked(uint16_t address, int32_t value) override;
    int writeHoldingSpecialChecked(uint16_t address, int32_t value) override;
    int writeMultiHoldingsChecked(uint16_t firstAddress, const uint16_t* values) override;

private:
    // The adapter's status for a write it took as done.
    static constexpr int kWriteAcceptedStatus = 4;
    // Hands a write of an identity register to the connection; result as given.
    int identityWritten(uint16_t address, int32_t value, int result);

    CModbus& m_modbus;
    CConnection& m_connection;
};
