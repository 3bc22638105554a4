#include "sheets/segment_sheet.h"

#include <gtest/gtest.h>

#include "tests/sheets/sheet_fixtures.h"

namespace mq::sheets {
namespace {

class SegmentSheetTest : public test::SheetFixtures { };

// The rows of the sheet read as the same list typed with tabs reads: the same segments, the
// same reasons, with rows for lines. The header merged over two rows, the blank and the
// comment row are skipped.
TEST_F(SegmentSheetTest, ReadsRowsAsTheListReaderReadsLines)
{
    const SegmentSheet s = readSegmentSheet(workbook("segments.xlsx"), "", net::Family::V4);
    ASSERT_EQ(s.error, "");
    EXPECT_EQ(s.sheet, "Site A");
    const std::string typed = "name\thosts\tgrowth\tlength\tvlan\n"
                              "staff\t1000\t25%\t\t10\n"
                              "lab\t1,000\t\t28\n"
                              "voice\tmany\n"
                              "servers\t0\n"
                              "wan\t2\t\t\t5000\n"
                              "dmz\t40\tlots\n";
    std::vector<textio::Problem> lineNotes;
    const auto segments = plan::parseSegments(typed, lineNotes, net::Family::V4);
    EXPECT_EQ(plan::segmentsText(s.segments), plan::segmentsText(segments));
    ASSERT_EQ(s.segments.size(), 2u);
    const std::size_t rowOfLine[] = {0, 1, 3, 5, 6, 7, 8, 9};
    ASSERT_EQ(s.notes.size(), lineNotes.size());
    for (std::size_t i = 0; i < s.notes.size(); ++i) {
        EXPECT_EQ(s.notes[i].message, lineNotes[i].message);
        EXPECT_EQ(s.notes[i].line, rowOfLine[lineNotes[i].line]) << s.notes[i].message;
    }
    EXPECT_EQ(rowName(s.sheet, s.notes.front().line), "sheet \"Site A\" row 6");
}

// The same list as a CSV file and as the workbook LibreOffice makes of it (shared strings, a
// percentage as a number in a percent format) reads to the same segments.
TEST(SegmentSheetLibreOffice, ReadsTheWorkbookLibreOfficeWrote)
{
    if (test::runProgram("sh", {"-c", "command -v soffice"}).status != 0)
        GTEST_SKIP() << "soffice is not installed (Debian's libreoffice-calc-nogui): no workbook of LibreOffice's";
    test::TempDir dir;
    const std::string list = "name,hosts,growth,length,vlan\nstaff,1000,25%,,10\nlab,200,,28,\n";
    const std::string csv = dir.write("plan.csv", list);
    const test::Outcome made =
        test::runProgram("soffice", {"-env:UserInstallation=file://" + dir.path() + "profile", "--headless",
                                     "--convert-to", "xlsx", "--outdir", dir.path(), csv});
    ASSERT_EQ(made.status, 0) << made.err;
    const SegmentSheet s = readSegmentSheet(dir.file("plan.xlsx"), "");
    EXPECT_EQ(s.error, "");
    EXPECT_TRUE(s.notes.empty()) << s.notes.front().message;
    std::vector<textio::Problem> notes;
    EXPECT_EQ(plan::segmentsText(s.segments), plan::segmentsText(plan::parseSegments(list, notes)));
    EXPECT_EQ(s.segments.size(), 2u);
}

}  // namespace
}  // namespace mq::sheets
