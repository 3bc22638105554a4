// Save and Print of the classless calculator: the text report, the streamed CSV
// listing with its free-space check, cancel and failures, the workbooks (read back by
// openpyxl), the Lists page's result as a table, and the printout.
#include "classless/save.h"

#include "tests/support/fake_services.h"
#include "tests/xlsx/read_back.h"

#include <gtest/gtest.h>

#include <deque>

namespace mq::classless {
namespace {

class FakeCsv : public CsvTarget {
public:
    std::optional<std::uint64_t> free;
    std::string bytes, openError, writeError;
    std::vector<std::string> log;
    int cancelAt = -1;  // the progress call that answers "cancelled"
    int progressCalls = 0;

    std::deque<SaveChoice> choices;  // when empty, the program's own dialog (the fake services)
    std::vector<std::string> filters;  // of the dialogs opened
    std::optional<SaveChoice> chooseFile(const std::string& filter, Services& sv) override
    {
        filters.push_back(filter);
        if (choices.empty())
            return CsvTarget::chooseFile(filter, sv);
        SaveChoice c = choices.front();
        choices.pop_front();
        return c;
    }
    std::optional<std::uint64_t> freeBytes(const std::string&) override { return free; }
    bool save(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error) override
    {
        log.push_back("open " + path);
        if (!openError.empty()) {
            error = openError;
            return false;
        }
        struct Sink : ByteSink {
            FakeCsv& csv;
            explicit Sink(FakeCsv& c) : csv(c) { }
            bool write(std::string_view b) override
            {
                if (!csv.writeError.empty())
                    return false;
                csv.bytes += b;
                return true;
            }
        } sink(*this);
        const bool ok = produce(sink);
        error = writeError;
        log.push_back(ok ? "commit" : "discard");
        return ok;
    }
    bool progress(u128, u128) override { return progressCalls++ != cancelAt; }
};

class FakeOutput : public ReportOutput {
public:
    std::map<std::string, std::string> files;
    std::deque<std::optional<int>> copies;
    std::vector<std::vector<PrintLine>> printed;
    int ended = 0;
    // The calculator's reports are files to keep: written only as documents.
    bool writeFile(const std::string&, const std::string&, std::string& error) override
    {
        error = "written as a classic report";
        return false;
    }
    bool writeDocument(const std::string& path, const std::string& b, std::string&) override
    {
        files[path] = b;
        return true;
    }
    std::optional<int> printDialog() override
    {
        auto c = copies.empty() ? std::nullopt : copies.front();
        if (!copies.empty())
            copies.pop_front();
        return c;
    }
    bool printDocument(const std::vector<PrintLine>& lines, std::string&) override
    {
        printed.push_back(lines);
        return true;
    }
    bool endPrintJob(std::string&) override
    {
        ++ended;
        return true;
    }
    void abortPrintJob() override { }
    void setBusy(bool) override { }
};

struct Window {
    ClasslessForm form;
    SubnetListing listing;
    test::FakeServices sv;
    FakeOutput out;
    FakeCsv csv;

    void type(const char* text, const char* split = nullptr)
    {
        form.setInput(text);
        listing.setParent(form.resultPrefix());
        if (split) {
            listing.splitText = split;
            ASSERT_TRUE(listing.split()) << listing.message;
        }
    }
};

TEST(ClasslessSave, CsvIsStreamedWholeAndCommittedOnce)
{
    Window w;
    w.type("10.0.0.0/16", "30");
    w.csv.free = 1ull << 40;
    w.sv.saveAnswers.push_back("/tmp/out.CSV");
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.sv.saveFilters.back(), kTableFilter);
    EXPECT_EQ(w.csv.log, (std::vector<std::string>{"open /tmp/out.CSV", "commit"}));
    EXPECT_EQ(
        w.csv.bytes.rfind("index,network,first,last,broadcast\r\n0,10.0.0.0/30,10.0.0.1,10.0.0.2,10.0.0.3\r\n", 0), 0u);
    EXPECT_EQ(std::count(w.csv.bytes.begin(), w.csv.bytes.end(), '\n'), 16384 + 1);
    const std::string tail = "16383,10.0.255.252/30,10.0.255.253,10.0.255.254,10.0.255.255\r\n";
    EXPECT_EQ(w.csv.bytes.substr(w.csv.bytes.size() - tail.size()), tail);
    // The estimate that guards the free space is close to the real size.
    const auto estimate = static_cast<double>(csvSizeEstimate(w.listing));
    EXPECT_NEAR(estimate / static_cast<double>(w.csv.bytes.size()), 1.0, 0.1);
    EXPECT_EQ(w.sv.messages.back().text, "File Successfully Written");
}

TEST(ClasslessSave, TheChosenTypeDecidesTheFormatAndAddsItsExtension)
{
    Window w;
    w.type("2001:db8::/126", "127");
    w.csv.free = 1ull << 40;
    w.csv.choices = {{"/tmp/v6split", 1}, {"/tmp/notes", 0}, {"/tmp/odd.name.csv", 0}, {"/tmp/dir.d/plain", 1}};
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.csv.log.front(), "open /tmp/v6split.csv");
    EXPECT_EQ(w.csv.bytes.rfind(kCsvHeader, 0), 0u);
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.out.files.count("/tmp/notes.txt"), 1u);
    EXPECT_NE(w.out.files["/tmp/notes.txt"].find("Split into /127: 2 subnets"), std::string::npos);
    // A typed extension stays, and the chosen type still decides.
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.out.files.count("/tmp/odd.name.csv"), 1u);
    EXPECT_EQ(w.out.files["/tmp/odd.name.csv"].rfind("Maskquill Classless Calculator", 0), 0u);
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.csv.log.back(), "commit");
    EXPECT_EQ(w.csv.log[w.csv.log.size() - 2], "open /tmp/dir.d/plain.csv");

    Window one;
    one.type("10.0.0.0/24", "24");
    EXPECT_EQ(reportLines(one.form, one.listing).back(), "Split into /24: 1 subnet");
}

TEST(ClasslessSave, ListsPageSavesAndPrintsItsResult)
{
    Window w;
    w.type("10.1.2.3/22");  // the facts are not what the summary page gives
    ListsForm summary;
    w.csv.choices = {{"/tmp/sum", 0}};
    EXPECT_EQ(saveLists(summary, w.sv, w.out, w.csv), SaveOutcome::Nothing);
    summary.request.a = "10.0.0.0/25\n10.0.0.128/25\nten\n";
    summary.update();
    w.csv.choices = {{"/tmp/sum", 0}};
    EXPECT_EQ(saveLists(summary, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.out.files["/tmp/sum.txt"],
              "Maskquill Classless Calculator: Summarise A\r\n\r\n2 items in, 1 prefix out, 256 IPv4 addresses; 1 "
              "line not read\r\n\r\n10.0.0.0/24\r\n\r\nLines not read:\r\n" +
                  textio::describe(summary.result.refused[0]) + "\r\n");
    w.out.copies = {1};
    printLists(summary, w.sv, w.out);
    ASSERT_EQ(w.out.printed.size(), 1u);
    EXPECT_EQ(w.out.printed[0][4].text, "10.0.0.0/24");
    EXPECT_TRUE(w.out.printed[0][4].fixedPitch);
}

TEST(ClasslessSave, CsvRefusedCancelledOrFailedLeavesNoFile)
{
    Window w;
    w.type("10.0.0.0/8", "30");
    w.csv.free = 1000000;  // far less than the 4,194,304 rows need
    EXPECT_EQ(saveCsv(w.listing, "/tmp/big.csv", w.csv, w.sv), SaveOutcome::Refused);
    EXPECT_TRUE(w.csv.log.empty());  // nothing opened, nothing written
    EXPECT_NE(w.sv.messages.back().text.find("has only 1 MB free. Nothing was written."), std::string::npos);

    w.csv.free.reset();  // unknown free space: try, and stop when the user cancels
    w.csv.cancelAt = 2;
    EXPECT_EQ(saveCsv(w.listing, "/tmp/big.csv", w.csv, w.sv), SaveOutcome::Cancelled);
    EXPECT_EQ(w.csv.log.back(), "discard");
    EXPECT_EQ(w.sv.messages.size(), 1u);  // a cancel says nothing

    w.csv.log.clear();
    w.csv.writeError = "No space left on device";
    EXPECT_EQ(saveCsv(w.listing, "/tmp/big.csv", w.csv, w.sv), SaveOutcome::Failed);
    EXPECT_EQ(w.csv.log.back(), "discard");
    EXPECT_EQ(w.sv.messages.back().text, "Could not write /tmp/big.csv: No space left on device");

    // The whole of ::/0 at /128 can never fit: the estimate saturates instead of wrapping.
    Window huge;
    huge.type("::/0", "128");
    EXPECT_EQ(csvSizeEstimate(huge.listing), ~static_cast<u128>(0));
    huge.csv.free = ~0ull;
    EXPECT_EQ(saveCsv(huge.listing, "/tmp/x.csv", huge.csv, huge.sv), SaveOutcome::Refused);
}

// The rows of the CSV as openpyxl reads them from the workbook: the index a number.
std::vector<std::string> asSheetRows(const std::string& csv, bool firstIsNumber)
{
    std::vector<std::string> rows;
    for (std::size_t from = 0; from < csv.size();) {
        const std::size_t end = csv.find("\r\n", from);
        std::string row = csv.substr(from, end - from);
        std::replace(row.begin(), row.end(), ',', '\t');
        while (!row.empty() && row.back() == '\t')
            row.pop_back();
        rows.push_back((firstIsNumber && !rows.empty() ? "#" : "") + row);
        from = end + 2;
    }
    return rows;
}

TEST(ClasslessSave, ListingWorkbookHoldsTheCsvCellsUpToAWorksheetsRows)
{
    Window w;
    w.type("10.0.0.0/16", "30");
    w.csv.choices = {{"/tmp/split", 2}, {"/tmp/split.csv", 1}};
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.csv.filters.back(), kTableFilter);
    EXPECT_EQ(w.csv.log, (std::vector<std::string>{"open /tmp/split.xlsx", "commit"}));
    EXPECT_EQ(w.sv.messages.back().text, "File Successfully Written");
    const std::string book = std::exchange(w.csv.bytes, {});
    ASSERT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    std::vector<std::string> want = asSheetRows(w.csv.bytes, true);
    want.insert(want.begin(), "sheet split");
    const auto read = test::readBackWorkbook(book);
    if (!read)
        GTEST_SKIP() << "python3-openpyxl is not installed";
    EXPECT_EQ((*read)[2], "#0\t10.0.0.0/30\t10.0.0.1\t10.0.0.2\t10.0.0.3");
    EXPECT_EQ(*read, want);

    // 2^20 rows are one more than a worksheet holds: refused before anything is opened.
    w.type("10.0.0.0/12", "32");
    w.csv.log.clear();
    EXPECT_EQ(saveWorkbook(w.listing, "/tmp/big.xlsx", w.csv, w.sv), SaveOutcome::Refused);
    EXPECT_TRUE(w.csv.log.empty());
    EXPECT_EQ(w.sv.messages.back().text,
              "The listing of 1048576 rows are more than a worksheet holds (1048575 below its header row). A CSV file "
              "holds them all: save it as CSV. Nothing was written.");
    // Cancelled at the first progress: nothing kept, nothing said.
    w.type("10.0.0.0/16", "30");
    const std::size_t said = w.sv.messages.size();
    w.csv.cancelAt = w.csv.progressCalls;
    EXPECT_EQ(saveWorkbook(w.listing, "/tmp/c.xlsx", w.csv, w.sv), SaveOutcome::Cancelled);
    EXPECT_EQ(w.csv.log.back(), "discard");
    EXPECT_EQ(w.sv.messages.size(), said);
}

TEST(ClasslessSave, ListsResultAsCsvOrWorkbookOfItsPrefixes)
{
    Window w;
    ListsForm lists;
    lists.request.a = "10.0.0.0/25\n10.0.0.128/25\n2001:db8::/32\n::/0\n";
    lists.update();
    w.csv.choices = {{"/tmp/sum", 1}, {"/tmp/sum", 2}};
    EXPECT_EQ(saveLists(lists, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.csv.filters.back(), kTableFilter);
    EXPECT_EQ(w.csv.bytes,
              "prefix,first,last,addresses\r\n10.0.0.0/24,10.0.0.0,10.0.0.255,256\r\n"
              "::/0,::,ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,340282366920938463463374607431768211456\r\n");
    w.csv.bytes.clear();
    EXPECT_EQ(saveLists(lists, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.csv.log, (std::vector<std::string>{"open /tmp/sum.csv", "commit", "open /tmp/sum.xlsx", "commit"}));
    if (const auto read = test::readBackWorkbook(w.csv.bytes)) {
        // The count a spreadsheet holds exactly is a number; 2^128 stays text.
        EXPECT_EQ(*read,
                  (std::vector<std::string>{
                      "sheet prefixes", "prefix\tfirst\tlast\taddresses", "10.0.0.0/24\t10.0.0.0\t10.0.0.255\t#256",
                      "::/0\t::\tffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff\t340282366920938463463374607431768211456"}));
    }
    // Overlap pairs are no prefixes: the report only.
    lists.request.op = ListOperation::Overlaps;
    lists.update();
    w.csv.choices = {{"/tmp/pairs", 0}};
    EXPECT_EQ(saveLists(lists, w.sv, w.out, w.csv), SaveOutcome::Written);
    EXPECT_EQ(w.csv.filters.back(), kTextFileFilter);
    EXPECT_EQ(w.out.files.count("/tmp/pairs.txt"), 1u);
}

TEST(ClasslessSave, TextReportAndPrintout)
{
    Window w;
    w.sv.saveAnswers.push_back("/tmp/r.txt");
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Nothing);
    EXPECT_EQ(w.sv.messages.back(), (test::Message{"Nothing to Write", MsgIcon::Information, "Oops"}));
    EXPECT_EQ(w.sv.saveFilters.back(), kTextFileFilter);  // no listing: no CSV offered

    w.type("2001:db8::1/48", "64");
    w.sv.saveAnswers.push_back("/tmp/r.txt");
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Written);
    const std::string& text = w.out.files["/tmp/r.txt"];
    EXPECT_EQ(text.rfind("Maskquill Classless Calculator\r\n\r\nInput: 2001:db8::1/48\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nNetwork: 2001:db8::/48\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nRegistry: Documentation"), std::string::npos);
    EXPECT_NE(text.find("\r\nSplit into /64: 65536 subnets\r\n"), std::string::npos);
    EXPECT_TRUE(w.csv.log.empty());

    w.sv.saveAnswers.push_back(std::nullopt);  // cancelled dialog: nothing at all
    EXPECT_EQ(saveResults(w.form, w.listing, w.sv, w.out, w.csv), SaveOutcome::Cancelled);

    w.out.copies = {2};
    printResults(w.form, w.listing, w.sv, w.out);
    ASSERT_EQ(w.out.printed.size(), 2u);
    EXPECT_EQ(w.out.ended, 1);
    EXPECT_EQ(w.out.printed[0][0], (PrintLine{"Maskquill Classless Calculator", 12, true, false, true}));
    EXPECT_EQ(w.sv.messages.back().text, "Results Successfully Printed");
    w.out.copies = {std::nullopt};
    printResults(w.form, w.listing, w.sv, w.out);
    EXPECT_EQ(w.out.printed.size(), 2u);
}

}  // namespace
}  // namespace mq::classless
