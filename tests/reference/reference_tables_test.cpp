#include "reference/reference_tables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace mq::reference {
namespace {

std::vector<std::string> split(const std::string& list)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const auto end = list.find(", ", start);
        out.push_back(list.substr(start, end - start));
        if (end == std::string::npos)
            return out;
        start = end + 2;
    }
}

template <std::size_t N> std::vector<std::string> keys(const std::array<Row, N>& rows, std::size_t from = 0)
{
    std::vector<std::string> out;
    for (std::size_t i = from; i < N; ++i)
        out.emplace_back(rows[i].key);
    return out;
}

// Keys as published in the lists, in display order.
const std::string kMacKeys =
    "000002, 00000C, 00000F, 000010, 000011, 000018, 00001B, 00001D, 000020, 000021, 000022, 000029, "
    "00002A, 00003C, 00003D, 000044, 000049, 000055, 00005A, 00005D, 00005E, 000062, 000065, 00006B, "
    "000077, 00007A, 000089, 000093, 00009F, 0000A2, 0000A3, 0000A6, 0000A7, 0000A9, 0000AA, 0000B3, "
    "0000B7, 0000BC, 0000C0, 0000C6, 0000C8, 0000C9, 0000D7, 0000D8, 0000DD, 0000DE, 0000E2, 0000EF, "
    "0000FD, 000102, 001700, 00802D, 00808C, 0080C2, 0080D3, 00AA00, 00DD00, 00DD01, 020701, 020406, "
    "026086, 02608C, 02CF1F, 080002, 080003, 080005, 080008, 080009, 08000A, 08000B, 080011, 080014, "
    "080017, 08001A, 08001B, 08001E, 080020, 080022, 080025, 080026, 080027, 080028, 08002B, 08002E, "
    "08002F, 080036, 080037, 080038, 080039, 080041, 080046, 080047, 080049, 08004C, 08004E, 080056, "
    "080058, 08005A, 080067, 080068, 080069, 08006E, 080075, 08007C, 080080, 080086, 080087, 080089, "
    "08008B, 08008D, 080090, 484453, 800010, AA0003, AA0004";

const std::string kPortKeys =
    "0, 1, 2, 3, 5, 7, 9, 11, 13, 17, 18, 19, 20, 21, 23, 24, 25, 27, 29, 31, 33, 35, 37, 39, 41, 42, "
    "43, 44, 45, 46, 47, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 61, 62, 63, 64, 65, 66, 67, 68, 69, "
    "70, 71 - 74, 75, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, "
    "97, 98, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, "
    "117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, "
    "137, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154-155, 156, "
    "157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174, 175, 176, "
    "177, 178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196, "
    "197, 198, 199, 200, 201, 202, 204, 206, 209, 213, 215, 216, 217, 218, 219, 220, 221, 222, 246, 345, "
    "347, 373-374, 512, 512, 513, 513, 514, 515, 519, 520, 520, 525, 526, 530, 531, 532, 533, 540, 644, "
    "550, 556, 560, 565, 570, 571, 600, 704, 740, 741, 742, 744, 747, 748, 749, 754, 767, 781, 782, 783, "
    "996";

TEST(ReferenceTables, KeysInDisplayOrder)
{
    EXPECT_EQ(keys(kMacVendorCodes), split(kMacKeys));
    EXPECT_EQ(keys(kPortNumbers, 4), split(kPortKeys));
    EXPECT_EQ(split(kMacKeys).size(), 115u);
    EXPECT_EQ(split(kPortKeys).size(), 233u);
}

// Row numbers are grid rows, 1-based, as the window shows them.
struct TellingRow {
    const char* table;
    int row;
    const char* key;
    const char* description;
};

const Row& rowOf(const std::string& table, int row)
{
    if (table == "mac")
        return kMacVendorCodes.at(static_cast<std::size_t>(row - 1));
    if (table == "port")
        return kPortNumbers.at(static_cast<std::size_t>(row - 1));
    return kMulticastAddresses.at(static_cast<std::size_t>(row - 1));
}

class TellingRows : public ::testing::TestWithParam<TellingRow> { };

TEST_P(TellingRows, HoldExactText)
{
    const auto& p = GetParam();
    const Row& r = rowOf(p.table, p.row);
    EXPECT_EQ(r.key, p.key);
    EXPECT_EQ(r.description, p.description);
}

INSTANTIATE_TEST_SUITE_P(
    Fixed, TellingRows,
    ::testing::Values(
        TellingRow{"mac", 1, "000002", "Internal Use Only"}, TellingRow{"mac", 15, "00003D", "AT&T"},
        TellingRow{"mac", 18, "000055", "AT&T"}, TellingRow{"mac", 113, "800010", "AT&T"},
        TellingRow{"mac", 44, "0000D8", "3Com/ Novell/   PS/2"}, TellingRow{"mac", 59, "020701", "Racal InterLan"},
        TellingRow{"mac", 60, "020406", "BBN internal usage (not registered)"},
        TellingRow{"mac", 114, "AA0003", "DEC; Global physical address"},
        TellingRow{"mac", 115, "AA0004", "DEC; Local logical address "},
        TellingRow{"port", 1, "Port Numbers not shown are unassigned", ""}, TellingRow{"port", 2, "", ""},
        TellingRow{"port", 3, "This list is by no means complete!!", ""}, TellingRow{"port", 4, "", ""},
        TellingRow{"port", 5, "0", "Reserved"}, TellingRow{"port", 6, "1", "TCP Port Service Multiplexor"},
        TellingRow{"port", 21, "25", "Simple mail transfer"}, TellingRow{"port", 19, "23", "telnet"},
        TellingRow{"port", 57, "71 - 74", "Remote Job Service"}, TellingRow{"port", 96, "114", "Audio News Multicast"},
        TellingRow{"port", 136, "154-155", "NETSC"}, TellingRow{"port", 200, "512", "/tcp  remote process execution"},
        TellingRow{"port", 201, "512", "/udp  used by mail system to notify users of new mail received"},
        TellingRow{"port", 216, "644", "krcmd"}, TellingRow{"port", 237, "996", "XTREE License Server"},
        TellingRow{"mult", 1, "224.0.0.0", "Reserved"},
        TellingRow{"mult", 6, "224.0.0.5", "OSPFIGP  OSPFIGP All Routers"},
        TellingRow{"mult", 7, "224.0.0.6", "OSPFIGP  OSPFIGP Designated Routers"},
        TellingRow{"mult", 12, "224.0.0.11-224.0.0.255", "Unassigned "},
        TellingRow{"mult", 14, "224.0.1.1", "NTP      Network Time Protocol"},
        TellingRow{"mult", 19, "224.0.1.6", "NSS - Name Service Server "},
        TellingRow{"mult", 23, "224.0.1.10-224.0.1.255", "Unassigned"},
        TellingRow{"mult", 30, "232.x.x.x", "VMTP transient groups"}));

TEST(ReferenceTables, MacCodesAscendExceptRacalAndBbn)
{
    for (std::size_t i = 1; i < kMacVendorCodes.size(); ++i) {
        if (i == 59)  // row 60 (020406) follows 020701
            EXPECT_LT(kMacVendorCodes[i].key, kMacVendorCodes[i - 1].key);
        else
            EXPECT_GT(kMacVendorCodes[i].key, kMacVendorCodes[i - 1].key) << "row " << i + 1;
    }
    for (const auto& r : kMacVendorCodes) {
        EXPECT_EQ(r.key.size(), 6u);
        EXPECT_EQ(r.key.find_first_not_of("0123456789ABCDEF"), std::string_view::npos) << r.key;
        EXPECT_FALSE(r.description.empty()) << r.key;
    }
}

TEST(ReferenceTables, PortRowsHaveDescriptionsAndProtocolPairs)
{
    for (std::size_t i = 4; i < kPortNumbers.size(); ++i)
        EXPECT_FALSE(kPortNumbers[i].description.empty()) << "row " << i + 1;
    // Ports listed once per protocol: "/tcp  ..." followed by "/udp  ...".
    for (const char* port : {"512", "513", "520"}) {
        int seen = 0;
        for (std::size_t i = 4; i < kPortNumbers.size(); ++i)
            if (kPortNumbers[i].key == port) {
                EXPECT_EQ(kPortNumbers[i].description.substr(0, 6), seen == 0 ? "/tcp  " : "/udp  ");
                ++seen;
            }
        EXPECT_EQ(seen, 2) << port;
    }
}

TEST(ReferenceTables, TrailingBlanksKept)
{
    auto describe = [](std::string_view key) {
        for (const auto& r : kPortNumbers)
            if (r.key == key)
                return std::string(r.description);
        return std::string("<missing>");
    };
    EXPECT_EQ(describe("79"), "Finger ");
    EXPECT_EQ(describe("61"), "NI MAIL ");
    EXPECT_EQ(describe("120"), "CFDPTKT ");
}

}  // namespace
}  // namespace mq::reference
