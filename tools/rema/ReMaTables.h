// The custom register addressing (ReMa) tables: what the unit's three
// remapping tables (holding, input, coil) look like to the tool, and the
// fixed tables that go with them - the table selector with its Modbus and
// BACnet texts, command letters, file headers and default file names, the
// categories (address ranges) a register is chosen from, the 12-register
// text blocks, and the view rule that hides and renames registers in the
// BACnet view of the holding table.
//
// A map has one 32-bit word per customized address c: low 16 bits c, high
// 16 bits the catalogue address d of the register the unit shows at c
// (kUnmapped = nothing).
//
// Thread rules: constant tables and functions on the caller's catalogue;
// one thread.
#pragma once

#include "model/RegisterCatalogue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ReMa {

constexpr uint16_t kUnmapped = 0xFFFF;
constexpr int kSelectorCount = 3;
// The † categories exist from this device type on.
constexpr int kFirstDeviceWithScenes = 2000;
using ::kProtocolBacnet;
using ::kProtocolModbus;

struct Selector
{
    RegisterTableKind kind;
    int size;             // entries of the map
    const char* modbusText;
    const char* bacnetText;
    const char* letters;      // read command: "Cr"
    const char* writeLetters; // write command: "Cw"
    char countMark;           // the count reply: "C R <n>"
    const char* modbusName;   // "Holding": header "ReMa Holding"
    const char* bacnetName;   // "BN AV CSV"
    const char* modbusFile;
    const char* bacnetFile;
};

// Index 0 holding, 1 input, 2 coil; any other index gives holding.
const Selector& SelectorOf(int selector);
// The selector's text in the combo box for the protocol (1 = BACnet).
const char* SelectorText(int selector, int protocol);
// The highest customized address the page offers (9999, 399, 399).
int MaxAddress(int selector);
// The highest default address a file entry may name (same numbers).
inline int MaxRegister(int selector) { return MaxAddress(selector); }

// "ReMa Holding", "ReMa BN AV CSV", ... (without line end).
std::string HeaderText(int selector, int protocol);
std::string DefaultFileName(int selector, int protocol);
// Titles of the file dialogs and progress boxes.
std::string ExportDialogTitle(int selector, int protocol);   // "Export ReMa Holding File"
std::string ExportProgressTitle(int selector, int protocol); // "Export ReMa Holding"
std::string ImportDialogTitle(int selector, int protocol);   // "Import ReMa Holding File"
std::string ImportProgressTitle(int selector, int protocol); // "Import Favorites Holding"

struct Category
{
    std::string text;
    uint16_t lo = 0;
    uint16_t hi = 0;
    bool empty = false; // "Empty": no range
    // The combo box's item data, (lo << 16) | hi.
    uint32_t data() const { return (static_cast<uint32_t>(lo) << 16) | hi; }
    bool contains(uint32_t d) const { return !empty && d >= lo && d <= hi; }
};

// "Empty" first, then the selector's ranges; the † rows only for a device
// type of 2000 or more.
std::vector<Category> Categories(int selector, int deviceType);
// The last category whose range holds d; -1 when none does.
int CategoryOf(const std::vector<Category>& categories, uint32_t d);

// 1 first, 2 inner, 3 last register of a text block; 0 otherwise.
int TextBlockPart(uint32_t address);

// The view rule for default address d while the holding table is shown:
// true when d is hidden. It renames catalogue entries as it goes ("Label"
// for a BACnet text object, "Event Time" / "Event Hour"), so later uses of
// the names see them. Other selectors hide and rename nothing.
bool HiddenByView(RegisterCatalogue& catalogue, int selector, int protocol, uint32_t d);

// Every entry of the kind's map: (a << 16) | a for a used address, else
// kUnmapped << 16 | a.
void DefaultMapping(const RegisterCatalogue& catalogue, RegisterTableKind kind, uint32_t* map, int size);
std::vector<uint32_t> DefaultMap(const RegisterCatalogue& catalogue, int selector);

inline uint16_t MappedOf(uint32_t word) { return static_cast<uint16_t>(word >> 16); }
inline uint32_t Word(uint32_t d, uint32_t c) { return ((d & 0xFFFF) << 16) | (c & 0xFFFF); }

} // namespace ReMa
