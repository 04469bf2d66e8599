// Arbitrary bytes as the unit's answers to the ReMa table commands: a chunk
// of entries, the entry count, and (the simulator's side) an entry line.
// The first byte is the number of entries the chunk should hold; when the
// second is odd, the rest gets a matching checksum appended, so that the
// fuzzer also reaches the entries behind the checksum check.
#include "link/Crc16Modbus.h"
#include "tools/rema/ReMaTransfer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int count = data[0] % (ReMa::kChunkEntries + 2);
    std::string reply(reinterpret_cast<const char*>(data + 2), size - 2);
    if (data[1] % 2 && reply.size() >= 4) {
        char crc[8];
        std::snprintf(crc, sizeof crc, "%04x", Crc16Modbus(reply.data() + 4, reply.size() - 4));
        reply += crc;
    }
    std::vector<ReMa::Entry> entries;
    if (ReMa::ParseChunkReply(reply, count, entries) == 0 && entries.size() > static_cast<std::size_t>(count))
        std::abort();
    (void)ReMa::ParseEntryCount(reply, data[1] % 3);
    if (ReMa::ParseEntryLine(reply, entries)) {
        // A line that passes the check carries the same entries when built again.
        const auto lines = ReMa::EntryLines(0, entries);
        std::vector<ReMa::Entry> again;
        if (lines.size() != 1 || !ReMa::ParseEntryLine(lines[0].substr(0, lines[0].size() - 2), again) ||
            again.size() != entries.size())
            std::abort();
        for (std::size_t i = 0; i < again.size(); ++i)
            if (again[i].customized != entries[i].customized || again[i].mapped != entries[i].mapped)
                std::abort();
    }
    return 0;
}
