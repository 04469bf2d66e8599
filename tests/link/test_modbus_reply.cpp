// The adapter's reply lines through the parser alone, grammar by grammar:
// the fields of the lines it takes and the lines it refuses.
#include "link/ModbusReply.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr auto Read = ModbusReplyGrammar::Read;
constexpr auto Flag = ModbusReplyGrammar::Flag;
constexpr auto Write = ModbusReplyGrammar::Write;

TEST(ModbusReply, AcceptedLinesGiveTheirFields)
{
    const struct
    {
        ModbusReplyGrammar grammar;
        std::string_view line;
        int32_t status;
        std::string_view function;
        int32_t number;
        std::string_view valueText;
        int32_t value;
    } rows[] = {
        {Read, "0 = mbReadHoldingReg(2000): 42", 0, "mbReadHoldingReg", 2000, "42", 42},
        {Read, " -3 = f( 2000):  65535", -3, "f", 2000, " 65535", 65535},
        {Read, "7 = f(2000): 70000", 7, "f", 2000, "70000", 70000},
        {Read, "0 = f(2000): -1", 0, "f", 2000, "-1", -1},
        {Read, "0 = f(2000): 12abc", 0, "f", 2000, "12abc", 12},
        {Read, "0 = bnReadAvReg(3): 21.46", 0, "bnReadAvReg", 3, "21.46", 21},
        // The colon may stand apart from the bracket; the value starts two
        // characters after it whatever they are.
        {Read, "0 = bnReadTvReg(2) : 12", 0, "bnReadTvReg", 2, "12", 12},
        {Read, "0 = f(5):x9", 0, "f", 5, "9", 9},
        {Read, "0 = f(5):", 0, "f", 5, "", 0},
        {Read, "0 = f(5): ", 0, "f", 5, "", 0},
        {Read, "junk 5 = f(1): 2", 0, "f", 1, "2", 2},
        {Read, "99999999999 = f(99999999999): 1", INT_MAX, "f", INT_MAX, "1", 1},
        {Read, "0 =  f x (1): 2", 0, " f x ", 1, "2", 2},
        {Flag, "0 = c(5): set", 0, "c", 5, "set", 1},
        {Flag, "0 = c(5): not set", 0, "c", 5, "not set", 1},
        {Flag, "0 = c(5): reset", 0, "c", 5, "reset", 1},
        {Flag, "0 = c(5): clear", 0, "c", 5, "clear", 0},
        {Flag, "0 = c(5): SET", 0, "c", 5, "SET", 0},
        {Flag, "0 = c(5):set", 0, "c", 5, "et", 0},
        {Flag, "0 = c(5): 1", 0, "c", 5, "1", 0},
        {Write, "0 = w(2000,5)", 0, "w", 2000, "5", 5},
        {Write, "-3 = w(2000,5)", -3, "w", 2000, "5", 5},
        {Write, "0 = bnWriteAvReg(3,21.46)", 0, "bnWriteAvReg", 3, "21.46", 21},
        {Write, "0 = w( 12 , -7 ) trailing", 0, "w", 12, " -7 ", -7},
        {Write, "0 = w(1,)", 0, "w", 1, "", 0},
        // The first ")" after the comma closes the value.
        {Write, "0 = w(1,2)3)", 0, "w", 1, "2", 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        const std::optional<ModbusReply> reply = ParseModbusReply(r.line, r.grammar);
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->status, r.status);
        EXPECT_EQ(reply->function, r.function);
        EXPECT_EQ(reply->number, r.number);
        EXPECT_EQ(reply->valueText, r.valueText);
        EXPECT_EQ(reply->value, r.value);
    }
}

TEST(ModbusReply, LinesWithoutTheGrammarsMarksAreRefused)
{
    const struct
    {
        ModbusReplyGrammar grammar;
        std::string_view line;
    } rows[] = {
        {Read, ""},
        {Read, "noise"},
        {Read, "0 = f(2000) 42"}, // no colon
        {Read, "0 =f(2000): 1"},  // no blank after "="
        {Read, "0=f(2000): 1"},   // no blanks around "="
        {Read, "0 = f 2000): 1"}, // no "("
        {Read, "0 = f(2000: 1"},  // no ")"
        {Read, "0 = f:(2000)"},   // the colon before the bracket
        {Read, "(1): 2 = f"},     // the bracket before " = "
        {Read, "0 = w(2000,5)"},  // a write reply
        {Flag, "0 = c(5) set"},
        {Write, "0 = w(2000 5)"}, // no comma
        {Write, "0 = w(2000,5"},  // no ")" after the comma
        {Write, "0 = w(2000),5"},
        {Write, "0 = f(2000): 42"}, // a read reply
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        EXPECT_FALSE(ParseModbusReply(r.line, r.grammar).has_value());
    }
}

} // namespace
