#pragma once
// The workbooks of make_workbooks.py, each made when a test first asks for it (ctest runs
// every test in a process of its own) in a folder of the test's own; a test skips with the
// reason where Debian's python3-openpyxl is missing.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/files.h"

namespace mq::test {

class SheetFixtures : public ::testing::Test {
protected:
    // The path of the workbook; empty (and the test failed or skipped) when it was not made.
    std::string workbook(const std::string& name);

private:
    TempDir folder_;
};

}  // namespace mq::test
