// The Lists page's model: each operation on small lists of both families, the
// counts, the refused lines of both lists, cancelling, and loading a list file.
#include "classless/lists.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mq::classless {
namespace {

using Lines = std::vector<std::string>;

ListsResult run(ListOperation op, const std::string& a, const std::string& b = {}, const std::string& block = {})
{
    return workOut(ListsRequest{op, a, b, block});
}

TEST(Lists, SummaryReadsAsTheCommandLineDoesAndNamesBadLines)
{
    ListsForm f;
    f.request.a = "\xEF\xBB\xBF"
                  "10.0.0.0/25 # office\r\n10.0.0.128/25\n# note\n\n2001:db8::/33\n2001:db8:8000::/33\n"
                  "bogus\n10.0.1.0 - 10.0.1.255\n10.0.0.7\n\x1b]0;x\x07"
                  "\n" +
                  std::string(70000, '1') + "\n";
    f.update();
    EXPECT_EQ(f.result.lines, (Lines{"10.0.0.0/23", "2001:db8::/32"}));
    const Lines errors = f.errors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].rfind("A line 7: bogus: ", 0), 0u) << errors[0];
    EXPECT_EQ(errors[1].rfind("A line 10: \\x1b]0;x\\x07: ", 0), 0u) << errors[1];
    EXPECT_EQ(errors[2], "A line 11: the line is longer than 65536 bytes");
    EXPECT_EQ(f.countsText(), "6 items in, 2 prefixes out, 512 IPv4 addresses, 79228162514264337593543950336 IPv6 "
                              "addresses; 3 lines not read");
    const Lines report = f.reportLines();
    EXPECT_EQ(report[0], "Maskquill Classless Calculator: Summarise A");
    EXPECT_EQ(report[4], "10.0.0.0/23");
    EXPECT_EQ(report.back(), errors[2]);

    EXPECT_EQ(countsText(run(ListOperation::Summarize, "::/0\n0.0.0.0/0\n10.0.0.0/8")),
              "3 items in, 2 prefixes out, 4294967296 IPv4 addresses, 340282366920938463463374607431768211456 IPv6 "
              "addresses");
    EXPECT_EQ(countsText(run(ListOperation::Summarize, "10.0.0.1")), "1 item in, 1 prefix out, 1 IPv4 address");
    f.request.a = "# nothing\n";
    f.update();
    EXPECT_TRUE(f.reportLines().empty());

    // A set cancel flag stops the work; its result is marked, never to be shown.
    std::atomic<bool> cancel{true};
    std::string big;
    for (int i = 0; i < 5000; ++i)
        big += "10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".0/24\n";
    EXPECT_TRUE(workOut({ListOperation::Summarize, big, {}, {}}, &cancel).cancelled);
    cancel = false;
    EXPECT_EQ(workOut({ListOperation::Summarize, big, {}, {}}, &cancel).itemsA, 5000u);
}

struct Case {
    ListOperation op;
    const char* block;
    Lines want;
    const char* counts;
};

class Operation : public ::testing::TestWithParam<Case> { };

// A and B cross in both families: each operation's answer is worked out by hand.
TEST_P(Operation, GivesItsPrefixesAndCounts)
{
    const Case& c = GetParam();
    const std::string a = "10.0.0.0/24\n10.0.1.0/25\n2001:db8::/33\nnope\n";
    const std::string b = "10.0.0.128/25 # shared\n10.0.1.0/24\n2001:db8::/32\n";
    const ListsResult r = run(c.op, a, b, c.block);
    EXPECT_EQ(r.lines, c.want);
    EXPECT_EQ(countsText(r), c.counts);
    ASSERT_FALSE(r.refused.empty());  // and for the free space, the IPv6 item outside the block
    EXPECT_EQ(r.refused[0].file, "A");
    EXPECT_EQ(r.refused[0].line, 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Operation,
    ::testing::Values(
        Case{ListOperation::Union,
             "",
             {"10.0.0.0/23", "2001:db8::/32"},
             "3 items in A, 3 in B, 2 prefixes out, 512 IPv4 addresses, 79228162514264337593543950336 IPv6 "
             "addresses; 1 line not read"},
        Case{ListOperation::Intersection,
             "",
             {"10.0.0.128/25", "10.0.1.0/25", "2001:db8::/33"},
             "3 items in A, 3 in B, 3 prefixes out, 256 IPv4 addresses, 39614081257132168796771975168 IPv6 "
             "addresses; 1 line not read"},
        Case{ListOperation::Except,
             "",
             {"10.0.0.0/25"},
             "3 items in A, 3 in B, 1 prefix out, 128 IPv4 addresses; 1 line not read"},
        Case{ListOperation::SymmetricDifference,
             "",
             {"10.0.0.0/25", "10.0.1.128/25", "2001:db8:8000::/33"},
             "3 items in A, 3 in B, 3 prefixes out, 256 IPv4 addresses, 39614081257132168796771975168 IPv6 "
             "addresses; 1 line not read"},
        Case{ListOperation::Overlaps,
             "",
             {"A:1:10.0.0.0/24 contains B:1:10.0.0.128/25", "A:2:10.0.1.0/25 inside B:2:10.0.1.0/24",
              "A:3:2001:db8::/33 inside B:3:2001:db8::/32"},
             "3 items in A, 3 in B, 3 overlapping pairs; 1 line not read"},
        Case{ListOperation::FreeSpace,
             "10.0.0.0/22",
             {"10.0.1.128/25", "10.0.2.0/23"},
             "3 items in, 2 free prefixes out, 640 IPv4 addresses free; 2 lines not read"}));

TEST(Lists, OverlapsWithinOneListAndTheBlockOfFreeSpace)
{
    const ListsResult within = run(ListOperation::Overlaps, "10.0.0.0/24\n\n10.0.0.0/24\n10.0.0.5-10.0.1.3\n");
    EXPECT_EQ(within.lines, (Lines{"1:10.0.0.0/24 equal 3:10.0.0.0/24", "1:10.0.0.0/24 overlaps 4:10.0.0.5-10.0.1.3",
                                   "3:10.0.0.0/24 overlaps 4:10.0.0.5-10.0.1.3"}));
    // 600 equal items make 179,700 pairs: all counted, the first ones listed.
    std::string equal;
    for (int i = 0; i < 600; ++i)
        equal += "10.0.0.0/24\n";
    ListsForm many;
    many.request = ListsRequest{ListOperation::Overlaps, equal, "", ""};
    many.update();
    ASSERT_EQ(many.result.lines.size(), 100000u);
    EXPECT_EQ(many.result.lines.back(), "201:10.0.0.0/24 equal 301:10.0.0.0/24");
    EXPECT_EQ(many.countsText(), "600 items in A, 0 in B, 179700 overlapping pairs, the first 100000 listed");
    // The block must be a prefix that reads; an item outside it is named.
    EXPECT_EQ(run(ListOperation::FreeSpace, "10.0.0.0/24", {}, "").problem,
              "Type the block whose free space you want, such as 10.0.0.0/16.");
    EXPECT_NE(run(ListOperation::FreeSpace, "10.0.0.0/24", {}, "10.0.0.0/33").problem.find("Block: 10.0.0.0/33"),
              std::string::npos);
    const ListsResult outside = run(ListOperation::FreeSpace, "192.168.0.0/24\n2001:db8::/64", {}, "10.0.0.0/30");
    EXPECT_EQ(outside.lines, (Lines{"10.0.0.0/30"}));
    ASSERT_EQ(outside.refused.size(), 2u);
    EXPECT_EQ(textio::describe(outside.refused[1]), "A line 2: lies outside 10.0.0.0/30, so it takes nothing from it");
}

TEST(Lists, ListFilesAreBoundedAndRegular)
{
    std::string error;
    const test::TempDir temp;
    const std::string dir = temp.path();
    EXPECT_FALSE(readListFile(dir, &error));
    EXPECT_EQ(error, "is a folder");
    const std::string fifo = temp.file("lists_fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readListFile(fifo, &error));  // refused at once, not waited on
    EXPECT_EQ(error, "is not a regular file");
    ::unlink(fifo.c_str());
    EXPECT_FALSE(readListFile(dir + "no such list", &error));
    EXPECT_EQ(error, "No such file or directory");
    const std::string file = temp.write("lists_file.txt", "10.0.0.0/8\r\n");
    EXPECT_EQ(readListFile(file, &error), std::optional<std::string>("10.0.0.0/8\r\n"));
}

}  // namespace
}  // namespace mq::classless
