// The ReMa table files. Both formats start with a header line naming the
// table ("ReMa Holding\r\n", "ReMa BN AV CSV\r\n", ...); then
//   text (.csv):   "Fav: <c>; Addr: <d>; Des: <name of d>\r\n" per entry
//                  (the numbers also as "0x0064" when written by hand)
//   binary (.bin): per entry c and d as unsigned 16-bit little-endian.
// Only entries whose register exists in the catalogue are written or taken;
// in the BACnet view the date-time parts (2019..2023) and the inner
// registers of texts are not written either, since they have no object of
// their own.
//
// A file holds the whole table, as far as a file can name it: an address
// whose register the file could have named but does not is left without a
// register; an address whose current register no file can name keeps it.
// So a table read, saved, loaded and written back leaves the unit as it was.
// A file name ending in ".bin" (any case) is binary; any other is text.
//
// Reading goes into a separate map: the caller replaces the shown map only
// when the whole file was read.
//
// Result codes (diag/Result.h): Ok; RemaFileNotOpened; RemaWrongHeader;
// RemaBadLine (with the line's number); RemaShortEntry; RemaFileNotWritten.
//
// Thread rules: pure functions plus file access on the caller's thread.
#pragma once

#include "tools/rema/ReMaTables.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ReMa {

enum class FileFormat { Text, Binary };

// Binary for a name ending in ".bin" (any case), else text.
FileFormat FormatOfName(const std::string& fileName);

// Progress while walking: the percentage (0..100) shown on the bar.
using Progress = std::function<void(int percent)>;

// The whole file's bytes for the shown map.
std::string ExportTable(RegisterCatalogue& catalogue, int selector, int protocol, const uint32_t* map,
                        FileFormat format, const Progress& progress = {});

struct ImportResult
{
    int code = 0;
    int line = 0; // the failing line (text files; 1 = the header), 0 when none
};

// Reads a file's bytes into out (the selector's size): every entry the
// file names; the addresses whose register in current (the map shown now,
// when given) no file can name keep it; all others unmapped. out is
// complete only when code is Ok.
ImportResult ImportTable(const std::string& bytes, const RegisterCatalogue& catalogue, int selector, int protocol,
                         FileFormat format, std::vector<uint32_t>& out, const Progress& progress = {},
                         const uint32_t* current = nullptr);
// Whether a file of this table and view can name the register d.
bool FileCanName(const RegisterCatalogue& catalogue, int selector, int protocol, uint32_t d);

// The same on a file; the format follows the file name.
int SaveTableFile(const std::string& path, RegisterCatalogue& catalogue, int selector, int protocol,
                  const uint32_t* map, const Progress& progress = {});
ImportResult LoadTableFile(const std::string& path, const RegisterCatalogue& catalogue, int selector, int protocol,
                           std::vector<uint32_t>& out, const Progress& progress = {},
                           const uint32_t* current = nullptr);

// What went wrong, in words for the status line and tavemo-cli:
// "Error: cannot open file.csv", "Error: line 3 of file.csv is no table entry".
std::string FileErrorText(const ImportResult& result, const std::string& path);

} // namespace ReMa
