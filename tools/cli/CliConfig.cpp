// tavemo-cli export and import: the tool's configuration files, written
// from and read into the unit on --port, with the same unlock step as every
// other unit command. Progress goes to standard error; the exit status is 0
// only when every register was read (export) or every record applied and
// written and the unit stored them (import). export --non-default writes a
// template (what differs from the profile's defaults); import
// --changes-only writes only what differs from the unit and verifies it.
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CPortUnit.h"
#include "link/CUnitState.h"
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliConsole.h"
#include "tools/cli/CliProgress.h"
#include "tools/commission/CommissionPlan.h"
#include "tools/config/CConfigChangesImport.h"
#include "tools/config/CConfigExport.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/CModbusConfigUnit.h"
#include "tools/config/ConfigSource.h"

#include <algorithm>
#include <cstdio>

namespace cli {

std::string UnknownCategoryText(const std::string& command, const std::string& bad)
{
    std::string words;
    for (const ConfigFile::Category& c : ConfigFile::Categories())
        words += std::string(c.key) + ", ";
    return command + ": unknown category '" + bad + "' (" + words + "all)";
}

bool SplitCategories(const std::string& list, std::vector<ConfigFile::Range>& ranges, std::string& bad)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::string word = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        bool known = false;
        for (const ConfigFile::Category& c : ConfigFile::Categories()) {
            if (word == c.key || word == "all") {
                known = true;
                const bool listed = ConfigFile::InRanges(ranges, c.first);
                if (!listed)
                    ranges.push_back({c.first, c.last});
            }
        }
        if (!known) {
            bad = word;
            return false;
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    // In the order of the categories, as the tool's dialog collects them.
    std::sort(ranges.begin(), ranges.end(), [](auto a, auto b) { return a.first < b.first; });
    return true;
}

int RunExport(const GlobalOptions& global, const Args& args)
{
    std::string list = "all", path;
    bool nonDefault = false, withPin = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--non-default") {
            nonDefault = true;
        } else if (args[i] == "--with-pin") {
            withPin = true;
        } else if (args[i] == "--categories") {
            if (i + 1 >= args.size())
                return UsageError("export: --categories needs a list");
            list = args[++i];
        } else if (path.empty()) {
            path = args[i];
        } else {
            return UsageError("export takes one file");
        }
    }
    if (path.empty())
        return UsageError("export needs a file (FILE.csv or FILE.bin)");
    if (withPin && !nonDefault)
        return UsageError("export: --with-pin goes with --non-default (a whole export always holds the PIN)");
    const ConfigFile::Format format = ConfigFile::FormatOfName(path);
    if (format == ConfigFile::Format::None)
        return UsageError("export: '" + path + "' must end in .csv (text) or .bin (binary)");
    std::vector<ConfigFile::Range> ranges;
    std::string bad;
    if (!SplitCategories(list, ranges, bad))
        return UsageError(UnknownCategoryText("export", bad));

    // Ctrl-C ends the export after the register under way, so that its
    // temporary file is removed and the previous export stays.
    const CancelOnSignal cancel;
    return WithUnit(global, "export", [&](CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state) {
        CModbusConfigUnit unit(modbus, state, [] { return 0; }, [&modbus] { modbus.disconnect(); });
        StderrProgress progress("export");
        CConfigExport job(catalogue, unit, progress);
        if (nonDefault)
            job.setNonDefaultOnly(withPin);
        const ExportReport report = job.run(path, format, ranges);
        if (report.result == Result::Ok) {
            std::printf("%s: %d registers written\n", path.c_str(), report.written);
            return kExitOk;
        }
        if (report.result == Result::JobCancelled) {
            std::fprintf(stderr, "tavemo-cli: export: %s\n", CConfigExport::Summary(report).c_str());
            return kExitCanceled;
        }
        std::fprintf(stderr, "tavemo-cli: export: %s\n", CConfigExport::Summary(report).c_str());
        return kExitFailure;
    });
}

int RunImport(const GlobalOptions& global, const Args& args)
{
    bool changesOnly = false, busSettings = false;
    std::string path, undoPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--changes-only") {
            changesOnly = true;
        } else if (args[i] == "--bus-settings") {
            busSettings = true;
        } else if (args[i] == "--undo-file") {
            if (i + 1 >= args.size())
                return UsageError("import: --undo-file needs a file (FILE.csv or FILE.bin)");
            undoPath = args[++i];
        } else if (path.empty()) {
            path = args[i];
        } else {
            return UsageError("import takes one file (FILE.csv or FILE.bin)");
        }
    }
    if (path.empty())
        return UsageError("import takes one file (FILE.csv or FILE.bin)");
    const ConfigFile::Format format = ConfigFile::FormatOfName(path);
    if (format == ConfigFile::Format::None)
        return UsageError("import: '" + path + "' must end in .csv (text) or .bin (binary)");
    if (!undoPath.empty() && !changesOnly)
        return UsageError("import: --undo-file goes with --changes-only");
    if (busSettings && changesOnly)
        return UsageError("import: --bus-settings goes with a plain import");
    if (!undoPath.empty() && ConfigFile::FormatOfName(undoPath) == ConfigFile::Format::None)
        return UsageError("import: the undo file '" + undoPath + "' must end in .csv (text) or .bin (binary)");
    // The file first: a file that cannot be read (a folder neither) never
    // opens the port.
    std::vector<uint8_t> bytes;
    if (!ConfigFile::ReadWholeFile(path, bytes)) {
        std::fprintf(stderr, "tavemo-cli: import: %s: %s\n", path.c_str(), ResultText(Result::ImportNotOpened).c_str());
        return kExitFailure;
    }

    if (changesOnly) {
        return WithUnit(global, "import", [&](CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state) {
            CModbusConfigUnit unit(modbus, state, [] { return 0; }, [&modbus] { modbus.disconnect(); });
            StderrProgress progress("import");
            CConfigChangesImport job(catalogue, unit, progress);
            job.setUndoFile(undoPath);
            const ChangesReport report = job.run(bytes, format);
            std::fprintf(stderr, "tavemo-cli: import: %s\n", CConfigChangesImport::Summary(report).c_str());
            if (report.result != Result::Ok)
                return kExitFailure;
            std::printf("%s: %d of %d registers differed, written and verified%s\n", path.c_str(),
                        report.verified, report.compared, report.saveTried ? ", Save To NVRAM done" : "");
            return kExitOk;
        });
    }
    return WithUnit(global, "import", [&](CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state) {
        // The bus settings go over the same link after the import: the
        // session closes it at the end.
        CModbusConfigUnit unit(
            modbus, state, [] { return 0; },
            [&modbus, busSettings] {
                if (!busSettings)
                    modbus.disconnect();
            });
        StderrProgress progress("import");
        CConfigImport job(catalogue, unit, progress);
        ImportReport report = job.run(bytes, format);
        // The bus settings (a commissioning undo record names them) are
        // read-only to the import: with --bus-settings they are put back
        // with the special write after the rest, and stored again.
        std::vector<ConfigFile::Value> bus;
        if (busSettings && report.result == Result::ImportIncomplete) {
            const ConfigSource file = ConfigSources::FromFile(bytes, format, path);
            std::erase_if(report.readOnly, [&](uint32_t a) {
                const SourceValue* v = file.find(a);
                if (!v || !Commission::IsBusSetting(static_cast<uint16_t>(a)))
                    return false;
                bus.push_back({static_cast<uint16_t>(a), static_cast<uint16_t>(v->value)});
                return true;
            });
            if (report.unknown.empty() && report.readOnly.empty() && report.outOfLimits.empty() &&
                report.linesNotUnderstood == 0 && !report.fileEndedEarly && !report.cancelled)
                report.result = Result::Ok;
        }
        if (report.result != Result::Ok) {
            std::fprintf(stderr, "tavemo-cli: import: %s\n", CConfigImport::Summary(report).c_str());
            return kExitFailure;
        }
        std::string busText;
        for (const ConfigFile::Value& v : bus) {
            uint16_t back = 0;
            int r = modbus.writeHoldingSpecialChecked(v.address, v.word);
            if (CPortUnit::Accepted(modbus, r, v.address))
                r = modbus.readHoldingSpecial(v.address, &back);
            if (!CPortUnit::Accepted(modbus, r, v.address) || back != v.word) {
                std::fprintf(stderr, "tavemo-cli: import: the bus setting %u=%u was not taken%s\n", v.address,
                             v.word,
                             CPortUnit::Accepted(modbus, r, v.address) ? " (read back otherwise)" : "");
                return kExitFailure;
            }
            busText += " " + std::to_string(v.address) + "=" + std::to_string(v.word);
        }
        if (!bus.empty() && unit.writeHolding(Reg::SaveToNvram, 1) != Result::Ok) {
            std::fprintf(
                stderr, "tavemo-cli: import: the bus settings were written but not stored (Save To NVRAM)\n");
            return kExitFailure;
        }
        std::printf("%s: %d records written%s, Save To NVRAM done\n", path.c_str(), report.written,
                    bus.empty() ? "" : (", bus settings" + busText + " written").c_str());
        return kExitOk;
    });
}

} // namespace cli
