// One side of a configuration comparison, as a plain list of register
// values: what an export file holds, what a unit gave when asked, or the
// catalogue's defaults for a device profile. Any other record of a
// configuration (a commissioning report, say) becomes a source by filling
// the same list; the comparison (ConfigCompare.h) sees nothing else.
//
// A value that was asked for but could not be had stays in the list with
// read = false and the reason, so the comparison can name it instead of
// taking it for absent.
//
// Result codes (diag/Result.h) in ConfigSource::result: Ok; for a file
// NotAnExportFile (no header: the list is empty) or ImportIncomplete (lines
// not understood or the file cut short: what came before is in the list);
// for a unit RegistersMissing (registers not read, named in the list),
// LinkLost (the unit fell silent or the port went: the rest was not asked)
// or JobCancelled (the user's Cancel: the rest was not asked).
//
// Thread rules: plain values; the readers run on the caller's thread.
#pragma once

#include "tools/config/ConfigFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class IConfigProgress;
class IConfigUnit;
class RegisterCatalogue;
struct ExportPacing;

struct SourceValue
{
    uint32_t address = 0;
    // The register's word; from a file the number as it stood there, which
    // may not fit 16 bits (the comparison marks it outside the limits).
    uint32_t value = 0;
    bool read = true; // false: asked for, not had (code says why)
    int code = 0;
};

struct ConfigSource
{
    std::string label; // how the user knows this side: "unit", a file name, "defaults"
    int result = 0;
    bool portGone = false;          // LinkLost because the port vanished or hung up
    int linesNotUnderstood = 0;     // a file's lines that were neither a record nor blank
    bool fileEndedEarly = false;    // a file's record without a value or cut short
    // Why a file was not read whole, naming the first line (or binary
    // record) that stopped the reading or was not understood: "line 4 has
    // no value: \"Addr: 2011; Val: abc\"; ...". Empty when every line was
    // read. Lines the import skips unread on purpose (a register below 2000
    // or a protected one named, with or without a value) and blank lines
    // are read; they leave it empty.
    std::string notReadWhole;
    std::vector<SourceValue> values; // ascending by address, one each

    const SourceValue* find(uint32_t address) const;
    // Sets the address's value; a later value for the same address wins,
    // as it does when a file is imported.
    void set(const SourceValue& value);
    std::vector<uint32_t> addresses() const;
};

namespace ConfigSources {

// An export file's records, read by the import's rules (a record at or past
// holding 10000, a line without a value or a binary record cut short ends
// the reading), skipped records included: the comparison marks them. A
// comparison that must see the whole file checks notReadWhole.
ConfigSource FromFile(std::span<const uint8_t> bytes, ConfigFile::Format format, std::string label);

// The catalogue's default of each address it knows (every exportable
// register when addresses is empty), for the profile the catalogue was
// adapted to.
ConfigSource FromDefaults(const RegisterCatalogue& catalogue, std::span<const uint32_t> addresses);

// Whether the unit is asked for an address: a configuration register the
// import could write or would skip as read-only. Others are never asked
// for (the unit does not have them, or they act when touched).
bool Readable(const RegisterCatalogue& catalogue, uint32_t address);

// The unit's value of each readable address, over a link the caller has
// opened, each with the export's attempts; a lost link ends the reading,
// and so does the progress's cancel, after the register under way.
// The bar moves from fromPercent to toPercent.
ConfigSource FromUnit(IConfigUnit& unit, const RegisterCatalogue& catalogue, std::span<const uint32_t> addresses,
                      const ExportPacing& pacing, IConfigProgress& progress, int fromPercent = 0,
                      int toPercent = 100);

} // namespace ConfigSources
