#include "sheets/xlsx_reader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "tests/sheets/sheet_fixtures.h"
#include "tests/xlsx/read_back.h"
#include "xlsx/sheet.h"

namespace mq::sheets {
namespace {

using Rows = std::vector<std::pair<std::size_t, std::vector<std::string>>>;

struct Read {
    SheetRead result;
    Rows rows;
    std::vector<std::vector<bool>> covered;
};

Read readAll(const std::string& path, const std::string& sheet = {})
{
    Read r;
    r.result = readSheet(path, sheet, [&](const SheetRow& row) {
        r.rows.emplace_back(row.number, row.cells);
        r.covered.push_back(row.covered);
        return true;
    });
    return r;
}

long peakKiB()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return use.ru_maxrss;
}

// AddressSanitizer holds freed memory back for a while, so the peak says nothing of the
// reader there; the reading itself is still checked.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPeakTells = false;
#else
constexpr bool kPeakTells = true;
#endif

class XlsxReader : public test::SheetFixtures { };

// openpyxl's workbook: inline strings, numbers, booleans, percentages, empty cells by their
// column letters, a merged range's value in every cell it covers.
TEST_F(XlsxReader, ReadsCellsAsShown)
{
    const auto r = readAll(workbook("cells.xlsx"));
    ASSERT_EQ(r.result.error, "");
    EXPECT_EQ(r.result.sheet, "Cells");
    const Rows expected = {
        {1, {"name", "hosts", "", "growth"}},
        {2, {"lab, east", "1000", "", "12.5"}},
        {3, {"big", "1.844674407370955e+19", "0", "1000000000000000"}},  // 2^64: kept as stored
        {4, {"TRUE", "FALSE", "25%", "12.5%"}},
        {5, {"merged", "merged", "x"}},
        {6, {"merged", "merged", "y"}},
    };
    EXPECT_EQ(r.rows, expected);
    ASSERT_EQ(r.covered.size(), 6u);
    EXPECT_EQ(r.covered[4], (std::vector<bool>{false, true, false}));
    EXPECT_EQ(r.covered[5], (std::vector<bool>{true, true, false}));
    EXPECT_EQ(r.result.rows, 6u);
}

// Shared strings with rich runs and a phonetic guide, inline rich text, cached formula
// values of each type, cells and rows without their position.
TEST_F(XlsxReader, ReadsPartsOpenpyxlDoesNotWrite)
{
    const auto r = readAll(workbook("manual.xlsx"));
    ASSERT_EQ(r.result.error, "");
    const Rows expected = {
        {2, {"rich ", "", "plain"}},
        {3, {"inline", "2", "ab", "#DIV/0!", "1200"}},
    };
    EXPECT_EQ(r.rows, expected);
}

TEST_F(XlsxReader, PicksASheetByNameAndStops)
{
    const std::string path = workbook("cells.xlsx");
    std::string error;
    EXPECT_EQ(sheetNames(path, &error), (std::vector<std::string>{"Cells", "Second"}));
    EXPECT_EQ(error, "");
    EXPECT_TRUE(sheetNames(workbook("notzip.xlsx"), &error).empty());
    EXPECT_EQ(error, "not an XLSX workbook (not a zip archive)");
    const auto second = readAll(path, "sECOND");
    EXPECT_EQ(second.result.sheet, "Second");
    EXPECT_EQ(second.rows, (Rows{{1, {"second"}}}));
    std::size_t seen = 0;
    const SheetRead stopped = readSheet(path, "", [&](const SheetRow&) { return ++seen < 2; });
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.error, "");
    EXPECT_EQ(seen, 2u);
}

// Each workbook that cannot be read is refused with the reason, never read in part as if whole.
TEST_F(XlsxReader, RefusesWhatItCannotRead)
{
    const struct {
        const char* file;
        const char* sheet;
        const char* error;
    } cases[] = {
        {"notzip.xlsx", "", "not an XLSX workbook (not a zip archive)"},
        {"cells.xlsx", "Third", "the workbook has no sheet \"Third\"; its sheets are \"Cells\", \"Second\""},
        {"damaged.xlsx", "", "xl/worksheets/s.xml is damaged (its checksum does not match)"},
        {"badxml.xlsx", "", "xl/worksheets/s.xml is damaged: Opening and ending tag mismatch. at line 1"},
        {"badstring.xlsx", "", "sheet \"Hand\": cell A1 names shared string \"7\", of 1"},
        {"badrows.xlsx", "", "sheet \"Hand\": row \"1\" is out of order or beyond row 1048576"},
        {"badmerge.xlsx", "", "xl/worksheets/s.xml: the merged range \"B2:A1\" is not a range"},
        {"twice.xlsx", "", "not a workbook to read: it holds xl/worksheets/s.xml twice"},
        {"formula.xlsx", "",
         "sheet \"Sheet\": cell B1 holds a formula without a computed value: open the workbook in a "
         "spreadsheet program and save it, so that the value is kept with it"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readAll(workbook(c.file), c.sheet).result.error, c.error) << c.file;
    EXPECT_EQ(readAll(workbook("notzip.xlsx") + ".missing").result.error, "no such file");
    // Cut short anywhere, a workbook is refused, never read as if whole.
    const std::string whole = test::readFile(workbook("cells.xlsx"));
    test::TempDir dir;
    for (std::size_t cut : {std::size_t{30}, whole.size() / 3, whole.size() / 2, whole.size() - 30})
        EXPECT_NE(readAll(dir.write("cut.xlsx", whole.substr(0, cut))).result.error, "") << cut;
}

// Text XML may not hold (controls, U+FFFE, U+FFFF) is written as Excel's _xHHHH_, a byte
// that is not UTF-8 as U+FFFD: the workbook opens in openpyxl and in our reader, the text whole.
TEST(XlsxWriter, WritesWhatXmlRefusesSoThatTheWorkbookOpens)
{
    const std::vector<std::string> cells = {"a\x01z", "\xEF\xBF\xBF", "x\xEF\xBF\xBE", "_x0041_", "\xFF"};
    const xlsx::Sheet sheet{
        "odd", {{"text"}}, cells.size(), [&](std::size_t i, std::vector<std::string>& row) { row = {cells[i]}; }};
    const xlsx::Workbook book = xlsx::writeWorkbook({sheet});
    ASSERT_EQ(book.error, "");
    std::vector<std::string> shown = {"text"};
    for (const std::string& c : cells)
        shown.push_back(c == "\xFF" ? "\xEF\xBF\xBD" : c);
    test::TempDir dir;
    std::vector<std::string> read;
    const SheetRead r = readSheet(dir.write("odd.xlsx", book.bytes), "", [&](const SheetRow& row) {
        read.push_back(row.cells.empty() ? "" : row.cells[0]);
        return true;
    });
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(read, shown);
    if (const auto spreadsheet = test::readBackWorkbook(book.bytes)) {  // else openpyxl is missing
        shown.insert(shown.begin(), "sheet odd");
        EXPECT_EQ(*spreadsheet, shown);
    }
}

// 300 MiB from 300 KiB, as many shared strings or a sheet of blanks, and a text that the XML
// reader would hold whole: each refused at its limit, the memory staying bounded.
TEST_F(XlsxReader, RefusesZipBombsWithinBoundedMemory)
{
    const std::string bomb = workbook("bomb.xlsx"), folder = bomb.substr(0, bomb.rfind('/') + 1);
    const std::pair<std::string, std::string> cases[] = {
        {bomb, "xl/strings.xml holds more than 64 MiB of shared strings"},
        {folder + "sheetbomb.xlsx", "xl/worksheets/s.xml inflates beyond 256 MiB: refused, as a zip bomb would be"},
        {folder + "longtext.xlsx", "xl/worksheets/s.xml holds a text or tag longer than 1 MiB"},
    };
    const long before = peakKiB();
    for (const auto& [path, error] : cases)
        EXPECT_EQ(readAll(path).result.error, error);
    // The strings' 64 MiB, doubled at most by the growth of the text that holds them.
    if (kPeakTells) {
        EXPECT_LT(peakKiB() - before, 160 * 1024) << "KiB more at the peak";
    }
}

TEST_F(XlsxReader, StreamsAMillionRowsInBoundedMemory)
{
    const std::string path = workbook("million.xlsx");
    const long before = peakKiB();
    std::size_t rows = 0, last = 0;
    std::vector<std::string> lastCells;
    const SheetRead r = readSheet(path, "", [&](const SheetRow& row) {
        ++rows;
        last = row.number;
        lastCells = row.cells;
        return true;
    });
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(rows, 1'000'000u);
    EXPECT_EQ(last, 1'000'000u);
    EXPECT_EQ(lastCells, (std::vector<std::string>{"s1000000", "0"}));
    if (kPeakTells) {
        EXPECT_LT(peakKiB() - before, 64 * 1024) << "KiB more at the peak";
    }
}

}  // namespace
}  // namespace mq::sheets
