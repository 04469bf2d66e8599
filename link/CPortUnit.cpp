#include "link/CPortUnit.h"

#include "diag/Result.h"
#include "link/CPassword.h"
#include "link/PortOpenProblem.h"

CPortUnit::CPortUnit(std::string port, std::optional<int> pin, std::filesystem::path lockoutFolder)
    : m_port(std::move(port)), m_pin(pin), m_lockoutFolder(std::move(lockoutFolder))
{
    m_modbus.setUnitState(&m_state);
    m_modbus.setCatalogue(&m_catalogue);
}

CPortUnit::~CPortUnit()
{
    close();
    m_modbus.setUnitState(nullptr);
    m_modbus.setCatalogue(nullptr);
}

bool CPortUnit::Accepted(const CModbus& modbus, int result, uint16_t number)
{
    return result >= 0 && modbus.replyStatus() >= 0 && modbus.replyAddress() == number;
}

int CPortUnit::Failed(const CModbus& modbus, const std::string& what, int result, uint16_t number,
                      std::string& problem)
{
    // A positive or zero result is a reply the adapter gave with a refusing
    // status or for another number.
    if (result > 0 || (result == 0 && !Accepted(modbus, result, number))) {
        if (modbus.replyAddress() != number)
            problem = what + ": the adapter answered for " + std::to_string(modbus.replyAddress()) + " instead of " +
                      std::to_string(number);
        else
            problem = what + ": the adapter refused with status " + std::to_string(modbus.replyStatus());
        return Result::NoLink;
    }
    problem = what + ": error " + std::to_string(result) + ": " + ResultText(result);
    return result;
}

int CPortUnit::open()
{
    m_learned = false;
    m_problem.clear();
    const int r = m_modbus.connect(m_port);
    if (r != Result::Ok) {
        // With the device's details: its group, the program holding it.
        m_problem = "opening port '" + m_port + "': error " + std::to_string(r) + ": " +
                    OpenFailureText(r, m_modbus.openProblem());
        return r;
    }
    const int unlocked = unlock();
    if (unlocked != Result::Ok)
        m_modbus.disconnect();
    return unlocked;
}

int CPortUnit::unlock()
{
    CPassword lockout = m_lockoutFolder.empty() ? CPassword() : CPassword(m_lockoutFolder);
    int wrongPins = 0;
    if (!lockout.isUnlocked(&wrongPins)) {
        const long long left = lockout.remainingSeconds();
        m_problem = left < 0 ? "Too many wrong tries - locked! (the lockout file " + lockout.path().string() +
                                   " cannot be used: it is no regular file of yours, or its folder cannot be "
                                   "written; remove it)"
                             : "Too many wrong tries - locked! Try again in " + std::to_string(left) + " s.";
        return Result::ToolLocked;
    }
    m_modbus.sendUnlock(m_pin.value_or(0));
    uint16_t pin = 0;
    const int r = m_modbus.readHolding(Reg::Pin, &pin);
    if (!accepted(r, Reg::Pin))
        return failed("reading the PIN register", r, Reg::Pin);
    if (pin != 0 && (!m_pin || *m_pin != pin)) {
        if (m_pin) {
            const int count = lockout.recordWrongPinNow();
            const int block = CPassword::BlockSecondsFor(count);
            m_problem = "the unit has a PIN: the PIN given with --pin is wrong (" + std::to_string(count) +
                        (count == 1 ? " wrong try" : " wrong tries") +
                        (block > 0 ? "; locked for " + std::to_string(block) + " s" : "") + ")";
        } else {
            m_problem = "the unit has a PIN: give it with --pin N";
        }
        return Result::PinNotAccepted;
    }
    if (pin != 0 && wrongPins != 0)
        lockout.recordRightPin();
    return Result::Ok;
}

int CPortUnit::learn()
{
    uint16_t type = 0, temp = 0, pressure = 0;
    const int r = m_modbus.readHolding(Reg::DeviceType, &type);
    if (!accepted(r, Reg::DeviceType))
        return failed("reading the device type", r, Reg::DeviceType);
    const int tempUnit = accepted(m_modbus.readHolding(Reg::TempUnit, &temp), Reg::TempUnit) ? temp : -1;
    const int pressureUnit =
        accepted(m_modbus.readHolding(Reg::PressureUnit, &pressure), Reg::PressureUnit) ? pressure : -1;
    m_state.deviceType = type;
    m_catalogue.Build();
    m_catalogue.ApplyDeviceProfile(type, tempUnit, pressureUnit);
    // Temperatures are shown in the unit's own temperature unit.
    if (tempUnit >= 0)
        m_catalogue.Holding(Reg::TempUnit).value = static_cast<uint16_t>(tempUnit);
    // The protocol selector answers only to the special read on older units.
    uint16_t protocol = 0;
    if (!accepted(m_modbus.readHoldingSpecial(Reg::Protocol, &protocol), Reg::Protocol) &&
        !accepted(m_modbus.readHolding(Reg::Protocol, &protocol), Reg::Protocol))
        protocol = 0;
    m_catalogue.Holding(Reg::Protocol).value = protocol;
    m_learned = true;
    return Result::Ok;
}

int CPortUnit::ReadIdentity(CModbus& modbus, Identity& identity, std::string& problem)
{
    uint16_t type = 0;
    int r = modbus.readHolding(Reg::DeviceType, &type);
    if (!Accepted(modbus, r, Reg::DeviceType))
        return Failed(modbus, "reading the device type", r, Reg::DeviceType, problem);
    identity.deviceType = type;
    // The protocol selector answers only to the special read on older units;
    // those that do answer it give their bus address the same way.
    uint16_t protocol = 0;
    const bool special = Accepted(modbus, modbus.readHoldingSpecial(Reg::Protocol, &protocol), Reg::Protocol);
    identity.protocol = special ? protocol : -1;
    const struct
    {
        const char* key;
        uint16_t address;
        int* target;
    } items[] = {{"firmware", Reg::Firmware, &identity.firmware},
                 {"production-date", Reg::ProdDate, &identity.productionDate},
                 {"operation-days", Reg::OperationDays, &identity.operationDays},
                 {"bus-address", Reg::BusAddress, &identity.busAddress}};
    for (const auto& item : items) {
        uint16_t v = 0;
        r = item.address == Reg::BusAddress && special ? modbus.readHoldingSpecial(item.address, &v)
                                                       : modbus.readHolding(item.address, &v);
        if (!Accepted(modbus, r, item.address))
            return Failed(modbus, std::string("reading ") + item.key, r, item.address, problem);
        *item.target = v;
    }
    return Result::Ok;
}

void CPortUnit::close()
{
    m_modbus.disconnect();
}

int CPortUnit::identifyDevice()
{
    const int opened = open();
    if (opened != Result::Ok)
        return opened;
    const int learned = learn();
    close();
    return learned == Result::Ok ? m_state.deviceType : learned;
}

int CPortUnit::connectUnit(bool requireDevice)
{
    const int opened = open();
    if (opened != Result::Ok)
        return opened;
    const int learned = learn();
    if (learned != Result::Ok || (requireDevice && m_state.deviceType <= 0)) {
        close();
        return learned != Result::Ok ? learned : Result::NoLink;
    }
    return Result::Ok;
}

bool CPortUnit::isSameDevice()
{
    uint16_t type = 0;
    return accepted(m_modbus.readHolding(Reg::DeviceType, &type), Reg::DeviceType) &&
           static_cast<int>(type) == m_state.deviceType;
}
