// What the Controller page hands to a controller configuration dialog and
// gets back: the dialog and its mode, the captions, the PI flag, the
// temperature unit, the unit's device type and the register values the
// dialog works on. The dialog edits the values; the page stores them into
// the catalogue and writes them to the unit.
//
// Thread rules: plain data.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

enum class ControllerDialog : uint8_t
{
    Global,        // CDlgConfigureGlobal
    Heating,       // CDlgConfigure1: main controller, heating
    Cooling,       //                 main controller, cooling
    Valve,         //                 6-way valve output
    Second,        // CDlgConfigure2: second temperature controller
    Fan,           //                 fan controller
    Outputs,       //                 heating/cooling outputs
    FanOutput,     //                 analog fan output
    DefaultReboot, //                 operation mode after a reboot
    ChangeOver,    //                 change-over temperatures
    OutputValues,  //                 live view of the outputs
};

struct DialogRequest
{
    ControllerDialog dialog = ControllerDialog::Global;
    std::string title;
    std::string subtitle;
    bool pi = false;       // the "PI Ctrl" radio of the controller concerned
    uint16_t tempUnit = 1; // holding 2010: 1 degrees Celsius, else Fahrenheit
    int deviceType = -1;
    uint16_t fanMapping = 0;             // holding 8031 (fan controller dialog, quantity unit)
    std::map<uint16_t, uint16_t> values; // register -> value, edited by "OK"
    // Registers of the launch the unit did not give (a failed read). The
    // dialog greys and names them; "OK" hands back here those the user did
    // not change, and the page neither stores nor writes them.
    std::set<uint16_t> unread;
};
