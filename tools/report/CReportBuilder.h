// Fills a commissioning report from the unit, or from the catalogue when no
// unit is known or demo mode is on: the unit's identity, and every
// exportable register of the chosen categories (the export's categories and
// rule, ConfigFile) in ascending order, read with the export's pacing. A
// register the unit does not give stays in the report, marked unread. When
// several registers in a row get no answer at all the unit is taken as gone:
// the rest are marked unread without asking.
//
// The catalogue is left as it is, except that a read temperature unit
// (holding 2010) is taken into it first, so that temperatures show in the
// unit's own scale.
//
// Result codes (diag/Result.h): Ok every register read; ReportUnread some
// were not (the report names them); LinkLost the unit stopped answering
// (the rest are named unread); JobCancelled; or the link's open code when a
// unit is known but could not be reached (nothing read, the report empty).
//
// Thread rules: the caller's thread; the unit and progress objects are used
// on it only.
#pragma once

#include "tools/config/CConfigExport.h"
#include "tools/config/ConfigFile.h"
#include "tools/report/Report.h"

#include <ctime>
#include <string>
#include <vector>

class IConfigProgress;
class IConfigUnit;
class RegisterCatalogue;

struct ReportRequest
{
    std::vector<ConfigFile::Range> ranges;
    std::string technician;
    std::string note;
    std::string port;
    std::string toolName;
    std::time_t when = 0; // 0: now
};

class CReportBuilder
{
public:
    CReportBuilder(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress);

    void setPacing(const ExportPacing& pacing) { m_pacing = pacing; }
    int build(const ReportRequest& request, Report& report);

    // The report's row of one register with the word read (or not): shown
    // form, default, limits, the PIN kept secret.
    static ReportRegister Row(const RegisterCatalogue& catalogue, uint16_t address, bool read, uint16_t word);
    // The caption of the export category that holds the address; "" when none.
    static std::string CategoryOf(uint16_t address);
    // The journal's entries as the report lists them.
    static std::vector<ReportChange> Changes(const std::vector<struct JournalEntry>& entries);

private:
    RegisterCatalogue& m_catalogue;
    IConfigUnit& m_unit;
    IConfigProgress& m_progress;
    ExportPacing m_pacing;
};
