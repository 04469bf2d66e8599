// The reply lines of the serial interface adapter, read without a port:
// one text line in, its fields out. The adapter answers every command with
// one of three line shapes:
//   Read   "<status> = <function>(<number>): <value>"
//   Flag   the Read shape, for coils and binary objects: the value text
//          holds "set" (anywhere, lower case) when the flag is set
//   Write  "<status> = <function>(<number>,<value>)"
// A line matches when its marks come in that order: the first " = ", then
// "(", then for Read and Flag a ")" and a ':' somewhere after it (the value
// starts two characters after the colon), for Write a ',' and a ")". The
// numbers are read from the front of their texts, blanks and a sign allowed,
// digits up to the first other character, saturated to 32 bits; a text
// without digits reads 0. The process locale plays no part.
//
// Only CModbus uses this parser; the unit simulator keeps its own reading
// of command lines.
//
// Result codes: none; a line that does not match gives no reply.
//
// Thread rules: pure function, callable from any thread. The fields view
// the caller's line and live as long as it does.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

enum class ModbusReplyGrammar { Read, Flag, Write };

struct ModbusReply
{
    int32_t status = 0;         // before " = "; negative: the adapter refused
    std::string_view function;  // between " = " and "(", as it stands
    int32_t number = 0;         // the register, coil or object number
    std::string_view valueText; // Read, Flag: to the line's end; Write: up to ")"
    int32_t value = 0;          // Read, Write: the value text's number; Flag: 1 set, 0 not
};

std::optional<ModbusReply> ParseModbusReply(std::string_view line, ModbusReplyGrammar grammar);
