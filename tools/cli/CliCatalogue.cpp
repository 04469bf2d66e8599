// tavemo-cli catalogue: the register map as CSV, for planning a building's
// register plan.
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"

#include <cstdio>

namespace cli {

namespace {

const char* KindName(RegisterTableKind kind)
{
    switch (kind) {
    case RegisterTableKind::Holding: return "holding";
    case RegisterTableKind::Input: return "input";
    case RegisterTableKind::Coil: return "coil";
    }
    return "";
}

} // namespace

void PrintCatalogueCsv(const RegisterCatalogue& catalogue, std::FILE* out)
{
    std::fputs("kind,address,name,access,default,min,max,used,text_part,key\n", out);
    for (RegisterTableKind kind : {RegisterTableKind::Holding, RegisterTableKind::Input, RegisterTableKind::Coil}) {
        for (int a = 1; a < RegisterCatalogue::Count(kind); ++a) {
            if (!catalogue.IsUsed(kind, a))
                continue;
            const RegisterEntry& e = *catalogue.Entry(kind, a);
            // Defaults of signed registers read as signed numbers (-1, not 65535).
            const int def = e.min < 0 ? static_cast<int16_t>(e.defaultValue) : e.defaultValue;
            const std::string key = kind == RegisterTableKind::Holding ? RegisterKeyName(a) : "";
            std::fprintf(out, "%s,%d,%s,%c,%d,%d,%d,%d,%d,%s\n", KindName(kind), a, CsvField(e.name).c_str(),
                         e.readOnly ? 'R' : 'W', def, int(e.min), int(e.max), int(e.used), int(e.textPart),
                         CsvField(key).c_str());
        }
    }
}

int RunCatalogue(const GlobalOptions&, const Args& args)
{
    int deviceType = -1, tempUnit = -1, pressureUnit = -1;
    bool profile = false;
    struct Option
    {
        const char* name;
        int* target;
        long long min, max;
    } options[] = {{"--device-type", &deviceType, -1, 65535},
                   {"--temp-unit", &tempUnit, -1, 1},
                   {"--pressure-unit", &pressureUnit, -1, 3}};
    for (std::size_t i = 0; i < args.size(); ++i) {
        Option* match = nullptr;
        for (Option& o : options)
            if (args[i] == o.name)
                match = &o;
        if (!match)
            return UsageError("catalogue: unknown option '" + args[i] + "'");
        if (i + 1 >= args.size())
            return UsageError(std::string("catalogue: ") + match->name + " needs a value");
        const auto v = ParseInt(args[++i]);
        if (!v || *v < match->min || *v > match->max)
            return UsageError(std::string("catalogue: ") + match->name + " takes a whole number from " +
                              std::to_string(match->min) + " to " + std::to_string(match->max) + ", not '" +
                              args[i] + "'");
        *match->target = static_cast<int>(*v);
        profile = true;
    }
    RegisterCatalogue catalogue;
    catalogue.Build();
    if (profile)
        catalogue.ApplyDeviceProfile(deviceType, tempUnit, pressureUnit);
    PrintCatalogueCsv(catalogue, stdout);
    return kExitOk;
}

} // namespace cli
