#include "tools/rema/CReMaEditor.h"

#include <algorithm>
#include <cstdio>

using namespace ReMa;

CReMaEditor::CReMaEditor(RegisterCatalogue& catalogue) : m_catalogue(catalogue)
{
    m_categories = Categories(m_selector, m_deviceType);
}

void CReMaEditor::setUnit(int deviceType, int protocol)
{
    m_deviceType = deviceType;
    m_protocol = protocol == kProtocolBacnet ? kProtocolBacnet : kProtocolModbus;
    m_categories = Categories(m_selector, m_deviceType);
}

void CReMaEditor::setSelector(int selector)
{
    m_selector = selector >= 0 && selector < kSelectorCount ? selector : 0;
    m_categories = Categories(m_selector, m_deviceType);
    m_address = 1;
}

void CReMaEditor::setAddress(long address)
{
    m_address = static_cast<int>(std::clamp<long>(address, 1, maxAddress()));
}

uint16_t CReMaEditor::shownRegister() const { return MappedOf(map()[m_address]); }

int CReMaEditor::shownCategory() const
{
    const int found = CategoryOf(m_categories, shownRegister());
    return found < 0 ? 0 : found;
}

std::vector<CReMaEditor::RegisterItem> CReMaEditor::registerItems(int category)
{
    std::vector<RegisterItem> items;
    if (category < 0 || category >= static_cast<int>(m_categories.size()) || m_categories[category].empty) {
        items.push_back({"0", kUnmapped});
        return items;
    }
    const Category& c = m_categories[category];
    for (uint32_t d = c.lo; d <= c.hi; ++d) {
        if (HiddenByView(m_catalogue, m_selector, m_protocol, d))
            continue;
        const RegisterEntry* e = m_catalogue.Entry(kind(), d);
        const std::string name = e ? e->name : std::string();
        items.push_back({name.empty() ? std::to_string(d) : std::to_string(d) + " - " + name,
                         static_cast<uint16_t>(d)});
    }
    return items;
}

int CReMaEditor::shownRegisterItem(const std::vector<RegisterItem>& items) const
{
    const uint16_t d = shownRegister();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].address == d)
            return static_cast<int>(i);
    return 0;
}

void CReMaEditor::chooseRegister(uint16_t address) { map()[m_address] = Word(address, m_address); }

// Nothing is shown at the address; the low word keeps the address, as in
// every other word of the map.
void CReMaEditor::chooseEmptyCategory() { map()[m_address] = Word(kUnmapped, m_address); }

void CReMaEditor::deleteEntry() { map()[m_address] = Word(kUnmapped, m_address); }

void CReMaEditor::defaultOnEntry()
{
    const bool used = m_catalogue.IsUsed(kind(), static_cast<uint32_t>(m_address));
    map()[m_address] = Word(used ? m_address : kUnmapped, m_address);
}

void CReMaEditor::defaultList() { DefaultMapping(m_catalogue, kind(), map(), size()); }

std::vector<CReMaEditor::Line> CReMaEditor::lines(SortOrder order)
{
    std::vector<uint32_t> words(map(), map() + size());
    // The index is the customized address; the low word says the same.
    for (std::size_t c = 0; c < words.size(); ++c)
        words[c] = Word(MappedOf(words[c]), static_cast<uint32_t>(c));
    if (order == SortOrder::ByDefaultAddress)
        std::sort(words.begin(), words.end());
    std::vector<Line> out;
    for (uint32_t w : words) {
        const uint16_t d = MappedOf(w);
        const auto c = static_cast<uint16_t>(w & 0xFFFF);
        if (d == kUnmapped)
            continue;
        const int category = CategoryOf(m_categories, d);
        if (category < 0)
            continue;
        const RegisterEntry* e = m_catalogue.Entry(kind(), d);
        if (!e || e->name.empty())
            continue;
        if (HiddenByView(m_catalogue, m_selector, m_protocol, d))
            continue;
        out.push_back({std::to_string(c) + "\t" + m_categories[category].text + "\t" + std::to_string(d) + " - " +
                           e->name,
                       c});
    }
    return out;
}

int CReMaEditor::lineOf(const std::vector<Line>& lines, int address)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].address == address)
            return static_cast<int>(i);
    return -1;
}

bool CReMaEditor::replaceMap(const std::vector<uint32_t>& newMap)
{
    if (static_cast<int>(newMap.size()) != size())
        return false;
    std::copy(newMap.begin(), newMap.end(), map());
    return true;
}

int CReMaEditor::readFromUnit(ReMa::ILink& link)
{
    std::vector<uint32_t> fetched;
    const int r = ReadTable(link, m_catalogue, m_selector, fetched);
    if (r == 0)
        replaceMap(fetched);
    return r;
}

int CReMaEditor::writeToUnit(ReMa::ILink& link) const { return WriteTable(link, m_catalogue, m_selector, map()); }

ImportResult CReMaEditor::importFile(const std::string& path, const Progress& progress)
{
    std::vector<uint32_t> loaded;
    // What no file can name stays as the shown map has it.
    const ImportResult r = LoadTableFile(path, m_catalogue, m_selector, m_protocol, loaded, progress, map());
    if (r.code == 0)
        replaceMap(loaded);
    return r;
}

int CReMaEditor::exportFile(const std::string& path, const Progress& progress)
{
    return SaveTableFile(path, m_catalogue, m_selector, m_protocol, map(), progress);
}
