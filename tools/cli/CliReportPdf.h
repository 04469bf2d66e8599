// The report's PDF for tavemo-cli: written where this build has Qt's GUI
// module (CliReportPdfQt.cpp), refused where it has not
// (CliReportPdfNone.cpp).
//
// Result codes (diag/Result.h): Ok; ReportNotCreated with the reason in
// *error; ReportNoPdf in a build without the module.
//
// Thread rules: the tool's only thread.
#pragma once

#include "tools/report/Report.h"

#include <string>

namespace cli {

bool PdfAvailable();
int WriteReportPdf(const Report& report, const std::string& path, std::string* error);

} // namespace cli
