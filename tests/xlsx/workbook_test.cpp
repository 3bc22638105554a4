// What the workbook writer decides before libxlsxwriter sees a cell: which counts are
// numbers, and the sheets a worksheet cannot hold (the cells themselves are read back by
// openpyxl in tests/mqnet/xlsx_test.py).
#include <gtest/gtest.h>

#include <string>

#include "xlsx/sheet.h"

namespace mq::xlsx {
namespace {

TEST(XlsxCount, ANumberOnlyWhereADoubleHoldsItExactly)
{
    const std::pair<const char*, bool> cases[] = {
        {"0", true},
        {"4094", true},
        {"9007199254740991", true},
        {"9007199254740992", true},  // 2^53
        {"9007199254740993", false},  // the first a double rounds
        {"18446744073709551616", false},  // beyond 64 bits
        {"1208925819614629174706176", false},
        {"", false},
        {"007", false},  // a leading zero would be lost
        {"-1", false},
        {"1e3", false},
        {" 1", false},
    };
    for (const auto& [text, fits] : cases)
        EXPECT_EQ(fitsExactly(text), fits) << text;
}

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

}  // namespace
}  // namespace mq::xlsx
