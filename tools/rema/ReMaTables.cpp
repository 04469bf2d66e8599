#include "tools/rema/ReMaTables.h"

#include <iterator>

namespace ReMa {
namespace {

constexpr Selector kSelectors[kSelectorCount] = {
    {RegisterTableKind::Holding, RegisterCatalogue::kHoldingCount, "Holding", "BN AV IV CSV TIME DATETIME", "Cr",
     "Cw", 'R', "Holding", "BN AV CSV", "export_rema_holding.csv", "export_rema_bn_av_csv.csv"},
    {RegisterTableKind::Input, RegisterCatalogue::kInputCount, "Input", "BN AI", "Ci", "Cx", 'I', "Input", "BN AI",
     "export_rema_input.csv", "export_rema_bn_ai.csv"},
    {RegisterTableKind::Coil, RegisterCatalogue::kCoilCount, "Coil", "BN BI BV", "Cc", "Cy", 'C', "Coil",
     "BN BI BV", "export_rema_coil.csv", "export_rema_bn_bi_bv.csv"},
};

struct Range
{
    const char* text;
    uint16_t lo;
    uint16_t hi;
    bool scenes; // only from device type 2000 on
};

constexpr Range kHoldingRanges[] = {
    {"Data Sensors (100 - 399)", 100, 399, false},
    {"Data Room Climate (400 - 699)", 400, 699, false},
    {"Data Sun Protect (700 - 1099)", 700, 1099, false},
    {"Data Light (1100 - 1499)", 1100, 1499, false},
    {"Data Scenes (1500 - 1599)", 1500, 1599, true},
    {"Data Regulation (1600 - 1999)", 1600, 1999, false},
    {"Config Common (2000 - 2199)", 2000, 2199, false},
    {"Config Sensors (2200 - 3599)", 2200, 3599, false},
    {"Config Room Climate (3600 - 3899)", 3600, 3899, false},
    {"Config Inputs (3900 - 4199)", 3900, 4199, false},
    {"Config Sun Protect (4200 - 5299)", 4200, 5299, false},
    {"Config Light (5300 - 6399)", 5300, 6399, false},
    {"Config Tiles (6400 - 6699)", 6400, 6699, true},
    {"Config Time Programs (7000 - 7999)", 7000, 7999, false},
    {"Config Controllers (8000 - 8999)", 8000, 8999, false},
};
constexpr Range kInputRanges[] = {
    {"Data Sensors (1 - 7)", 1, 7, false},         {"Data Inputs (11 - 12)", 11, 12, false},
    {"Data Room Climate (8 - 10)", 8, 10, false},  {"Data Sun Protect (13 - 18)", 13, 18, false},
    {"Data Light (73 - 80)", 73, 80, false},       {"Data Regulation (193 - 213)", 193, 213, false},
};
constexpr Range kCoilRanges[] = {
    {"Data Room Climate (1 - 19)", 1, 19, false},  {"Data Sun Protect (96 - 99)", 96, 99, false},
    {"Data Light (116 - 139)", 116, 139, false},   {"Data Scenes (156 - 195)", 156, 195, true},
    {"Data Room Climate (196 - 214)", 196, 214, false},
};

constexpr uint16_t kTextBlocks[] = {2300, 2400, 2500, 2600, 2900, 3000, 3100, 3200,
                                    3300, 3400, 3500, 3750, 4250, 4300, 5350, 5400};
constexpr int kTextLength = 12;

// The date and time parts that belong to the BACnet date-time object.
constexpr uint16_t kDateTimeFirst = 2019;
constexpr uint16_t kDateTimeLast = 2023;
// Each of the 48 time-program events: its hour register, the minute after it.
constexpr uint16_t kFirstEventHour = 7042;
constexpr int kEventStride = 10;
constexpr int kEventCount = 48;

int Clip(int selector) { return selector >= 0 && selector < kSelectorCount ? selector : 0; }

std::string NameOf(int selector, int protocol)
{
    const Selector& s = SelectorOf(selector);
    return protocol == kProtocolBacnet ? s.bacnetName : s.modbusName;
}

bool IsEventHour(uint32_t d)
{
    return d >= kFirstEventHour && d < kFirstEventHour + kEventStride * kEventCount &&
           (d - kFirstEventHour) % kEventStride == 0;
}

} // namespace

const Selector& SelectorOf(int selector) { return kSelectors[Clip(selector)]; }

const char* SelectorText(int selector, int protocol)
{
    const Selector& s = SelectorOf(selector);
    return protocol == kProtocolBacnet ? s.bacnetText : s.modbusText;
}

int MaxAddress(int selector) { return SelectorOf(selector).size - 1; }

std::string HeaderText(int selector, int protocol) { return "ReMa " + NameOf(selector, protocol); }

std::string DefaultFileName(int selector, int protocol)
{
    const Selector& s = SelectorOf(selector);
    return protocol == kProtocolBacnet ? s.bacnetFile : s.modbusFile;
}

std::string ExportDialogTitle(int selector, int protocol) { return "Export " + HeaderText(selector, protocol) + " File"; }
std::string ExportProgressTitle(int selector, int protocol) { return "Export " + HeaderText(selector, protocol); }
std::string ImportDialogTitle(int selector, int protocol) { return "Import " + HeaderText(selector, protocol) + " File"; }
std::string ImportProgressTitle(int selector, int protocol)
{
    // The Modbus import box has always called the tables favorites.
    if (protocol == kProtocolBacnet)
        return ImportDialogTitle(selector, protocol);
    return "Import Favorites " + NameOf(selector, protocol);
}

std::vector<Category> Categories(int selector, int deviceType)
{
    std::vector<Category> out;
    out.push_back({"Empty", 0, 0, true});
    const Range* first = kHoldingRanges;
    const Range* last = std::end(kHoldingRanges);
    if (Clip(selector) == 1) {
        first = kInputRanges;
        last = std::end(kInputRanges);
    } else if (Clip(selector) == 2) {
        first = kCoilRanges;
        last = std::end(kCoilRanges);
    }
    for (const Range* r = first; r != last; ++r)
        if (!r->scenes || deviceType >= kFirstDeviceWithScenes)
            out.push_back({r->text, r->lo, r->hi, false});
    return out;
}

int CategoryOf(const std::vector<Category>& categories, uint32_t d)
{
    int found = -1;
    for (std::size_t i = 0; i < categories.size(); ++i)
        if (categories[i].contains(d))
            found = static_cast<int>(i);
    return found;
}

int TextBlockPart(uint32_t address)
{
    for (uint16_t first : kTextBlocks) {
        if (address == first)
            return 1;
        if (address > first && address < first + kTextLength - 1u)
            return 2;
        if (address == first + kTextLength - 1u)
            return 3;
    }
    return 0;
}

bool HiddenByView(RegisterCatalogue& catalogue, int selector, int protocol, uint32_t d)
{
    if (Clip(selector) != 0 || d == 0 || d >= static_cast<uint32_t>(RegisterCatalogue::kHoldingCount))
        return false;
    RegisterEntry& e = catalogue.Holding(static_cast<uint16_t>(d));
    if (protocol != kProtocolBacnet) {
        if (IsEventHour(d))
            e.name = "Event Hour";
        return false;
    }
    if (d >= kDateTimeFirst && d <= kDateTimeLast)
        return true;
    if (e.textPart == 2 || e.textPart == 3)
        return true;
    if (e.textPart == 1) {
        // The first register stands for the whole BACnet text object.
        const std::string::size_type at = e.name.find("Label  1");
        if (at != std::string::npos)
            e.name.replace(at, 8, "Label");
    }
    if (IsEventHour(d))
        e.name = "Event Time";
    if (d > kFirstEventHour && IsEventHour(d - 1))
        return true;
    return false;
}

void DefaultMapping(const RegisterCatalogue& catalogue, RegisterTableKind kind, uint32_t* map, int size)
{
    for (int a = 0; a < size; ++a)
        map[a] = catalogue.IsUsed(kind, static_cast<uint32_t>(a)) ? Word(a, a) : Word(kUnmapped, a);
}

std::vector<uint32_t> DefaultMap(const RegisterCatalogue& catalogue, int selector)
{
    const Selector& s = SelectorOf(selector);
    std::vector<uint32_t> map(static_cast<std::size_t>(s.size));
    DefaultMapping(catalogue, s.kind, map.data(), s.size);
    return map;
}

} // namespace ReMa
