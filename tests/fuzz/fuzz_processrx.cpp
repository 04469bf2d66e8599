// Arbitrary received lines for the download state machine. The first byte
// picks how the rest is offered:
//   even: the bytes as one raw line (framing and CRC as they come);
//   odd:  the rest split at 0xA5 into messages, each given its CRC and
//         framed, so that the fuzzer reaches the handlers and every state
//         (a Device info, Responses, unknown types...).
// A download is started before each input, with a transmitter that takes
// everything, so that the machine answers, advances and resends.
#include "update/CSwDl.h"
#include "update/DnlCrc.h"
#include "update/Slip.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class NullTx : public ISwDlTx
{
public:
    bool transmit(const uint8_t*, int32_t) override { return true; }
};

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A small sound download file for the unit "RU-Touch", version 2.1.0, with
// a 1100-byte payload (three blocks).
std::string WriteFile()
{
    std::vector<uint8_t> f = {'O', 'r', 'v', '1'};
    Put32(f, 36);
    Put32(f, 5);
    for (char c : std::string("2.1.0\0\0\0", 8))
        f.push_back(static_cast<uint8_t>(c));
    Put32(f, 1);
    Put32(f, 8);
    for (char c : std::string("RU-Touch"))
        f.push_back(static_cast<uint8_t>(c));
    Put32(f, 0);
    std::vector<uint8_t> image(1092);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 7);
    f.insert(f.end(), image.begin(), image.end());
    Put32(f, DNLF_Crc(0, image.data(), image.size()));
    Put32(f, DNLF_Crc(0, f.data(), f.size()));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tavemo-fuzz-" + std::to_string(::getpid()) + ".dnl")).string();
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(f.data(), 1, f.size(), out);
        std::fclose(out);
    }
    return path;
}

CSwDl* Machine()
{
    static NullTx tx;
    static CSwDl* swdl = [] {
        auto* s = new CSwDl;
        s->setTransmitter(&tx);
        const std::string path = WriteFile();
        s->LoadDNL(path);
        std::remove(path.c_str());
        return s;
    }();
    return swdl;
}

void Offer(CSwDl& swdl, std::vector<uint8_t> line)
{
    swdl.processRx(line.data(), static_cast<int>(line.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 8192)
        return 0;
    CSwDl& swdl = *Machine();
    swdl.Start();
    if (data[0] % 2 == 0) {
        Offer(swdl, std::vector<uint8_t>(data + 1, data + size));
    } else {
        std::vector<uint8_t> message;
        for (size_t i = 1; i <= size; ++i) {
            if (i < size && data[i] != 0xA5) {
                message.push_back(data[i]);
                continue;
            }
            Put32(message, DNLF_Crc(0, message.data(), message.size()));
            std::vector<uint8_t> frame = message;
            frame.resize(2 + 2 * message.size());
            frame.resize(SLIP_Encode(frame.data(), static_cast<uint32_t>(message.size())));
            Offer(swdl, frame);
            message.clear();
        }
    }
    swdl.tick();
    (void)swdl.getProgress();
    return 0;
}
