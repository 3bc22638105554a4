#include "vlsm/form10_model.h"

#include "tests/support/fake_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mq {
namespace {

using test::FakeServices;
using test::Message;
using Lines = std::vector<std::string>;

Message msg(const std::string& text)
{
    return {text, MsgIcon::None, "Maskquill"};
}

struct Wizard : ::testing::Test {
    FakeServices sv;
    Form10Model m{sv};

    void address(const std::string& a, const std::string& b, const std::string& c)
    {
        m.Text1[0].text = a;
        m.Text1[1].text = b;
        m.Text1[2].text = c;
    }
    // Runs the wizard from step 1 to the results.
    void runThrough(const std::string& count, const std::vector<std::string>& hosts)
    {
        address("192", "168", "1");
        m.SSCommand1_Click();
        m.Combo1.setText(count);
        m.SSCommand1_Click();
        for (std::size_t i = 0; i < hosts.size(); ++i)
            m.Text2[i].text = hosts[i];
        m.SSCommand1_Click();
    }
    int visibleHostBoxes() const
    {
        int n = 0;
        for (std::size_t i = 0; i < 30; ++i) {
            EXPECT_EQ(m.Text2[i].visible, m.SSPanel2[i].visible) << i;
            n += m.Text2[i].visible;
        }
        return n;
    }
    bool octetsEnabled() const { return m.Text1[0].enabled && m.Text1[1].enabled && m.Text1[2].enabled; }
    bool octetsDisabled() const { return !m.Text1[0].enabled && !m.Text1[1].enabled && !m.Text1[2].enabled; }
};

TEST_F(Wizard, OpensAtStepOneWithTheDesignerContents)
{
    EXPECT_EQ(m.step(), 1);
    EXPECT_EQ(m.Caption, "Class C VLSM Quill");
    EXPECT_EQ(m.SSFrame1.caption, "Please enter details as instructed below");
    EXPECT_EQ(m.Text1[3].text, "0");
    EXPECT_FALSE(m.Text1[3].enabled);
    EXPECT_TRUE(octetsEnabled());
    EXPECT_FALSE(m.Combo1.visible);
    EXPECT_EQ(visibleHostBoxes(), 0);
    EXPECT_EQ(m.SSPanel2[0].caption, "1");
    EXPECT_EQ(m.SSPanel2[29].caption, "30");
    EXPECT_EQ(m.Text2[0].maxLength, 2);
    EXPECT_EQ(m.Text1[0].maxLength, 3);
    EXPECT_EQ(m.SSPanel3.caption.back(), ' ');
    EXPECT_EQ(m.List1.listCount(), 0);
}

struct AddressCase {
    const char* a;
    const char* b;
    const char* c;
    const char* message;  // "" when none
    const char* focus;  // "" when none
    int step;
};

class AddressCheck : public Wizard, public ::testing::WithParamInterface<AddressCase> { };

TEST_P(AddressCheck, ChecksTheBoxesInOrder)
{
    const auto& c = GetParam();
    address(c.a, c.b, c.c);
    m.SSCommand1_Click();
    EXPECT_EQ(m.step(), c.step);
    if (std::string(c.message).empty())
        EXPECT_TRUE(sv.messages.empty());
    else
        EXPECT_EQ(sv.messages, std::vector<Message>{msg(c.message)});
    if (std::string(c.focus).empty())
        EXPECT_TRUE(sv.focusMoves.empty());
    else
        EXPECT_EQ(sv.focusMoves, std::vector<std::string>{c.focus});
    EXPECT_EQ(octetsDisabled(), c.step == 2);
    EXPECT_EQ(octetsEnabled(), c.step == 1);
}

const char* kClassC = "Please enter a class C address";
const char* kRange = "Entered number must be between 0 and 255";

INSTANTIATE_TEST_SUITE_P(
    Boxes, AddressCheck,
    ::testing::Values(
        AddressCase{"", "168", "1", "", "", 1}, AddressCase{"192", "", "1", "", "", 1},
        AddressCase{"192", "168", "", "", "", 1},
        // Empty boxes are ignored even when another box is out of range.
        AddressCase{"10", "168", "", "", "", 1}, AddressCase{"191", "1", "1", kClassC, "Text1(0)", 1},
        AddressCase{"224", "1", "1", kClassC, "Text1(0)", 1}, AddressCase{"192", "0", "0", "", "", 2},
        AddressCase{"223", "255", "255", "", "", 2}, AddressCase{"192", "256", "1", kRange, "Text1(1)", 1},
        AddressCase{"192", "1", "256", kRange, "Text1(2)", 1}, AddressCase{"191", "256", "999", kClassC, "Text1(0)", 1},
        AddressCase{"192", "999", "999", kRange, "Text1(1)", 1}, AddressCase{"192", "001", "010", "", "", 2},
        // Pasted texts that are not whole numbers fail their box's rule.
        AddressCase{"19a", "1", "1", kClassC, "Text1(0)", 1}, AddressCase{"192", "1.5", "1", kRange, "Text1(1)", 1},
        AddressCase{"192", "1", "-1", kRange, "Text1(2)", 1}, AddressCase{"192", " 1", "1", kRange, "Text1(1)", 1},
        AddressCase{"192", "1", "abc", kRange, "Text1(2)", 1}));

struct KeyCase {
    const char* textAfter;  // the box's text when the key is released
    int keyCode;
    int shift;
    bool rejected;  // message and box emptied
    bool tab;  // focus moves on
};

class KeyFilter : public Wizard, public ::testing::WithParamInterface<KeyCase> { };

TEST_P(KeyFilter, JudgesEachReleasedKey)
{
    const auto& c = GetParam();
    m.Text1[1].text = c.textAfter;
    m.text1_KeyUp(1, c.keyCode, c.shift);
    if (c.rejected) {
        EXPECT_EQ(sv.messages, std::vector<Message>{msg("Invalid Input - Numerics Only")});
        EXPECT_EQ(m.Text1[1].text, "");
    } else {
        EXPECT_TRUE(sv.messages.empty());
        EXPECT_EQ(m.Text1[1].text, c.textAfter);
    }
    EXPECT_EQ(sv.focusMoves, c.tab ? std::vector<std::string>{"{TAB}"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyFilter,
                         ::testing::Values(KeyCase{"a", 65, 0, true, false},  // letter
                                           KeyCase{"1a", 65, 0, true, false},  // letter after a digit
                                           KeyCase{"1.", 190, 0, true, false},  // the point
                                           KeyCase{"1 ", 32, 0, true, false},  // space
                                           KeyCase{"", 65, 0, false, false},  // box empty afterwards
                                           KeyCase{"1", 49, 0, false, false},  // one digit
                                           KeyCase{"19", 57, 0, false, false},  // two digits
                                           KeyCase{"192", 50, 0, false, true},  // third digit moves on
                                           KeyCase{"192", 98, 0, false, true},  // keypad digit too
                                           KeyCase{"12!", 49, 1, true, false},  // Shift+1 types a symbol
                                           KeyCase{"192", 50, 2, false, false},  // Ctrl held: no move
                                           KeyCase{"19", 8, 0, false, false},  // backspace
                                           KeyCase{"192", 13, 0, false, false},  // Enter
                                           KeyCase{"192", 37, 0, false, false},  // Left
                                           KeyCase{"192", 39, 0, false, false},  // Right
                                           KeyCase{"192", 16, 0, false, false},  // Shift released
                                           KeyCase{"192", 16, 1, false, false},  // Shift released, still reported held
                                           KeyCase{"192", 9, 1, false, false},  // Shift+Tab back into a full box
                                           KeyCase{"192", 36, 1, false, false},  // Shift+Home selects
                                           KeyCase{"192", 9, 0, false, false},  // Tab into a full box stays there
                                           KeyCase{"192", 35, 0, false, false},  // End inside a full box
                                           KeyCase{"12", 46, 0, false, false},  // Delete
                                           KeyCase{"192", 67, 2, false, false},  // Ctrl+C copies
                                           KeyCase{"1x", 86, 2, false, false},  // Ctrl+V: judged at Continue
                                           KeyCase{"1", 112, 0, false, false}));  // F1

TEST_F(Wizard, KeyFilterIgnoresTheFixedLastOctetAndBadIndexes)
{
    m.text1_KeyUp(3, 65, 0);
    m.text1_KeyUp(-1, 65, 0);
    m.text1_KeyUp(7, 65, 0);
    EXPECT_TRUE(sv.messages.empty());
    EXPECT_EQ(m.Text1[3].text, "0");
}

TEST_F(Wizard, StartingARunOffersTheSegmentCounts)
{
    m.List1.addItem("old result");
    m.Text2[4].text = "17";
    address("192", "168", "1");
    m.SSCommand1_Click();
    EXPECT_EQ(m.step(), 2);
    EXPECT_EQ(m.SSPanel1.caption, "How many segments do you have?");
    EXPECT_TRUE(m.Combo1.visible);
    ASSERT_EQ(m.Combo1.list.size(), 30u);
    EXPECT_EQ(m.Combo1.list.front(), "1");
    EXPECT_EQ(m.Combo1.list.back(), "30");
    EXPECT_EQ(m.Combo1.text, "");
    EXPECT_EQ(m.List1.listCount(), 0);
    EXPECT_EQ(m.Text2[4].text, "");
}

struct CountCase {
    const char* text;
    const char* message;  // "" when accepted
    const char* comboAfter;
    int boxes;
    const char* line;
};

class SegmentCount : public Wizard, public ::testing::WithParamInterface<CountCase> { };

TEST_P(SegmentCount, AcceptsOneToThirty)
{
    const auto& c = GetParam();
    address("192", "168", "1");
    m.SSCommand1_Click();
    m.Combo1.setText(c.text);
    m.SSCommand1_Click();
    if (std::string(c.message).empty()) {
        EXPECT_TRUE(sv.messages.empty());
        EXPECT_EQ(m.step(), 3);
        EXPECT_EQ(m.List1.items, (Lines{"", c.line, ""}));
        EXPECT_EQ(m.SSPanel1.caption, "Enter the number of hosts for each segment");
        EXPECT_FALSE(m.Combo1.visible);
        EXPECT_TRUE(m.Combo1.list.empty());
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(m.Text2[static_cast<std::size_t>(i)].visible, i < c.boxes) << i;
        EXPECT_EQ(visibleHostBoxes(), c.boxes);
        EXPECT_EQ(m.segmentCount(), c.boxes);
    } else {
        EXPECT_EQ(sv.messages, std::vector<Message>{msg(c.message)});
        EXPECT_EQ(m.step(), 2);
        EXPECT_EQ(m.Combo1.text, c.comboAfter);
        EXPECT_TRUE(m.Combo1.visible);
        EXPECT_EQ(m.List1.listCount(), 0);
        EXPECT_EQ(visibleHostBoxes(), 0);
    }
}

const char* kCountRange = "Number of subnets mudt be 1 to 30 - Try again";

INSTANTIATE_TEST_SUITE_P(
    Texts, SegmentCount,
    ::testing::Values(CountCase{"", "Please choose a value", "", 0, ""}, CountCase{"0", kCountRange, "", 0, ""},
                      CountCase{"31", kCountRange, "", 0, ""}, CountCase{"abc", kCountRange, "", 0, ""},
                      CountCase{"-3", kCountRange, "", 0, ""}, CountCase{"0.5", kCountRange, "", 0, ""},
                      CountCase{"30.5", kCountRange, "", 0, ""},
                      CountCase{"3", "", "", 3, "Number of segments chosen is 3"},
                      CountCase{"1", "", "", 1, "Number of segments chosen is 1"},
                      CountCase{"30", "", "", 30, "Number of segments chosen is 30"},
                      CountCase{"2.5", "", "", 2, "Number of segments chosen is 2.5"},
                      CountCase{"4x", "", "", 4, "Number of segments chosen is 4"}));

TEST_F(Wizard, WholeRunWithTheFourSegmentExample)
{
    runThrough("4", {"20", "50", "2", "10"});
    EXPECT_TRUE(sv.messages.empty());
    const Lines expected = {"",
                            "Number of segments chosen is 4",
                            "",
                            "Segment 1 has 20 hosts",
                            "Segment 2 has 50 hosts",
                            "Segment 3 has 2 hosts",
                            "Segment 4 has 10 hosts",
                            "",
                            "Subnet 2 lower address is 192.168.1.129",
                            "Subnet 2 upper address is 192.168.1.190",
                            "Subnet mask for segment 2 is 255.255.255.192",
                            "",
                            "Subnet 1 lower address is 192.168.1.97",
                            "Subnet 1 upper address is 192.168.1.126",
                            "Subnet mask for segment 1 is 255.255.255.224",
                            "",
                            "Subnet 4 lower address is 192.168.1.81",
                            "Subnet 4 upper address is 192.168.1.94",
                            "Subnet mask for segment 4 is 255.255.255.240",
                            "",
                            "Subnet 3 lower address is 192.168.1.77",
                            "Subnet 3 upper address is 192.168.1.78",
                            "Subnet mask for segment 3 is 255.255.255.252",
                            ""};
    EXPECT_EQ(m.List1.items, expected);
    EXPECT_EQ(m.step(), 0);
    EXPECT_EQ(m.SSPanel1.caption, "Click the Continue button below to use the wizard again");
    EXPECT_EQ(visibleHostBoxes(), 0);
    EXPECT_FALSE(m.Combo1.visible);
    EXPECT_TRUE(octetsDisabled());
}

TEST_F(Wizard, StepCycleWithItsPrompts)
{
    runThrough("1", {"60"});
    ASSERT_EQ(m.step(), 0);
    const Lines results = m.List1.items;

    m.SSCommand1_Click();  // s0
    EXPECT_EQ(m.step(), 1);
    EXPECT_EQ(m.SSPanel1.caption, "Enter your Class C address then click the Continue button to continue");
    EXPECT_TRUE(octetsEnabled());
    EXPECT_EQ(m.Text1[0].text, "192");
    EXPECT_EQ(m.Text1[2].text, "1");
    EXPECT_EQ(m.List1.items, results);

    m.Text1[2].text = "7";
    m.SSCommand1_Click();  // s1 again: a fresh run
    EXPECT_EQ(m.step(), 2);
    EXPECT_EQ(m.List1.listCount(), 0);
    EXPECT_TRUE(octetsDisabled());
    m.Combo1.setText("1");
    m.SSCommand1_Click();
    m.Text2[0].text = "60";
    m.SSCommand1_Click();
    // The address map starts empty again: the middle block is free.
    EXPECT_EQ(m.List1.items[5], "Subnet 1 lower address is 192.168.7.129");
    EXPECT_EQ(m.addressMap().takenCount(), 64);
}

TEST_F(Wizard, ThreeSegmentsOfSixtyStillFinishTheRun)
{
    runThrough("3", {"60", "60", "60"});
    EXPECT_EQ(m.step(), 0);
    EXPECT_EQ(m.List1.items[m.List1.items.size() - 2], "Cannot assign a subnet mask to subnet 3");
    EXPECT_TRUE(sv.messages.empty());
}

struct HostCase {
    std::vector<std::string> hosts;  // boxes 1..4
    std::string message;
    int emptied;  // box index emptied, -1 none
};

class HostBoxes : public Wizard, public ::testing::WithParamInterface<HostCase> { };

TEST_P(HostBoxes, RejectedHostCountKeepsStepThree)
{
    const auto& c = GetParam();
    runThrough("4", c.hosts);
    EXPECT_EQ(sv.messages, std::vector<Message>{msg(c.message)});
    EXPECT_EQ(m.step(), 3);
    EXPECT_EQ(m.List1.items, (Lines{"", "Number of segments chosen is 4", ""}));
    EXPECT_EQ(visibleHostBoxes(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m.Text2[static_cast<std::size_t>(i)].text,
                  i == c.emptied ? "" : c.hosts[static_cast<std::size_t>(i)]);
}

std::string tooMany(const std::string& v)
{
    return "Class C segment cant handle " + v + "\r\nhosts in a subnet\r\nPlease enter a number between 1 and 62";
}

INSTANTIATE_TEST_SUITE_P(Texts, HostBoxes,
                         ::testing::Values(HostCase{{"10", "", "5", "70"}, "Please enter data in all fields", -1},
                                           HostCase{{"10", "99", "5", "3"}, tooMany("99"), 1},
                                           HostCase{{"ab", "1", "5", "3"}, tooMany("0"), 0},
                                           HostCase{{"1", "1", "5", "-5"}, tooMany("-5"), 3},
                                           HostCase{{"1", "1", ".5", "3"}, tooMany(".5"), 2}));

TEST_F(Wizard, CorrectedHostCountCompletesTheRun)
{
    runThrough("2", {"10", "70"});
    ASSERT_EQ(m.step(), 3);
    m.Text2[1].text = "5x";
    m.SSCommand1_Click();
    EXPECT_EQ(m.step(), 0);
    EXPECT_EQ(m.List1.items[4], "Segment 2 has 5x hosts");
}

TEST_F(Wizard, HiddenHostBoxesBeyondTheCountAreIgnored)
{
    address("192", "168", "1");
    m.SSCommand1_Click();
    m.Combo1.setText("1");
    m.SSCommand1_Click();
    m.Text2[0].text = "5";
    m.Text2[1].text = "99";
    m.SSCommand1_Click();
    EXPECT_TRUE(sv.messages.empty());
    EXPECT_EQ(m.step(), 0);
}

TEST_F(Wizard, ClearInputReturnsToStepOneFromEveryStep)
{
    for (int stopAt : {1, 2, 3, 0}) {
        Form10Model w{sv};
        w.Text1[0].text = "192";
        w.Text1[1].text = "168";
        w.Text1[2].text = "1";
        if (stopAt != 1) {
            w.SSCommand1_Click();
            if (stopAt != 2) {
                w.Combo1.setText("2");
                w.SSCommand1_Click();
                w.Text2[0].text = "5";
                w.Text2[1].text = "9";
                if (stopAt == 0)
                    w.SSCommand1_Click();
            }
        }
        ASSERT_EQ(w.step(), stopAt);
        w.SSCommand3_Click();
        EXPECT_EQ(w.step(), 1) << stopAt;
        EXPECT_EQ(w.SSPanel1.caption,
                  "Enter your class C address and click the Continue button below to use the wizard again");
        EXPECT_FALSE(w.Combo1.visible);
        for (std::size_t i = 0; i < 30; ++i)
            EXPECT_FALSE(w.Text2[i].visible || w.SSPanel2[i].visible) << stopAt << ' ' << i;
        EXPECT_TRUE(w.Text1[0].enabled && w.Text1[1].enabled && w.Text1[2].enabled);
        EXPECT_EQ(w.List1.listCount(), 0);
        // Texts stay until the next run starts.
        EXPECT_EQ(w.Text1[1].text, "168");
        if (stopAt == 3 || stopAt == 0) {
            EXPECT_EQ(w.Text2[1].text, "9");
        }
    }
}

TEST_F(Wizard, DoneHidesAndKeepsEverything)
{
    int hides = 0;
    m.hideWindow = [&] { ++hides; };
    runThrough("4", {"20", "50", "2", "10"});
    const Lines results = m.List1.items;
    m.SSCommand2_Click();
    EXPECT_EQ(hides, 1);
    EXPECT_EQ(m.step(), 0);
    EXPECT_EQ(m.List1.items, results);
    // Done in the middle of step 3 keeps the boxes too.
    Form10Model w{sv};
    w.hideWindow = [&] { ++hides; };
    w.Text1[0].text = "200";
    w.Text1[1].text = "1";
    w.Text1[2].text = "2";
    w.SSCommand1_Click();
    w.Combo1.setText("2");
    w.SSCommand1_Click();
    w.Text2[0].text = "7";
    w.SSCommand2_Click();
    EXPECT_EQ(hides, 2);
    EXPECT_EQ(w.step(), 3);
    EXPECT_EQ(w.Text2[0].text, "7");
    EXPECT_TRUE(w.Text2[1].visible);
}

TEST_F(Wizard, ClosingStartsAfreshNextTime)
{
    runThrough("4", {"20", "50", "2", "10"});
    m.Form_Unload();
    m.Form_Load();
    EXPECT_EQ(m.step(), 1);
    EXPECT_EQ(m.List1.listCount(), 0);
    EXPECT_EQ(m.Text1[0].text, "");
    EXPECT_TRUE(octetsEnabled());
    EXPECT_EQ(m.SSPanel1.caption, Form10Model::kFirstPrompt);
    EXPECT_EQ(m.addressMap().takenCount(), 0);
}

}  // namespace
}  // namespace mq
