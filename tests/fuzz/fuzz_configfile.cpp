// Arbitrary bytes as a configuration file to import and to compare: the
// reader, the import and the comparison's side (with the line it names when
// the file is not read whole) must take or refuse whatever comes without
// reading outside the bytes or the catalogue. The first byte picks the
// format (even text, odd binary); the rest is the file. The unit accepts
// every write.
#include "model/RegisterCatalogue.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/ConfigSource.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"

#include <cstdint>
#include <span>

namespace {

struct Unit : IConfigUnit
{
    int open() override { return 0; }
    void close() override {}
    int readHolding(uint16_t, uint16_t* value) override
    {
        *value = 0;
        return 0;
    }
    int writeHolding(uint16_t, uint16_t) override { return 0; }
    int deviceType() const override { return 2050; }
    bool demoMode() const override { return false; }
};

struct Progress : IConfigProgress
{
    void showPercent(int percent) override
    {
        if (percent < 0 || percent > 100)
            __builtin_trap();
    }
    void markFailed() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static RegisterCatalogue* catalogue = [] {
        auto* c = new RegisterCatalogue;
        c->Build();
        c->ApplyDeviceProfile(2050, 1, 0);
        return c;
    }();
    if (size == 0)
        return 0;
    const auto format = data[0] % 2 ? ConfigFile::Format::Binary : ConfigFile::Format::Csv;
    Unit unit;
    Progress progress;
    CConfigImport import(*catalogue, unit, progress);
    const ImportReport report = import.run(std::span<const uint8_t>(data + 1, size - 1), format);
    (void)CConfigImport::Summary(report);
    const ConfigSource side = ConfigSources::FromFile(std::span<const uint8_t>(data + 1, size - 1), format, "file");
    if (side.fileEndedEarly && side.notReadWhole.empty())
        __builtin_trap();
    return 0;
}
