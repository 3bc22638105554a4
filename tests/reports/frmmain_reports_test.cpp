#include "reports/frmmain_reports.h"
#include "tests/reports/report_fixtures.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mq::test {
namespace {

// Records what reaches the file system and the printer, in order.
class FakeOutput : public ReportOutput {
public:
    std::vector<std::string> log;
    std::map<std::string, std::string> files;
    std::deque<std::optional<int>> copyAnswers;
    std::vector<std::vector<PrintLine>> printed;
    std::vector<std::vector<PrintLine>> committed;  // documents of ended jobs
    std::string writeError;  // non-empty: writes fail
    int failDocument = 0;  // n > 0: the n-th document fails
    std::string endError;
    bool busy = false;

    bool writeFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        log.push_back("write " + path);
        if (!writeError.empty()) {
            error = writeError;
            return false;
        }
        files[path] = bytes;
        return true;
    }
    std::optional<int> printDialog() override
    {
        log.push_back("print dialog");
        if (copyAnswers.empty())
            return std::nullopt;
        auto a = copyAnswers.front();
        copyAnswers.pop_front();
        return a;
    }
    bool printDocument(const std::vector<PrintLine>& lines, std::string& error) override
    {
        log.push_back(busy ? "document (busy)" : "document");
        if (failDocument > 0 && static_cast<int>(pending.size() + committed.size()) + 1 == failDocument) {
            error = "The printer is out of paper.";
            return false;
        }
        pending.push_back(lines);
        return true;
    }
    bool endPrintJob(std::string& error) override
    {
        log.push_back("end job");
        if (!endError.empty()) {
            pending.clear();
            error = endError;
            return false;
        }
        committed.insert(committed.end(), pending.begin(), pending.end());
        pending.clear();
        return true;
    }
    void abortPrintJob() override
    {
        log.push_back("abort job");
        pending.clear();
    }
    void setBusy(bool b) override { busy = b; }

private:
    std::vector<std::vector<PrintLine>> pending;
};

struct Shell {
    CalculatorWindow calc;
    std::vector<std::string> vlsmList;
    FakeServices services;
    FakeOutput output;
    FrmMainReports reports{services, output};

    Shell()
    {
        reports.calculatorInput = [this] { return calculatorReportInput(calc.model); };
        reports.vlsmInput = [this] { return vlsmList; };
    }
    void calculateSomething()
    {
        calc.type({"192", "168", "10", "105"});
        calc.chooseMask("255.255.255.252");
    }
};

const Message kWritten{"File Successfully Written", MsgIcon::Information, "Print OK"};
const Message kPrinted{"Results Successfully Printed", MsgIcon::Information, "Print OK"};
const Message kNothingToWrite{"Nothing to Write", MsgIcon::Information, "Oops"};
const Message kNothingToPrint{"Nothing to Print", MsgIcon::Information, "Oops"};

struct RefusalCase {
    const char* window;
    const char* shownAs;
};

class Refusal : public ::testing::TestWithParam<RefusalCase> { };

TEST_P(Refusal, SaveAndPrintNameTheWindow)
{
    Shell s;
    s.calculateSomething();
    s.reports.saveopt(std::string(GetParam().window));
    s.reports.printopt(std::string(GetParam().window));
    std::string w = GetParam().shownAs;
    EXPECT_EQ(s.services.messages,
              (std::vector<Message>{{"The " + w + " does not support the Save option", MsgIcon::None, "Maskquill"},
                                    {"The " + w + " does not support the Print option", MsgIcon::None, "Maskquill"}}));
    EXPECT_TRUE(s.services.saveFilters.empty());
    EXPECT_TRUE(s.output.log.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Reports, Refusal,
    ::testing::Values(RefusalCase{"bindec", "Bin/Dec/Hex calculator"}, RefusalCase{"macconv", "Mac Converter"},
                      RefusalCase{"clist", "Common Lists"}, RefusalCase{"dar", "current active window"},
                      RefusalCase{"frmAbout", "current active window"}, RefusalCase{"", "current active window"}),
    [](const auto& info) {
        std::string n = info.param.window;
        return n.empty() ? std::string("Unnamed") : n;
    });

TEST(SaveAndPrint, NoActiveChildDoesNothing)
{
    Shell s;
    s.calculateSomething();
    s.reports.saveopt(std::nullopt);
    s.reports.printopt(std::nullopt);
    EXPECT_TRUE(s.services.messages.empty());
    EXPECT_TRUE(s.services.saveFilters.empty());
    EXPECT_TRUE(s.output.log.empty());
}

TEST(Save, CancelledDialogSaysNothing)
{
    Shell s;
    s.calculateSomething();
    s.services.saveAnswers.push_back(std::nullopt);
    s.reports.saveopt(std::string("frmdoc"));
    EXPECT_EQ(s.services.saveFilters, std::vector<std::string>{"Text Files (*.txt)|*.txt|"});
    EXPECT_TRUE(s.services.messages.empty());
    EXPECT_TRUE(s.output.log.empty());
}

TEST(Save, CalculatorReportGoesToTheChosenFileUnchanged)
{
    Shell s;
    s.calculateSomething();
    s.services.saveAnswers.push_back("/reports/subnet results");  // no extension added
    s.reports.saveopt(std::string("frmdoc"));
    EXPECT_EQ(s.output.log, std::vector<std::string>{"write /reports/subnet results"});
    EXPECT_EQ(s.output.files["/reports/subnet results"],
              crlfText(calculatorFileLines(calculatorReportInput(s.calc.model))));
    EXPECT_EQ(s.services.messages, std::vector<Message>{kWritten});
}

TEST(Save, VlsmReportGoesToTheChosenFile)
{
    Shell s;
    s.vlsmList = {"", "Number of segments chosen is 1", ""};
    s.services.saveAnswers.push_back("vlsm.txt");
    s.reports.saveopt(std::string("Form10"));
    EXPECT_EQ(s.output.files["vlsm.txt"], crlfText(vlsmFileLines(s.vlsmList)));
    EXPECT_EQ(s.services.messages, std::vector<Message>{kWritten});
}

// Nothing to report: the file dialog still comes first, then the message, and
// no file is written.
struct NothingCase {
    const char* window;
    bool typedAddress;
};

class NothingToSave : public ::testing::TestWithParam<NothingCase> { };

TEST_P(NothingToSave, DialogFirstThenMessageAndNoFile)
{
    Shell s;
    if (GetParam().typedAddress)
        s.calc.type({"192", "168", "10", "5"});
    s.services.saveAnswers.push_back("/tmp/report.txt");
    s.reports.saveopt(std::string(GetParam().window));
    EXPECT_EQ(s.services.saveFilters.size(), 1u);
    EXPECT_EQ(s.services.messages, std::vector<Message>{kNothingToWrite});
    EXPECT_TRUE(s.output.log.empty());
}

INSTANTIATE_TEST_SUITE_P(Reports, NothingToSave,
                         ::testing::Values(NothingCase{"frmdoc", true}, NothingCase{"frmdoc", false},
                                           NothingCase{"Form10", false}));

TEST(Print, NothingToPrintOncePerCopy)
{
    Shell s;
    s.calc.type({"192", "168", "10", "5"});  // an address, but no choice yet
    s.output.copyAnswers.push_back(2);
    s.reports.printopt(std::string("frmdoc"));
    EXPECT_EQ(s.services.messages, (std::vector<Message>{kNothingToPrint, kNothingToPrint}));
    EXPECT_EQ(s.output.log, (std::vector<std::string>{"print dialog", "end job"}));
    EXPECT_TRUE(s.output.committed.empty());
}

TEST(Print, EmptyVlsmListSaysNothingToWriteOncePerCopy)
{
    Shell s;
    s.output.copyAnswers.push_back(2);
    s.reports.printopt(std::string("Form10"));
    EXPECT_EQ(s.services.messages, (std::vector<Message>{kNothingToWrite, kNothingToWrite}));
    EXPECT_TRUE(s.output.committed.empty());
}

TEST(Print, EachCopyIsAWholeDocumentWithItsOwnMessage)
{
    Shell s;
    s.calculateSomething();
    s.output.copyAnswers.push_back(3);
    s.reports.printopt(std::string("frmdoc"));
    auto expectedDoc = calculatorPrintLines(calculatorReportInput(s.calc.model));
    EXPECT_EQ(s.output.committed, (std::vector<std::vector<PrintLine>>(3, expectedDoc)));
    EXPECT_EQ(s.output.log, (std::vector<std::string>{"print dialog", "document (busy)", "document (busy)",
                                                      "document (busy)", "end job"}));
    EXPECT_FALSE(s.output.busy);
    EXPECT_EQ(s.services.messages, (std::vector<Message>{kPrinted, kPrinted, kPrinted}));
}

TEST(Print, VlsmCopies)
{
    Shell s;
    s.vlsmList = {"", "Number of segments chosen is 1", "", "Segment 1 has 5 hosts"};
    s.output.copyAnswers.push_back(2);
    s.reports.printopt(std::string("Form10"));
    EXPECT_EQ(s.output.committed, (std::vector<std::vector<PrintLine>>(2, vlsmPrintLines(s.vlsmList))));
    EXPECT_EQ(s.services.messages, (std::vector<Message>{kPrinted, kPrinted}));
}

TEST(Print, CancelledDialogSaysNothing)
{
    Shell s;
    s.calculateSomething();
    s.reports.printopt(std::string("frmdoc"));  // no answer queued: cancel
    EXPECT_EQ(s.output.log, std::vector<std::string>{"print dialog"});
    EXPECT_TRUE(s.services.messages.empty());
}

// Failures are reported, never followed by a success message.
TEST(Failures, FileThatCannotBeWritten)
{
    Shell s;
    s.calculateSomething();
    s.output.writeError = "Permission denied";
    s.services.saveAnswers.push_back("/srv/results.txt");
    s.reports.saveopt(std::string("frmdoc"));
    ASSERT_EQ(s.services.messages.size(), 1u);
    const Message& m = s.services.messages[0];
    EXPECT_NE(m.text.find("/srv/results.txt"), std::string::npos) << m.text;
    EXPECT_NE(m.text.find("Permission denied"), std::string::npos) << m.text;
    EXPECT_EQ(m.icon, MsgIcon::Critical);
    EXPECT_EQ(m.title, "Maskquill");
}

struct PrintFailureCase {
    const char* name;
    int failDocument;
    const char* endError;
    std::size_t documentsTried;
};

class PrintFailure : public ::testing::TestWithParam<PrintFailureCase> { };

TEST_P(PrintFailure, ReportedOnceAndNoSuccess)
{
    const auto& c = GetParam();
    Shell s;
    s.calculateSomething();
    s.output.failDocument = c.failDocument;
    s.output.endError = c.endError;
    s.output.copyAnswers.push_back(3);
    s.reports.printopt(std::string("frmdoc"));
    ASSERT_EQ(s.services.messages.size(), 1u);
    EXPECT_EQ(s.services.messages[0].icon, MsgIcon::Critical);
    EXPECT_NE(s.services.messages[0].text.find(c.failDocument ? "out of paper" : c.endError), std::string::npos);
    std::size_t tried = 0;
    for (const auto& entry : s.output.log)
        tried += entry.rfind("document", 0) == 0;
    EXPECT_EQ(tried, c.documentsTried);
    EXPECT_TRUE(s.output.committed.empty());
    EXPECT_FALSE(s.output.busy);
}

INSTANTIATE_TEST_SUITE_P(Reports, PrintFailure,
                         ::testing::Values(PrintFailureCase{"FirstCopy", 1, "", 1},
                                           PrintFailureCase{"SecondCopy", 2, "", 2},
                                           PrintFailureCase{"SendingTheJob", 0, "The printer went away.", 3}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mq::test
