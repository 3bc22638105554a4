// Network, subnet and host address, range, broadcast, wasted count and status.
#include "tests/core/calculator_fixture.h"

#include <gtest/gtest.h>

namespace mq::test {
namespace {

const char* const kValid = "Host address is a valid address";
const char* const kNetwork = "WARNING - This is a network address";
const char* const kSubnetZero = "WARNING - Host address is in subnet zero";
const char* const kBroadcastSubnet = "WARNING - Host address is in broadcast subnet";
const char* const kAllZeros = "WARNING - Host address is all zeros";
const char* const kSubnetBroadcast = "WARNING - Host address is subnet broadcast address";

struct ResultCase {
    std::array<const char*, 4> octets;
    const char* mask;
    bool subnetZero;
    const char* network;
    const char* subnet;
    const char* host;
    const char* start;
    const char* end;
    const char* broadcast;
    const char* wasted;
    const char* status;
    const char* code;
};

void PrintTo(const ResultCase& c, std::ostream* os)
{
    *os << c.octets[0] << '.' << c.octets[1] << '.' << c.octets[2] << '.' << c.octets[3] << ' ' << c.mask
        << (c.subnetZero ? " zero" : "");
}

class Results : public ::testing::TestWithParam<ResultCase> { };

TEST_P(Results, PanelsAndStatus)
{
    const auto& p = GetParam();
    Calculator c;
    c.enableSubnetZero(p.subnetZero);
    c.typeAddress({p.octets[0], p.octets[1], p.octets[2], p.octets[3]});
    c.chooseMask(p.mask);
    const auto& r = c.m.SSPanel6;
    EXPECT_EQ(r[3].caption, p.network);
    EXPECT_EQ(r[4].caption, p.subnet);
    EXPECT_EQ(r[5].caption, p.host);
    EXPECT_EQ(r[0].caption, p.start);
    EXPECT_EQ(r[1].caption, p.end);
    EXPECT_EQ(r[2].caption, p.broadcast);
    EXPECT_EQ(r[6].caption, p.wasted);
    EXPECT_EQ(c.m.SSPanel1.caption, p.status);
    EXPECT_EQ(c.m.SSPanel1.foreColor, std::string(p.status) == kValid ? colour::Green : colour::Red);
    EXPECT_EQ(c.st.addressStatus, p.code);
    EXPECT_TRUE(c.sv.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Results,
    ::testing::Values(ResultCase{{"192", "168", "1", "77"},
                                 "255.255.255.224",
                                 false,
                                 "192.168.1.0",
                                 "192.168.1.64",
                                 "192.168.1.77",
                                 "192.168.1.65",
                                 "192.168.1.94",
                                 "192.168.1.95",
                                 "74",
                                 kValid,
                                 "hok"},
                      ResultCase{{"192", "168", "1", "0"},
                                 "255.255.255.224",
                                 true,
                                 "192.168.1.0",
                                 "192.168.1.0",
                                 "192.168.1.0",
                                 "192.168.1.1",
                                 "192.168.1.30",
                                 "192.168.1.31",
                                 "74",
                                 kNetwork,
                                 "n"},
                      ResultCase{{"192", "168", "1", "5"},
                                 "255.255.255.224",
                                 false,
                                 "192.168.1.0",
                                 "192.168.1.0",
                                 "192.168.1.5",
                                 "192.168.1.1",
                                 "192.168.1.30",
                                 "192.168.1.31",
                                 "74",
                                 kSubnetZero,
                                 "sz"},
                      ResultCase{{"192", "168", "1", "5"},
                                 "255.255.255.224",
                                 true,
                                 "192.168.1.0",
                                 "192.168.1.0",
                                 "192.168.1.5",
                                 "192.168.1.1",
                                 "192.168.1.30",
                                 "192.168.1.31",
                                 "74",
                                 kValid,
                                 "sz"},
                      ResultCase{{"192", "168", "1", "31"},
                                 "255.255.255.224",
                                 true,
                                 "192.168.1.0",
                                 "192.168.1.0",
                                 "192.168.1.31",
                                 "192.168.1.1",
                                 "192.168.1.30",
                                 "192.168.1.31",
                                 "74",
                                 kValid,
                                 "sz"},
                      ResultCase{{"192", "168", "1", "230"},
                                 "255.255.255.224",
                                 false,
                                 "192.168.1.0",
                                 "192.168.1.224",
                                 "192.168.1.230",
                                 "192.168.1.225",
                                 "192.168.1.254",
                                 "192.168.1.255",
                                 "74",
                                 kBroadcastSubnet,
                                 "sb"},
                      ResultCase{{"192", "168", "1", "64"},
                                 "255.255.255.224",
                                 false,
                                 "192.168.1.0",
                                 "192.168.1.64",
                                 "192.168.1.64",
                                 "192.168.1.65",
                                 "192.168.1.94",
                                 "192.168.1.95",
                                 "74",
                                 kAllZeros,
                                 "hz"},
                      ResultCase{{"192", "168", "1", "95"},
                                 "255.255.255.224",
                                 false,
                                 "192.168.1.0",
                                 "192.168.1.64",
                                 "192.168.1.95",
                                 "192.168.1.65",
                                 "192.168.1.94",
                                 "192.168.1.95",
                                 "74",
                                 kSubnetBroadcast,
                                 "hb"},
                      ResultCase{{"172", "16", "37", "200"},
                                 "255.255.240.0",
                                 false,
                                 "172.16.0.0",
                                 "172.16.32.0",
                                 "172.16.37.200",
                                 "172.16.32.1",
                                 "172.16.47.254",
                                 "172.16.47.255",
                                 "8218",
                                 kValid,
                                 "hok"},
                      ResultCase{{"172", "16", "37", "200"},
                                 "255.255.255.192",
                                 false,
                                 "172.16.0.0",
                                 "172.16.37.192",
                                 "172.16.37.200",
                                 "172.16.37.193",
                                 "172.16.37.254",
                                 "172.16.37.255",
                                 "2170",
                                 kValid,
                                 "hok"},
                      ResultCase{{"10", "200", "3", "4"},
                                 "255.224.0.0",
                                 false,
                                 "10.0.0.0",
                                 "10.192.0.0",
                                 "10.200.3.4",
                                 "10.192.0.1",
                                 "10.223.255.254",
                                 "10.223.255.255",
                                 "4194314",
                                 kValid,
                                 "hok"},
                      ResultCase{{"10", "1", "77", "9"},
                                 "255.255.240.0",
                                 false,
                                 "10.0.0.0",
                                 "10.1.64.0",
                                 "10.1.77.9",
                                 "10.1.64.1",
                                 "10.1.79.254",
                                 "10.1.79.255",
                                 "16378",
                                 kValid,
                                 "hok"},
                      ResultCase{{"10", "1", "1", "5"},
                                 "255.255.255.240",
                                 false,
                                 "10.0.0.0",
                                 "10.1.1.0",
                                 "10.1.1.5",
                                 "10.1.1.1",
                                 "10.1.1.14",
                                 "10.1.1.15",
                                 "2097178",
                                 kValid,
                                 "hok"},
                      ResultCase{{"10", "0", "0", "0"},
                                 "255.0.0.0",
                                 false,
                                 "10.0.0.0",
                                 "10.0.0.0",
                                 "10.0.0.0",
                                 "10.0.0.1",
                                 "10.255.255.254",
                                 "10.255.255.255",
                                 "0",
                                 kValid,
                                 "hok"},
                      ResultCase{{"172", "16", "0", "0"},
                                 "255.255.0.0",
                                 false,
                                 "172.16.0.0",
                                 "172.16.0.0",
                                 "172.16.0.0",
                                 "172.16.0.1",
                                 "172.16.255.254",
                                 "172.16.255.255",
                                 "0",
                                 kValid,
                                 "hok"},
                      ResultCase{{"192", "168", "7", "9"},
                                 "255.255.255.0",
                                 false,
                                 "192.168.7.0",
                                 "192.168.7.0",
                                 "192.168.7.9",
                                 "192.168.7.1",
                                 "192.168.7.254",
                                 "192.168.7.255",
                                 "0",
                                 kValid,
                                 "hok"},
                      // Typed octets with leading zeros: kept where the address is taken as typed.
                      ResultCase{{"192", "168", "010", "77"},
                                 "255.255.255.224",
                                 false,
                                 "192.168.010.0",
                                 "192.168.10.64",
                                 "192.168.010.77",
                                 "192.168.10.65",
                                 "192.168.10.94",
                                 "192.168.10.95",
                                 "74",
                                 kValid,
                                 "hok"},
                      ResultCase{{"192", "168", "010", "77"},
                                 "255.255.255.0",
                                 false,
                                 "192.168.010.0",
                                 "192.168.010.0",
                                 "192.168.010.77",
                                 "192.168.010.1",
                                 "192.168.010.254",
                                 "192.168.010.255",
                                 "0",
                                 kValid,
                                 "hok"},
                      ResultCase{{"010", "1", "2", "3"},
                                 "255.0.0.0",
                                 false,
                                 "010.0.0.0",
                                 "10.0.0.0",
                                 "010.1.2.3",
                                 "010.0.0.1",
                                 "010.255.255.254",
                                 "010.255.255.255",
                                 "0",
                                 kValid,
                                 "hok"},
                      ResultCase{{"010", "01", "2", "3"},
                                 "255.255.0.0",
                                 false,
                                 "010.0.0.0",
                                 "10.1.0.0",
                                 "010.01.2.3",
                                 "10.1.0.1",
                                 "10.1.255.254",
                                 "10.1.255.255",
                                 "131578",
                                 kValid,
                                 "hok"},
                      ResultCase{{"172", "016", "5", "9"},
                                 "255.255.0.0",
                                 false,
                                 "172.016.0.0",
                                 "172.016.0.0",
                                 "172.016.5.9",
                                 "172.016.0.1",
                                 "172.016.255.254",
                                 "172.016.255.255",
                                 "0",
                                 kValid,
                                 "hok"},
                      // One subnet bit (subnet zero on): the single subnet is also the all-ones one.
                      ResultCase{{"192", "168", "1", "200"},
                                 "255.255.255.128",
                                 true,
                                 "192.168.1.0",
                                 "192.168.1.128",
                                 "192.168.1.200",
                                 "192.168.1.129",
                                 "192.168.1.254",
                                 "192.168.1.255",
                                 "128",
                                 kBroadcastSubnet,
                                 "sb"},
                      // The network test looks at the class's host part, not at the mask.
                      ResultCase{{"10", "0", "0", "0"},
                                 "255.255.255.252",
                                 false,
                                 "10.0.0.0",
                                 "10.0.0.0",
                                 "10.0.0.0",
                                 "10.0.0.1",
                                 "10.0.0.2",
                                 "10.0.0.3",
                                 "8388610",
                                 kNetwork,
                                 "n"},
                      ResultCase{{"172", "16", "0", "1"},
                                 "255.255.255.252",
                                 false,
                                 "172.16.0.0",
                                 "172.16.0.0",
                                 "172.16.0.1",
                                 "172.16.0.1",
                                 "172.16.0.2",
                                 "172.16.0.3",
                                 "32770",
                                 kSubnetZero,
                                 "sz"}));

// ---------------------------------------------------------------- input the window never gives

TEST(SubnetCalculation, OtherClassesGiveNoSubnetResults)
{
    for (const char* letter : {"D", "E", "F", ""}) {
        Calculator c;
        c.setAddress({"192", "168", "1", "77"});
        c.chooseMask("255.255.255.224");
        const std::string network = c.m.SSPanel6[3].caption;
        c.st.classLetter = letter;
        c.m.combo1change();
        EXPECT_EQ(c.st.addressStatus, "") << letter;
        EXPECT_EQ(c.m.SSPanel6[3].caption, network) << letter;
        EXPECT_EQ(c.m.SSPanel6[4].caption, "") << letter;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.m.SSPanel6[i].caption, "") << letter;
        EXPECT_EQ(c.m.SSPanel1.foreColor, colour::Red) << letter;
        EXPECT_TRUE(c.m.RichTextBox1.runs.empty()) << letter;
        // The listing procedures leave their texts as they were.
        c.st.rangeFirst = "kept";
        c.m.selsub1();
        c.m.selsub2();
        c.m.selsub3();
        EXPECT_EQ(c.st.rangeFirst, "kept") << letter;
        c.m.SSCommand1_Click();
        EXPECT_TRUE(c.sv.messages.empty()) << letter;
    }
}

TEST(SubnetCalculation, EmptyOrNonNumericOctetsDoNotCrash)
{
    // Texts a paste could leave behind; each counts as its leading number.
    for (const char* text : {"", "ab", "1x", "-3", "2.5", "+"}) {
        Calculator c;
        c.setAddress({"192", "168", "1", "77"});
        c.chooseMask("255.255.255.224");
        c.m.Text3[3].text = text;
        c.m.Text3[2].text = text;
        c.m.combo1change();
        c.m.SSCommand1_Click();
        c.m.SSCommand6_Click();
        c.m.SSCommand4_Click();
        EXPECT_EQ(c.m.Text1.text, "C") << text;
        for (const auto& p : c.m.SSPanel6)
            EXPECT_EQ(p.caption.find(' '), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace mq::test
