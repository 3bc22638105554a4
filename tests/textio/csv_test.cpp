// CSV fields for programs and for spreadsheets (a value that a spreadsheet would run as a
// formula reaches a spreadsheet as text and a program as typed), rows, and the reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textio/csv.h"

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

// Rows read back by readCsv as the fields they were written from, with the given line end.
TEST(CsvRow, JoinsQuotedFieldsAndReadsBackAsWritten)
{
    struct Case {
        std::vector<std::string> fields;
        const char* lineEnd;
        const char* written;
    };
    const Case cases[] = {
        {{"10.0.0.0/24", "web", "", "note"}, "\r\n", "10.0.0.0/24,web,,note\r\n"},
        {{"", "", ""}, "\n", ",,\n"},
        {{"say \"hi\"", "a,b"}, "\n", "\"say \"\"hi\"\"\",\"a,b\"\n"},
        {{"two\r\nlines", "x"}, "\r\n", "\"two\r\nlines\",x\r\n"},
        {{"\"", "=1"}, "\r\n", "\"\"\"\",=1\r\n"},
        {{"only"}, "\n", "only\n"},
    };
    for (const Case& c : cases) {
        std::string out = "header\n";
        appendCsvRow(out, c.fields, c.lineEnd);
        EXPECT_EQ(out, std::string("header\n") + c.written);
        const CsvTable back = readCsv(out);
        ASSERT_TRUE(back.error.empty()) << c.written << back.error;
        ASSERT_EQ(back.records.size(), 2u) << c.written;
        EXPECT_EQ(back.records[1].fields, c.fields) << c.written;
    }
    // The braced form writes the same bytes; for a spreadsheet, each cell is marked as its own.
    std::string braced;
    appendCsvRow(braced, {"+1", "a;b", ""}, "\r\n", CsvReader::Spreadsheet);
    EXPECT_EQ(braced, "'+1,\"a;b\",\r\n");
    std::string none;
    appendCsvRow(none, std::vector<std::string>{}, "\n");
    EXPECT_EQ(none, "\n");
}

TEST(Csv, ReadsRfc4180)
{
    const CsvTable t = readCsv("a,\"b,c\",\"d\"\"e\"\r\n\r\n\"multi\nline\",,\n");
    ASSERT_TRUE(t.error.empty());
    ASSERT_EQ(t.records.size(), 2u);
    EXPECT_EQ(t.records[0].fields, (std::vector<std::string>{"a", "b,c", "d\"e"}));
    EXPECT_EQ(t.records[1].line, 3u);
    EXPECT_EQ(t.records[1].fields, (std::vector<std::string>{"multi\nline", "", ""}));
}

}  // namespace
}  // namespace mq::textio
