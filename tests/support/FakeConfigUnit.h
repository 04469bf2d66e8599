// A unit for the configuration jobs' core tests (export, import, compare,
// report): a register store that reads give back (0 where it has nothing),
// registers that refuse reads and writes, registers that take a write
// without keeping it, and from a given register on no answer at all. It
// notes every read and write.
#pragma once

#include "diag/Result.h"
#include "tools/config/IConfigUnit.h"

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace testsupport {

struct FakeConfigUnit : IConfigUnit
{
    int type = 2050;
    bool demo = false;
    int openResult = 0;
    std::map<uint16_t, uint16_t> store;
    std::set<uint16_t> refused;       // reads and writes refused
    std::set<uint16_t> ignoresWrites; // written, answered, not kept
    uint16_t silentFrom = 0;          // reads from this address on get no answer
    int opens = 0, closes = 0;
    std::vector<uint16_t> reads;
    std::vector<std::pair<uint16_t, uint16_t>> writes;

    int open() override { ++opens; return openResult; }
    void close() override { ++closes; }
    int readHolding(uint16_t a, uint16_t* v) override
    {
        reads.push_back(a);
        if (silentFrom && a >= silentFrom)
            return Result::NoReply;
        if (refused.count(a))
            return Result::ReadFailed;
        *v = store.count(a) ? store[a] : 0;
        return Result::Ok;
    }
    int writeHolding(uint16_t a, uint16_t v) override
    {
        writes.emplace_back(a, v);
        if (refused.count(a))
            return 17; // the adapter's refusal line
        if (!ignoresWrites.count(a))
            store[a] = v;
        return Result::Ok;
    }
    int deviceType() const override { return type; }
    bool demoMode() const override { return demo; }
};

} // namespace testsupport
