// tavemo-cli diff: two configuration files, or the unit on --port against a
// file, register by register in the form the pages show them. The exit
// status is diff's: 0 no difference, 1 differences, 2 trouble (the reason
// on standard error), and a file not read whole is trouble: compared, its
// missing half would look like a unit that lost registers, or like nothing.
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CUnitState.h"
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliProgress.h"
#include "tools/config/CConfigExport.h"
#include "tools/config/CModbusConfigUnit.h"
#include "tools/config/ConfigCompare.h"
#include "tools/config/ConfigSource.h"
#include "tools/report/ReportJson.h"

#include <cstdio>

namespace cli {

namespace {

constexpr int kExitSame = 0;
constexpr int kExitDiffer = 1;
constexpr int kExitTrouble = 2;

bool IsReportName(const std::string& path)
{
    if (path.size() < 5)
        return false;
    std::string end = path.substr(path.size() - 5);
    for (char& c : end)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".json";
}

bool LoadFile(const std::string& path, ConfigSource& source)
{
    // A commissioning report: what the unit held when it was handed over.
    if (IsReportName(path)) {
        std::string problem;
        if (ReportJson::ReadSource(path, source, &problem) != Result::Ok) {
            std::fprintf(stderr, "tavemo-cli: diff: %s: %s\n", path.c_str(), problem.c_str());
            return false;
        }
        return true;
    }
    const ConfigFile::Format format = ConfigFile::FormatOfName(path);
    std::vector<uint8_t> bytes;
    if (format == ConfigFile::Format::None) {
        std::fprintf(stderr, "tavemo-cli: diff: '%s' must end in .csv (text), .bin (binary) or .json (a report)\n",
                     path.c_str());
        return false;
    }
    if (!ConfigFile::ReadWholeFile(path, bytes)) {
        std::fprintf(stderr, "tavemo-cli: diff: %s: %s\n", path.c_str(), ResultText(Result::ImportNotOpened).c_str());
        return false;
    }
    source = ConfigSources::FromFile(bytes, format, path);
    if (source.result == Result::NotAnExportFile) {
        std::fprintf(stderr, "tavemo-cli: diff: %s: %s\n", path.c_str(), ResultText(source.result).c_str());
        return false;
    }
    // Half a file would compare as equal to the other half of its unit.
    if (!source.notReadWhole.empty()) {
        std::fprintf(stderr, "tavemo-cli: diff: %s: %s\n", path.c_str(), source.notReadWhole.c_str());
        return false;
    }
    return true;
}

int Print(const ConfigComparison& comparison, bool csv, bool all)
{
    if (csv)
        std::printf("%s\n", ConfigCompare::CsvHeader().c_str());
    for (const CompareRow& row : comparison.rows) {
        if (row.equal && !all)
            continue;
        std::printf("%s\n", (csv ? ConfigCompare::CsvLine(row) : ConfigCompare::Line(row)).c_str());
    }
    std::fflush(stdout);
    return comparison.differing > 0 ? kExitDiffer : kExitSame;
}

} // namespace

int RunDiff(const GlobalOptions& global, const Args& args)
{
    int deviceType = -1, tempUnit = -1;
    bool profile = false, csv = false, all = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--csv") {
            csv = true;
        } else if (args[i] == "--all") {
            all = true;
        } else if (args[i] == "--device-type" || args[i] == "--temp-unit") {
            const bool type = args[i] == "--device-type";
            if (i + 1 >= args.size())
                return UsageError("diff: " + args[i] + " needs a value");
            const auto v = ParseInt(args[++i]);
            if (!v || *v < (type ? -1 : 0) || *v > (type ? 65535 : 1))
                return UsageError("diff: " + args[i - 1] + " takes a whole number from " + (type ? "-1 to 65535" : "0 to 1") +
                                  ", not '" + args[i] + "'");
            (type ? deviceType : tempUnit) = static_cast<int>(*v);
            profile = true;
        } else if (!args[i].empty() && args[i][0] == '-' && args[i] != "-") {
            return UsageError("diff: unknown option '" + args[i] + "'");
        } else {
            files.push_back(args[i]);
        }
    }
    const bool withUnit = !global.port.empty();
    if (withUnit && (files.size() != 1 || profile))
        return UsageError("diff with --port takes one file and no profile: the unit is compared with it");
    if (!withUnit && files.size() != 2)
        return UsageError("diff takes two files A B, or one file with --port NAME");

    ConfigSource right;
    if (!LoadFile(files.back(), right))
        return kExitTrouble;

    if (!withUnit) {
        ConfigSource left;
        if (!LoadFile(files.front(), left))
            return kExitTrouble;
        const RegisterCatalogue catalogue = ConfigCompare::FilesCatalogue(left, right, deviceType, tempUnit);
        return Print(ConfigCompare::Compare(catalogue, left, right), csv, all);
    }

    bool ran = false;
    const int status = WithUnit(global, "diff", [&](CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state) {
        ran = true;
        CModbusConfigUnit unit(modbus, state, [] { return 0; }, [&modbus] { modbus.disconnect(); });
        StderrProgress progress("diff");
        const std::vector<uint32_t> addresses = right.addresses();
        const ConfigSource left =
            ConfigSources::FromUnit(unit, catalogue, addresses, ExportPacing{}, progress);
        if (left.result == Result::LinkLost) {
            std::fprintf(stderr, "tavemo-cli: diff: %s\n",
                         left.portGone ? "link lost: the port is gone (the adapter was unplugged or hung up)"
                                       : ResultText(Result::LinkLost).c_str());
            return kExitTrouble;
        }
        const ConfigComparison comparison = ConfigCompare::Compare(catalogue, left, right);
        const int printed = Print(comparison, csv, all);
        if (comparison.notRead > 0) {
            std::vector<uint32_t> missing;
            for (const SourceValue& v : left.values)
                if (!v.read)
                    missing.push_back(v.address);
            std::fprintf(stderr, "tavemo-cli: diff: %zu registers could not be read from the unit: %s\n",
                         missing.size(), ConfigFile::AddressList(missing).c_str());
            return kExitTrouble;
        }
        return printed;
    });
    return ran ? status : kExitTrouble;
}

} // namespace cli
