// The changes the tool wrote to the unit over the current connection: the
// page fields, the dialogs' values and the import each note here what they
// wrote (register, value before and after, the write's result), so that the
// commissioning report can list them. A new connection starts a new journal.
//
// Writers call Around: it takes the catalogue's value before the write
// (the value last read, or written since), runs the write and notes it.
//
// Result codes: Around returns the write's own result unchanged.
//
// Thread rules: every member may be called from any thread (one mutex); the
// catalogue handed to Around belongs to the calling thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class RegisterCatalogue;

struct JournalEntry
{
    std::time_t time = 0;
    uint16_t address = 0;
    std::string name;
    uint16_t before = 0;
    uint16_t after = 0;
    int result = 0;
};

class CChangeJournal
{
public:
    // The tool's one journal.
    static CChangeJournal& Instance();

    void record(const JournalEntry& entry);
    // Notes a write of value to the holding register address: before is the
    // catalogue's value when the write starts; returns write's result.
    int around(RegisterCatalogue& catalogue, uint16_t address, int32_t value, const std::function<int()>& write);
    // The shared journal's Around.
    static int Around(RegisterCatalogue& catalogue, uint16_t address, int32_t value,
                      const std::function<int()>& write)
    {
        return Instance().around(catalogue, address, value, write);
    }

    // Notes a write whose value before the caller took itself; returns result.
    static int Note(uint16_t address, const std::string& name, uint16_t before, uint16_t after, int result);

    std::vector<JournalEntry> entries() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<JournalEntry> m_entries;
};
