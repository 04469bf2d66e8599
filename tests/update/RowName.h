// Names table-driven test rows after their `name` field, and prints a row as
// its name in test listings (not as a dump of its bytes).
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

struct RowName
{
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row>& row) const
    {
        return row.param.name;
    }
};

// Declares that a row prints as its name; write it after the row struct.
#define TAVEMO_ROW_PRINTS_NAME(Row)                                                                                \
    inline void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }
