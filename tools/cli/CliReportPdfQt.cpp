#include "tools/cli/CliReportPdf.h"

#include "tools/report/ui/ReportPdf.h"

namespace cli {

bool PdfAvailable()
{
    return true;
}

int WriteReportPdf(const Report& report, const std::string& path, std::string* error)
{
    return ReportPdf::Write(report, path, error);
}

} // namespace cli
