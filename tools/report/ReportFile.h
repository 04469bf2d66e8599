// Writes a finished report to its file as a whole: beside the target under
// a temporary name, then renamed over it, so that a failure leaves any
// previous file as it was.
//
// Result codes (diag/Result.h): Ok, or ReportNotCreated with the system's
// words in *error.
//
// Thread rules: no shared state.
#pragma once

#include <string>
#include <string_view>

namespace ReportFile {

int Write(const std::string& path, std::string_view content, std::string* error);

// ".html", ".pdf", ".json" (any case) by the name's extension; "" otherwise.
std::string Kind(std::string_view path);

} // namespace ReportFile
