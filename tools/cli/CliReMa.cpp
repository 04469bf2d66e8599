// tavemo-cli rema: the unit's custom addressing tables (which register
// answers at which customized address) read into a file, written from a
// file, or reset to the unit's own layout. The file's header follows the
// unit's protocol (Modbus or BACnet names), as the configuration tool's
// ReMa page writes it; a file name ending in .bin is binary, any other text.
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CUnitState.h"
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"
#include "tools/rema/CReMaEditor.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

int Selector(const std::string& word)
{
    if (word == "holding")
        return 0;
    if (word == "input")
        return 1;
    if (word == "coil")
        return 2;
    return -1;
}

int UnitFailure(const std::string& what, int code)
{
    std::fprintf(stderr, "tavemo-cli: rema %s: %s (%s)\n", what.c_str(), ReMa::StatusText(code).c_str(),
                 ResultText(code).c_str());
    return kExitFailure;
}

int FileFailure(const std::string& what, const ReMa::ImportResult& result, const std::string& path)
{
    std::fprintf(stderr, "tavemo-cli: rema %s: %s\n", what.c_str(), ReMa::FileErrorText(result, path).c_str());
    return kExitFailure;
}

} // namespace

int RunReMa(const GlobalOptions& global, const Args& args)
{
    if (args.empty())
        return UsageError("rema needs read, write or reset (see --help)");
    const std::string& action = args[0];
    const bool withFile = action == "read" || action == "write";
    if (!withFile && action != "reset")
        return UsageError("rema: '" + action + "' is not read, write or reset");
    if (args.size() != (withFile ? 3u : 2u))
        return UsageError(withFile ? "rema " + action + " takes holding|input|coil and FILE"
                                   : std::string("rema reset takes holding|input|coil"));
    const int selector = Selector(args[1]);
    if (selector < 0)
        return UsageError("rema: '" + args[1] + "' is not holding, input or coil");
    const std::string path = withFile ? args[2] : std::string();

    return WithUnit(global, "rema", [&](CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state) {
        const int deviceType = state.deviceType;
        CReMaEditor editor(catalogue);
        editor.setUnit(deviceType, catalogue.Holding(Reg::Protocol).value);
        editor.setSelector(selector);
        ReMa::CPortLink link(modbus);
        if (action == "read") {
            if (const int r = editor.readFromUnit(link); r != Result::Ok)
                return UnitFailure("read", r);
            if (const int r = editor.exportFile(path); r != Result::Ok)
                return FileFailure("read", {r, 0}, path);
            return kExitOk;
        }
        if (action == "write") {
            // The whole file first: a file that cannot be read sends nothing.
            if (const ReMa::ImportResult r = editor.importFile(path); r.code != Result::Ok)
                return FileFailure("write", r, path);
        } else {
            editor.defaultList();
        }
        if (const int r = editor.writeToUnit(link); r != Result::Ok)
            return UnitFailure(action, r);
        return kExitOk;
    });
}

} // namespace cli
