// How a page reaches the unit: the state and operations of the connection
// (identification, the identity check, the protocol switch) and the
// holding-register commands of its protocol client. The application serves
// it over the core connection (CModbusUnitAccess); tests serve it with a
// fake unit.
//
// Result codes (diag/Result.h) are those of the protocol client: 0 (or a
// non-negative adapter status) for success; Result::NoLink no link or no
// unit known; Result::OutOfLimits value outside the catalogue limits (the
// catalogue then holds the clamped value); Result::NoReply; Result::ReadFailed
// (both attempts); Result::NoSuchRegister; the port-open codes
// (Result::PortBusy ...); Result::DemoMode. A write that the adapter does not
// confirm gives a positive code (the reply line's length).
//
// Thread rules: user-interface thread only.
#pragma once

#include "link/UnitSession.h"

#include <cstdint>
#include <string>

// The session's steps (device type, demo mode, identify, open the link,
// the identity check, close) are IUnitSessionSteps', so that a page's unit
// runs the one unit session as it is:
//   connectUnit(requireDevice) opens the link when a unit is known: 0, the
//     connect code, NoLink when no unit is known and one is required (device
//     type not above 0), DemoMode in demo mode, PinNotAccepted before a
//     unit was connected with its PIN, AnotherUnit once another unit was
//     found behind the port (until "Connect");
//   identifyDevice() connects, re-reads the device information and
//     disconnects: the device type, or the negative port or connect code
//     (device type -1 then); PinNotAccepted or AnotherUnit as connectUnit
//     (the device type stays the connected unit's: another unit never
//     replaces it);
//   isSameDevice() over the open link: true when the unit still has the
//     identity found at "Connect" (or it cannot be read); on a mismatch
//     every tab but the first is disabled and every later action ends with
//     AnotherUnit.
class IUnitAccess : public IUnitSessionSteps
{
public:
    // The port the unit is reached on ("" when none is chosen).
    virtual std::string portName() = 0;
    // Register 2045 answered the special read when the unit was identified.
    virtual bool specialReadWorks() const = 0;
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
