// IConfigUnit over the protocol client: reads and writes through CModbus,
// the link opened and closed by a function the owner gives (the tool's
// connection, or tavemo-cli's own port handling).
//
// A read that got no answer at all comes back as NoReply, so that the
// export can tell a silent unit from one that refuses a register.
//
// Thread rules: the thread that owns the CModbus.
#pragma once

#include "tools/config/IConfigUnit.h"

#include <functional>

class CModbus;
class CUnitState;

class CModbusConfigUnit : public IConfigUnit
{
public:
    // open: the link's open step (its result as IConfigUnit::open); close
    // the matching close.
    CModbusConfigUnit(CModbus& modbus, const CUnitState& state, std::function<int()> open,
                      std::function<void()> close);

    int open() override { return m_open ? m_open() : 0; }
    void close() override
    {
        if (m_close)
            m_close();
    }
    int readHolding(uint16_t address, uint16_t* value) override;
    int writeHolding(uint16_t address, uint16_t value) override;
    int deviceType() const override;
    bool demoMode() const override;

private:
    CModbus& m_modbus;
    const CUnitState& m_state;
    std::function<int()> m_open;
    std::function<void()> m_close;
};
