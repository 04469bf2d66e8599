// Names table-driven test rows after their `name` field.
#pragma once

#include <gtest/gtest.h>

#include <string>

struct RowName
{
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row>& row) const
    {
        return row.param.name;
    }
};
