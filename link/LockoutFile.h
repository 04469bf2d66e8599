// The PIN lockout file's system side (CPassword): where the temporary
// directory is, reading the file, and replacing it whole. One implementation
// per system (LockoutFilePosix.cpp, LockoutFileWin32.cpp).
//
// Result codes: none; see each function.
// Thread rules: no shared state; the replace is safe against readers in
// other threads and processes (they see the old file or the new one, never
// a missing or short one).
#pragma once

#include <cstddef>
#include <filesystem>

namespace LockoutFile {

// The system's temporary directory.
std::filesystem::path TempDirectory();

// Reads up to size bytes into bytes (the rest stays as it was); false when
// the file cannot be opened.
bool Read(const std::filesystem::path& path, unsigned char* bytes, std::size_t size);

// Writes the bytes to a new file beside path and moves it over path once it
// is on disk. Failures are not reported: path keeps its old content.
void Replace(const std::filesystem::path& path, const unsigned char* bytes, std::size_t size);

} // namespace LockoutFile
