#include "tools/commission/CConnectionCommissionUnit.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "link/CPortUnit.h"

namespace Commission {

CConnectionCommissionUnit::CConnectionCommissionUnit(CConnection& connection, RegisterCatalogue& catalogue)
    : m_connection(connection), m_catalogue(catalogue),
      m_config(connection.modbus(), connection.state(), {}, {})
{
}

CConnectionCommissionUnit::~CConnectionCommissionUnit()
{
    close();
}

int CConnectionCommissionUnit::open()
{
    m_problem.clear();
    m_begun = BeginUnitAction(m_connection, {.inDemo = UnitAction::InDemo::Refuse, .identify = true,
                                             .sameDevice = true});
    if (!m_begun.ran()) {
        m_problem = m_begun.result == Result::DemoMode ? std::string("demo mode: nothing goes to a unit")
                                                       : ResultText(m_begun.result);
        return m_begun.result;
    }
    m_open = true;
    return Result::Ok;
}

void CConnectionCommissionUnit::close()
{
    if (!m_open)
        return;
    m_open = false;
    EndUnitAction(m_connection, m_begun);
}

int CConnectionCommissionUnit::readIdentity(UnitIdentity& identity)
{
    CPortUnit::Identity id;
    const int r = CPortUnit::ReadIdentity(m_connection.modbus(), id, m_problem);
    identity = {id.deviceType, id.firmware, id.productionDate, id.operationDays};
    return r;
}

int CConnectionCommissionUnit::readSpecial(uint16_t address, uint16_t* value)
{
    const int r = m_connection.modbus().readHoldingSpecial(address, value);
    return CPortUnit::Accepted(m_connection.modbus(), r, address) ? Result::Ok : (r < 0 ? r : Result::NoLink);
}

int CConnectionCommissionUnit::writeHolding(uint16_t address, uint16_t value)
{
    const int r = m_config.writeHolding(address, value);
    if (r == Result::Ok)
        m_connection.identityWritten(address, value);
    return r;
}

int CConnectionCommissionUnit::writeSpecial(uint16_t address, uint16_t value)
{
    const int r = m_connection.modbus().writeHoldingSpecialChecked(address, value);
    if (!CPortUnit::Accepted(m_connection.modbus(), r, address))
        return r < 0 ? r : Result::NoLink;
    m_connection.identityWritten(address, value);
    return Result::Ok;
}

} // namespace Commission
