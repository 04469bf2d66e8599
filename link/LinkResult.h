// Words for the result codes of the device link, for the status line, the
// log and tavemo-cli. The same number means different things when a port is
// opened and when a command runs (-1, -2, -4), so the caller says which.
//
// Thread rules: none (constant texts).
#pragma once

#include <string>

enum class LinkStep { Open, Command };

// Open: the CComPort::open / CModbus::connect codes. Command: the codes of
// the CModbus operations (a positive code is a write the adapter refused or
// answered for another number: the reply line's length).
std::string LinkResultText(int code, LinkStep step = LinkStep::Command);
