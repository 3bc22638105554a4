// Segment lines beyond the plain form: spreadsheet ranges with a header, VLANs, lengths of
// both families, and lines that could be read two ways refused with the reason.
#include <gtest/gtest.h>

#include <optional>

#include "plan/segments.h"

namespace mq::plan {
namespace {

struct Read {
    const char* text;
    std::string want;  // the segments as name/hosts/growth/len/len6/vlan, or "!" + the reason of line `line`
    std::size_t line = 0;
};

std::string describe(const Segment& s)
{
    return s.name + "/" + net::toDecimal(s.hosts) + "/" + std::to_string(static_cast<int>(s.growthPercent * 10)) + "/" +
           (s.fixedLength ? std::to_string(*s.fixedLength) : "-") + "/" +
           (s.fixedLength6 ? std::to_string(*s.fixedLength6) : "-") + "/" + std::to_string(s.vlan);
}

TEST(SegmentLines, FieldsHeadersAndAmbiguousLines)
{
    for (const Read& r : std::vector<Read>{
             {"lab, 5, 100", "lab/5/1000/-/-/0"},  // blanks: growth 100 %
             {"lab, 10, 12.5, /28, /56, vlan 20", "lab/10/125/28/56/20"},
             {"lab, 10, , /60, /27", "lab/10/0/27/60/0"},  // the IPv4 length is the one up to 32
             {"lab, 0, /56", "lab/0/0/-/56/0"},  // a lone length above 32 is IPv6's
             {"lab, 10, vlan=4094", "lab/10/0/-/-/4094"},
             // A cell of a spreadsheet range is one value: "1,000" there is a thousand, ill-formed groups are not.
             {"name\thosts\tgrowth\tvlan\tlength6\nOffice A\t1,000\t10\t12\t64\n", "Office A/1000/100/-/64/12"},
             {"Lab\t12,345,678\nDesk\t1,00\n", "!hosts \"1,00\" has a separator", 2},
             {"Lab\t1,0000\n", "!hosts \"1,0000\" has a separator", 1},
             {"lab, 2.5", "!hosts \"2.5\" is not a whole number", 1},  // a fraction, no separator
             {"Name\tHosts\tGrowth %\tVLAN\tLength6\nOffice A\t120\t10\t12\t64\nLab\t20\t\t\t\n",
              "Office A/120/100/-/64/12 Lab/20/0/-/-/0"},
             {"name, hosts, vlan\nlab, 10, 7\n", "lab/10/0/-/-/7"},
             {"name, hosts, site\nlab, 10\n", "!column \"site\" of the header is not one of", 1},
             {"name, hosts\nlab, 10, 20\n", "!has 3 fields; the header names 2", 2},
             {"staff, 1,000", "!\"1,000\" could be 1000 hosts or 1 host with growth 000 %", 1},
             {"staff,1,000%", "staff/1/0/-/-/0"},  // the % says growth
             {"lab,5,100", "!\"5,100\" could be 5100 hosts", 1},
             {"lab, 10, /60, /64", "!two IPv6 prefix lengths", 1},
             {"lab, 10, vlan 4095", "!VLAN \"4095\" is not a VLAN ID from 1 to 4094", 1},
             {"lab, 10, 5, office", "!field 4 \"office\" is not a /len or vlan N", 1},
             {"lab, 10, /24, /56, /64", "!more than two prefix lengths", 1}}) {
        std::vector<textio::Problem> errors;
        const auto segs = parseSegments(r.text, errors);
        if (r.want.front() == '!') {
            ASSERT_EQ(errors.size(), 1u) << r.text;
            EXPECT_EQ(errors[0].line, r.line) << r.text;
            EXPECT_NE(errors[0].message.find(r.want.substr(1)), std::string::npos)
                << r.text << ": " << errors[0].message;
            continue;
        }
        std::string got;
        for (const auto& s : segs)
            got += (got.empty() ? "" : " ") + describe(s);
        EXPECT_EQ(got, r.want) << r.text;
        EXPECT_TRUE(errors.empty()) << r.text << ": " << errors[0].message;
    }
}

// In a plan of one family the only /len is that family's: an IPv4 plan refuses a lone /33
// on its line rather than place the segment by its hosts.
TEST(SegmentLines, TheOnlyLengthBelongsToThePlansFamily)
{
    struct Case {
        const char* text;
        std::optional<net::Family> only;
        std::string want;  // as in FieldsHeadersAndAmbiguousLines
    };
    for (const Case& c : std::vector<Case>{
             {"ok, 5\nlab, 10, /33\n", net::Family::V4, "!/33 is not a prefix length of IPv4, the plan's only family"},
             {"name\thosts\tlength6\nlab\t10\t48\n", net::Family::V4, "lab/10/0/-/48/0"},  // named IPv6's
             {"lab, 10, /33", std::nullopt, "lab/10/0/-/33/0"},  // dual-stack: IPv6's
             {"lab, 10, /33", net::Family::V6, "lab/10/0/-/33/0"},
             {"lab, 10, /24, /64", net::Family::V4, "lab/10/0/24/64/0"}}) {
        std::vector<textio::Problem> errors;
        const auto segs = parseSegments(c.text, errors, c.only);
        if (c.want.front() == '!') {
            ASSERT_EQ(errors.size(), 1u) << c.text;
            EXPECT_EQ(errors[0].line, 2u) << c.text;
            EXPECT_NE(errors[0].message.find(c.want.substr(1)), std::string::npos)
                << c.text << ": " << errors[0].message;
            continue;
        }
        ASSERT_EQ(segs.size(), 1u) << c.text;
        EXPECT_EQ(describe(segs[0]), c.want) << c.text;
    }
}

// What a plan keeps is written as lines that read back to the same list, whatever the names
// and lengths: a comma in a name makes the lines tab-separated, an IPv6 length of /32 or less
// needs the header.
TEST(SegmentLines, WrittenListsReadBackTheSame)
{
    Segment wan{"wan", 0};
    wan.fixedLength6 = 32;
    Segment staff{"staff", 100, 12.5};
    staff.vlan = 7;
    Segment lab{"lab", 0, 0, 27};
    lab.fixedLength6 = 56;
    struct Case {
        std::vector<Segment> segs;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{
             {{staff, lab, {"big", 1000000, 1000000}},
              "staff, 100, 12.5%, vlan 7\nlab, 0, /27, /56\nbig, 1000000, 1000000%\n"},
             {{{"Office, north", 20}, staff}, "Office, north\t20\nstaff\t100\t12.5%\tvlan 7\n"},
             {{wan, staff},
              "name, hosts, growth, length, length6, vlan\nwan, 0, , , 32, \nstaff, 100, 12.5, , , 7\n"}}) {
        EXPECT_EQ(segmentsText(c.segs), c.text);
        std::vector<textio::Problem> errors;
        EXPECT_EQ(parseSegments(segmentsText(c.segs), errors), c.segs) << c.text;
        EXPECT_TRUE(errors.empty()) << c.text << errors[0].message;
    }
}

}  // namespace
}  // namespace mq::plan
