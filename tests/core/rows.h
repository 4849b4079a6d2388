#pragma once

// Parameterised rows named by their case: any row struct with a `name`. Shared by the core and word
// list tests.
#include "tempdir.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// In each test file's own unnamed namespace, where its rows are declared, so that gtest finds it.
namespace {

template <typename Row>
    requires requires(const Row &row) { row.name; }
void PrintTo(const Row &row, std::ostream *os)
{
    *os << row.name;
}

// A row's test in a fresh folder that is also the working directory.
template <typename Row>
class RowInFolder : public testing::TestWithParam<Row> {
protected:
    TempDir dir;
};

// The name gtest gives a row's test: its case.
const auto RowName = [](const auto &info) { return std::string(info.param.name); };

} // namespace
