// The report as one self-contained HTML page for the building owner: the
// styles are inside the page (a print style sheet too: A4 margins, tables
// whose header rows repeat and whose rows do not break), and nothing is
// fetched from elsewhere (no scripts, fonts, pictures or links).
//
// Also the shared texts of the document (ReportHtml::Title ...), so that the
// PDF says the same.
//
// Thread rules: pure functions.
#pragma once

#include "tools/report/Report.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ReportHtml {

std::string Render(const Report& report);

// The page's body without its style: what the PDF lays out (Qt's rich text
// takes this subset of HTML and its own style sheet).
std::string Body(const Report& report, bool forPdf);

// The document's title.
inline constexpr const char* kTitle = "Commissioning Report";

// The identity block as label/value pairs, in order.
std::vector<std::pair<std::string, std::string>> IdentityRows(const Report& report);

// The text with &, <, > and quotes escaped.
std::string Escape(std::string_view text);

// A write's result for the reader: "written" or the words of the code.
std::string ResultWords(int result);

} // namespace ReportHtml
