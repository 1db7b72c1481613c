// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Table tests whose every row is a test of its own, named by the row's description: a failing row says
// which it is, and the other rows still run.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace morv::test {

// A row's description as a test name: each run of characters other than Latin letters and digits
// becomes one "_", and none is left at either end ("0.25 gives 2.5, rounded" is "0_25_gives_2_5_rounded").
std::string rowName(std::string_view description);

// Names the rows of INSTANTIATE_TEST_SUITE_P by their `name`.
struct RowName
{
    template <typename Row>
    std::string operator()(const testing::TestParamInfo<Row> &info) const
    {
        return rowName(info.param.name);
    }
};

// A table's row: its description in `name`.
template <typename Row>
concept NamedRow = requires(const Row &row)
{
    std::string_view(row.name);
};

// A failing row is printed as its description rather than its bytes. A table in an unnamed namespace
// brings it in with `using test::PrintTo;`.
template <NamedRow Row>
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

} // namespace morv::test
