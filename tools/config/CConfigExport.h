// The configuration export: every exportable holding register of the chosen
// categories, in ascending order, into a text or binary file
// (ConfigFile.h). With a unit connected the values come from the unit (the
// catalogue is left as it is), otherwise from the catalogue.
//
// The file is written beside the target under a temporary name and renamed
// over the target only when the export ends, so a failed export leaves the
// previous file as it was. A register the unit does not give in its
// attempts is left out of the file and named in the report. When several
// registers in a row get no answer at all, the unit is taken as gone: the export
// ends, the target stays untouched, and what was read is kept beside it
// (target name + ".partial").
//
// Result codes (diag/Result.h): Ok every register written; RegistersMissing
// the file was written without the registers listed; LinkLost; and
// ExportNotCreated when the file could not be created or written.
//
// Thread rules: the caller's thread; the unit and progress objects are used
// on it only.
#pragma once

#include "tools/config/ConfigFile.h"

#include <cstdint>
#include <string>
#include <vector>

class IConfigProgress;
class IConfigUnit;
class RegisterCatalogue;

struct ExportPacing
{
    // A register is asked for up to this many times.
    int attempts = 10;
    // After this many attempts in a row with no answer at all a register is
    // given up at once: a unit that stays silent that long is not there.
    int silentAttempts = 2;
    // This many registers in a row given up without any answer: the link is lost.
    int lostAfterRegisters = 3;
};

// One register asked for with the pacing's attempts.
struct RegisterRead
{
    bool have = false;     // the value came
    bool silent = false;   // not had, and the last attempts got no answer at all
    bool portGone = false; // the port vanished or hung up: nothing more will come
    int code = 0;          // the last attempt's result
};

struct ExportReport
{
    int result = 0;
    int total = 0;    // exportable registers in the chosen categories
    int written = 0;  // lines or records in the file
    bool fromUnit = false;
    std::vector<uint16_t> missing; // registers the unit did not give
    std::string partialPath;       // link lost: what was read, kept here
    std::string fileError;         // the system's words when the file failed
    bool portGone = false;         // link lost because the port vanished or hung up
    bool notReached = false;       // a unit is known but its link did not open: nothing exported
};

class CConfigExport
{
public:
    CConfigExport(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress);

    void setPacing(const ExportPacing& pacing) { m_pacing = pacing; }
    // A template: only the registers whose value differs from the catalogue
    // default of the unit's profile; the PIN (2008) only with withPin, as a
    // template from a unit without a PIN would clear the PIN of every unit
    // it is applied to.
    void setNonDefaultOnly(bool withPin);
    // The registers of the ranges (ConfigFile::InRanges) that are exportable.
    int count(const std::vector<ConfigFile::Range>& ranges) const;
    ExportReport run(const std::string& path, ConfigFile::Format format, const std::vector<ConfigFile::Range>& ranges);

    // The words for the user: "" when everything went well, else what went
    // wrong, which registers are missing, where the partial file is.
    static std::string Summary(const ExportReport& report);

    // Reads one register as the export does: up to pacing.attempts times,
    // given up after pacing.silentAttempts without any answer in a row, at
    // once when the port is gone. Shared by every job that reads a unit's
    // configuration, so they all count a lost link alike: the caller ends
    // its job after pacing.lostAfterRegisters silent registers in a row.
    static RegisterRead ReadRegister(IConfigUnit& unit, const ExportPacing& pacing, uint16_t address,
                                     uint16_t* value);

private:
    bool leftOut(uint32_t address) const;

    RegisterCatalogue& m_catalogue;
    IConfigUnit& m_unit;
    IConfigProgress& m_progress;
    ExportPacing m_pacing;
    bool m_nonDefaultOnly = false;
    bool m_withPin = true;
};
