// Reads a configuration file (ConfigFile.h) from its bytes in memory, the
// way the unit's other tools read such files: the header as a formatted
// scan matches it (every blank and the final CR LF match any run of white
// space, none too), then one record at a time: a text line of at most
// ConfigFile::kMaxLine characters, or a 26-byte binary record. Never reads
// outside the bytes it was given.
//
// Thread rules: one object per thread; the bytes must outlive it.
#pragma once

#include "tools/config/ConfigFile.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace ConfigFile {

class CConfigFileReader
{
public:
    CConfigFileReader(std::span<const uint8_t> bytes, Format format);

    // Matches the header at the start; true when all of it was found.
    bool readHeader();
    // The next record; false at the end of the file.
    bool next(Record& record);
    std::size_t position() const { return m_pos; }
    std::size_t size() const { return m_bytes.size(); }
    bool atEnd() const { return m_pos >= m_bytes.size(); }

private:
    bool nextLine(Record& record);
    bool nextBinary(Record& record);

    std::span<const uint8_t> m_bytes;
    Format m_format;
    std::size_t m_pos = 0;
};

} // namespace ConfigFile
