#include "tools/config/ConfigCompare.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageValues.h"
#include "tools/report/Report.h"

#include <algorithm>

namespace ConfigCompare {

namespace {

bool Fits16(uint32_t value)
{
    const auto number = static_cast<int32_t>(value);
    return number >= -32768 && number <= 65535;
}

std::string Quoted(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

} // namespace

std::string Shown(const RegisterCatalogue& catalogue, uint32_t address, uint32_t value)
{
    if (!Fits16(value))
        return std::to_string(static_cast<int32_t>(value));
    const auto word = static_cast<uint16_t>(value);
    std::string text;
    if (address < RegisterCatalogue::kHoldingCount)
        text = PageValues::ShownValue(catalogue, static_cast<uint16_t>(address), word);
    return text.empty() ? std::to_string(word) : text;
}

ConfigComparison Compare(const RegisterCatalogue& catalogue, const ConfigSource& left, const ConfigSource& right)
{
    std::vector<uint32_t> addresses = left.addresses();
    const std::vector<uint32_t> more = right.addresses();
    addresses.insert(addresses.end(), more.begin(), more.end());
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());

    ConfigComparison result;
    for (uint32_t a : addresses) {
        CompareRow row;
        row.address = a;
        if (catalogue.IsUsed(RegisterTableKind::Holding, a))
            row.name = catalogue.Holding(static_cast<uint16_t>(a)).name;
        for (const ConfigFile::Category& c : ConfigFile::Categories())
            if (a >= c.first && a <= c.last) {
                row.category = c.caption;
                row.categoryKey = c.key;
            }
        const SourceValue* l = left.find(a);
        const SourceValue* r = right.find(a);
        row.hasLeft = l && l->read;
        row.hasRight = r && r->read;
        row.left = row.hasLeft ? l->value : 0;
        row.right = row.hasRight ? r->value : 0;
        const auto shown = [&](const SourceValue* v) {
            if (!v)
                return std::string(kAbsent);
            return v->read ? Shown(catalogue, a, v->value) : std::string(kNotRead);
        };
        row.leftShown = shown(l);
        row.rightShown = shown(r);
        row.equal = row.hasLeft && row.hasRight && row.left == row.right;

        // The import's verdict on the record it would write.
        const SourceValue* judged = row.hasRight ? r : (row.hasLeft ? l : nullptr);
        const ConfigFile::RecordCheck check = ConfigFile::CheckRecord(catalogue, a, judged ? judged->value : 0);
        if (check == ConfigFile::RecordCheck::Unknown)
            row.mark = CompareMark::Unknown;
        else if (check == ConfigFile::RecordCheck::ReadOnly)
            row.mark = CompareMark::ReadOnly;
        else if ((l && !l->read) || (r && !r->read))
            row.mark = CompareMark::NotRead;
        else if (judged && check == ConfigFile::RecordCheck::OutOfLimits)
            row.mark = CompareMark::OutOfLimits;
        if (row.mark == CompareMark::NotRead)
            ++result.notRead;
        if (!row.equal)
            ++result.differing;
        result.rows.push_back(std::move(row));
    }
    return result;
}

RegisterCatalogue FilesCatalogue(const ConfigSource& left, const ConfigSource& right, int deviceType, int tempUnit)
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    if (deviceType < 0) {
        const auto named = [](const ConfigSource& file) {
            const SourceValue* type = file.find(Reg::DeviceType);
            return type && type->read && type->value <= 0xFFFF && *DeviceTypeText(static_cast<int>(type->value))
                       ? static_cast<int>(type->value)
                       : kNoDevice;
        };
        if (named(left) == named(right))
            deviceType = named(left);
    }
    if (deviceType >= 0)
        catalogue.ApplyDeviceProfile(deviceType, tempUnit, -1);
    else
        catalogue.ApplyEveryDeviceType();
    catalogue.Holding(Reg::TempUnit).value = static_cast<uint16_t>(tempUnit == 0 ? 0 : 1);
    return catalogue;
}

const char* MarkText(CompareMark mark)
{
    switch (mark) {
    case CompareMark::None: return "";
    case CompareMark::Unknown: return "skipped as unknown";
    case CompareMark::ReadOnly: return "skipped as read-only";
    case CompareMark::OutOfLimits: return "skipped as outside the limits";
    case CompareMark::NotRead: return "not read";
    }
    return "";
}

bool IsSecret(uint32_t address)
{
    return address == Reg::Pin;
}

std::string MaskedShown(const CompareRow& row, bool left)
{
    const bool has = left ? row.hasLeft : row.hasRight;
    const std::string& shown = left ? row.leftShown : row.rightShown;
    if (!IsSecret(row.address) || !has)
        return shown;
    return (left ? row.left : row.right) != 0 ? ReportText::kPinSet : ReportText::kPinNone;
}

std::string Line(const CompareRow& row)
{
    std::string text = std::to_string(row.address) + " " + row.name + ": " + row.leftShown + " -> " + row.rightShown;
    if (row.mark != CompareMark::None)
        text += std::string(" (") + MarkText(row.mark) + ")";
    return text;
}

const char* CsvNote(CompareMark mark)
{
    switch (mark) {
    case CompareMark::None: return "";
    case CompareMark::Unknown: return "unknown";
    case CompareMark::ReadOnly: return "read-only";
    case CompareMark::OutOfLimits: return "outside limits";
    case CompareMark::NotRead: return "not read";
    }
    return "";
}

std::string CsvHeader()
{
    return "address,name,category,left,right,note";
}

std::string CsvLine(const CompareRow& row)
{
    // A register's word unsigned; a file's number that fits no register as
    // the file gave it (-70000 stays -70000, it is no word of the unit's).
    const auto number = [](bool has, uint32_t v) {
        if (!has)
            return std::string();
        return Fits16(v) ? std::to_string(v) : std::to_string(static_cast<int32_t>(v));
    };
    return std::to_string(row.address) + "," + Quoted(row.name) + "," + row.categoryKey + std::string(",") +
           number(row.hasLeft, row.left) + "," + number(row.hasRight, row.right) + "," + CsvNote(row.mark);
}

} // namespace ConfigCompare
