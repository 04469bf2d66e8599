#include "update/CByteReader.h"

#include "diag/Result.h"

#include <cstring>
#include <new>

int CByteReader::Create(uint32_t size)
{
    m_position = 0;
    try {
        m_data.assign(size, 0xFF);
    } catch (const std::bad_alloc&) {
        m_data.clear();
        return Result::NoMemory;
    }
    return Result::Ok;
}

void CByteReader::Assign(std::vector<uint8_t> bytes)
{
    m_data = std::move(bytes);
    m_position = 0;
}

void CByteReader::Clear()
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_position = 0;
}

bool CByteReader::ReadBytes(void* dst, uint32_t n)
{
    if (uint64_t(m_position) + n > m_data.size())
        return false;
    if (n)
        std::memcpy(dst, m_data.data() + m_position, n);
    m_position += n;
    return true;
}

bool CByteReader::ReadU32(uint32_t& value)
{
    uint8_t b[4];
    if (!ReadBytes(b, 4))
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool CByteReader::ReadText(std::string& text)
{
    uint32_t length = 0;
    ReadU32(length);
    text.clear();
    // At least one byte must follow the text (in a sound file the CRC does).
    if (uint64_t(m_position) + length + 1 > m_data.size())
        return false;
    text.assign(reinterpret_cast<const char*>(m_data.data() + m_position), length);
    m_position += length;
    return true;
}

void CByteReader::Align4()
{
    while (m_position < m_data.size() && m_position % 4 != 0)
        ++m_position;
}
