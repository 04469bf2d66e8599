// The exchange of a ReMa table with the unit over the adapter's "C"
// commands, and the pure pieces of it (the count reply, the chunk reply,
// the entry lines), so that the simulator, the fuzzer and the tests share
// them.
//
// Reading ("Cr", "Ci", "Cc" for holding, input, coil):
//   tool "Cr\r\n"             unit: a reply holding "C R <n>" (n entries)
//   tool "Cr<offset> <count>\r\n" for offset 0, 100, 200, ... below n
//   unit: 4 characters, then count entries "%04x%04x," (customized address
//         c, default address d), then the CRC-16/MODBUS of the entry
//         characters as 4 hexadecimal digits; CR and LF anywhere are ignored
// Writing ("Cw", "Cx", "Cy"):
//   "Cw0\r\n" begins, then lines "Cw1 cccccddd,cccc dddd,...,crc\r\n" with
//   at most 111 entries each (the entries that differ from the default
//   mapping; (c, 0) takes the unit's own register away from c), then
//   "Cw2\r\n" ends. An answer that says ERROR is a refusal: the write stops
//   there, before the end command, so the unit keeps its previous table.
// A holding table is never sent when it moves or takes away a register the
// tool identifies and unlocks a unit by (IdentityRegistersMoved): the tool
// could not reach the unit again to put it right.
//
// Result codes (diag/Result.h): Ok, RemaRequestNotSent, RemaRequestNoReply,
// RemaNoCount, RemaChunkNotSent, RemaChunkNoReply, RemaChunkCrcWrong,
// RemaChunkShort (reading); RemaBeginNotSent, RemaBeginNoReply,
// RemaLineNotSent, RemaLineNoReply, RemaEndNotSent, RemaEndNoReply,
// RemaBeginRefused, RemaLineRefused, RemaEndRefused, RemaTakesIdentity
// (writing).
// StatusText gives the status line's text for each.
//
// Thread rules: one thread (the user-interface thread, or the command-line
// tool's only thread); the link blocks it up to 2000 ms per reply.
#pragma once

#include "tools/rema/ReMaTables.h"

#include <cstdint>
#include <string>
#include <vector>

class CComPort;

namespace ReMa {

// The unit's answer may take up to this long to start; it ends after the
// port's 40 ms of silence.
constexpr int kReplyTimeoutMs = 2000;
// Replies are read into a buffer of this size (one byte for the NUL).
constexpr int kReplyBufferSize = 1024;
constexpr int kChunkEntries = 100;
constexpr int kEntryChars = 9; // "%04x%04x,"
// An entry line is sent once it has grown past this many characters: a
// full line carries 111 entries.
constexpr std::size_t kLineLimit = 1000;
// What a unit takes in one entry line: a longer one is refused.
constexpr std::size_t kMaxLineEntries = 111;
// The holding registers the tool identifies and unlocks a unit by (device
// type, identity, PIN, units, protocol): they must stay at their own address.
constexpr uint16_t kIdentityRegisters[] = {2000, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2010, 2045, 3516};

struct Entry
{
    uint16_t customized = 0;
    uint16_t mapped = 0;
};

// What the transfer needs of the port: write a command, read a reply.
class ILink
{
public:
    virtual ~ILink() = default;
    // Ok or a negative code.
    virtual int send(const std::string& bytes) = 0;
    // The bytes of one reply (cut at kReplyBufferSize - 1); the length read
    // (> 0) or a negative code (NoReply after 2000 ms of silence).
    virtual int receive(std::string& reply) = 0;
};

// ILink over the register client's open port.
class CPortLink : public ILink
{
public:
    explicit CPortLink(CComPort& port) : m_port(port) {}
    int send(const std::string& bytes) override;
    int receive(std::string& reply) override;

private:
    CComPort& m_port;
};

// The entry count after "C R " (or "C I ", "C C "); -1 when there is none.
int ParseEntryCount(const std::string& reply, int selector);
// One chunk reply with count entries: Ok with the entries, RemaChunkShort,
// RemaChunkCrcWrong.
int ParseChunkReply(const std::string& reply, int count, std::vector<Entry>& entries);
// The reply a unit gives for entries (4 leading characters, the entries,
// the checksum); used by the simulator.
std::string ChunkReply(const std::vector<Entry>& entries);

// "Cr0 100\r\n" and the like.
std::string CountRequest(int selector);
std::string ChunkRequest(int selector, int offset, int count);
// The entries of a map that differ from what the unit assumes.
std::vector<Entry> DifferingEntries(const RegisterCatalogue& catalogue, int selector, const uint32_t* map);
// The entry lines for those entries, each with its comma, CRC and CR LF.
std::vector<std::string> EntryLines(int selector, const std::vector<Entry>& entries);
std::string BeginCommand(int selector);
std::string EndCommand(int selector);
// Checks an entry line "Cw1 <entries>,<crc>" (without CR LF) and takes its
// entries; false when it is malformed, its CRC does not match or it holds
// more than kMaxLineEntries entries.
bool ParseEntryLine(const std::string& line, std::vector<Entry>& entries);

// Reads the selected table from the unit into out (sized and filled anew:
// the default mapping with the unit's entries over it; entries naming a
// register the catalogue does not have count as unmapped). out is
// complete only when the result is Ok. Each step that fails ends the
// transfer with that step's code, or with PortGone when the port went away.
int ReadTable(ILink& link, const RegisterCatalogue& catalogue, int selector, std::vector<uint32_t>& out);
// The used addresses a map leaves without a register (the unit's own
// register is taken away from them), in address order.
std::vector<uint16_t> RemovedAddresses(const RegisterCatalogue& catalogue, int selector, const uint32_t* map);
// The identity registers (kIdentityRegisters, those the catalogue uses) a
// holding map does not keep at their own address; empty for the others.
std::vector<uint16_t> IdentityRegistersMoved(const RegisterCatalogue& catalogue, int selector, const uint32_t* map);
// Whether a unit's answer refuses the command ("C W 1 ERROR crc").
bool Refused(const std::string& reply);
// Writes the map (the selector's size) to the unit; RemaTakesIdentity
// (nothing sent) for a holding map that IdentityRegistersMoved names.
int WriteTable(ILink& link, const RegisterCatalogue& catalogue, int selector, const uint32_t* map);

// The status line's text for a result of ReadTable or WriteTable: "Done",
// "Error: -12", "Error: sending data to target", ...
std::string StatusText(int code);

} // namespace ReMa
