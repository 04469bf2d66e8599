// Arbitrary bytes as a download file: parsing must refuse whatever is wrong
// without reading outside the buffer or allocating for a length it was told.
// The first byte picks the form: even, the rest is the file as it is; odd,
// the rest gets its overall CRC appended, so that the fuzzer gets past the
// CRC into the header and payload checks.
#include "update/CDnlFile.h"
#include "update/DnlCrc.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    if (data[0] % 2) {
        uint8_t crc[4];
        DNLF_PutLe32(crc, DNLF_Crc(0, bytes.data(), bytes.size()));
        bytes.insert(bytes.end(), crc, crc + 4);
    }
    CDnlFile file;
    const int rc = file.ParseBytes(std::move(bytes));
    if (rc == 0) {
        // A valid file's accessors stay inside it.
        volatile uint8_t sink = 0;
        const uint8_t* p = file.payload();
        for (uint32_t i = 0; i < file.payloadLength(); i += 97)
            sink = static_cast<uint8_t>(sink ^ p[i]);
        for (std::size_t i = 0; i <= file.devices().size(); ++i)
            sink = static_cast<uint8_t>(sink ^ file.device(i).size());
        (void)sink;
    }
    return 0;
}
