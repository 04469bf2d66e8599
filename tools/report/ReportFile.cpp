#include "tools/report/ReportFile.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace ReportFile {

int Write(const std::string& path, std::string_view content, std::string* error)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp;
    std::FILE* file = nullptr;
    for (int tries = 0; tries < 100 && !file; ++tries) {
        temp = LocalSystem::Utf8Path(path + ".~" + std::to_string(LocalSystem::ProcessId()) + "-" +
                                     std::to_string(counter++));
        file = LocalSystem::CreateNewFile(temp); // exclusive: never someone else's file
        if (!file && errno != EEXIST)
            break;
    }
    auto failed = [&](const std::string& why) {
        if (error)
            *error = why;
        std::error_code ec;
        if (file)
            std::filesystem::remove(temp, ec);
        return Result::ReportNotCreated;
    };
    if (!file)
        return failed(std::strerror(errno));
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return failed(std::strerror(!written ? writeErrno : errno));
    std::error_code ec;
    std::filesystem::rename(temp, LocalSystem::Utf8Path(path), ec);
    if (ec)
        return failed(ec.message());
    return Result::Ok;
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
