// The in-memory copy of a download file and a read cursor over it. Every
// read checks the remaining bytes first: a read that does not fit leaves its
// destination and the position as they were, so no length field in a file,
// however large, makes it read outside the buffer or allocate for it.
//
// Thread rules: one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CByteReader
{
public:
    CByteReader() = default;

    // Sizes the buffer to size bytes, all 0xFF, and rewinds.
    // Returns Ok, or NoMemory when the memory cannot be had (diag/Result.h).
    int Create(uint32_t size);
    // Takes bytes as the buffer and rewinds (used by tests and the fuzzer).
    void Assign(std::vector<uint8_t> bytes);
    void Clear();

    uint8_t* Data() { return m_data.data(); }
    const uint8_t* Data() const { return m_data.data(); }
    uint32_t Size() const { return static_cast<uint32_t>(m_data.size()); }
    uint32_t Position() const { return m_position; }
    uint32_t Remaining() const { return Size() - m_position; }

    // Copies n bytes to dst and advances, only when n bytes remain.
    bool ReadBytes(void* dst, uint32_t n);
    // A little-endian 32-bit value, only when 4 bytes remain.
    bool ReadU32(uint32_t& value);
    // A 32-bit length (0 when it is missing) and that many bytes of text. The
    // text is taken only when at least one byte of the buffer follows it;
    // otherwise the text is left empty and the position stays after the
    // length field.
    bool ReadText(std::string& text);
    // Advances to the next multiple of 4, never past the end.
    void Align4();

private:
    std::vector<uint8_t> m_data;
    uint32_t m_position = 0;
};
