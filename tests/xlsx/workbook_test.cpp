// What the workbook writer decides before libxlsxwriter sees a cell: the sheets a worksheet cannot hold, the names of
// tabs, a cancel part way; and a plan's allocations cut into a sheet per root (the cells themselves are read back by
// openpyxl and LibreOffice in tests/mqnet/xlsx_test.py).
#include <gtest/gtest.h>

#include <string>

#include "interchange/plan_sheets.h"
#include "net/parse.h"
#include "xlsx/sheet.h"

namespace mq::xlsx {
namespace {

TEST(XlsxWorkbook, ASheetBeyondAWorksheetsRowsIsRefusedBeforeAnyRowIsMade)
{
    bool asked = false;
    const Sheet small{"fine", {{"a"}}, 1, [](std::size_t, std::vector<std::string>& cells) { cells = {"x"}; }};
    const Sheet big{
        "hosts", {{"name"}}, kMaxSheetRows + 1, [&](std::size_t, std::vector<std::string>&) { asked = true; }};
    const Workbook refused = writeWorkbook({small, big});
    EXPECT_EQ(refused.error, "the sheet \"hosts\" has 1048576 rows; a worksheet holds 1048575 below its header");
    EXPECT_TRUE(refused.bytes.empty());
    EXPECT_FALSE(asked);

    const Workbook written = writeWorkbook({small});
    EXPECT_EQ(written.error, "");
    EXPECT_EQ(written.bytes.substr(0, 4), std::string("PK\x03\x04", 4));  // a zip, as .xlsx is
}

TEST(XlsxWorkbook, SheetNamesASpreadsheetTakesUniqueWithoutCase)
{
    const std::vector<std::string> taken = {"hosts", "Split", "abcdefghijklmnopqrstuvwxyz01234"};
    const std::pair<const char*, const char*> cases[] = {
        {"leaves", "leaves"},
        {"HOSTS", "HOSTS (2)"},  // spreadsheets tell names apart without case
        {"split", "split (2)"},
        {"a/b:c*d?e[f]g\\h", "a_b_c_d_e_f_g_h"},
        {"'quoted'", "quoted"},  // a name may not start or end with '
        {"", "sheet"},
        {"abcdefghijklmnopqrstuvwxyz0123456789", "abcdefghijklmnopqrstuvwxyz0 (2)"},  // cut to 31, then taken
    };
    for (const auto& [wanted, made] : cases)
        EXPECT_EQ(sheetName(wanted, taken), made) << wanted;
    std::string accents;
    for (int i = 0; i < 32; ++i)
        accents += "\u00e9";
    EXPECT_EQ(sheetName(accents, {}), accents.substr(0, 62));  // 31 characters, not bytes
}

TEST(XlsxWorkbook, ACancelPartWay)
{
    std::size_t made = 0, told = 0;
    const Sheet many{"rows", {{"n", CellType::Count}}, 10000, [&](std::size_t i, std::vector<std::string>& c) {
                         c = {std::to_string(i)}, ++made;
                     }};
    const Workbook stopped = writeWorkbook({many}, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 10000u);
        told = done;
        return false;
    });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.bytes.empty() && stopped.error.empty());
    EXPECT_LT(made, told + 1);  // no row made after the cancel
    EXPECT_GT(told, 0u);
}

// A site per root, as plans of several roots are made; IPv6 roots whose names only differ
// beyond a tab's 31 characters.
TEST(PlanSheets, AllocationsASheetPerRootThatHasRowsNamedByItsPrefix)
{
    const auto prefix = [](const char* text) {
        return std::get<net::Prefix>(net::parsePrefix(text, net::HostBits::Refuse));
    };
    plan::Plan p(prefix("10.40.0.0/16"));
    for (const char* root : {"10.41.0.0/16", "2001:db8:1234:5678:1::/80", "2001:db8:1234:5678:2::/80", "10.42.0.0/16"})
        ASSERT_EQ(p.addRoot(prefix(root)), "");
    const plan::Plan one = p;  // assigned blocks under the first root only
    for (std::size_t r = 0; r < p.roots().size(); ++r) {
        const plan::BlockId root = p.roots()[r];
        ASSERT_EQ(p.split(root, 4), "");
        for (std::size_t k = 0; k < (r == 4 ? 0u : r + 1); ++k)  // the last root has none
            ASSERT_EQ(p.setAssigned(p.block(root).children[k], true, 10), "");
    }
    std::vector<std::string> names;
    std::vector<std::size_t> rows;
    for (const Sheet& s : interchange::planSheets(p, interchange::PlanTable::Allocations)) {
        names.push_back(s.name);
        rows.push_back(s.rows);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"allocations 10.40.0.0-16", "allocations 10.41.0.0-16",
                                               "allocations 2001.db8.1234.5678.", "allocations 2001.db8.1234.5 (2)"}));
    EXPECT_EQ(rows, (std::vector<std::size_t>{1, 2, 3, 4}));
    EXPECT_EQ(writeWorkbook(interchange::planSheets(p)).error, "");  // libxlsxwriter takes every name
    // One root with rows: the one sheet keeps the table's name.
    plan::Plan single = one;
    ASSERT_EQ(single.split(single.root(), 2), "");
    ASSERT_EQ(single.setAssigned(single.block(single.root()).children[1], true, 5), "");
    const auto sheetsOfOne = interchange::planSheets(single, interchange::PlanTable::Allocations);
    ASSERT_EQ(sheetsOfOne.size(), 1u);
    EXPECT_EQ(sheetsOfOne[0].name, "allocations");
}

}  // namespace
}  // namespace mq::xlsx
