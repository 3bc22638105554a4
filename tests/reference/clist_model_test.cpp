#include "reference/clist_model.h"

#include "tests/support/fake_services.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace mq {
namespace {

using test::FakeServices;
using test::Message;

enum List { Mac = 0, Port = 1, Mult = 2 };

class Clist : public ::testing::Test {
protected:
    FakeServices services;
    ClistModel m{services};

    void SetUp() override { m.Form_Load(); }
    const std::string& cell(int r, int c) const { return m.MSFlexGrid1.textMatrix(r, c); }
    int lastFilledRow() const
    {
        int last = 0;
        for (int r = 1; r < ClistModel::kRows; ++r)
            if (!cell(r, 0).empty() || !cell(r, 1).empty())
                last = r;
        return last;
    }
    void search(const std::string& text)
    {
        m.Text1.text = text;
        m.SSCommand2_Click();
    }
};

TEST_F(Clist, LoadsWithEmptyGridAndColumnLayout)
{
    EXPECT_EQ(m.MSFlexGrid1.rows, 238);
    EXPECT_EQ(m.MSFlexGrid1.cols, 2);
    EXPECT_EQ(m.MSFlexGrid1.colWidth, (std::vector<int>{3300, 4100}));
    EXPECT_EQ(m.MSFlexGrid1.colAlignment, (std::vector<int>{1, 1}));
    EXPECT_EQ(lastFilledRow(), 0);
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(m.SSCommand1[2].caption, "Common TCP/IP Multicast Addresses");
    EXPECT_EQ(m.SSCommand2.caption, "Search For..");
}

struct LoadCase {
    int index;
    const char* heading;
    int lastRow;
    const char* firstKey;
};

class ClistLoad : public Clist, public ::testing::WithParamInterface<LoadCase> { };

TEST_P(ClistLoad, WritesHeadingsAndRowsAfterAnyOtherList)
{
    const auto& p = GetParam();
    for (int before : {Port, Mac, Mult}) {
        m.SSCommand1_Click(before);
        m.SSPanel1[0].caption = "old";
        m.SSPanel1[1].caption = "old";
        m.SSCommand1_Click(p.index);
        EXPECT_EQ(cell(0, 0), p.heading);
        EXPECT_EQ(cell(0, 1), "Description");
        EXPECT_EQ(cell(1, 0), p.firstKey);
        EXPECT_EQ(lastFilledRow(), p.lastRow) << "after list " << before;
        EXPECT_EQ(m.SSPanel1[0].caption, "");
        EXPECT_EQ(m.SSPanel1[1].caption, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, ClistLoad,
                         ::testing::Values(LoadCase{Mac, "Ethernet Mac Codes", 115, "000002"},
                                           LoadCase{Port, "TCP/UDP Port Number", 237,
                                                    "Port Numbers not shown are unassigned"},
                                           LoadCase{Mult, "Common Multicast Addresses", 30, "224.0.0.0"}));

TEST_F(Clist, PortListRowsLandOnTheirGridRows)
{
    m.SSCommand1_Click(Port);
    EXPECT_EQ(cell(96, 0), "114");
    EXPECT_EQ(cell(96, 1), "Audio News Multicast");
    EXPECT_EQ(cell(200, 0), "512");
    EXPECT_EQ(cell(201, 0), "512");
    EXPECT_NE(cell(200, 1), cell(201, 1));
    EXPECT_EQ(cell(2, 0), "");
    EXPECT_EQ(cell(4, 0), "");
}

struct SearchCase {
    int list;  // -1: nothing loaded
    const char* text;
    const char* key;  // nullptr: no match expected
    const char* description;
};

class ClistSearch : public Clist, public ::testing::WithParamInterface<SearchCase> { };

TEST_P(ClistSearch, FindsFirstWholeCellMatch)
{
    const auto& p = GetParam();
    if (p.list >= 0)
        m.SSCommand1_Click(p.list);
    m.SSPanel1[0].caption = "before";
    m.SSPanel1[1].caption = "before";
    search(p.text);
    if (p.key) {
        EXPECT_TRUE(services.messages.empty());
        EXPECT_EQ(m.SSPanel1[0].caption, p.key);
        EXPECT_EQ(m.SSPanel1[1].caption, p.description);
    } else {
        EXPECT_EQ(services.messages, (std::vector<Message>{{"No match found", MsgIcon::Information, "Sorry"}}));
        EXPECT_EQ(m.SSPanel1[0].caption, "before");
        EXPECT_EQ(m.SSPanel1[1].caption, "before");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClistSearch,
    ::testing::Values(SearchCase{Port, "25", "25", "Simple mail transfer"},
                      SearchCase{Port, "Telnet", nullptr, nullptr}, SearchCase{Port, "telnet", "23", "telnet"},
                      SearchCase{Port, "mail", nullptr, nullptr}, SearchCase{Mac, "AT&T", "00003D", "AT&T"},
                      SearchCase{Port, "512", "512", "/tcp  remote process execution"},
                      SearchCase{Port, "Finger", nullptr, nullptr}, SearchCase{Port, "Finger ", "79", "Finger "},
                      SearchCase{Port, " 25", nullptr, nullptr},
                      SearchCase{Port, "This list is by no means complete!!", "This list is by no means complete!!",
                                 ""},
                      // The empty description of a note row never matches: empty text is refused first, and
                      // the empty rows are skipped.
                      SearchCase{Mult, "Unassigned", "224.0.0.3", "Unassigned"},
                      SearchCase{Mult, "Unassigned ", "224.0.0.11-224.0.0.255", "Unassigned "},
                      SearchCase{Mult, "224.0.1.1", "224.0.1.1", "NTP      Network Time Protocol"},
                      SearchCase{Mult, "224.0.1", nullptr, nullptr}, SearchCase{Mult, "25", nullptr, nullptr},
                      SearchCase{-1, "25", nullptr, nullptr}));

TEST_F(Clist, EmptySearchTextIsRefusedAndFocusReturns)
{
    m.SSCommand1_Click(Port);
    search("25");
    search("");
    EXPECT_EQ(services.messages,
              (std::vector<Message>{{"Please enter a search argument", MsgIcon::Critical, "Search Error"}}));
    EXPECT_EQ(services.focusMoves, (std::vector<std::string>{"Text1"}));
    EXPECT_EQ(m.SSPanel1[0].caption, "25");
}

TEST_F(Clist, RepeatedSearchShowsTheSameRow)
{
    m.SSCommand1_Click(Mac);
    search("AT&T");
    search("AT&T");
    EXPECT_EQ(m.SSPanel1[0].caption, "00003D");
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(Clist, SearchSkipsRowsWithEmptyKey)
{
    // A description in a row without a key is not searched.
    m.MSFlexGrid1.setTextMatrix(5, 1, "orphan");
    search("orphan");
    EXPECT_EQ(services.messages.size(), 1u);
    m.MSFlexGrid1.setTextMatrix(5, 0, "k");
    search("orphan");
    EXPECT_EQ(m.SSPanel1[0].caption, "k");
}

TEST_F(Clist, CellIndexIsRowTimesColumnsPlusColumn)
{
    EXPECT_EQ(m.Fgia(0, 0), 0);
    EXPECT_EQ(m.Fgia(1, 1), 3);
    EXPECT_EQ(m.Fgia(237, 1), 475);
    EXPECT_EQ(m.Fgia(16383, 1), 32767);
    EXPECT_THROW(m.Fgia(16384, 0), std::overflow_error);
    EXPECT_THROW(m.Fgia(-16385, 0), std::overflow_error);
}

TEST_F(Clist, UnknownListIndexChangesNothing)
{
    m.SSCommand1_Click(Mult);
    m.SSCommand1_Click(3);
    m.SSCommand1_Click(-1);
    EXPECT_EQ(lastFilledRow(), 30);
    EXPECT_EQ(cell(0, 0), "Common Multicast Addresses");
}

}  // namespace
}  // namespace mq
