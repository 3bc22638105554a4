#include "tests/sheets/sheet_fixtures.h"

namespace mq::test {

std::string SheetFixtures::workbook(const std::string& name)
{
    // Debian's interpreter: the one python3-openpyxl is installed for.
    const Outcome made = runProgram("/usr/bin/python3", {MQ_SHEET_FIXTURES, folder_.path(), name});
    if (made.err.find("No module named 'openpyxl'") != std::string::npos) {
        ADD_FAILURE_AT(__FILE__, __LINE__) << "python3-openpyxl is not installed (scripts/deps.sh lists it)";
        return {};
    }
    EXPECT_EQ(made.status, 0) << made.err;
    return made.status == 0 ? folder_.file(name) : std::string();
}

}  // namespace mq::test
