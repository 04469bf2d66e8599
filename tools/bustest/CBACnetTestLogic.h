// The BACnet test page's actions, free of any toolkit: one object of the
// unit read or written by its instance number, for each of the eight object
// types the adapter reaches. CTabBACNet is the thin Qt page over it.
//
// What a read shows: analogue values and inputs as "%0.2f"; binary values
// and inputs as "%d / %uu / x%04X" of their state (1 or 0); integer values
// as "%d / %uu / x%04X"; character strings as text (one character per word,
// at most 48); date-time and time values as the unit sends them; "---" when
// the read failed. Every action that reaches the unit leaves one line in the
// test log, e.g.
//   "Read  instance: Addr =     3,  val = 21.46 (res = 0)"
//   "Write instance: Addr =     1,  val = Meeting room (res = 0)"
// An analogue value write logs the value as it went out, with two decimals;
// a character-string write the characters that went out (the adapter takes
// the first 12).
//
// Result codes: those of CBusTestLogic.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/bustest/CBusTestLogic.h"

class CBACnetTestLogic : public CBusTestLogic
{
public:
    using CBusTestLogic::CBusTestLogic;

    // instance: the instance field as typed (0..65535; empty is object 0).
    // Analogue value: the text read as a decimal number, sent with two decimals.
    Outcome writeAnalogueValue(std::string_view instance, std::string_view value);
    Outcome readAnalogueValue(std::string_view instance);
    Outcome readAnalogueInput(std::string_view instance);
    Outcome writeBinaryValue(std::string_view instance, bool active);
    Outcome readBinaryValue(std::string_view instance);
    Outcome readBinaryInput(std::string_view instance);
    // -32768..65535, sent as the signed 16-bit number of its word.
    Outcome writeIntegerValue(std::string_view instance, std::string_view value);
    Outcome readIntegerValue(std::string_view instance);
    // UTF-8 text; its first 12 UTF-16 characters go out.
    Outcome writeCharacterString(std::string_view instance, std::string_view text);
    Outcome readCharacterString(std::string_view instance);
    // The texts pass through as typed; the adapter takes the leading
    // digits, ":" (and for the date-time ".", space), at most 19 or 8.
    Outcome writeDateTime(std::string_view instance, std::string_view text);
    Outcome readDateTime(std::string_view instance);
    Outcome writeTime(std::string_view instance, std::string_view text);
    Outcome readTime(std::string_view instance);

private:
    Outcome readDecimal(std::string_view instance, bool input);
    Outcome readState(std::string_view instance, bool input);
    Outcome readText(std::string_view instance, bool date);
    Outcome writeText(std::string_view instance, std::string_view text, bool date);
};
