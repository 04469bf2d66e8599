// The import that writes only what differs: reads every register the file
// names from the unit (with the export's attempts and lost-link rule),
// writes those whose value differs, reads each written register back to
// verify it, and makes the unit store them ("Save To NVRAM", holding 2013)
// only when something was written. The import's record rules hold: records
// of unknown, read-only or protected registers and values outside the
// limits are skipped and named, never written.
//
// With an undo file the unit's values of the registers about to change are
// first written as an export file (the export's formats, written whole or
// not at all), so that a plain import of it puts them back; when it cannot
// be written nothing goes to the unit.
//
// Result codes (diag/Result.h): Ok every differing register written,
// verified and stored, and no record skipped; NotAnExportFile;
// ImportIncomplete records skipped, lines not understood or the file cut
// short; DemoMode nothing goes to a unit in demo mode; the link's open code
// when it did not open (NoLink, AnotherUnit, PinNotAccepted ...);
// UndoFileNotWritten; LinkLost; otherwise the first failure's code (a read
// the unit refused, a refused write, ReadBackDiffers) or Save To NVRAM's.
//
// Thread rules: the caller's thread; the unit and progress objects are used
// on it only.
#pragma once

#include "tools/config/CConfigExport.h"
#include "tools/config/ConfigFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class IConfigProgress;
class IConfigUnit;
class RegisterCatalogue;

struct ChangesReport
{
    struct Failure
    {
        uint32_t address;
        int code;
    };
    int result = 0;
    int compared = 0;  // registers read from the unit and compared
    int differing = 0; // of these, with another value in the file
    int written = 0;   // writes the unit confirmed
    int verified = 0;  // of these, read back with the value written
    std::vector<uint32_t> unknown, readOnly, outOfLimits;
    int linesNotUnderstood = 0;
    bool fileEndedEarly = false;
    std::vector<Failure> failures; // reads, writes and read-backs that failed, in that order
    bool saveTried = false;
    int saveResult = 0;
    bool linkLost = false;
    bool portGone = false;
    bool notReached = false;    // the link did not open: nothing read or written
    std::string undoPath;       // the undo file written ("" none)
    std::string undoError;      // the system's words when it could not be
};

class CConfigChangesImport
{
public:
    CConfigChangesImport(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress);

    void setPacing(const ExportPacing& pacing) { m_pacing = pacing; }
    // The undo file to write before the first write ("" none); its format
    // by its extension (.bin binary, otherwise text).
    void setUndoFile(const std::string& path) { m_undoPath = path; }

    ChangesReport run(std::span<const uint8_t> bytes, ConfigFile::Format format);

    // Writes the values over an open link, then reads each one written back
    // (the pacing's attempts) and counts what was confirmed into report
    // (written, verified, failures, linkLost, portGone). Three writes in a
    // row without an answer, or a port that is gone, end it. The catalogue
    // takes each value the unit confirmed.
    static void WriteAndVerify(IConfigUnit& unit, RegisterCatalogue& catalogue, const ExportPacing& pacing,
                               std::span<const ConfigFile::Value> values, ChangesReport& report);

    // The lines for standard error: the counts, the skipped records and
    // each failure by address and code.
    static std::string Summary(const ChangesReport& report);

private:
    RegisterCatalogue& m_catalogue;
    IConfigUnit& m_unit;
    IConfigProgress& m_progress;
    ExportPacing m_pacing;
    std::string m_undoPath;
};
