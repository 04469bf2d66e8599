// Builds download files for tests and benchmarks: a sound file by default,
// with switches for each kind of damage the loader must notice.
#pragma once

#include "tests/support/TempDir.h"
#include "update/DnlCrc.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace dnltest {

struct DnlSpec
{
    std::string magic = "Orv1";
    std::string version = "2.1.0";
    std::vector<std::string> devices = {"RU-Touch"};
    std::vector<uint8_t> image;       // the firmware image bytes
    uint32_t leadingWord = 0x00010000; // the unit's word before the image
    int headerDelta = 0;               // added to the true header length
    std::optional<uint32_t> deviceCount; // written instead of devices.size()
    bool badPayloadCrc = false;
    bool badOverallCrc = false;
};

inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutText(std::vector<uint8_t>& out, const std::string& text)
{
    Put32(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
    while (out.size() % 4)
        out.push_back(0xEE); // padding content is not checked
}

// A payload: leading word, image, image CRC.
inline std::vector<uint8_t> Payload(const std::vector<uint8_t>& image, uint32_t leadingWord = 0x00010000,
                                    bool badCrc = false)
{
    std::vector<uint8_t> p;
    Put32(p, leadingWord);
    p.insert(p.end(), image.begin(), image.end());
    Put32(p, DNLF_Crc(0, image.data(), image.size()) ^ (badCrc ? 1u : 0u));
    return p;
}

// An image of n bytes that exercises every byte value (escapes included).
inline std::vector<uint8_t> Image(std::size_t n, uint32_t seed = 1)
{
    std::vector<uint8_t> v(n);
    uint32_t x = seed;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return v;
}

inline std::vector<uint8_t> WithOverallCrc(std::vector<uint8_t> body, bool bad = false)
{
    Put32(body, DNLF_Crc(0, body.data(), body.size()) ^ (bad ? 0x80000000u : 0u));
    return body;
}

inline std::vector<uint8_t> Build(const DnlSpec& s)
{
    std::vector<uint8_t> out(s.magic.begin(), s.magic.end());
    Put32(out, 0); // header length, patched below
    PutText(out, s.version);
    Put32(out, s.deviceCount.value_or(static_cast<uint32_t>(s.devices.size())));
    for (const auto& d : s.devices)
        PutText(out, d);
    const uint32_t header = static_cast<uint32_t>(out.size()) + static_cast<uint32_t>(s.headerDelta);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(header >> (8 * i));
    const auto payload = Payload(s.image, s.leadingWord, s.badPayloadCrc);
    out.insert(out.end(), payload.begin(), payload.end());
    return WithOverallCrc(std::move(out), s.badOverallCrc);
}

// A file in a fresh folder under the temporary directory, removed with the object.
class TempFile
{
public:
    explicit TempFile(const std::vector<uint8_t>& bytes, const std::string& name = "image.dnl")
        : m_path(m_dir.path() / name)
    {
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string path() const { return m_path.string(); }
    const std::filesystem::path& dir() const { return m_dir.path(); }

private:
    testsupport::TempDir m_dir;
    std::filesystem::path m_path;
};

} // namespace dnltest
