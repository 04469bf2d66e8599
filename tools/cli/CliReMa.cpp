// tavemo-cli rema: the unit's custom addressing tables (which register
// answers at which customized address) read into a file, written from a
// file, or reset to the unit's own layout. The file's header follows the
// unit's protocol (Modbus or BACnet names), as the configuration tool's
// ReMa page writes it; a file name ending in .bin is binary, any other text.
//
// A write first reads the unit's table, so that what no file can name stays
// as the unit has it; a file that takes registers away from their addresses
// is written only with --allow-removals, and one that would move the
// registers the tool identifies and unlocks a unit by is never written.
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CUnitState.h"
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"
#include "tools/rema/CReMaEditor.h"

#include <cstdio>
#include <string>
#include <vector>

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

// "101, 102, 103 and 4 more": the first few addresses of a list.
std::string AddressList(const std::vector<uint16_t>& addresses)
{
    constexpr std::size_t kShown = 10;
    std::string text;
    for (std::size_t i = 0; i < addresses.size() && i < kShown; ++i)
        text += (i ? ", " : "") + std::to_string(addresses[i]);
    if (addresses.size() > kShown)
        text += " and " + std::to_string(addresses.size() - kShown) + " more";
    return text;
}

} // namespace

int RunReMa(const GlobalOptions& global, const Args& args)
{
    Args words;
    bool allowRemovals = false;
    for (const std::string& arg : args) {
        if (arg == "--allow-removals")
            allowRemovals = true;
        else
            words.push_back(arg);
    }
    if (words.empty())
        return UsageError("rema needs read, write or reset (see --help)");
    const std::string& action = words[0];
    const bool withFile = action == "read" || action == "write";
    if (!withFile && action != "reset")
        return UsageError("rema: '" + action + "' is not read, write or reset");
    if (allowRemovals && action != "write")
        return UsageError("rema: --allow-removals goes with rema write");
    if (words.size() != (withFile ? 3u : 2u))
        return UsageError(withFile ? "rema " + action + " takes holding|input|coil and FILE"
                                   : std::string("rema reset takes holding|input|coil"));
    const int selector = Selector(words[1]);
    if (selector < 0)
        return UsageError("rema: '" + words[1] + "' is not holding, input or coil");
    const std::string path = withFile ? words[2] : std::string();

    return WithUnit(global, "rema", [&](CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state) {
        const int deviceType = state.deviceType;
        CReMaEditor editor(catalogue);
        editor.setUnit(deviceType, ProtocolOf(catalogue.Holding(Reg::Protocol).value));
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
            // The unit's table first: what no file can name stays as it is.
            if (const int r = editor.readFromUnit(link); r != Result::Ok)
                return UnitFailure("write (reading the unit's table)", r);
            // The whole file next: a file that cannot be read sends nothing.
            if (const ReMa::ImportResult r = editor.importFile(path); r.code != Result::Ok)
                return FileFailure("write", r, path);
            const auto moved = ReMa::IdentityRegistersMoved(catalogue, selector, editor.map());
            if (!moved.empty()) {
                std::fprintf(stderr, "tavemo-cli: rema write: %s moves or takes away %s: %s\n", path.c_str(),
                             AddressList(moved).c_str(), ResultText(Result::RemaTakesIdentity).c_str());
                return kExitFailure;
            }
            const auto removed = ReMa::RemovedAddresses(catalogue, selector, editor.map());
            if (!removed.empty()) {
                std::fprintf(stderr, "tavemo-cli: rema write: %s takes %zu register%s away from %s address%s (%s)\n",
                             path.c_str(), removed.size(), removed.size() == 1 ? "" : "s",
                             removed.size() == 1 ? "its" : "their", removed.size() == 1 ? "" : "es",
                             AddressList(removed).c_str());
                if (!allowRemovals) {
                    std::fprintf(stderr, "tavemo-cli: rema write: nothing was written; give --allow-removals to "
                                         "write it all the same\n");
                    return kExitFailure;
                }
            }
        } else {
            editor.defaultList();
        }
        if (const int r = editor.writeToUnit(link); r != Result::Ok)
            return UnitFailure(action, r);
        return kExitOk;
    });
}

} // namespace cli
