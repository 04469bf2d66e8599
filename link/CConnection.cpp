#include "link/CConnection.h"

#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CPassword.h"
#include "link/Crc16Modbus.h"
#include "model/RegisterCatalogue.h"
#include "model/TextNumber.h"
#include "tools/report/CChangeJournal.h"

#include <algorithm>
#include <iterator>


namespace {

constexpr const char* kStatusLocked = "Too many wrong tries - locked!";
constexpr const char* kStatusRefreshing = "Please wait til selected interface is refreshed!";
constexpr const char* kStatusFetching = "Please wait til some registers are fetched!";
constexpr const char* kStatusNoDevice = "Error: No device connected or PIN wrong.";
constexpr const char* kStatusWrongPin = "Wrong Pin entered.";
constexpr const char* kStatusBlocked = "Wait - you are blocked on more wrong tries.";
constexpr const char* kStatusRebooting = "Please wait til target has rebooted!";
// Cancel is the user's choice, not a fault: a plain text, never an error.
constexpr const char* kStatusCancelled = "Connect canceled.";
constexpr const char* kStatusAnotherUnit = "another unit is attached: connect again";

} // namespace

CConnection::CConnection(CModbus& modbus, RegisterCatalogue& catalogue, IConnectionHost& host)
    : m_modbus(modbus), m_catalogue(catalogue), m_host(host)
{
    m_modbus.setUnitState(&m_state);
    m_modbus.setCatalogue(&m_catalogue);
}

CConnection::~CConnection()
{
    if (m_modbus.unitState() == &m_state)
        m_modbus.setUnitState(nullptr);
}

void CConnection::setLockoutDirectory(std::optional<std::filesystem::path> directory)
{
    m_lockoutDirectory = std::move(directory);
}

CPassword CConnection::lockout() const
{
    return m_lockoutDirectory ? CPassword(*m_lockoutDirectory) : CPassword();
}

int64_t CConnection::lockoutRemainingSeconds()
{
    return lockout().remainingSeconds();
}

std::string CConnection::lockoutNote()
{
    CPassword password = lockout();
    int count = 0;
    password.isUnlocked(&count);
    return CPassword::NoteText(count, password.remainingSeconds());
}

bool CConnection::isUnlocked()
{
    return lockout().isUnlocked(&wrongPinCount);
}

int CConnection::ParsePin(const std::string& text)
{
    return TextNumber::Leading(text, TextNumber::kPlainDigits);
}

int CConnection::getPortSettings(PortSettings& settings)
{
    return m_host.getPortSettings(settings);
}

int CConnection::unitPortSettings(PortSettings& settings)
{
    // Bound at "Connect": a refreshed or changed port list does not move it.
    if (m_boundPort) {
        settings = *m_boundPort;
        return Result::Ok;
    }
    return m_host.getPortSettings(settings);
}

void CConnection::unbind()
{
    m_pinAccepted = false;
    m_pinCancelled = false;
    m_otherUnit = false;
    m_boundPort.reset();
    m_identity.reset();
    m_boundDeviceType = kNoDevice;
}

void CConnection::identityWritten(uint16_t address, uint16_t value)
{
    if (!m_identity || m_otherUnit)
        return;
    const bool ownsRememberedPin = m_pinOwner && m_boundPort && m_pinOwner->portName == m_boundPort->portName &&
                                   m_pinOwner->identity == *m_identity;
    for (std::size_t i = 0; i < m_identity->size(); ++i)
        if (kIdentityRegisters[i] == address)
            (*m_identity)[i] = value;
    // A new PIN makes the remembered one wrong; a new bus address leaves it
    // the same unit's.
    if (ownsRememberedPin) {
        if (address == Reg::Pin)
            m_pinOwner.reset();
        else
            m_pinOwner->identity = *m_identity;
    }
    if (address == Reg::Pin)
        devicePin = value;
}

void CConnection::markOtherUnit()
{
    m_otherUnit = true;
    m_state.deviceType = m_boundDeviceType;
    m_host.setOtherTabsEnabled(false);
    m_host.setStatus(kStatusAnotherUnit, Result::AnotherUnit);
}

void CConnection::connectLink()
{
    PortSettings settings;
    if (unitPortSettings(settings) == 0)
        m_modbus.connect(settings.portName, settings.baudRate, settings.stopBits, settings.parity);
}

int CConnection::connectUnit(bool requireDevice)
{
    PortSettings settings;
    if (!m_binding && !m_state.inDemoMode()) {
        if (m_otherUnit)
            return Result::AnotherUnit;
        if (!m_pinAccepted)
            return Result::PinNotAccepted;
    }
    if (unitPortSettings(settings) != 0)
        return Result::NoLink;
    if (requireDevice && m_state.deviceType <= 0)
        return Result::NoLink;
    return m_modbus.connect(settings.portName, settings.baudRate, settings.stopBits, settings.parity);
}

void CConnection::disconnectLink()
{
    m_modbus.disconnect();
}

void CConnection::showIdentified()
{
    if (m_state.deviceType >= 0)
        m_host.setStatusText("Ready.");
    else
        m_host.setStatus(kStatusNoDevice, Result::NoDeviceConnected);
}

int CConnection::checkReady()
{
    showIdentified();
    return m_state.deviceType;
}

int CConnection::readIdentityRegister(uint16_t address, uint16_t* value)
{
    // The bus address answers the special read on the units that know it.
    return address == Reg::BusAddress && specialReadWorks == 1 ? m_modbus.readHoldingSpecial(address, value)
                                                               : m_modbus.readHolding(address, value);
}

bool CConnection::readIdentity(uint16_t (&values)[6])
{
    for (int i = 0; i < 6; ++i) {
        const uint16_t address = kIdentityRegisters[i];
        uint16_t value = 0;
        if (readIdentityRegister(address, &value) < 0)
            return false;
        values[i] = value;
        if (address == Reg::DeviceType)
            m_state.deviceType = value;
    }
    return true;
}

int CConnection::identifyDevice()
{
    if (!m_binding && !m_state.inDemoMode()) {
        if (m_otherUnit)
            return Result::AnotherUnit;
        if (!m_pinAccepted)
            return Result::PinNotAccepted;
    }
    return identify();
}

int CConnection::identify()
{
    PortSettings settings;
    if (unitPortSettings(settings) != 0) {
        m_state.deviceType = kNoDevice;
        return Result::NoLink;
    }
    const int connected =
        m_modbus.connect(settings.portName, settings.baudRate, settings.stopBits, settings.parity);
    if (connected != 0) {
        m_state.deviceType = kNoDevice;
        return connected;
    }

    // Read everything first; take it over only when it is the bound unit
    // (or while binding): another unit must not overwrite what is known.
    int deviceType = kNoDevice;
    int tempUnit = -1;
    int pressUnit = -1;
    int selector = 0;
    int special = 0;
    std::array<uint16_t, 6> identity{};
    std::array<bool, 6> identityRead{};
    const int knownSpecialRead = specialReadWorks;
    uint16_t value = 0;
    if (m_modbus.readHolding(Reg::DeviceType, &value) >= 0)
        deviceType = value;
    if (deviceType >= 0) {
        if (m_modbus.readHolding(Reg::TempUnit, &value) >= 0)
            tempUnit = value;
        if (m_modbus.readHolding(Reg::PressureUnit, &value) >= 0)
            pressUnit = value;
        if (m_modbus.readHoldingSpecial(Reg::Protocol, &value) >= 0) {
            selector = value;
            special = 1;
        }
        specialReadWorks = special;
        for (int i = 0; i < 6; ++i) {
            if (readIdentityRegister(kIdentityRegisters[i], &value) < 0)
                continue;
            identity[static_cast<std::size_t>(i)] = value;
            identityRead[static_cast<std::size_t>(i)] = true;
        }
    }
    disconnectLink();

    if (!m_binding && m_identity && deviceType >= 0) {
        bool other = deviceType != m_boundDeviceType;
        for (std::size_t i = 0; i < identity.size(); ++i)
            other = other || (identityRead[i] && identity[i] != (*m_identity)[i]);
        if (other) {
            specialReadWorks = knownSpecialRead; // the connected unit's
            markOtherUnit();
            return Result::AnotherUnit;
        }
    }

    m_state.deviceType = deviceType;
    temperatureUnit = tempUnit;
    pressureUnit = pressUnit;
    protocolSelector = selector;
    specialReadWorks = special;
    if (deviceType < 0)
        return deviceType;
    m_catalogue.Holding(Reg::DeviceType).value = static_cast<uint16_t>(deviceType);
    m_catalogue.Holding(Reg::Protocol).value = static_cast<uint16_t>(protocolSelector);
    if (tempUnit >= 0)
        m_catalogue.Holding(Reg::TempUnit).value = static_cast<uint16_t>(tempUnit);
    for (std::size_t i = 0; i < identity.size(); ++i) {
        if (!identityRead[i])
            continue;
        m_catalogue.Holding(kIdentityRegisters[i]).value = identity[i];
        if (kIdentityRegisters[i] == Reg::Pin)
            devicePin = identity[i];
    }
    if (m_binding) {
        m_boundDeviceType = deviceType;
        m_identity = identity;
    }
    return deviceType;
}

bool CConnection::rememberedPinFits()
{
    if (rememberedPinText.empty() || !m_pinOwner)
        return false;
    PortSettings settings;
    if (m_host.getPortSettings(settings) != 0 || settings.portName != m_pinOwner->portName)
        return false;
    // The identity registers answer before the unlock: the unit can say who
    // it is before its PIN is offered.
    if (m_modbus.connect(settings.portName, settings.baudRate, settings.stopBits, settings.parity) != 0) {
        m_modbus.disconnect();
        return false;
    }
    uint16_t values[6] = {};
    const int knownType = m_state.deviceType;
    const bool read = readIdentity(values);
    m_state.deviceType = knownType;
    m_modbus.disconnect();
    return read && std::equal(std::begin(values), std::end(values), m_pinOwner->identity.begin());
}

bool CConnection::isSameDevice()
{
    if (m_state.inDemoMode())
        return true;
    if (m_otherUnit || !m_identity)
        return false;
    uint16_t unit[6] = {};
    const int knownType = m_state.deviceType;
    const bool read = readIdentity(unit);
    m_state.deviceType = knownType; // the bound unit's type stays
    if (!read)
        return true;
    const bool same = Crc16ModbusWords(unit, 6) == Crc16ModbusWords(m_identity->data(), 6);
    if (!same) {
        markOtherUnit();
        return false;
    }
    // The pages open only for a unit whose PIN was accepted; a check after a
    // refused PIN must not open them.
    m_host.setOtherTabsEnabled(m_pinAccepted);
    return true;
}

bool CConnection::verifySameDevice()
{
    connectLink();
    const bool same = isSameDevice();
    disconnectLink();
    return same;
}

CConnection::PinResult CConnection::checkPin()
{
    if (m_state.deviceType <= 0 || devicePin == 0)
        return PinResult::Accepted;
    if (m_pinCancelled) {
        m_modbus.disconnect();
        return PinResult::Cancelled;
    }
    if (!isUnlocked())
        return PinResult::Blocked;
    CPassword password = lockout();
    if (devicePin == enteredPin) {
        wrongPinCount = 0;
        password.recordRightPin();
        return PinResult::Accepted;
    }
    // Counted on top of the file as it is now: tavemo-cli may have counted
    // wrong tries since this connection read it.
    wrongPinCount = password.recordWrongPinNow();
    m_modbus.disconnect();
    return PinResult::Wrong;
}

void CConnection::connectSequence()
{
    // The report lists what this connection wrote: a new one starts afresh.
    CChangeJournal::Instance().clear();
    // Binding runs to the end of the sequence, whichever way it ends.
    struct BindingScope
    {
        explicit BindingScope(bool& flag) : binding(flag) { binding = true; }
        ~BindingScope() { binding = false; }
        bool& binding;
    } scope(m_binding);

    // Reset the link and the tabs, with the previous identification's profile.
    m_state.demoMode = 0;
    unbind();
    m_modbus.disconnect();
    m_catalogue.ApplyDeviceProfile(m_state.deviceType, temperatureUnit, pressureUnit);
    m_host.rebuildTabs(kNoDevice);
    m_host.setOtherTabsEnabled(false);
    m_host.setStatusText("");

    // PIN prompt.
    if (!isUnlocked()) {
        m_host.setStatus(kStatusLocked, Result::ToolLocked);
        return;
    }
    std::string text = rememberPin && rememberedPinFits() ? rememberedPinText : std::string();
    bool remember = rememberPin != 0;
    const bool ok = m_host.askPin(text, remember);
    rememberPin = remember ? 1 : 0;
    // A PIN typed now belongs to the unit this connect finds.
    const bool typedToRemember = rememberPin && ok;
    if (!rememberPin || ok)
        m_pinOwner.reset();
    if (!rememberPin)
        rememberedPinText.clear();
    else if (ok)
        rememberedPinText = text;
    enteredPin = ok ? ParsePin(text) : 0;
    m_pinCancelled = !ok;

    // Send the PIN. A port that cannot be opened ends the sequence with its
    // code on the status line; the detail line says why (no access, held
    // by another program, unplugged).
    PortSettings settings;
    if (unitPortSettings(settings) != 0) {
        m_modbus.disconnect();
        return;
    }
    if (const int opened =
            m_modbus.connect(settings.portName, settings.baudRate, settings.stopBits, settings.parity);
        opened != 0) {
        m_modbus.disconnect();
        m_host.setStatus(StatusLineText(opened), opened);
        return;
    }
    // From here on every step of this unit goes to this port.
    m_boundPort = settings;
    m_modbus.sendUnlock(enteredPin);
    // The unlock line gets no reply; let it reach the adapter before the
    // port is closed, since opening the port again discards what the other
    // side has not taken yet.
    m_modbus.purgeInput();

    // Identify the unit and adapt catalogue and tabs to it.
    m_host.setStatusText(kStatusRefreshing);
    m_modbus.disconnect();
    identify();
    if (typedToRemember && m_identity && m_state.deviceType >= 0)
        m_pinOwner = PinOwner{settings.portName, *m_identity};
    m_catalogue.ApplyDeviceProfile(m_state.deviceType, temperatureUnit, pressureUnit);
    m_host.rebuildTabs(m_state.deviceType);
    m_host.setOtherTabsEnabled(false);
    m_host.showDevice(DeviceTypeText(m_state.deviceType));
    showIdentified();

    if (m_state.deviceType == kNoDevice) {
        for (int i = 0; i < kActivationFlagCount; ++i)
            m_catalogue.Holding(static_cast<uint16_t>(kFirstActivationFlag + kActivationFlagStep * i)).value =
                0;
        return;
    }

    m_host.setStatusText(kStatusFetching);
    switch (checkPin()) {
    case PinResult::Wrong:
        m_host.setStatus(kStatusWrongPin, Result::WrongPin);
        return;
    case PinResult::Blocked:
        m_host.setStatus(kStatusBlocked, Result::ToolLocked);
        return;
    case PinResult::Cancelled:
        m_host.setStatusText(kStatusCancelled);
        return;
    case PinResult::Accepted:
        break;
    }
    m_pinAccepted = true;
    verifySameDevice();
    if (connectUnit(true) == 0) {
        for (int i = 0; i < kActivationFlagCount; ++i) {
            const auto address = static_cast<uint16_t>(kFirstActivationFlag + kActivationFlagStep * i);
            uint16_t value = 0;
            if (m_modbus.readHolding(address, &value) >= 0)
                m_catalogue.Holding(address).value = value;
        }
    }
    if (m_state.deviceType > 0)
        m_modbus.disconnect();
    m_host.setStatusText("Ready.");
}

void CConnection::switchProtocol(int value)
{
    value = value > 0 ? 1 : 0;
    RegisterEntry& entry = m_catalogue.Holding(Reg::Protocol);
    if (value == entry.value)
        return;
    entry.value = static_cast<uint16_t>(value);
    PortSettings settings;
    if (unitPortSettings(settings) != 0 ||
        m_modbus.connect(settings.portName, settings.baudRate, settings.stopBits, settings.parity) != 0)
        return;
    if (m_modbus.writeHoldingSpecial(Reg::Protocol, static_cast<uint16_t>(value)) != 0) {
        m_modbus.disconnect();
        protocolSelector = 0;
        entry.value = 0;
        return;
    }
    m_modbus.disconnect();
    m_host.setStatusText(kStatusRebooting);
    m_host.waitMs(kProtocolRebootWaitMs);
    m_host.setStatusText(" ");
    m_host.returnToFirstTab();
}

UnitActionResult CConnection::run(const UnitAction& how, const std::function<int()>& work, UnitActionHooks hooks)
{
    if (!hooks.identified)
        hooks.identified = [this](int) { checkReady(); };
    return RunUnitAction(*this, how, work, hooks);
}

int CConnection::saveToNvram()
{
    const UnitActionResult r = run({.inDemo = UnitAction::InDemo::Skip, .identify = true},
                                   [this] { return m_modbus.writeHolding(Reg::SaveToNvram, 1); });
    // Another unit and no unit answering are on the status line already.
    if (r.refused()) {
        if (r.result == Result::PinNotAccepted)
            m_host.setStatus(StatusLineText(r.result), r.result);
        return r.result;
    }
    if (r.outcome != UnitActionResult::Outcome::SkippedInDemo)
        m_host.setStatus(StatusLineText(r.result), r.result);
    return r.result;
}

void CConnection::beginDemoChoice()
{
    unbind();
    m_state.deviceType = kNoDevice;
    m_state.demoMode = 0;
    m_host.setStatusText("Ready.");
}

void CConnection::enterDemoMode(int deviceType)
{
    m_state.deviceType = deviceType;
    m_host.rebuildTabs(deviceType);
    // In demo mode before the pages come on: the window enables the File
    // menu's unit actions by it.
    m_state.demoMode = 1;
    m_host.setOtherTabsEnabled(true);
    m_host.setStatusText("Demo mode is active.");
}

void CConnection::cancelDemoMode()
{
    m_host.setStatusText("Ready.");
    m_host.rebuildTabs(kNoDevice);
    m_host.setOtherTabsEnabled(false);
}
