#include "tools/rema/ReMaTransfer.h"

#include "diag/Result.h"
#include "link/CComPort.h"
#include "link/Crc16Modbus.h"
#include "model/TextNumber.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace ReMa {
namespace {

// Four hexadecimal digits at text[pos]; -1 when they are not.
long Hex4(const std::string& text, std::size_t pos)
{
    if (pos + 4 > text.size())
        return -1;
    long v = 0;
    for (std::size_t i = pos; i < pos + 4; ++i) {
        const int h = TextNumber::DigitValue(text[i]);
        if (h < 0)
            return -1;
        v = v * 16 + h;
    }
    return v;
}

std::string Hex4Text(unsigned v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v & 0xFFFFu);
    return buf;
}

uint16_t TextCrc(const std::string& text, std::size_t from, std::size_t length)
{
    return Crc16Modbus(text.data() + from, length);
}

// A step's own failure code, unless the port itself is gone (the adapter
// pulled out or hung up): that ends the transfer as it ends every other job,
// named as such.
int StepFailed(int linkResult, int stepCode)
{
    return linkResult == Result::PortGone ? Result::PortGone : stepCode;
}

} // namespace

int CPortLink::send(const std::string& bytes)
{
    return m_port.putArray(bytes.data(), static_cast<int>(bytes.size()));
}

int CPortLink::receive(std::string& reply)
{
    char buffer[kReplyBufferSize] = {};
    const int r = m_port.getArray(buffer, kReplyBufferSize - 1, nullptr, kReplyTimeoutMs);
    if (r <= 0)
        return r < 0 ? r : Result::NoReply;
    reply.assign(buffer, static_cast<std::size_t>(r));
    return r;
}

int ParseEntryCount(const std::string& reply, int selector)
{
    const std::string mark = std::string("C ") + SelectorOf(selector).countMark + " ";
    const std::size_t at = reply.find(mark);
    if (at == std::string::npos)
        return -1;
    std::size_t pos = at + mark.size();
    long long n = 0;
    bool digits = false;
    while (pos < reply.size() && reply[pos] >= '0' && reply[pos] <= '9' && n < 1000000) {
        n = n * 10 + (reply[pos] - '0');
        digits = true;
        ++pos;
    }
    return digits ? static_cast<int>(n) : -1;
}

int ParseChunkReply(const std::string& raw, int count, std::vector<Entry>& entries)
{
    entries.clear();
    std::string reply;
    reply.reserve(raw.size());
    for (char c : raw)
        if (c != '\r' && c != '\n')
            reply += c;
    if (count < 0)
        return Result::RemaChunkShort;
    const std::size_t body = static_cast<std::size_t>(kEntryChars) * static_cast<std::size_t>(count);
    if (reply.size() < body + 8)
        return Result::RemaChunkShort;
    const long crc = Hex4(reply, 4 + body);
    if (crc < 0 || static_cast<uint16_t>(crc) != TextCrc(reply, 4, body))
        return Result::RemaChunkCrcWrong;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = 4 + static_cast<std::size_t>(i) * kEntryChars;
        const long c = Hex4(reply, at);
        const long d = Hex4(reply, at + 4);
        // Digits that are no hexadecimal number pass the checksum only when
        // the unit sent them so: such an entry cannot be placed.
        if (c < 0 || d < 0)
            continue;
        entries.push_back({static_cast<uint16_t>(c), static_cast<uint16_t>(d)});
    }
    return Result::Ok;
}

std::string ChunkReply(const std::vector<Entry>& entries)
{
    std::string body;
    for (const Entry& e : entries)
        body += Hex4Text(e.customized) + Hex4Text(e.mapped) + ",";
    return "C D " + body + Hex4Text(Crc16Modbus(body.data(), body.size()));
}

std::string CountRequest(int selector) { return std::string(SelectorOf(selector).letters) + "\r\n"; }

std::string ChunkRequest(int selector, int offset, int count)
{
    return std::string(SelectorOf(selector).letters) + std::to_string(offset) + " " + std::to_string(count) + "\r\n";
}

std::string BeginCommand(int selector) { return std::string(SelectorOf(selector).writeLetters) + "0\r\n"; }
std::string EndCommand(int selector) { return std::string(SelectorOf(selector).writeLetters) + "2\r\n"; }

std::vector<Entry> DifferingEntries(const RegisterCatalogue& catalogue, int selector, const uint32_t* map)
{
    const Selector& s = SelectorOf(selector);
    std::vector<Entry> out;
    for (int c = 0; c < s.size; ++c) {
        const uint16_t d = MappedOf(map[c]);
        if (d != kUnmapped && d != c)
            out.push_back({static_cast<uint16_t>(c), d});
        else if (d == kUnmapped && catalogue.IsUsed(s.kind, static_cast<uint32_t>(c)))
            out.push_back({static_cast<uint16_t>(c), 0});
    }
    return out;
}

std::vector<std::string> EntryLines(int selector, const std::vector<Entry>& entries)
{
    const std::string command = std::string(SelectorOf(selector).writeLetters) + "1";
    std::vector<std::string> lines;
    std::string line;
    const auto finish = [&] {
        line += ",";
        line += Hex4Text(TextCrc(line, 4, line.size() - 4)) + "\r\n";
        lines.push_back(std::move(line));
        line.clear();
    };
    for (const Entry& e : entries) {
        line += (line.empty() ? command + " " : std::string(",")) + Hex4Text(e.customized) + Hex4Text(e.mapped);
        if (line.size() > kLineLimit)
            finish();
    }
    if (!line.empty())
        finish();
    return lines;
}

bool ParseEntryLine(const std::string& line, std::vector<Entry>& entries)
{
    entries.clear();
    // "Cw1 " + n * 9 entry characters (the last with its comma) + 4 CRC digits.
    if (line.size() < 4 + kEntryChars + 4 || (line.size() - 8) % kEntryChars != 0 || line[3] != ' ')
        return false;
    const std::size_t body = line.size() - 8;
    if (body / kEntryChars > kMaxLineEntries)
        return false;
    const long crc = Hex4(line, 4 + body);
    if (crc < 0 || static_cast<uint16_t>(crc) != TextCrc(line, 4, body))
        return false;
    for (std::size_t at = 4; at < 4 + body; at += kEntryChars) {
        const long c = Hex4(line, at);
        const long d = Hex4(line, at + 4);
        if (c < 0 || d < 0 || line[at + 8] != ',')
            return false;
        entries.push_back({static_cast<uint16_t>(c), static_cast<uint16_t>(d)});
    }
    return true;
}

int ReadTable(ILink& link, const RegisterCatalogue& catalogue, int selector, std::vector<uint32_t>& out)
{
    const Selector& s = SelectorOf(selector);
    out = DefaultMap(catalogue, selector);
    if (const int sent = link.send(CountRequest(selector)); sent < 0)
        return StepFailed(sent, Result::RemaRequestNotSent);
    std::string reply;
    if (const int got = link.receive(reply); got <= 0)
        return StepFailed(got, Result::RemaRequestNoReply);
    const int n = ParseEntryCount(reply, selector);
    if (n < 0)
        return Result::RemaNoCount;
    std::vector<Entry> entries;
    for (int offset = 0; offset < n; offset += kChunkEntries) {
        const int count = std::min(kChunkEntries, n - offset);
        if (const int sent = link.send(ChunkRequest(selector, offset, count)); sent < 0)
            return StepFailed(sent, Result::RemaChunkNotSent);
        if (const int got = link.receive(reply); got <= 0)
            return StepFailed(got, Result::RemaChunkNoReply);
        if (const int r = ParseChunkReply(reply, count, entries); r != Result::Ok)
            return r;
        for (const Entry& e : entries) {
            if (e.customized >= s.size)
                continue;
            const uint16_t d = catalogue.IsUsed(s.kind, e.mapped) ? e.mapped : kUnmapped;
            out[e.customized] = Word(d, e.customized);
        }
    }
    return Result::Ok;
}

std::vector<uint16_t> RemovedAddresses(const RegisterCatalogue& catalogue, int selector, const uint32_t* map)
{
    std::vector<uint16_t> removed;
    for (const Entry& e : DifferingEntries(catalogue, selector, map))
        if (e.mapped == 0)
            removed.push_back(e.customized);
    return removed;
}

std::vector<uint16_t> IdentityRegistersMoved(const RegisterCatalogue& catalogue, int selector, const uint32_t* map)
{
    std::vector<uint16_t> moved;
    const Selector& s = SelectorOf(selector);
    if (s.kind != RegisterTableKind::Holding)
        return moved;
    for (const uint16_t r : kIdentityRegisters)
        if (r < s.size && catalogue.IsUsed(s.kind, r) && MappedOf(map[r]) != r)
            moved.push_back(r);
    return moved;
}

bool Refused(const std::string& reply)
{
    std::string upper = reply;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char ch) { return std::toupper(ch); });
    return upper.find("ERROR") != std::string::npos;
}

int WriteTable(ILink& link, const RegisterCatalogue& catalogue, int selector, const uint32_t* map)
{
    if (!IdentityRegistersMoved(catalogue, selector, map).empty())
        return Result::RemaTakesIdentity;
    std::string reply;
    if (const int sent = link.send(BeginCommand(selector)); sent < 0)
        return StepFailed(sent, Result::RemaBeginNotSent);
    if (const int got = link.receive(reply); got <= 0)
        return StepFailed(got, Result::RemaBeginNoReply);
    if (Refused(reply))
        return Result::RemaBeginRefused;
    // A refused line ends the write before the end command: the unit puts
    // a table in force only at the end, so it keeps its previous one.
    for (const std::string& line : EntryLines(selector, DifferingEntries(catalogue, selector, map))) {
        if (const int sent = link.send(line); sent < 0)
            return StepFailed(sent, Result::RemaLineNotSent);
        if (const int got = link.receive(reply); got <= 0)
            return StepFailed(got, Result::RemaLineNoReply);
        if (Refused(reply))
            return Result::RemaLineRefused;
    }
    if (const int sent = link.send(EndCommand(selector)); sent < 0)
        return StepFailed(sent, Result::RemaEndNotSent);
    if (const int got = link.receive(reply); got <= 0)
        return StepFailed(got, Result::RemaEndNoReply);
    if (Refused(reply))
        return Result::RemaEndRefused;
    return Result::Ok;
}

std::string StatusText(int code)
{
    switch (code) {
    case Result::Ok: return "Done";
    case Result::RemaRequestNotSent:
    case Result::RemaBeginNotSent: return "Error: -1";
    case Result::RemaRequestNoReply:
    case Result::RemaBeginNoReply: return "Error: -2";
    case Result::RemaNoCount: return "Error: -3";
    case Result::RemaChunkNotSent:
    case Result::RemaEndNotSent: return "Error: -10";
    case Result::RemaChunkNoReply:
    case Result::RemaEndNoReply: return "Error: -11";
    case Result::RemaChunkCrcWrong: return "Error: -12";
    case Result::RemaChunkShort: return "Error: -13";
    case Result::RemaLineNotSent: return "Error: sending data to target";
    case Result::RemaLineNoReply: return "Error: reading response from target";
    default: return StatusLineText(code);
    }
}

} // namespace ReMa
