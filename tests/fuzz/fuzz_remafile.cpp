// Arbitrary bytes as a ReMa table file: the reader must refuse whatever is
// wrong without reading outside the bytes, and whatever it takes must name
// an address inside the table and a register the catalogue has. The first
// byte picks the table (holding, input, coil), the protocol's header and
// the format; the rest is the file.
#include "model/RegisterCatalogue.h"
#include "tools/rema/ReMaFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static RegisterCatalogue* catalogue = [] {
        static RegisterCatalogue c;
        c.Build();
        return &c;
    }();
    if (size == 0)
        return 0;
    const int selector = data[0] % 3;
    const int protocol = (data[0] >> 2) & 1;
    const auto format = (data[0] & 8) ? ReMa::FileFormat::Binary : ReMa::FileFormat::Text;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<uint32_t> map;
    int last = -1;
    const ReMa::ImportResult r =
        ReMa::ImportTable(bytes, *catalogue, selector, protocol, format, map, [&](int p) {
            if (p < 0 || p > 100)
                std::abort();
            last = p;
        });
    const ReMa::Selector& s = ReMa::SelectorOf(selector);
    if (map.size() != static_cast<std::size_t>(s.size))
        std::abort();
    if (r.code == 0) {
        if (last != 100)
            std::abort();
        for (std::size_t c = 0; c < map.size(); ++c) {
            const uint16_t d = ReMa::MappedOf(map[c]);
            if ((map[c] & 0xFFFF) != c || (d != ReMa::kUnmapped && !catalogue->IsUsed(s.kind, d)))
                std::abort();
        }
    }
    return 0;
}
