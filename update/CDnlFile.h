// A firmware download file (".dnl") read into memory and checked.
//
// Layout (little-endian 32-bit integers, padding on absolute offsets):
//   "Orv1", header length H, version length + text, pad to 4,
//   device count N, N x (name length + text, pad to 4),
//   payload (H .. size-5), CRC over everything before it.
// The payload is what goes to the unit: a leading word the unit interprets,
// the image, and the CRC of the image.
//
// Result codes (diag/Result.h):
//   Load   Ok; FileNotOpened; FileEmpty; FileTooLarge (over 16 MiB);
//          NoMemory (for the buffer); FileShortRead.
//   Parse  Ok; FileNotLoaded; FileEmpty (empty buffer); FileCrcWrong
//          (overall CRC); NotADownloadFile (magic is not "Orv1");
//          FileHeaderWrong (header length does not match the header, also a
//          device count whose entries cannot fit); ImageCrcWrong (payload CRC
//          wrong, or payload shorter than 8 bytes).
// LoadAndParse returns the first failure of the two. Every step writes a
// line to the shared logger. After a CRC failure crcFound and crcExpected
// say which CRC the file carries and which its bytes give.
//
// Thread rules: one thread at a time; after a successful load the accessors
// are read-only and may be read from any thread.
#pragma once

#include "update/CByteReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDnlFile
{
public:
    static constexpr uint32_t kMaxFileSize = 0x1000000; // 16 MiB, the unit's largest flash
    static constexpr uint32_t kMinPayload = 8;          // leading word + image CRC

    CDnlFile() = default;

    int Load(const std::string& path);
    int Parse();
    int LoadAndParse(const std::string& path);
    // Parses bytes already in memory (the fuzzer's way in); codes as Parse.
    int ParseBytes(std::vector<uint8_t> bytes);

    bool valid() const { return m_valid; }
    const std::string& version() const { return m_version; }
    const std::vector<std::string>& devices() const { return m_devices; }
    // The name at index, or "invalid" past the end.
    std::string device(std::size_t index) const;
    uint32_t headerLength() const { return m_headerLength; }
    // 0 while the file is not valid.
    uint32_t payloadLength() const { return m_valid ? m_payloadLength : 0; }
    // The payload bytes (payloadLength() of them), or null while not valid.
    const uint8_t* payload() const;

    // After FileCrcWrong or ImageCrcWrong (with a CRC to compare): the CRC
    // stored in the file and the CRC of the bytes it covers; else 0.
    uint32_t crcFound() const { return m_crcFound; }
    uint32_t crcExpected() const { return m_crcExpected; }

private:
    void ClearParsed();

    std::unique_ptr<CByteReader> m_buffer;
    bool m_valid = false;
    std::string m_version;
    std::vector<std::string> m_devices;
    uint32_t m_headerLength = 0;
    uint32_t m_payloadLength = 0;
    uint32_t m_crcFound = 0;
    uint32_t m_crcExpected = 0;
};
