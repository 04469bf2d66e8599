// The configuration import: reads an export file (ConfigFile.h) into the
// catalogue and, outside demo mode with a unit known, writes every accepted
// value to the unit, then makes the unit store them ("Save To NVRAM",
// holding 2013). In demo mode only the catalogue changes.
//
// A record is accepted when its register is present, writable, not one of
// the protected registers (2013, 2014, the date and time) and its value
// lies within the register's limits; others are skipped and listed. A text
// line without a value, or a binary record cut short, ends the reading.
//
// Result codes (diag/Result.h): Ok every record applied and written and the
// unit stored them; NotAnExportFile; ImportNotOpened; ImportIncomplete
// records skipped, lines not understood or the file cut short; NoLink no
// unit known outside demo mode; AnotherUnit another unit than the one
// connected to is behind the port; the link's open code when it did not
// open (nothing is taken from the file then); LinkLost three registers in a row got no
// answer or the port is gone (the rest is not written); the first failing
// write's code otherwise. A cancelled import is ImportIncomplete. A value that does not fit a
// 16-bit register (below -32768 or above 65535) is outside the limits.
// "Save To NVRAM" is sent only when something was written.
//
// Thread rules: the caller's thread.
#pragma once

#include "tools/config/ConfigFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class IConfigProgress;
class IConfigUnit;
class RegisterCatalogue;

struct ImportReport
{
    struct Failure
    {
        uint16_t address;
        int code;
    };
    int result = 0;
    bool headerFound = false;
    bool fileEndedEarly = false; // a line without a value, a record cut short
    int applied = 0;             // records taken into the catalogue
    int written = 0;             // of these, written to the unit
    std::vector<uint32_t> unknown;      // not present on this unit, or not importable
    std::vector<uint32_t> readOnly;
    std::vector<uint32_t> outOfLimits;
    int linesNotUnderstood = 0;
    std::vector<Failure> failedWrites;
    int saveResult = 0;          // the Save To NVRAM write (not tried in demo mode, nor when nothing was written)
    bool saveTried = false;
    bool linkLost = false;       // the unit fell silent or the port went: the rest was not written
    bool portGone = false;       // of these, the port vanished or hung up
    bool cancelled = false;      // the user stopped it
    bool notReached = false;     // the link did not open (port busy or gone, PIN not accepted): nothing taken

    // Every record applied, every write and the store confirmed.
    bool allOk() const { return result == 0; }
};

class CConfigImport
{
public:
    // Writes in a row that got no answer at all before the unit counts as gone.
    static constexpr int kSilentWritesForLinkLost = 3;

    CConfigImport(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress);

    ImportReport run(const std::string& path, ConfigFile::Format format);
    ImportReport run(std::span<const uint8_t> bytes, ConfigFile::Format format);

    // "Done - all ok", or what went wrong in lines: records written,
    // skipped (with their addresses), writes that failed (address, code).
    static std::string Summary(const ImportReport& report);

private:
    RegisterCatalogue& m_catalogue;
    IConfigUnit& m_unit;
    IConfigProgress& m_progress;
};
