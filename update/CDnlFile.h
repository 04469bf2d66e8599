// A firmware download file (".dnl") read into memory and checked.
//
// Layout (little-endian 32-bit integers, padding on absolute offsets):
//   "Orv1", header length H, version length + text, pad to 4,
//   device count N, N x (name length + text, pad to 4),
//   payload (H .. size-5), CRC over everything before it.
// The payload is what goes to the unit: a leading word the unit interprets,
// the image, and the CRC of the image.
//
// Result codes of Load:  0 ok, 1 cannot open, 2 empty file, 3 larger than
//                        16 MiB, 4 no memory for the buffer, 5 short read.
// Result codes of Parse: 0 ok, 1 nothing loaded, 2 empty buffer, 3 overall
//                        CRC wrong, 4 magic is not "Orv1", 5 header length
//                        does not match the header (also a device count
//                        whose entries cannot fit), 6 payload CRC wrong or
//                        payload shorter than 8 bytes.
// LoadAndParse returns the first non-zero code of the two. Every step writes
// a line to the shared logger.
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

    // The codes in words, for the command-line tool and the status line.
    static const char* LoadResultText(int code);
    static const char* ParseResultText(int code);

private:
    void ClearParsed();

    std::unique_ptr<CByteReader> m_buffer;
    bool m_valid = false;
    std::string m_version;
    std::vector<std::string> m_devices;
    uint32_t m_headerLength = 0;
    uint32_t m_payloadLength = 0;
};
