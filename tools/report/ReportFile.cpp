#include "tools/report/ReportFile.h"

#include "diag/Result.h"
#include "tools/config/CAtomicFile.h"

namespace ReportFile {

int Write(const std::string& path, std::string_view content, std::string* error)
{
    // Whole or not at all, as the export's files.
    CAtomicFile file(path);
    file.write(content.data(), content.size());
    if (file.keepAs(path))
        return Result::Ok;
    if (error)
        *error = file.error();
    return Result::ReportNotCreated;
}

std::string Kind(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string ext(path.substr(dot));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext == ".html" || ext == ".pdf" || ext == ".json" ? ext : std::string();
}

} // namespace ReportFile
