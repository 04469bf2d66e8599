// The report as an A4 PDF, laid out by Qt's own rich-text document and PDF
// writer: the title block, the register tables (their header rows repeat on
// every page), "Page X of Y" at the foot of each page and the signature
// lines at the end. No browser engine and no other program is involved.
//
// A program without a Qt application (tavemo-cli) gets one for the time of
// the call, on the offscreen platform: no display is needed.
//
// Result codes (diag/Result.h): Ok, or ReportNotCreated with the reason in
// *error (the file is written as a whole, ReportFile).
//
// Thread rules: the thread of the Qt application (or of the only thread of
// a program without one).
#pragma once

#include "tools/report/Report.h"

#include <string>

namespace ReportPdf {

// The PDF's bytes.
std::string Render(const Report& report);
int Write(const Report& report, const std::string& path, std::string* error);

} // namespace ReportPdf
