#include "tools/config/CModbusConfigUnit.h"

#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CUnitState.h"

#include <chrono>

CModbusConfigUnit::CModbusConfigUnit(CModbus& modbus, const CUnitState& state, std::function<int()> open,
                                     std::function<void()> close)
    : m_modbus(modbus), m_state(state), m_open(std::move(open)), m_close(std::move(close))
{
}

int CModbusConfigUnit::readHolding(uint16_t address, uint16_t* value)
{
    const auto start = std::chrono::steady_clock::now();
    const int r = m_modbus.readHolding(address, value);
    if (r >= 0 && m_modbus.replyStatus() >= 0 && m_modbus.replyAddress() == address)
        return Result::Ok;
    // A refusal comes back at once; a read that waited out the reply time
    // got nothing at all.
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (waited >= CModbus::kReplyTimeoutMs)
        return Result::NoReply;
    return r < 0 ? r : Result::ReadFailed;
}

int CModbusConfigUnit::writeHolding(uint16_t address, uint16_t value)
{
    const int r = m_modbus.writeHolding(address, value);
    if (r >= 0 && m_modbus.replyStatus() >= 0 && m_modbus.replyAddress() == address)
        return Result::Ok;
    return r != 0 ? r : Result::NoReply;
}

int CModbusConfigUnit::deviceType() const
{
    return m_state.deviceType;
}

bool CModbusConfigUnit::demoMode() const
{
    return m_state.inDemoMode();
}
