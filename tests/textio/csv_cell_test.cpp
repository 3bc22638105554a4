// CSV fields for programs and for spreadsheets: a value that a spreadsheet would run as a
// formula reaches a spreadsheet as text and a program as typed.
#include <gtest/gtest.h>

#include <string>

#include "textio/csv_cell.h"

namespace mq::textio {
namespace {

TEST(CsvCell, FormulaLeadsAreMarkedForSpreadsheetsOnlyAndQuotedAsCsvNeeds)
{
    struct Case {
        const char* field;
        const char* program;
        const char* spreadsheet;
    };
    const Case cases[] = {
        {"=cmd|' /C calc'!A0", "=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+1", "+1", "'+1"},
        {"-2+3", "-2+3", "'-2+3"},
        {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "\t=1", "\"'\t=1\""},
        {"\r=1", "\"\r=1\"", "\"'\r=1\""},
        {"=HYPERLINK(\"x\",\"y\")", "\"=HYPERLINK(\"\"x\"\",\"\"y\"\")\"", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        // Only the start counts; a separator of another locale could start a cell, so it is quoted.
        {"a=1", "a=1", "a=1"},
        {"a;=1", "a;=1", "\"a;=1\""},
        {"a\tb", "a\tb", "\"a\tb\""},
        {" =1", " =1", " =1"},
        {"staff, floor 1", "\"staff, floor 1\"", "\"staff, floor 1\""},
        {"", "", ""},
        {"2001:db8::/64", "2001:db8::/64", "2001:db8::/64"},
    };
    for (const Case& c : cases) {
        std::string program, sheet;
        appendCsvField(program, c.field);
        appendCsvField(sheet, c.field, CsvReader::Spreadsheet);
        EXPECT_EQ(program, c.program) << c.field;
        EXPECT_EQ(sheet, c.spreadsheet) << c.field;
        EXPECT_EQ(readsAsFormula(c.field), program != sheet && sheet[sheet[0] == '"'] == '\'') << c.field;
    }
}

}  // namespace
}  // namespace mq::textio
