// NetBox's prefix import CSV and phpIPAM's subnet import CSV: written byte for byte as
// their import forms define them, read back, and read from files as their users write them.
#include <random>

#include "interchange/netbox.h"
#include "interchange/phpipam.h"
#include "interchange/table.h"
#include "interchange_helpers.h"

namespace mq::interchange {
namespace {

using test::brief;
using test::campus;
using test::fixture;

plan::IpamValues campusValues()
{
    plan::IpamValues v;
    v.tenant = "Campus IT";
    v.role = "Access";
    v.vrf = "campus";
    v.tags = {"planned", "maskquill"};
    v.section = "Campus";
    v.domain = "default";
    return v;
}

std::string notices(const std::vector<textio::Problem>& list)
{
    std::string out;
    for (const textio::Problem& n : list)
        out += describe(n) + "\n";
    return out;
}

// What a format keeps of a block: the assigned and reserved ones with their values, and
// containers that carry something of their own.
std::vector<FlatBlock> kept(std::vector<FlatBlock> blocks, bool keepNotes)
{
    std::vector<FlatBlock> out;
    for (FlatBlock& b : blocks) {
        if (b.freeLeaf() || !handedToIpam(b))
            continue;
        b.colour.reset();
        if (!keepNotes)
            b.note.clear();
        out.push_back(std::move(b));
    }
    return out;
}

TEST(NetboxCsv, WritesTheImportFormsColumns)
{
    const WriteResult r = writeNetboxCsv(campus(), campusValues());
    EXPECT_EQ(r.text, fixture("netbox_export.csv"));
    EXPECT_EQ(notices(r.notices),
              "VLANs are written by their ID alone, which NetBox refuses where two VLAN groups hold "
              "the ID: give the VLAN group or site\n");
    // Free space only when asked for, kept back as reserved.
    const std::string all = writeNetboxCsv(campus(), campusValues(), {true}).text;
    EXPECT_NE(all.find("\r\n10.40.48.0/20,reserved,,"), std::string::npos) << all;
    EXPECT_NE(all.find("\r\n10.40.128.0/18,reserved,,"), std::string::npos) << all;
}

TEST(NetboxCsv, ReadsBackWhatItWrites)
{
    const ReadResult back = readNetboxCsv(fixture("netbox_export.csv"));
    ASSERT_TRUE(back.error.empty()) << back.error;
    EXPECT_EQ(notices(back.notices), "");
    EXPECT_EQ(brief(back.blocks), brief(kept(campus(), true)));
    EXPECT_EQ(back.values.tenant, "Campus IT");
    EXPECT_EQ(back.values.vrf, "campus");
    EXPECT_EQ(back.values.tags, (std::vector<std::string>{"planned", "maskquill"}));
}

TEST(NetboxCsv, ReadsFilesAsUsersWriteThem)
{
    const ReadResult r = readNetboxCsv(fixture("netbox_import.csv"));
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(brief(r.blocks), "10.50.0.0/16 0 Campus| - -\n"
                               "10.50.1.0/24 1 Staff, floor 1|Two lines\nof comments 110 -\n"
                               "10.50.2.0/24 1 Voice| 120 -\n"
                               "10.50.3.0/24 3 Old printers| - -\n"
                               "10.50.4.0/24 1 Odd| - -\n"
                               "2001:db8:50::/48 2 IPv6 site| - -\n");
    EXPECT_EQ(r.blocks[2].line, 5u);
    EXPECT_EQ(
        notices(r.notices),
        "line 5: \"10.50.2.7/24\": host bits cleared, read as 10.50.2.0/24\n"
        "line 7: 10.50.4.0/24: status \"retired\" is not container, active, reserved or deprecated; read as active\n"
        "line 7: 10.50.4.0/24: VLAN \"5000\" is not a VLAN ID from 1 to 4094; left out\n"
        "line 8: \"10.50.5.0/33\": prefix length 33 is above 32; the row is left out\n");
    // Rows that differ keep their own values; only the tags are the plan's.
    EXPECT_EQ(r.values.role, "");
    EXPECT_EQ(r.blocks[1].ipam.role, "Access");
    EXPECT_EQ(r.blocks[0].ipam.tenant, "Campus IT");
    EXPECT_EQ(r.blocks[1].ipam.vrf, "campus");
    EXPECT_EQ(r.blocks[3].ipam.status, "deprecated");
    EXPECT_EQ(r.values.tags, (std::vector<std::string>{"core", "dc"}));
}

// NetBox's export takes its user's csv_delimiter: comma, semicolon, pipe or tab.
TEST(NetboxCsv, ReadsEveryDelimiterItsExportWrites)
{
    for (const char* sep : {",", ";", "|", "\t"}) {
        const std::string s = sep;
        const ReadResult r = readNetboxCsv("Prefix" + s + "Status" + s + "Description" + s + "VRF\r\n10.1.0.0/24" + s +
                                           "Active" + s + "\"Staff, A; B | C\"" + s + "Global\r\n");
        ASSERT_EQ(r.error, "") << s;
        EXPECT_EQ(brief(r.blocks), "10.1.0.0/24 1 Staff, A; B | C| - -\n") << s;
        EXPECT_EQ(r.values.vrf, "") << s;  // "Global" is NetBox's word for no VRF
    }
}

// NetBox's import looks tags up by slug and VLANs up by ID within a group or site: a tag
// that is no slug fails every row (refused, naming the slug it would be), and the group
// and site are written where given.
TEST(NetboxCsv, WritesTagsAsSlugsAndVlansWithTheirGroup)
{
    const std::pair<const char*, const char*> tags[] = {
        {"core-net", ""},
        {"Core_1", ""},
        {"Core Network", "is not a slug: NetBox looks tags up by slug; \"core-network\" would be one"},
        {"Büro Zürich", "is not a slug: NetBox looks tags up by slug; \"buro-zurich\" would be one"},
        {" lab <b>-", "is not a slug: NetBox looks tags up by slug; \"lab-b\" would be one"},
        {"!!", "is not a slug (letters, digits, - and _), and has nothing to make one of"},
    };
    for (const auto& [tag, why] : tags) {
        plan::IpamValues v = campusValues();
        v.tags = {"planned", tag};
        const WriteResult r = writeNetboxCsv(campus(), v);
        EXPECT_EQ(r.error, *why ? "the tag \"" + std::string(tag) + "\" " + why : "") << tag;
    }
    plan::IpamValues v = campusValues();
    v.vlanGroup = "Campus VLANs";
    v.site = "HQ";
    const WriteResult r = writeNetboxCsv(campus(), v);
    EXPECT_TRUE(r.notices.empty());
    EXPECT_TRUE(r.text.starts_with(
        "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags,vlan_group,vlan_site\r\n"
        "10.40.0.0/16,container,Campus,,Campus IT,Access,campus,false,,\"planned,maskquill\",Campus VLANs,HQ\r\n"))
        << r.text;
    EXPECT_EQ(readNetboxCsv(r.text).values.vlanGroup, "Campus VLANs");
    EXPECT_EQ(readNetboxCsv(r.text).values.site, "HQ");
}

TEST(NetboxCsv, RefusesFilesItCannotRead)
{
    EXPECT_EQ(readNetboxCsv("").error, "the file is empty: a header line with a \"prefix\" column is expected");
    EXPECT_EQ(readNetboxCsv("name,status\nx,active\n").error, "line 1: the header has no \"prefix\" column");
    EXPECT_EQ(readNetboxCsv("prefix,description\n10.0.0.0/8,\"open\n").error, "line 2: a quoted field is not closed");
    EXPECT_EQ(readNetboxCsv("prefix,description\n10.0.0.0/8,\"a\"b\n").error,
              "line 2: text after the closing quote of a field");
}

TEST(PhpipamCsv, WritesTheTemplatesColumns)
{
    const WriteResult r = writePhpipamCsv(campus(), campusValues());
    EXPECT_EQ(r.text, fixture("phpipam_export.csv"));
    // A double quote is refused by phpIPAM's import: named, written all the same.
    EXPECT_EQ(notices(r.notices),
              "line 5: 10.40.16.0/20: phpIPAM refuses a description holding ; ' or \" (\"Voice \"VoIP\"\")\n");
    plan::IpamValues noSection = campusValues();
    noSection.section = " ";
    EXPECT_EQ(writePhpipamCsv(campus(), noSection).error,
              "phpIPAM's import needs the name of a section: set the plan's section");
    // phpIPAM reads a line at a time: a note standing in for a missing name keeps to one line.
    std::vector<FlatBlock> unnamed = {
        {test::P("10.0.0.0/24"), "", "two\r\nlines", {}, plan::BlockState::Assigned, {}, 0}};
    EXPECT_EQ(writePhpipamCsv(unnamed, campusValues()).text,
              "Section,Subnet,Mask,Description,VLAN,Domain,VRF\r\nCampus,10.0.0.0/24,24,two lines,,default,campus\r\n");
}

// phpIPAM's import passes each value through htmlentities and then refuses ; ' and " in a
// description: each such row is named. A VRF or VLAN domain it refuses fails every row,
// and it reads no Customer column.
TEST(PhpipamCsv, NamesWhatItsImportRefuses)
{
    const std::pair<const char*, const char*> descriptions[] = {
        {"Staff 2nd floor", ""},
        {"R&D", "its import makes an HTML entity of \"&\" and refuses the entity's ; (\"R&D\")"},
        {"Büro Zürich", "its import makes an HTML entity of \"ü\" and refuses the entity's ; (\"Büro Zürich\")"},
        {"lab <b>", "its import makes an HTML entity of \"<\" and refuses the entity's ; (\"lab <b>\")"},
        {"Ωmega – 1", "its import makes an HTML entity of \"Ω\" and refuses the entity's ; (\"Ωmega – 1\")"},
        {"東京", ""},  // no HTML 4 entity: left as it is
    };
    for (const auto& [text, why] : descriptions) {
        const std::vector<FlatBlock> one = {{test::P("10.0.0.0/24"), text, "", {}, plan::BlockState::Assigned, {}, 0}};
        const WriteResult r = writePhpipamCsv(one, campusValues());
        EXPECT_EQ(notices(r.notices),
                  *why ? std::string("line 2: 10.0.0.0/24: phpIPAM refuses this description: ") + why + "\n" : "")
            << text;
    }
    plan::IpamValues v = campusValues();
    v.vrf = "campus net";
    EXPECT_EQ(writePhpipamCsv(campus(), v).error,
              "the VRF \"campus net\" fails every row of phpIPAM's import: it takes letters, digits, - and _");
    v = campusValues();
    v.domain = "l2/core";
    EXPECT_EQ(
        writePhpipamCsv(campus(), v).error,
        "the VLAN domain \"l2/core\" fails every row of phpIPAM's import: it takes letters, digits, -, _ and blanks");
    v = campusValues();
    v.customer = "ACME";
    const WriteResult r = writePhpipamCsv(campus(), v);
    EXPECT_EQ(r.text, fixture("phpipam_export.csv"));
    EXPECT_EQ(r.notices.front().message,
              "the customer \"ACME\" is not written: phpIPAM's subnet import does not read a Customer column");
}

TEST(PhpipamCsv, ReadsFilesAsUsersWriteThem)
{
    const ReadResult r = readPhpipamCsv(fixture("phpipam_import.csv"));
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(brief(r.blocks), "10.60.0.0/16 1 Campus| - -\n"
                               "10.60.1.0/24 1 Staff| 110 -\n"
                               "10.60.2.0/24 1 Voice| - -\n"
                               "10.60.4.0/23 1 Printers| - -\n"
                               "2001:db8:60::/64 1 IPv6 LAN| - -\n");
    EXPECT_EQ(notices(r.notices),
              "line 5: \"10.60.3.0\": no mask in the Subnet or Mask column (\"\"); the row is left out\n"
              "line 6: 10.60.4.0/23: VLAN \"printers\" is not a VLAN ID from 1 to 4094; left out\n");
    EXPECT_EQ(r.values.section, "Campus");
    EXPECT_EQ(r.values.customer, "ACME");
    // Semicolons where the header holds no comma, as phpIPAM's own reader allows.
    const ReadResult semi = readPhpipamCsv("Section;Subnet;Description\nCampus;10.1.0.0/16;A, B\n");
    EXPECT_EQ(brief(semi.blocks), "10.1.0.0/16 1 A, B| - -\n");
    // phpIPAM's own export names the domain "VLAN Domain".
    EXPECT_EQ(readPhpipamCsv(fixture("phpipam_own_export.csv")).values.domain, "default");
}

// Random plans through each format and back: the same prefixes, names, notes (NetBox) and VLANs.
TEST(IpamCsv, RoundTripsRandomBlocks)
{
    std::mt19937 rng(18);
    const char* names[] = {"staff", "a,b", "say \"hi\"", "Grüße", "x;y", ""};
    for (int round = 0; round < 50; ++round) {
        std::vector<FlatBlock> blocks;
        const bool v6 = round % 3 == 0;
        for (int i = 0; i < 20; ++i) {
            FlatBlock b;
            b.prefix =
                v6 ? net::Prefix{net::Address::v6((net::u128{0x20010DB8} << 96) | (net::u128(rng() % 4096) << 64)), 64}
                   : net::Prefix{net::Address::v4(0x0A000000u | (rng() % 65536) << 8), 24};
            b.name = names[rng() % 6];
            b.note = rng() % 2 ? "line one\nline, \"two\"" : "";
            switch (rng() % 4) {  // a container, an assigned, a reserved or a deprecated block
            case 0: b.container = true, b.state = plan::BlockState::Free; break;
            case 1: b.state = plan::BlockState::Assigned; break;
            case 3: b.ipam.status = "deprecated"; [[fallthrough]];
            default: b.state = plan::BlockState::Reserved; break;
            }
            if (rng() % 2)
                b.vlan = 1 + static_cast<int>(rng() % 4094);
            blocks.push_back(b);
        }
        const ReadResult nb = readNetboxCsv(writeNetboxCsv(blocks, campusValues()).text);
        EXPECT_EQ(brief(nb.blocks), brief(kept(blocks, true))) << round;
        const ReadResult php = readPhpipamCsv(writePhpipamCsv(blocks, campusValues()).text);
        // phpIPAM has no status and one description: the name, or the note where there is none.
        std::vector<FlatBlock> expected;
        for (const FlatBlock& b : kept(blocks, true)) {
            expected.push_back({b.prefix,
                                b.name.empty() ? "line one line, \"two\"" : b.name,
                                "",
                                {},
                                plan::BlockState::Assigned,
                                b.vlan,
                                0});
            if (b.name.empty() && b.note.empty())
                expected.back().name.clear();
        }
        EXPECT_EQ(brief(php.blocks), brief(expected)) << round;
    }
}

// The table both IPAM readers stand on: columns by header name (any case, blanks around, the
// alias where the name is missing), a short row's missing fields empty, each block and
// notice with its record's line, rows left out, what every block shares made plan-wide, and
// a file refused without its required column.
TEST(TableReader, ReadsRowsByColumnName)
{
    const TableColumn columns[] = {{"net"}, {"label", "name"}};
    const TableRowReader readRow = [](const TableRow& row, plan::IpamValues&) -> std::optional<FlatBlock> {
        if (row.field(0) == "-") {
            row.notice("left out");
            return std::nullopt;
        }
        FlatBlock b;
        b.name = std::string(row.field(0)) + "=" + std::string(row.field(1));
        b.ipam.vrf = "shared";
        return b;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty: a header line with a \"Net\" column is expected"},
        {"\n\nlabel;net2\n", "line 3: the header has no \"Net\" column"},
        {"net;label\n\"a\nb\";\"x\"y\n", "line 3: text after the closing quote of a field"},
        {" NET ;Name;label2\na;b\n-;x\n\nc\n", "2 a=b|5 c=|line 3: left out|vrf shared"},
        {"Label;net\n\"x;y\";z\n", "2 z=x;y|vrf shared"},
        // Two columns of one meaning, by name or alias, as the header is compared.
        {"net;label;Name\na;b;c\n",
         "line 1: the header names the \"label\" column twice: \"label\" (column 2) and \"Name\" (column 3)"},
        {" NET ;net\n",
         "line 1: the header names the \"net\" column twice: \" NET \" (column 1) and \"net\" (column 2)"},
    };
    for (const auto& [text, expected] : cases) {
        const ReadResult r = readTable(csvRecords(text, ';'), columns, "Net", readRow);
        std::string got = r.error;
        for (const FlatBlock& b : r.blocks)
            got += std::to_string(b.line) + " " + b.name + "|";
        for (const textio::Problem& n : r.notices)
            got += describe(n) + "|";
        if (!r.values.vrf.empty())
            got += "vrf " + r.values.vrf;
        EXPECT_EQ(got, expected) << text;
    }
}

}  // namespace
}  // namespace mq::interchange
