// Connecting to a room unit: the PIN unlock with its lockout, identifying
// the unit, adapting the catalogue and the tab set to it, and the checks
// every page runs before it talks to the unit (is the identified unit still
// the one attached?). The COM-Interface page drives it from its buttons,
// the pages through the page, tavemo-cli directly.
//
// The connection owns the shared unit state (demo flag, device type) and
// attaches it and the catalogue to the protocol client for its lifetime.
//
// Result codes (diag/Result.h; negative = failure):
//   getPortSettings   Ok; NoLink no port listed; NoPortSelected no port
//                     selected (the host's codes, IConnectionHost.h)
//   connectUnit       Ok; the CModbus::connect codes (the CComPort::open
//                     codes, DemoMode); NoLink without port settings or,
//                     when a unit is required, when none is known
//   identifyDevice    the device type (0 or more); -1 (kNoDevice) no unit
//                     answered; NoLink no port settings; a negative connect
//                     code
//   saveToNvram       Ok; NoLink no unit known; the first failing code
//                     (connect or write); StatusLineText shows it
//   checkReady        the device type (negative: none known)
//
// Thread rules: one thread (the user-interface thread, or the command-line
// tool's only thread). Not re-entrant.
#pragma once

#include "link/CUnitState.h"
#include "link/IConnectionHost.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class CModbus;
class CPassword;
class RegisterCatalogue;

class CConnection
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

    // The "Connect" button: unlock, identify, check the PIN, enable the pages.
    void connectSequence();

    int getPortSettings(PortSettings& settings);
    // Opens the link with the chosen settings; results are not looked at.
    void connectLink();
    int connectUnit(bool requireDevice);
    void disconnectLink();
    int checkReady();

    int identifyDevice();
    // Re-reads the identity registers over the open link and compares their
    // checksum with the identity held in the catalogue; disables the other
    // tabs on a mismatch and enables them on a match (only once the unit's
    // PIN was accepted). A failed read counts as the same unit and changes
    // no tab. Always true in demo mode.
    bool isSameDevice();
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
    int deviceType() const { return m_state.deviceType; }
    bool demoMode() const { return m_state.inDemoMode(); }
    // Whether the last connect passed the PIN check.
    bool pinAccepted() const { return m_pinAccepted; }
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

    CModbus& m_modbus;
    RegisterCatalogue& m_catalogue;
    IConnectionHost& m_host;
    CUnitState m_state;
    std::optional<std::filesystem::path> m_lockoutDirectory;
    bool m_pinAccepted = false;  // the last connect passed the PIN check
    bool m_pinCancelled = false; // its PIN prompt was cancelled
};
