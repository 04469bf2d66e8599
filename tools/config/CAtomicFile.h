// A configuration file written as a whole or not at all: the bytes go to a
// temporary file beside the target (created exclusively, never someone
// else's file), and only keepAs renames it over the target. A file that is
// not kept is removed when the object goes, so a failed or cancelled run
// leaves the previous file as it was.
//
// Thread rules: one object per thread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>

class CAtomicFile
{
public:
    // target: the file's final name, in UTF-8.
    explicit CAtomicFile(const std::string& target);
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Created, and no write has failed.
    bool ok() const { return m_file && m_error.empty(); }
    // The system's words for the first failure; "" none.
    const std::string& error() const { return m_error; }
    void write(const void* data, std::size_t size);
    // Closes the file and renames it to path; false (with the reason) when
    // any write, the close or the rename failed.
    bool keepAs(const std::string& path);

private:
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    std::string m_error;
    bool m_created = false;
    bool m_kept = false;
};
