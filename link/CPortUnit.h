// A unit reached through an adapter on a port of its own, without the
// window: what tavemo-cli's unit commands and each port of a commissioning
// run stand on. It keeps its own protocol client, catalogue and unit state,
// so that several ports work at once on several threads.
//
// Opening passes the unlock step that the window's "Connect" passes: the
// PIN lockout (a locked tool sends no PIN at all), the unlock command with
// the PIN given (0 without one), and the unit's PIN register: a unit with a
// PIN is refused unless the PIN given is its own; a wrong one counts as a
// wrong try (on top of the lockout file as it is then, so tries on several
// ports at once all count), a right one clears the count. The tool must
// never be a way around a unit's PIN.
//
// Learning reads the device type, temperature and pressure units and the
// protocol, and adapts the catalogue to them, so that writes are checked
// against this unit's limits and values are shown as its pages show them.
//
// Each failure leaves its explanation in problem(), in the words tavemo-cli
// prints after "tavemo-cli: ".
//
// Result codes (diag/Result.h): Ok; the port's open code; PinNotAccepted
// (PIN missing or wrong); ToolLocked; a read's own code, or NoLink when the
// adapter answered with a refusing status or for another register.
// Thread rules: one thread per object.
#pragma once

#include "link/CModbus.h"
#include "link/CUnitState.h"
#include "link/UnitSession.h"
#include "model/RegisterCatalogue.h"

#include <filesystem>
#include <optional>
#include <string>

class CPortUnit : public IUnitSessionSteps
{
public:
    struct Identity
    {
        int deviceType = -1;
        int firmware = -1;
        int productionDate = -1;
        int operationDays = -1;
        int busAddress = -1;
        int protocol = -1; // -1: the unit does not answer the special read
    };

    // lockoutFolder: where the PIN lockout file lives (empty: the user's
    // state folder).
    CPortUnit(std::string port, std::optional<int> pin, std::filesystem::path lockoutFolder = {});
    ~CPortUnit() override;
    CPortUnit(const CPortUnit&) = delete;
    CPortUnit& operator=(const CPortUnit&) = delete;

    // Opens the port and passes the unlock step; on failure the port is closed.
    int open();
    // Device type, units and protocol into the catalogue (after open).
    int learn();
    // What the unit says it is (after open).
    int readIdentity(Identity& identity) { return ReadIdentity(m_modbus, identity, m_problem); }
    // The same over any open link; a failure's words into problem.
    static int ReadIdentity(CModbus& modbus, Identity& identity, std::string& problem);
    void close();

    CModbus& modbus() { return m_modbus; }
    RegisterCatalogue& catalogue() { return m_catalogue; }
    CUnitState& state() { return m_state; }
    const std::string& port() const { return m_port; }
    const std::string& problem() const { return m_problem; }

    // Whether the adapter answered for the number asked with a status of 0
    // or more.
    bool accepted(int result, uint16_t number) const { return Accepted(m_modbus, result, number); }
    static bool Accepted(const CModbus& modbus, int result, uint16_t number);
    // A failed command explained ("reading the device type: error -2: ..."),
    // into problem(); returns a negative code for it.
    int failed(const std::string& what, int result, uint16_t number)
    {
        return Failed(m_modbus, what, result, number, m_problem);
    }
    static int Failed(const CModbus& modbus, const std::string& what, int result, uint16_t number,
                      std::string& problem);

    // The unit session's steps: the link opens with open() and learn().
    bool demoMode() const override { return false; }
    int deviceType() const override { return m_learned ? m_state.deviceType : -1; }
    int identifyDevice() override;
    int connectUnit(bool requireDevice) override;
    bool isSameDevice() override;
    void disconnect() override { close(); }

private:
    int unlock();

    std::string m_port;
    std::optional<int> m_pin;
    std::filesystem::path m_lockoutFolder;
    CModbus m_modbus;
    RegisterCatalogue m_catalogue;
    CUnitState m_state;
    bool m_learned = false;
    std::string m_problem;
};
