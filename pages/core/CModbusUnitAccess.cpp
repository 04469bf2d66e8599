#include "pages/core/CModbusUnitAccess.h"

#include "link/CConnection.h"
#include "link/CModbus.h"

CModbusUnitAccess::CModbusUnitAccess(CConnection& connection) : m_modbus(connection.modbus()), m_connection(connection)
{
}

int CModbusUnitAccess::deviceType() const
{
    return m_connection.deviceType();
}

bool CModbusUnitAccess::demoMode() const
{
    return m_connection.demoMode();
}

std::string CModbusUnitAccess::portName()
{
    PortSettings settings;
    return m_connection.unitPortSettings(settings) == 0 ? settings.portName : std::string();
}

bool CModbusUnitAccess::specialReadWorks() const
{
    return m_connection.specialReadWorks != 0;
}

int CModbusUnitAccess::connectUnit(bool requireDevice)
{
    return m_connection.connectUnit(requireDevice);
}

void CModbusUnitAccess::disconnect()
{
    m_connection.disconnectLink();
}

int CModbusUnitAccess::identifyDevice()
{
    return m_connection.identifyDevice();
}

bool CModbusUnitAccess::isSameDevice()
{
    return m_connection.isSameDevice();
}

void CModbusUnitAccess::switchProtocol(int protocol)
{
    m_connection.switchProtocol(protocol);
}

int CModbusUnitAccess::identityWritten(uint16_t address, int32_t value, int result)
{
    // A new PIN or bus address written to the connected unit stays its
    // identity: the next identity check must still know it.
    if (result == 0 || result == kWriteAcceptedStatus)
        m_connection.identityWritten(address, static_cast<uint16_t>(value));
    return result;
}

int CModbusUnitAccess::readHolding(uint16_t address, uint16_t* value)
{
    return m_modbus.readHolding(address, value);
}

int CModbusUnitAccess::writeHolding(uint16_t address, uint16_t value)
{
    return identityWritten(address, value, m_modbus.writeHolding(address, value));
}

int CModbusUnitAccess::writeMultiHoldings(uint16_t firstAddress, const uint16_t* values)
{
    return m_modbus.writeMultiHoldings(firstAddress, values);
}

int CModbusUnitAccess::readHoldingSpecial(uint16_t address, uint16_t* value)
{
    return m_modbus.readHoldingSpecial(address, value);
}

int CModbusUnitAccess::writeHoldingSpecial(uint16_t address, uint16_t value)
{
    return identityWritten(address, value, m_modbus.writeHoldingSpecial(address, value));
}

int CModbusUnitAccess::writeHoldingChecked(uint16_t address, int32_t value)
{
    return identityWritten(address, value, m_modbus.writeHoldingChecked(address, value));
}

int CModbusUnitAccess::writeHoldingSpecialChecked(uint16_t address, int32_t value)
{
    return identityWritten(address, value, m_modbus.writeHoldingSpecialChecked(address, value));
}

int CModbusUnitAccess::writeMultiHoldingsChecked(uint16_t firstAddress, const uint16_t* values)
{
    return m_modbus.writeMultiHoldingsChecked(firstAddress, values);
}
