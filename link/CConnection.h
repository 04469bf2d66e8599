// Connecting to a room unit: the PIN unlock with its lockout, identifying
// the unit, adapting the catalogue and the tab set to it, and the checks
// every page runs before it talks to the unit (is the identified unit still
// the one attached?). The main window owns it; the COM-Interface page drives
// it from its buttons, the other pages reach it through their context,
// tavemo-cli drives it directly.
//
// The connection owns the shared unit state (demo flag, device type) and
// attaches it and the catalogue to the protocol client for its lifetime.
//
// "Remember password" keeps the PIN typed for the unit found at that
// "Connect" (its port and identity): the prompt offers it again only when
// the same unit answers on the same port, which it asks before the prompt.
//
// The unit is bound at "Connect": the port chosen then, the unit's identity
// (2000-2004, 2008) and whether its PIN was accepted. Until the next
// "Connect" the port list may change without moving the connection, and a
// later identification or identity check that finds another unit changes
// none of it: the connection stops acting on any unit (every page action
// ends with AnotherUnit, the pages are off) until "Connect" binds again.
// Nothing but demo mode acts on a unit before its PIN was accepted.
//
// Result codes (diag/Result.h; negative = failure):
//   getPortSettings   Ok; NoLink no port listed; NoPortSelected no port
//                     selected (the host's codes, IConnectionHost.h)
//   connectUnit       Ok; the CModbus::connect codes (the CComPort::open
//                     codes, DemoMode); NoLink without port settings or,
//                     when a unit is required, when none is known;
//                     PinNotAccepted no unit was connected with its PIN;
//                     AnotherUnit another unit was found since "Connect"
//   identifyDevice    the device type (0 or more); -1 (kNoDevice) no unit
//                     answered; NoLink no port settings; a negative connect
//                     code; PinNotAccepted, AnotherUnit as connectUnit (the
//                     stored identity and device type stay those of the unit
//                     found at "Connect")
//   saveToNvram       Ok; NoLink no unit known; the first failing code
//                     (connect or write); StatusLineText shows it
//   checkReady        the device type (negative: none known)
//
// Thread rules: one thread (the user-interface thread, or the command-line
// tool's only thread). Not re-entrant.
#pragma once

#include "link/CUnitState.h"
#include "link/IConnectionHost.h"
#include "link/UnitSession.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class CModbus;
class CPassword;
class RegisterCatalogue;

class CConnection : public IUnitSessionSteps
{
public:
    // The unit restarts with the other protocol; it answers again after this.
    static constexpr int kProtocolRebootWaitMs = 15000;
    // The time programs' activation flags, read after every accepted connect.
    static constexpr uint16_t kFirstActivationFlag = 7040;
    static constexpr int kActivationFlagStep = 10;
    static constexpr int kActivationFlagCount = 48;
    // The identity registers, in the order they are read and checksummed.
    static constexpr uint16_t kIdentityRegisters[6] = {2000, 2001, 2002, 2003, 2004, 2008};

    enum class PinResult
    {
        Accepted,
        Wrong,
        Blocked,
        // The user closed the PIN prompt with Cancel: no guess, so it is
        // not counted against the lockout.
        Cancelled
    };

    CConnection(CModbus& modbus, RegisterCatalogue& catalogue, IConnectionHost& host);
    ~CConnection();
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // An action on the unit bound at "Connect", in the steps every action
    // takes (UnitSession.h); the ready check shows "Ready." or that no unit
    // answered, as checkReady.
    UnitActionResult run(const UnitAction& how, const std::function<int()>& work, UnitActionHooks hooks = {});

    // The "Connect" button: unlock, identify, check the PIN, enable the pages.
    void connectSequence();

    // The port list's choice now (the host's).
    int getPortSettings(PortSettings& settings);
    // The port the unit actions use: the one bound at "Connect", or the
    // list's choice while none is bound.
    int unitPortSettings(PortSettings& settings);
    // Opens the link with the chosen settings; results are not looked at.
    void connectLink();
    int connectUnit(bool requireDevice) override;
    void disconnectLink();
    void disconnect() override { disconnectLink(); }
    int checkReady();

    int identifyDevice() override;
    // Re-reads the identity registers over the open link and compares their
    // checksum with the identity of the unit bound at "Connect"; on a
    // mismatch the other unit is marked found (pages off, "another unit is
    // attached: connect again"), on a match the pages go on (only once the
    // unit's PIN was accepted). A failed read counts as the same unit and
    // changes no tab. False without a bound unit; always true in demo mode.
    bool isSameDevice() override;
    // connectLink, isSameDevice, disconnectLink.
    bool verifySameDevice();
    // Compares the PIN typed with the unit's PIN register, counting wrong
    // tries in the lockout file. A unit without PIN (or of no known type)
    // accepts anything, a cancelled prompt included; on a unit with a PIN
    // a cancelled prompt is Cancelled and leaves the count alone.
    PinResult checkPin();
    // Switches the unit between Modbus (0) and BACnet (1).
    void switchProtocol(int value);
    // Makes the unit store its configuration; shows "Done." or "Error: %i"
    // (StatusLineText).
    int saveToNvram();

    // Demo mode: begin (device type -1, demo off, "Ready."), then either
    // enter it for a chosen device type or cancel.
    void beginDemoChoice();
    void enterDemoMode(int deviceType);
    void cancelDemoMode();

    // A PIN as typed: its leading decimal digits (none = 0).
    static int ParsePin(const std::string& text);

    // The lockout file lives in the temporary directory unless set here.
    void setLockoutDirectory(std::optional<std::filesystem::path> directory);
    // The lockout as it stands now, from the file: seconds the block still
    // runs (0 none, -1 the file is unusable) and the words for the
    // installer (CPassword::NoteText; "" when there is nothing to tell).
    int64_t lockoutRemainingSeconds();
    std::string lockoutNote();

    // The protocol client the connection drives.
    CModbus& modbus() { return m_modbus; }
    CUnitState& state() { return m_state; }
    const CUnitState& state() const { return m_state; }
    int deviceType() const override { return m_state.deviceType; }
    bool demoMode() const override { return m_state.inDemoMode(); }
    // Whether the last connect passed the PIN check and no other unit has
    // been found behind the port since: the tool may act on the unit.
    bool pinAccepted() const { return m_pinAccepted && !m_otherUnit; }
    // Whether another unit than the one bound at "Connect" was found since.
    bool otherUnitFound() const { return m_otherUnit; }
    // The pages and the unit actions may run: demo mode, or pinAccepted.
    bool mayActOnUnit() const { return m_state.inDemoMode() || pinAccepted(); }
    // The port bound at the last "Connect" ("" none).
    const std::string& portName() const { return m_boundPort ? m_boundPort->portName : m_noPort; }
    // Forgets the bound unit and port (the pages go off).
    void unbind();
    // The tool wrote an identity register (the PIN, the bus address) of the
    // bound unit: it keeps its identity with the new value.
    void identityWritten(uint16_t address, uint16_t value);
    // Whether the user cancelled the PIN prompt of the last connect.
    bool pinCancelled() const { return m_pinCancelled; }

    int temperatureUnit = -1;
    int pressureUnit = -1;
    int specialReadWorks = 0;
    int protocolSelector = 0;
    int devicePin = -1;
    int enteredPin = -1;
    int rememberPin = 0;
    std::string rememberedPinText;
    int wrongPinCount = 0;

private:
    // One identity register; the read's result code.
    int readIdentityRegister(uint16_t address, uint16_t* value);
    // Reads the identity registers into values; false at the first failure.
    bool readIdentity(uint16_t (&values)[6]);
    CPassword lockout() const;
    bool isUnlocked();
    // Identification proper (connectSequence's, and identifyDevice's once
    // the unit is bound).
    int identify();
    // Whether the unit behind the port the list offers now is the one the
    // remembered PIN was typed for (its port and identity); asks the unit.
    bool rememberedPinFits();
    // Marks another unit as found: pages off, the status says so.
    void markOtherUnit();
    // "Ready." after an identification that found a unit, else the failure
    // with its code.
    void showIdentified();

    CModbus& m_modbus;
    RegisterCatalogue& m_catalogue;
    IConnectionHost& m_host;
    CUnitState m_state;
    std::optional<std::filesystem::path> m_lockoutDirectory;
    bool m_pinAccepted = false;  // the last connect passed the PIN check
    bool m_otherUnit = false;    // another unit was found since "Connect"
    bool m_binding = false;      // connectSequence runs
    std::optional<PortSettings> m_boundPort;       // the port chosen at "Connect"
    std::optional<std::array<uint16_t, 6>> m_identity; // the unit found at "Connect"
    int m_boundDeviceType = kNoDevice;
    const std::string m_noPort;
    bool m_pinCancelled = false; // its PIN prompt was cancelled
    // The unit the remembered PIN was typed for: offered to another unit,
    // Enter would count a wrong try against the lockout.
    struct PinOwner
    {
        std::string portName;
        std::array<uint16_t, 6> identity{};
    };
    std::optional<PinOwner> m_pinOwner;
};
