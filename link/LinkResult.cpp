#include "link/LinkResult.h"

std::string LinkResultText(int code, LinkStep step)
{
    if (code == -100)
        return "refused: demo mode is active";
    if (step == LinkStep::Open) {
        switch (code) {
        case 0: return "port open";
        case -1: return "the port does not exist";
        case -2: return "the port could not be opened (busy, in use by another program, or access denied)";
        case -3: return "the port state could not be read (not a serial port)";
        case -4: return "the port could not be prepared";
        case -5: return "the port time-outs could not be set";
        case -6: return "the port settings could not be applied (unsupported baud rate or framing)";
        default: return "unknown result of opening the port (" + std::to_string(code) + ")";
        }
    }
    if (code == 0)
        return "done";
    if (code > 0)
        return "the adapter refused the command or answered for another register (reply of " +
               std::to_string(code) + " characters)";
    switch (code) {
    case -1: return "port closed, argument missing or no unit known";
    case -2: return "value outside the register's limits";
    case -4: return "no valid reply from the adapter within 2000 ms, or the write stalled";
    case -10: return "the read failed in both attempts (no valid reply)";
    case -99: return "multi-register write without values";
    default: return "command failed (" + std::to_string(code) + ")";
    }
}
