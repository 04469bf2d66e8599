#include "tools/config/CConfigFileReader.h"

namespace ConfigFile {

namespace {

bool IsBlank(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

CConfigFileReader::CConfigFileReader(std::span<const uint8_t> bytes, Format format)
    : m_bytes(bytes), m_format(format)
{
}

bool CConfigFileReader::readHeader()
{
    // A text editor may have saved the file with a UTF-8 byte-order mark.
    if (m_format == Format::Csv && m_bytes.size() >= 3 && m_bytes[0] == 0xEF && m_bytes[1] == 0xBB &&
        m_bytes[2] == 0xBF)
        m_pos = 3;
    for (char p : kHeader) {
        if (IsBlank(static_cast<uint8_t>(p))) {
            while (m_pos < m_bytes.size() && IsBlank(m_bytes[m_pos]))
                ++m_pos;
        } else if (m_pos < m_bytes.size() && m_bytes[m_pos] == static_cast<uint8_t>(p)) {
            ++m_pos;
        } else {
            return false;
        }
    }
    return true;
}

bool CConfigFileReader::next(Record& record)
{
    record = Record{};
    if (atEnd())
        return false;
    return m_format == Format::Binary ? nextBinary(record) : nextLine(record);
}

bool CConfigFileReader::nextLine(Record& record)
{
    const std::size_t start = m_pos;
    while (m_pos < m_bytes.size() && m_pos - start < kMaxLine) {
        if (m_bytes[m_pos++] == '\n')
            break;
    }
    const std::string_view line(reinterpret_cast<const char*>(m_bytes.data() + start), m_pos - start);
    record.blank = true;
    for (char c : line)
        record.blank = record.blank && IsBlank(static_cast<uint8_t>(c));
    record.parsed = ParseCsvLine(line, &record.address, &record.value);
    return true;
}

bool CConfigFileReader::nextBinary(Record& record)
{
    const std::size_t left = m_bytes.size() - m_pos;
    if (left >= 2)
        record.address = uint32_t(m_bytes[m_pos]) | uint32_t(m_bytes[m_pos + 1]) << 8;
    if (left < kRecordSize) {
        record.parsed = -1;
        m_pos = m_bytes.size();
        return true;
    }
    record.value = uint32_t(m_bytes[m_pos + 2]) | uint32_t(m_bytes[m_pos + 3]) << 8;
    record.parsed = 2;
    m_pos += kRecordSize;
    return true;
}

} // namespace ConfigFile
