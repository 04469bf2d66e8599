#include "tools/cli/CliReportPdf.h"

#include "diag/Result.h"

namespace cli {

bool PdfAvailable()
{
    return false;
}

int WriteReportPdf(const Report&, const std::string&, std::string* error)
{
    if (error)
        *error = ResultText(Result::ReportNoPdf);
    return Result::ReportNoPdf;
}

} // namespace cli
