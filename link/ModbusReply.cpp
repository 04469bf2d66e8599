#include "link/ModbusReply.h"

#include "model/TextNumber.h"

namespace {

constexpr std::string_view kEquals = " = ";
constexpr auto npos = std::string_view::npos;

// The text from..to of the line (to may be npos: the line's end).
std::string_view Span(std::string_view line, std::size_t from, std::size_t to = npos)
{
    return line.substr(from, to == npos ? npos : to - from);
}

} // namespace

std::optional<ModbusReply> ParseModbusReply(std::string_view line, ModbusReplyGrammar grammar)
{
    const std::size_t eq = line.find(kEquals);
    const std::size_t open = eq == npos ? npos : line.find('(', eq + kEquals.size());
    if (open == npos)
        return std::nullopt;

    std::size_t numberEnd = npos; // ")" for Read and Flag, "," for Write
    std::size_t valueFrom = npos;
    std::size_t valueTo = npos;
    if (grammar == ModbusReplyGrammar::Write) {
        const std::size_t comma = line.find(',', open + 1);
        const std::size_t close = comma == npos ? npos : line.find(')', comma + 1);
        if (close == npos)
            return std::nullopt;
        numberEnd = comma;
        valueFrom = comma + 1;
        valueTo = close;
    } else {
        const std::size_t close = line.find(')', open + 1);
        const std::size_t colon = close == npos ? npos : line.find(':', close + 1);
        if (colon == npos)
            return std::nullopt;
        numberEnd = close;
        // ": value"; a line that stops right at the colon has an empty value.
        valueFrom = colon + 1 < line.size() ? colon + 2 : colon + 1;
    }

    ModbusReply reply;
    reply.status = TextNumber::Leading(Span(line, 0, eq));
    reply.function = Span(line, eq + kEquals.size(), open);
    reply.number = TextNumber::Leading(Span(line, open + 1, numberEnd));
    reply.valueText = Span(line, valueFrom, valueTo);
    if (grammar == ModbusReplyGrammar::Flag)
        reply.value = reply.valueText.find("set") != npos ? 1 : 0;
    else
        reply.value = TextNumber::Leading(reply.valueText);
    return reply;
}
