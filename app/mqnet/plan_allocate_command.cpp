// mqnet plan allocate: the segments of a file placed into a root block, as text for people,
// JSON or CSV for scripts.
#include <algorithm>
#include <array>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_file.h"
#include "net/parse.h"
#include "plan/allocate.h"
#include "plan/csv.h"
#include "plan/roots.h"
#include "plan/segments.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/json.h"

namespace mq::mqnet {

namespace {

std::string text(const std::optional<net::u128>& v)
{
    return v ? net::toDecimal(*v) : "more than 2^128 - 1";
}

void writeText(BufferedWriter& out, const std::vector<plan::Placement>& ps)
{
    std::vector<std::vector<std::string>> rows{{"name", "prefix", "first", "last", "hosts", "needed", "spare"}};
    for (const auto& p : ps) {
        if (!p.prefix)
            continue;
        rows.push_back({p.name, net::formatNetwork(*p.prefix), net::format(p.first), net::format(p.last),
                        net::toDecimal(p.hosts), text(p.needed), net::toDecimal(p.spare)});
    }
    writeColumns(out, rows);
    for (const auto& p : ps)
        if (!p.prefix)
            out.write(p.name + ": did not fit: " + p.reason + "\n");
}

using textio::json::Layout;
using textio::json::Writer;

// A text member that is null where there is no text.
void nullable(Writer& j, const char* key, const std::optional<std::string>& v)
{
    j.key(key);
    if (v)
        j.string(*v);
    else
        j.null();
}

void writeRoot(Writer& j, const net::Prefix& root)
{
    j.beginObject();
    j.key("network");
    j.string(net::format(root.address));
    j.key("prefix");
    j.number(root.length);
    j.end();
}

// The members of one place: "placed" to "largest_free".
void writePlace(Writer& j, const plan::Place& p)
{
    j.key("placed");
    j.boolean(p.prefix.has_value());
    auto some = [&](auto f) { return p.prefix ? std::optional<std::string>(f()) : std::nullopt; };
    nullable(j, "network", some([&] { return net::format(p.prefix->address); }));
    j.key("prefix");
    if (p.prefix)
        j.number(p.prefix->length);
    else
        j.null();
    nullable(j, "first", some([&] { return net::format(p.first); }));
    nullable(j, "last", some([&] { return net::format(p.last); }));
    nullable(j, "broadcast", p.broadcast ? std::optional(net::format(*p.broadcast)) : std::nullopt);
    nullable(j, "spare", some([&] { return net::toDecimal(p.spare); }));
    nullable(j, "reason", p.prefix ? std::nullopt : std::optional(p.reason));
    j.key("largest_free");
    if (p.largestFree)
        writeRoot(j, *p.largestFree);
    else
        j.null();
}

// One root: {"root": ..., "segments": [{name, hosts, needed, placed ... largest_free}]}.
// Dual-stack: {"roots": [..], "segments": [{name, vlan, hosts, needed, placed, "ipv4": {placed
// ... largest_free}, "ipv6": {...}}]}, "placed" true when placed in both.
void writeJson(BufferedWriter& out, const std::vector<net::Prefix>& roots, const std::vector<plan::Placement>& ps)
{
    const bool dual = roots.size() == 2;
    std::string s;
    Writer j(s);
    j.beginObject();
    j.key(dual ? "roots" : "root");
    if (dual)
        j.beginArray();
    for (const net::Prefix& root : roots)
        writeRoot(j, root);
    if (dual)
        j.end();
    j.key("segments");
    j.beginArray(Layout::Indented);
    for (std::size_t i = 0; i < ps.size() && !out.failed(); ++i) {
        const auto& p = ps[i];
        j.beginObject();
        j.key("name");
        j.string(p.name);
        if (dual) {
            j.key("vlan");
            if (p.vlan)
                j.number(p.vlan);
            else
                j.null();
        }
        j.key("hosts");
        j.string(net::toDecimal(p.hosts));
        nullable(j, "needed", p.needed ? std::optional(net::toDecimal(*p.needed)) : std::nullopt);
        if (dual) {
            j.key("placed");
            j.boolean(p.placed());
            const plan::Place* places[] = {&p, &*p.second};
            for (int f = 0; f < 2; ++f) {
                j.key(f ? "ipv6" : "ipv4");
                j.beginObject();
                writePlace(j, *places[f]);
                j.end();
            }
        } else {
            writePlace(j, p);
        }
        j.end();
        out.write(s);
        s.clear();
    }
    j.end();
    j.end();
    s += '\n';
    out.write(s);
}

// The prefix, first and last usable address of a place; empty where it did not fit.
std::array<std::string, 3> placeCells(const plan::Place& p)
{
    if (!p.prefix)
        return {};
    return {net::formatNetwork(*p.prefix), net::format(p.first), net::format(p.last)};
}

void writeCsv(BufferedWriter& out, const std::vector<plan::Placement>& ps, bool header)
{
    if (header)
        out.write("name,prefix,first,last,broadcast,hosts,spare,reason\n");
    std::string s;
    for (const auto& p : ps) {
        if (out.failed())
            return;
        s.clear();
        const auto at = placeCells(p);
        textio::appendCsvRow(s,
                             {p.name, at[0], at[1], at[2], p.prefix && p.broadcast ? net::format(*p.broadcast) : "",
                              net::toDecimal(p.hosts), p.prefix ? net::toDecimal(p.spare) : "",
                              p.prefix ? "" : p.reason},
                             "\n");
        out.write(s);
    }
}

// Why a dual-stack segment is short of a place: "IPv4: ...; IPv6: ..." (placed in both
// families or in neither, so only the families that have no room are named).
std::string dualReason(const plan::Placement& p)
{
    return plan::unplacedReason(p);
}

void writeDualCsv(BufferedWriter& out, const std::vector<plan::Placement>& ps, bool header)
{
    if (header)
        out.write(
            "name,vlan,ipv4,first,last,broadcast,ipv6,ipv6_first,ipv6_last,hosts,needed,spare,ipv6_spare,reason\n");
    std::string s;
    for (const auto& p : ps) {
        if (out.failed())
            return;
        s.clear();
        const plan::Place& v6 = *p.second;
        const auto at4 = placeCells(p), at6 = placeCells(v6);
        textio::appendCsvRow(s,
                             {p.name, p.vlan ? std::to_string(p.vlan) : "", at4[0], at4[1], at4[2],
                              p.broadcast ? net::format(*p.broadcast) : "", at6[0], at6[1], at6[2],
                              net::toDecimal(p.hosts), p.needed ? net::toDecimal(*p.needed) : "",
                              p.prefix ? net::toDecimal(p.spare) : "", v6.prefix ? net::toDecimal(v6.spare) : "",
                              dualReason(p)},
                             "\n");
        out.write(s);
    }
}

void writeDualText(BufferedWriter& out, const std::vector<plan::Placement>& ps)
{
    std::vector<std::vector<std::string>> rows{{"name", "vlan", "ipv4", "ipv6", "hosts", "needed", "spare"}};
    for (const auto& p : ps) {
        if (!p.prefix && !p.second->prefix)
            continue;
        rows.push_back({p.name, p.vlan ? std::to_string(p.vlan) : "-", p.prefix ? net::formatNetwork(*p.prefix) : "-",
                        p.second->prefix ? net::formatNetwork(*p.second->prefix) : "-", net::toDecimal(p.hosts),
                        text(p.needed), p.prefix ? net::toDecimal(p.spare) : "-"});
    }
    writeColumns(out, rows);
    for (const auto& p : ps)
        if (!p.placed())
            out.write(p.name + ": did not fit: " + dualReason(p) + "\n");
}

std::optional<net::Prefix> readRoot(const Invocation& call, const std::string& arg)
{
    const auto r = net::parsePrefix(arg, net::HostBits::Suggest, {.address = true, .zone = true});
    if (const auto* e = std::get_if<net::ParseError>(&r)) {
        if (e->fault == net::ParseError::Fault::Text)
            call.refuse("ROOT " + net::describe(arg, *e));
        else if (e->fault == net::ParseError::Fault::Range)
            call.refuse("ROOT " + textio::escaped(arg) + " is a range; give a prefix such as 10.0.0.0/8");
        else
            call.refuse("ROOT " + textio::escaped(arg) + " " + e->message);
        return std::nullopt;
    }
    return std::get<net::Prefix>(r);
}

// "10.40.0.0/16,2001:db8:40::/48": one prefix, or one of each family.
std::optional<std::vector<net::Prefix>> readRoots(const Invocation& call, const std::string& arg)
{
    std::vector<net::Prefix> roots;
    for (std::string_view item : plan::parseRoots(arg)) {
        const auto root = readRoot(call, std::string(item));
        if (!root)
            return std::nullopt;
        roots.push_back(*root);
    }
    if (roots.size() > 2 || (roots.size() == 2 && roots[0].address.family == roots[1].address.family)) {
        call.refuse("ROOT " + textio::escaped(arg) +
                    ": give one prefix, or one IPv4 and one IPv6 prefix separated by a comma");
        return std::nullopt;
    }
    if (roots.size() == 2 && roots[0].address.family == net::Family::V6)
        std::swap(roots[0], roots[1]);
    return roots;
}

int runAllocate(const Invocation& call)
{
    const Arguments& a = call.args;
    const bool json = a.has("--json"), csv = a.has("--csv");
    if (a.positional.size() != 2)
        return call.refuse("takes ROOT SEGMENTS-FILE (mqnet plan allocate --help)");
    if (json && csv)
        return call.refuse("--csv and --json exclude each other");
    if (a.has("--header") && !csv)
        return call.refuse("--header is for --csv only");
    const auto roots = readRoots(call, a.positional[0]);
    if (!roots)
        return kExitBadInput;
    plan::CloudMode cloud = plan::CloudMode::None;
    if (const std::string* c = a.value("--cloud")) {
        const auto mode = plan::parseCloudMode(*c);
        if (!mode)
            return call.refuse("--cloud " + textio::escaped(*c) + " is not one of none, aws, azure, gcp, oci");
        cloud = *mode;
    }

    plan::Plan plan((*roots)[0]);
    if (roots->size() == 2)
        (void)plan.addRoot((*roots)[1]);
    plan.setSettings({a.has("--links-30"), a.has("--nibble"), cloud});

    std::vector<plan::Segment> segments;
    plan::SegmentLines reader(plan::onlyFamily(plan));
    const bool read = readListFile(call, a.positional[1], [&](const ListLine& line) {
        auto read = reader.read(line.content);
        if (const auto* e = std::get_if<net::ParseError>(&read))
            line.refuse(e->message);
        else if (auto& seg = std::get<std::optional<plan::Segment>>(read))
            segments.push_back(std::move(*seg));
    });
    if (!read)
        return kExitBadInput;
    const auto placements = plan::allocate(plan, plan.roots(), segments);
    const bool dual = roots->size() == 2;
    if (json)
        writeJson(call.out, *roots, placements);
    else if (csv)
        dual ? writeDualCsv(call.out, placements, a.has("--header"))
             : writeCsv(call.out, placements, a.has("--header"));
    else
        dual ? writeDualText(call.out, placements) : writeText(call.out, placements);
    if (csv) {  // scripts read the names as typed; a person opening the file is warned
        for (const auto& p : placements)
            if (textio::readsAsFormula(p.name))
                call.faults.say(
                    call.command.name,
                    plan::formulaWarning(p.prefix ? net::formatNetwork(*p.prefix) : std::string(), "name", p.name));
    }
    if (call.faults.refusedItems())
        return kExitBadInput;  // outranks a segment that did not fit
    const bool allPlaced = std::all_of(placements.begin(), placements.end(), [](const auto& p) { return p.placed(); });
    return allPlaced ? kExitOk : kExitNotFound;
}

}  // namespace

const Command kPlanAllocateCommand{
    "plan allocate",
    "[--links-30] [--nibble] [--cloud MODE] [--json | --csv [--header]] ROOT[,ROOT] SEGMENTS-FILE",
    "      places the segments of SEGMENTS-FILE (name, hosts[, growth%[, /len]] a line;\n"
    "      - for standard input) into ROOT, largest first at the lowest free aligned place,\n"
    "      as the network planner does; exit status 3 when a segment does not fit\n",
    "      ROOT is a prefix of either family (10.0.0.0/8, 2001:db8::/32), or an IPv4 and an\n"
    "      IPv6 prefix separated by a comma: each segment then gets a block in both\n"
    "      (dual-stack), or in neither when one of them has no room for it; the other\n"
    "      segments are placed as if it had not been asked for. A lone /len applies to\n"
    "      the family of a single ROOT. Largest first, entry order among equals, each at\n"
    "      the lowest free aligned place. An IPv4 segment takes the smallest block\n"
    "      holding hosts x (1 + growth) plus network and broadcast; 2 hosts a /31 and 1\n"
    "      host a /32. An IPv6 segment takes a /64 whatever its hosts. /len asks for that\n"
    "      length instead.\n"
    "      A line is name, hosts[, growth%][, /len][, /len][, vlan N]: a /len above 32 is\n"
    "      the IPv6 one. A line with a tab is split at tabs (a spreadsheet range), and a\n"
    "      first line naming the columns (name, hosts, growth, length, length6, vlan) is a\n"
    "      header. Hosts are written without thousands separators: \"staff, 1,000\" is\n"
    "      refused as it could mean 1 host with growth 000 % (a cell of a tab-separated\n"
    "      line may hold 1,000).\n"
    "      --links-30      1 and 2 hosts take a /30, the older practice\n"
    "      --nibble        IPv6 blocks other than /64 widened to a multiple of 4 bits\n"
    "      --cloud MODE    IPv4 subnets follow a cloud's rules: aws (5 addresses reserved,\n"
    "                      /16 to /28), azure (5, /29 smallest), gcp (4, /29 smallest), oci\n"
    "                      (3, /30 smallest); none (the default) for the standard rules\n"
    "      --json          the placements as one JSON object\n"
    "      --csv           name,prefix,first,last,broadcast,hosts,spare,reason (LF line ends);\n"
    "                      dual-stack: name,vlan,ipv4,first,last,broadcast,ipv6,ipv6_first,\n"
    "                      ipv6_last,hosts,needed,spare,ipv6_spare,reason; a name that a\n"
    "                      spreadsheet would read as a formula is kept as typed and named\n"
    "                      on standard error\n"
    "      --header        with --csv, a first line naming the columns\n",
    {{{"--json"}, {"--csv"}, {"--header"}, {"--links-30"}, {"--nibble"}, {"--cloud", true}}},
    runAllocate,
};

}  // namespace mq::mqnet
