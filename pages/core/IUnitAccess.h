// How a page reaches the unit: the state and connection operations of the
// COM-Interface page and the holding-register commands of the protocol
// client. The application serves it with theModbus and the connection logic
// (CModbusUnitAccess); tests serve it with a fake unit.
//
// Result codes are those of the protocol client: 0 (or a non-negative
// adapter status) for success; -1 port closed, no unit known or address 0;
// -2 value outside the catalogue limits (the catalogue then holds the
// clamped value); -4 no reply within 2000 ms; -10 a read failed in both
// attempts; -1..-6 opening the port; -100 demo mode. A write that the
// adapter does not confirm gives a positive code (the reply line's length).
//
// Thread rules: user-interface thread only.
#pragma once

#include <cstdint>

class IUnitAccess
{
public:
    virtual ~IUnitAccess() = default;

    // The identified unit's device type (holding 2000); -1 when none is known.
    virtual int deviceType() const = 0;
    virtual bool demoMode() const = 0;
    // Register 2045 answered the special read when the unit was identified.
    virtual bool specialReadWorks() const = 0;

    // Opens the link when a unit is known: 0, the connect code, -1 when no
    // unit is known (device type not above 0), -100 in demo mode.
    virtual int connectUnit() = 0;
    virtual void disconnect() = 0;
    // Connects, re-reads the device information, disconnects; the device
    // type, or the negative port or connect code (device type -1 then).
    virtual int identifyDevice() = 0;
    // Over the open link: true when the unit still has the identity read at
    // identification (or it cannot be read); on a mismatch every tab but the
    // first is disabled.
    virtual bool isSameDevice() = 0;
    // Switches the unit between Modbus (0) and BACnet (1) and waits while it
    // restarts; the user connects again afterwards.
    virtual void switchProtocol(int protocol) = 0;

    virtual int readHolding(uint16_t address, uint16_t* value) = 0;
    virtual int writeHolding(uint16_t address, uint16_t value) = 0;
    virtual int writeMultiHoldings(uint16_t firstAddress, const uint16_t* values) = 0; // 12 values
    virtual int readHoldingSpecial(uint16_t address, uint16_t* value) = 0;
    virtual int writeHoldingSpecial(uint16_t address, uint16_t value) = 0;
    // Range-limited against the catalogue: -2 (clamped value stored) outside
    // the limits, -1 for address 0.
    virtual int writeHoldingChecked(uint16_t address, int32_t value) = 0;
    // As above; on success the value becomes the catalogue value.
    virtual int writeHoldingSpecialChecked(uint16_t address, int32_t value) = 0;
    virtual int writeMultiHoldingsChecked(uint16_t firstAddress, const uint16_t* values) = 0;
};
