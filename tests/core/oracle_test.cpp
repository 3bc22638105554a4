// Cross-check of the whole calculation against plain 32-bit arithmetic: every
// class, every mask the lists offer, both subnet-zero settings, random
// addresses and the edges of random subnets.
#include "core/range_listing.h"
#include "tests/core/calculator_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>

namespace mq::test {
namespace {

using u32 = std::uint32_t;

std::string dotted(u32 a)
{
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." + std::to_string((a >> 8) & 255) +
           "." + std::to_string(a & 255);
}

u32 prefixMask(int bits)
{
    return bits == 0 ? 0 : ~u32{0} << (32 - bits);
}

// Everything the calculator should show for one address and mask.
struct Expected {
    std::string network, subnet, host, start, end, broadcast, wasted, code, status, number;
    Colour statusColour;
};

struct Oracle {
    int c;  // class network bits
    int b;  // subnet bits
    bool subnetZero;

    int h() const { return 32 - c - b; }
    u32 mask() const { return prefixMask(c + b); }
    u32 classNet(u32 a) const { return a & prefixMask(c); }

    Expected of(u32 a) const
    {
        Expected e;
        const u32 sub = a & mask();
        const u32 bcast = sub | ~mask();
        e.network = dotted(classNet(a));
        e.subnet = dotted(sub);
        e.host = dotted(a);
        e.start = dotted(sub + 1);
        e.end = dotted(bcast - 1);
        e.broadcast = dotted(bcast);

        const long long classTotal = (1LL << (32 - c)) - 2;
        const long long subnets = b == 0 ? 0 : b == 1 ? 1 : (1LL << b) - 2;
        const long long hosts = (1LL << h()) - 2;
        e.wasted = std::to_string(subnets == 0 ? 0 : classTotal - subnets * hosts);

        const u32 subnetField = b == 0 ? 0 : (a >> h()) & ((u32{1} << b) - 1);
        const u32 hostField = a & ((u32{1} << h()) - 1);
        const u32 hostOnes = (u32{1} << h()) - 1;
        if (b == 0)
            e.code = "hok";
        else if ((a & ~prefixMask(c)) == 0)
            e.code = "n";
        else if (subnetField == 0)
            e.code = "sz";
        else if (subnetField == (u32{1} << b) - 1)
            e.code = "sb";
        else if (hostField == 0)
            e.code = "hz";
        else if (hostField == hostOnes)
            e.code = "hb";
        else
            e.code = "hok";

        e.statusColour = colour::Red;
        if (e.code == "n")
            e.status = "WARNING - This is a network address";
        else if (e.code == "sz" && !subnetZero)
            e.status = "WARNING - Host address is in subnet zero";
        else if (e.code == "sb")
            e.status = "WARNING - Host address is in broadcast subnet";
        else if (e.code == "hz")
            e.status = "WARNING - Host address is all zeros";
        else if (e.code == "hb")
            e.status = "WARNING - Host address is subnet broadcast address";
        else {
            e.status = "Host address is a valid address";
            e.statusColour = colour::Green;
        }
        e.number = b == 0 ? "1" : std::to_string(subnetField);
        return e;
    }

    // Subnet n of the typed address's class network.
    u32 subnetAddress(u32 a, u32 n) const { return classNet(a) | (n << h()); }
};

// The binary display of an address: 8 digits an octet, two blanks between.
std::string binaryDisplay(u32 a)
{
    std::string s;
    for (int i = 0; i < 32; ++i) {
        if (i && i % 8 == 0)
            s += "  ";
        s += (a >> (31 - i)) & 1 ? '1' : '0';
    }
    return s;
}

// Colour of each bit's digit: network, subnet, host.
bool digitsColouredByField(const RichTextBox& box, int c, int b)
{
    const auto colours = charColours(box);
    if (colours.size() != 38)
        return false;
    for (int i = 0; i < 32; ++i) {
        const Colour want = i < c ? colour::Red : i < c + b ? colour::Blue : colour::Olive;
        if (colours[static_cast<std::size_t>(i + 2 * (i / 8))] != want)
            return false;
    }
    return true;
}

// Collects mismatches and reports the first few with their context.
struct Mismatches {
    int count = 0;
    void check(bool ok, const std::string& what)
    {
        if (ok)
            return;
        if (++count <= 25)
            ADD_FAILURE() << what;
    }
    template <class A, class B> void eq(const A& got, const B& want, const std::string& context)
    {
        if (got == want)
            return;
        std::ostringstream os;
        os << context << ": got \"" << got << "\", want \"" << want << "\"";
        check(false, os.str());
    }
};

struct ClassRange {
    const char* letter;
    int c;
    u32 firstOctetLow, firstOctetHigh;
};

const ClassRange kClasses[] = {{"A", 8, 0, 127}, {"B", 16, 128, 191}, {"C", 24, 192, 223}};

std::array<std::string, 4> octetTexts(u32 a)
{
    return {std::to_string(a >> 24), std::to_string((a >> 16) & 255), std::to_string((a >> 8) & 255),
            std::to_string(a & 255)};
}

class OracleCrossCheck : public ::testing::TestWithParam<std::tuple<int, bool>> { };

TEST_P(OracleCrossCheck, EveryMaskManyAddresses)
{
    const ClassRange& cls = kClasses[std::get<0>(GetParam())];
    const bool zero = std::get<1>(GetParam());
    std::mt19937 rng(20261208u + static_cast<u32>(cls.c) + (zero ? 1u : 0u));
    auto randomAddress = [&] {
        std::uniform_int_distribution<u32> first(cls.firstOctetLow, cls.firstOctetHigh);
        std::uniform_int_distribution<u32> rest(0, 0xFFFFFF);
        return first(rng) << 24 | rest(rng);
    };

    Calculator calc;
    calc.enableSubnetZero(zero);
    calc.setAddress({std::to_string(cls.firstOctetLow == 0 ? 1 : cls.firstOctetLow), "0", "0", "1"});
    const auto bitsList = calc.m.Combo1[0].list;
    ASSERT_EQ(bitsList.size(), static_cast<std::size_t>(32 - cls.c - 2 + (zero ? 1 : 0)));

    Mismatches bad;
    int addressesChecked = 0;
    for (std::size_t row = 0; row < bitsList.size() && bad.count <= 25; ++row) {
        const int b = std::stoi(bitsList[row]);
        const Oracle o{cls.c, b, zero};

        // Random addresses, then the subnet, first, last and broadcast address of random subnets.
        std::vector<u32> addresses;
        for (int i = 0; i < 200; ++i)
            addresses.push_back(randomAddress());
        for (int i = 0; i < 12; ++i) {
            const u32 sub = randomAddress() & o.mask();
            const u32 bcast = sub | ~o.mask();
            for (u32 a : {sub, sub + 1, bcast - 1, bcast})
                addresses.push_back(a);
        }
        // The class network itself and its last address.
        addresses.push_back(randomAddress() & prefixMask(cls.c));
        addresses.push_back(randomAddress() | ~prefixMask(cls.c));

        for (std::size_t i = 0; i < addresses.size() && bad.count <= 25; ++i) {
            const u32 a = addresses[i];
            const std::string ctx =
                std::string(cls.letter) + (zero ? " zero " : " ") + dotted(a) + " /" + std::to_string(cls.c + b);
            if (i % 16 == 0)
                calc.typeAddress(octetTexts(a));
            else
                calc.setAddress(octetTexts(a));
            calc.chooseRow(static_cast<int>(i % 4), static_cast<int>(row));
            ++addressesChecked;

            const Expected e = o.of(a);
            const auto& p = calc.m.SSPanel6;
            bad.eq(calc.m.Text1.text, cls.letter, ctx + " class");
            bad.eq(calc.m.Combo1[0].text, std::to_string(b), ctx + " bits box");
            bad.eq(calc.m.Combo1[1].text, dotted(o.mask()), ctx + " mask box");
            bad.eq(p[3].caption, e.network, ctx + " network");
            bad.eq(p[4].caption, e.subnet, ctx + " subnet");
            bad.eq(p[5].caption, e.host, ctx + " host");
            bad.eq(p[0].caption, e.start, ctx + " range start");
            bad.eq(p[1].caption, e.end, ctx + " range end");
            bad.eq(p[2].caption, e.broadcast, ctx + " broadcast");
            bad.eq(p[6].caption, e.wasted, ctx + " wasted");
            bad.eq(calc.st.addressStatus, e.code, ctx + " status code");
            bad.eq(calc.m.SSPanel1.caption, e.status, ctx + " status");
            bad.check(calc.m.SSPanel1.foreColor == e.statusColour, ctx + " status colour");
            bad.eq(calc.m.Text2.text, e.number, ctx + " subnet number");
            bad.eq(calc.m.RichTextBox1.text(), binaryDisplay(a), ctx + " address display");
            bad.eq(calc.m.RichTextBox2.text(), binaryDisplay(o.mask()), ctx + " mask display");
            bad.check(digitsColouredByField(calc.m.RichTextBox1, cls.c, b), ctx + " address colours");
            bad.check(digitsColouredByField(calc.m.RichTextBox2, cls.c, b), ctx + " mask colours");

            // The fifty-row listing from the current subnet, on a sample.
            if (i % 25 == 0) {
                calc.sv.messages.clear();
                calc.m.SSCommand1_Click();
                const long long count = b == 0 ? 0 : b == 1 ? 1 : (1LL << b) - 2;
                const long long start = b == 0 ? 1 : (a >> o.h()) & ((1LL << b) - 1);
                if (start > count) {
                    bad.check(calc.sv.messages.size() == 1, ctx + " listing refused");
                    bad.eq(calc.m.MSFlexGrid1.textMatrix(1, 0), "", ctx + " refused listing row 1");
                } else {
                    const long long last = start <= (1LL << b) - 2 ? std::min(start + 49, (1LL << b) - 2) : start;
                    bad.check(calc.sv.messages.empty(), ctx + " listing message");
                    for (int r = 1; r <= 50; ++r) {
                        const long long n = start + r - 1;
                        std::array<std::string, 5> want{};
                        if (n <= last) {
                            const u32 sub = o.subnetAddress(a, static_cast<u32>(n));
                            const u32 bcast = sub | ~o.mask();
                            want = {std::to_string(n), dotted(sub), dotted(sub + 1), dotted(bcast - 1), dotted(bcast)};
                        }
                        for (int col = 0; col < 5; ++col)
                            bad.eq(calc.m.MSFlexGrid1.textMatrix(r, col), want[static_cast<std::size_t>(col)],
                                   ctx + " grid row " + std::to_string(r) + " col " + std::to_string(col));
                    }
                }
            }
        }

        // Ranges of subnet N for sampled N, the typed address's class network.
        const u32 a = addresses.front();
        calc.setAddress(octetTexts(a));
        calc.chooseRow(1, static_cast<int>(row));
        std::vector<u32> ns{0};
        if (b >= 1) {
            const u32 top = (u32{1} << b) - 1;
            for (u32 n : {u32{1}, top - 1, top, top / 2})
                ns.push_back(n);
            std::uniform_int_distribution<u32> any(0, top);
            for (int i = 0; i < 8; ++i)
                ns.push_back(any(rng));
        }
        for (u32 n : ns) {
            const std::string ctx = std::string(cls.letter) + " " + dotted(a) + " /" + std::to_string(cls.c + b) +
                                    " subnet " + std::to_string(n);
            calc.st.requestedSubnet = n;
            calc.m.selsub1();
            calc.m.selsub2();
            calc.m.selsub3();
            const u32 sub = o.subnetAddress(a, n);
            const u32 bcast = sub | ~o.mask();
            bad.eq(calc.st.rangeSubnet, dotted(sub), ctx + " rangeSubnet");
            bad.eq(calc.st.rangeFirst, dotted(sub + 1), ctx + " rangeFirst");
            bad.eq(calc.st.rangeLast, dotted(bcast - 1), ctx + " rangeLast");
            bad.eq(calc.st.rangeBroadcast, dotted(bcast), ctx + " rangeBroadcast");
            const auto first = octetTexts(sub + 1);
            for (int q = 0; q < 4; ++q)
                bad.eq(calc.st.selectedOctets[static_cast<std::size_t>(q)], first[static_cast<std::size_t>(q)],
                       ctx + " selectedOctets");
            // The typed address's results stay as they were.
            bad.eq(calc.m.SSPanel6[5].caption, dotted(a), ctx + " host after selsub");
        }
    }
    EXPECT_EQ(bad.count, 0);
    EXPECT_GE(addressesChecked, 200 * static_cast<int>(bitsList.size()));
}

INSTANTIATE_TEST_SUITE_P(ClassesAndSubnetZero, OracleCrossCheck,
                         ::testing::Combine(::testing::Values(0, 1, 2), ::testing::Bool()), [](const auto& info) {
                             return std::string(kClasses[std::get<0>(info.param)].letter) +
                                    (std::get<1>(info.param) ? "_subnet_zero" : "_no_subnet_zero");
                         });

// Moving between subnets lands on the first usable address of the neighbour.
TEST(OracleMoves, NextAndPreviousOnRandomSubnets)
{
    std::mt19937 rng(77);
    Mismatches bad;
    for (const auto& cls : kClasses) {
        for (int b = 2; b <= 30 - cls.c; ++b) {
            const Oracle o{cls.c, b, false};
            for (int i = 0; i < 6; ++i) {
                std::uniform_int_distribution<u32> first(cls.firstOctetLow, cls.firstOctetHigh);
                std::uniform_int_distribution<u32> rest(0, 0xFFFFFF);
                const u32 a = first(rng) << 24 | rest(rng);
                Calculator calc;
                calc.setAddress(octetTexts(a));
                calc.chooseMask(dotted(o.mask()));
                const u32 n = (a >> o.h()) & ((u32{1} << b) - 1);
                const std::string ctx = dotted(a) + " /" + std::to_string(cls.c + b);
                calc.m.SSCommand6_Click();
                const u32 next = n + 1 <= (u32{1} << b) - 2 ? n + 1 : n;
                const u32 afterNext = next == n ? a : o.subnetAddress(a, next) + 1;
                bad.eq(calc.m.SSPanel6[5].caption, dotted(afterNext), ctx + " after >");
                bad.eq(calc.m.Text2.text, std::to_string(next), ctx + " number after >");
                calc.m.SSCommand4_Click();
                calc.m.SSCommand4_Click();
                const u32 back = next >= 2 ? next - 2 : 0;
                bad.eq(calc.m.SSPanel6[5].caption, dotted(o.subnetAddress(a, back) + 1), ctx + " after < <");
                bad.eq(calc.m.SSPanel6[4].caption, dotted(o.subnetAddress(a, back)), ctx + " subnet after < <");
            }
        }
    }
    EXPECT_EQ(bad.count, 0);
}

// ---------------------------------------------------------------- RangeLister against selsub1..selsub3

class ListerMatchesSelsub : public ::testing::TestWithParam<int> { };

TEST_P(ListerMatchesSelsub, EveryMaskSampledNumbers)
{
    const ClassRange& cls = kClasses[GetParam()];
    std::mt19937 rng(4242u + static_cast<u32>(cls.c));
    Mismatches bad;
    Calculator calc;
    calc.enableSubnetZero(true);
    const std::array<std::string, 4> address{std::to_string(cls.firstOctetHigh - 3), "017", "9", "200"};
    calc.setAddress(address);
    const auto bitsList = calc.m.Combo1[0].list;
    for (std::size_t row = 0; row < bitsList.size(); ++row) {
        calc.setAddress(address);
        calc.chooseRow(0, static_cast<int>(row));
        const int b = std::stoi(bitsList[row]);
        const RangeLister lister = RangeLister::capture(calc.m);
        ASSERT_TRUE(lister.valid());
        EXPECT_EQ(lister.subnetBits(), b);
        const double top = std::ldexp(1.0, b) - 1;
        std::vector<double> ns{0,   1,   2,  top - 1, top,  top + 1, top + 7.5,    top - 0.5,
                               0.5, 2.5, -1, -0.5,    -1e6, 1e9,     2147483647.0, -2147483648.0};
        std::uniform_real_distribution<double> any(-2, top + 2);
        for (int i = 0; i < 12; ++i)
            ns.push_back(std::floor(any(rng)));
        for (int i = 0; i < 4; ++i)
            ns.push_back(any(rng));
        for (double n : ns) {
            const std::string ctx = std::string(cls.letter) + " bits " + std::to_string(b) + " N " + plainNumber(n);
            calc.st.requestedSubnet = n;
            calc.m.selsub1();
            calc.m.selsub2();
            calc.m.selsub3();
            const RangeRow got = lister.row(n);
            bad.eq(got.subnet, calc.st.rangeSubnet, ctx + " subnet");
            bad.eq(got.first, calc.st.rangeFirst, ctx + " first");
            bad.eq(got.last, calc.st.rangeLast, ctx + " last");
            bad.eq(got.broadcast, calc.st.rangeBroadcast, ctx + " broadcast");
            if (n == std::floor(n) && n >= -2147483648.0 && n <= 2147483647.0) {
                std::string line;
                lister.appendLine(static_cast<std::int32_t>(n), line);
                bad.eq(line,
                       signText(n) + "\t" + calc.st.rangeSubnet + "\t" + calc.st.rangeFirst + "\t" + calc.st.rangeLast +
                           "\t" + calc.st.rangeBroadcast,
                       ctx + " line");
            }
        }
        // Lines append to what is there.
        std::string two = "x";
        lister.appendLine(0, two);
        lister.appendLine(1, two);
        bad.check(two.rfind("x 0\t", 0) == 0 && two.find(" 1\t") != std::string::npos, "appendLine appends");
    }
    EXPECT_EQ(bad.count, 0);
}

INSTANTIATE_TEST_SUITE_P(Classes, ListerMatchesSelsub, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return std::string(kClasses[info.param].letter); });

TEST(RangeListerCapture, NothingToListWithoutAClassAOrBOrC)
{
    Calculator calc;
    EXPECT_FALSE(RangeLister::capture(calc.m).valid());
    calc.setAddress({"230", "1", "2", "3"});
    const RangeLister lister = RangeLister::capture(calc.m);
    EXPECT_FALSE(lister.valid());
    EXPECT_EQ(lister.row(3), RangeRow{});
    std::string line;
    lister.appendLine(3, line);
    EXPECT_EQ(line, " 3\t\t\t\t");
}

TEST(RangeListerCapture, CapturedRowsDoNotFollowTheCalculator)
{
    Calculator calc;
    calc.setAddress({"192", "168", "1", "77"});
    calc.chooseMask("255.255.255.224");
    const RangeLister lister = RangeLister::capture(calc.m);
    calc.setAddress({"10", "1", "2", "3"});
    calc.chooseMask("255.255.0.0");
    EXPECT_EQ(lister.row(3), (RangeRow{"192.168.1.96", "192.168.1.97", "192.168.1.126", "192.168.1.127"}));
}

}  // namespace
}  // namespace mq::test
