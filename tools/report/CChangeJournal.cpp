#include "tools/report/CChangeJournal.h"

#include "model/RegisterCatalogue.h"

CChangeJournal& CChangeJournal::Instance()
{
    static CChangeJournal journal;
    return journal;
}

void CChangeJournal::record(const JournalEntry& entry)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(entry);
}

int CChangeJournal::around(RegisterCatalogue& catalogue, uint16_t address, int32_t value,
                           const std::function<int()>& write)
{
    const RegisterEntry& entry = catalogue.Holding(address);
    JournalEntry noted;
    noted.address = address;
    noted.name = entry.name;
    noted.before = entry.value;
    noted.after = static_cast<uint16_t>(value); // a signed value as the unit stores it
    noted.result = write();
    noted.time = std::time(nullptr);
    record(noted);
    return noted.result;
}

int CChangeJournal::Note(uint16_t address, const std::string& name, uint16_t before, uint16_t after, int result)
{
    Instance().record({std::time(nullptr), address, name, before, after, result});
    return result;
}

std::vector<JournalEntry> CChangeJournal::entries() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

void CChangeJournal::clear()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}
