// mqnet plan allocate: the segments of a file placed into a root block, as text for people,
// JSON or CSV for scripts.
#include <algorithm>
#include <array>
#include <string>
#include <sys/stat.h>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_file.h"
#include "app/mqnet/output_file.h"
#include "app/mqnet/plan_allocate_options.h"
#include "app/mqnet/plan_files.h"
#include "app/mqnet/workbook_input.h"
#include "net/parse.h"
#include "plan/allocate.h"
#include "plan/commands.h"
#include "plan/csv.h"
#include "plan/document.h"
#include "plan/fields.h"
#include "plan/segments.h"
#include "plan/subnet.h"
#include "sheets/segment_sheet.h"
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

// "10.40.0.0/16,2001:db8:40::/48": the roots as every reader of roots takes them
// (plan::parseRoots); the allocator fills one block of each family.
std::optional<std::vector<net::Prefix>> readRoots(const Invocation& call, const std::string& arg)
{
    auto read = plan::parseRoots(arg);
    if (!read) {
        call.refuse(textio::describe(read.problem()));
        return std::nullopt;
    }
    std::vector<net::Prefix> roots = std::move(read).value();
    if (roots.size() > 2 || (roots.size() == 2 && roots[0].address.family == roots[1].address.family)) {
        call.refuse("ROOT " + textio::quoted(arg) +
                    ": give one prefix, or one IPv4 and one IPv6 prefix separated by a comma");
        return std::nullopt;
    }
    if (roots.size() == 2 && roots[0].address.family == net::Family::V6)
        std::swap(roots[0], roots[1]);
    return roots;
}

// The blocks of an existing plan to allocate in: those named (one, or one of each family),
// else its first root of each family.
std::optional<std::vector<plan::BlockId>> targetsIn(const Invocation& call, const plan::Plan& plan,
                                                    const std::string* named)
{
    std::vector<plan::BlockId> targets;
    if (!named) {
        for (net::Family f : {net::Family::V4, net::Family::V6})
            if (const plan::BlockId r = plan.rootOf(f); r != plan::kNoBlock)
                targets.push_back(r);
        return targets;
    }
    const auto roots = readRoots(call, *named);
    if (!roots)
        return std::nullopt;
    for (const net::Prefix& p : *roots) {
        const plan::BlockId b = plan.blockOf(p);
        if (b == plan::kNoBlock || plan.block(b).prefix.length != p.length) {
            call.refuse("ROOT " + net::formatNetwork(p) + " is not a block of " +
                        textio::escaped(*call.args.value("--into")));
            return std::nullopt;
        }
        targets.push_back(b);
    }
    return targets;
}

// The plan to allocate in: a new one of ROOT, or the --into document (locked until it is
// written back); and its targets.
std::optional<plan::Plan> planToAllocate(const Invocation& call, std::vector<plan::BlockId>& targets,
                                         plan::FileLock& lock)
{
    const Arguments& a = call.args;
    std::optional<plan::Plan> plan;
    const std::string* into = a.value("--into");
    if (into) {
        plan = readPlanFile(call, *into, &lock);
        if (!plan)
            return std::nullopt;
        const auto t = targetsIn(call, *plan, a.positional.size() == 2 ? &a.positional[0] : nullptr);
        if (!t)
            return std::nullopt;
        targets = *t;
    } else {
        const auto roots = readRoots(call, a.positional[0]);
        if (!roots)
            return std::nullopt;
        plan.emplace((*roots)[0]);
        if (roots->size() == 2)
            (void)plan->addRoot((*roots)[1]);
        targets = plan->roots();
    }
    plan::Settings s = plan->settings();
    if (!readSettings(call, s))
        return std::nullopt;
    if (!into) {
        plan->setSettings(s);
    } else if (const std::string r = plan::setRulesKeepingLayouts(*plan, s); !r.empty()) {
        call.refuse(textio::escaped(*into) + ": " + r);  // the rules are for the new blocks only
        return std::nullopt;
    }
    return plan;
}

// Where the document goes: -o, else the --into file itself (an edit of the plan named, as
// plan hosts import makes one); nullptr when no document is asked for.
const std::string* documentPath(const Arguments& a)
{
    const std::string* out = a.value("-o");
    return out ? out : a.value("--into");
}

// The allocation made blocks of the plan (the planner's own command) and the document
// written; nothing is written when no segment was placed. The exit status, kExitOk when
// written.
int writePlan(const Invocation& call, plan::Plan& plan, const std::vector<plan::BlockId>& targets,
              std::vector<plan::Segment> segments, bool anyPlaced)
{
    const std::string& path = *documentPath(call.args);
    if (!anyPlaced) {
        struct stat st { };
        call.faults.say(call.command.name,
                        "nothing was placed, so " + textio::escaped(path) +
                            (::stat(path.c_str(), &st) == 0 ? " was left as it was" : " was not written"));
        return kExitOk;  // the status says that a segment did not fit
    }
    plan::History history;
    if (auto r = history.run(plan, plan::makeAllocate(targets, std::move(segments))); !r.empty())
        return call.refuse(r);
    if (path == "-") {
        plan::writeDocument(plan, [&](std::string_view piece) { call.out.write(piece); });
    } else if (auto r = writePlanDocument(path, plan); !r.empty()) {
        call.faults.say(call.command.name, r);
        return kExitOutputFailed;
    }
    return kExitOk;
}

// The argument checks made before any file is read: kExitOk, or the status to end with.
int checkArguments(const Invocation& call)
{
    const Arguments& a = call.args;
    const std::string* into = a.value("--into");
    if (into ? a.positional.empty() || a.positional.size() > 2 : a.positional.size() != 2)
        return call.refuse(into ? "takes --into PLAN [ROOT[,ROOT]] SEGMENTS-FILE (mqnet plan allocate --help)"
                                : "takes ROOT SEGMENTS-FILE (mqnet plan allocate --help)");
    if (a.has("--json") && a.has("--csv"))
        return call.refuse("--csv and --json exclude each other");
    if (a.has("--header") && !a.has("--csv"))
        return call.refuse("--header is for --csv only");
    const std::string* doc = documentPath(a);
    for (const char* o : {"--gateway", "--kept", "--dhcp", "--dhcp6"})
        if (a.value(o) && !doc)
            return call.refuse(std::string(o) + " sets a rule of the plan document: give -o PLAN or --into PLAN");
    if (doc && doc->empty())
        return call.refuse(a.value("-o") ? "-o needs a file name" : "--into needs a file name");
    if (doc && *doc != "-")
        return checkOutputFile(call, *doc, into, true);  // said before the work, not after it
    return kExitOk;
}

void writeAllocation(const Invocation& call, const std::vector<net::Prefix>& roots,
                     const std::vector<plan::Placement>& placements)
{
    const Arguments& a = call.args;
    const bool dual = roots.size() == 2;
    if (a.has("--json"))
        writeJson(call.out, roots, placements);
    else if (a.has("--csv"))
        dual ? writeDualCsv(call.out, placements, a.has("--header"))
             : writeCsv(call.out, placements, a.has("--header"));
    else
        dual ? writeDualText(call.out, placements) : writeText(call.out, placements);
    if (a.has("--csv")) {  // scripts read the names as typed; a person opening the file is warned
        for (const auto& p : placements)
            if (textio::readsAsFormula(p.name))
                call.faults.say(
                    call.command.name,
                    plan::formulaWarning(p.prefix ? net::formatNetwork(*p.prefix) : std::string(), "name", p.name));
    }
}

// The segments of the list file, or of a workbook's sheet; each line or row refused named.
bool readSegments(const Invocation& call, const std::vector<net::Prefix>& roots, std::vector<plan::Segment>& segments)
{
    const std::string& path = call.args.positional.back();
    const auto only = roots.size() == 1 ? std::optional(roots[0].address.family) : std::nullopt;
    const auto workbook = readsWorkbook(call, path);
    if (!workbook)
        return false;
    if (*workbook) {
        sheets::SegmentSheet sheet = sheets::readSegmentSheet(path, sheetOption(call), only);
        for (const textio::Problem& n : sheet.notes)
            call.faults.refusedAt(textio::escaped(path) + " " + sheets::rowName(sheet.sheet, n.line), n.message);
        segments = std::move(sheet.segments);
        if (!sheet.error.empty())
            call.refuse("cannot read " + textio::escaped(path) + ": " + sheet.error);
        return sheet.error.empty();
    }
    plan::SegmentLines reader(only);
    return readListFile(call, path, [&](const ListLine& line) {
        auto read = reader.read(line.content);
        if (const auto* e = std::get_if<net::ParseError>(&read))
            line.refuse(e->message);
        else if (auto& seg = std::get<std::optional<plan::Segment>>(read))
            segments.push_back(std::move(*seg));
    });
}

int runAllocate(const Invocation& call)
{
    const Arguments& a = call.args;
    if (const int status = checkArguments(call); status != kExitOk)
        return status;
    std::vector<plan::BlockId> targets;
    plan::FileLock lock;
    auto plan = planToAllocate(call, targets, lock);
    if (!plan)
        return kExitBadInput;
    std::vector<net::Prefix> roots;
    for (plan::BlockId t : targets)
        roots.push_back(plan->block(t).prefix);

    std::vector<plan::Segment> segments;
    if (!readSegments(call, roots, segments))
        return kExitBadInput;
    const auto placements = plan::allocate(*plan, targets, segments);
    const std::string* doc = documentPath(a);
    if (!doc || *doc != "-")
        writeAllocation(call, roots, placements);
    const bool anyPlaced = std::any_of(placements.begin(), placements.end(), [](const auto& p) { return p.placed(); });
    if (doc)
        if (const int status = writePlan(call, *plan, targets, std::move(segments), anyPlaced); status != kExitOk)
            return status;
    if (call.faults.refusedItems())
        return kExitBadInput;  // outranks a segment that did not fit
    const bool allPlaced = std::all_of(placements.begin(), placements.end(), [](const auto& p) { return p.placed(); });
    return allPlaced ? kExitOk : kExitNotFound;
}

}  // namespace

const Command kPlanAllocateCommand{
    "plan allocate",
    "[OPTIONS] [--json | --csv [--header]] [-o PLAN] ROOT[,ROOT] SEGMENTS-FILE\n"
    "        mqnet plan allocate [OPTIONS] --into PLAN [-o OUT] [ROOT[,ROOT]] SEGMENTS-FILE",
    "      places the segments of SEGMENTS-FILE (name, hosts[, growth%[, /len]] a line;\n"
    "      - for standard input) into ROOT, or into the free space of an existing plan,\n"
    "      largest first at the lowest free aligned place, as the network planner does;\n"
    "      -o writes the plan document; exit status 3 when a segment does not fit\n",
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
    "      A SEGMENTS-FILE named *.xlsx (or a zip archive) is read as a workbook: its first\n"
    "      sheet (or --sheet NAME, any case), a row a line, a cell a field, under the same\n"
    "      header names; each row refused is named by sheet and row.\n"
    "      --links-30      1 and 2 hosts take a /30, the older practice\n"
    "      --nibble        IPv6 blocks other than /64 widened to a multiple of 4 bits\n"
    "      --vlan-numbering  each IPv6 segment takes the /64 whose subnet ID is its VLAN\n"
    "                      ID written as digits (vlan 120 in 2001:db8:40::/48 is\n"
    "                      2001:db8:40:120::/64; a /56 root has room for 2 digits, a\n"
    "                      /52 for 3, a /48 for 4); a segment without a VLAN, sharing one,\n"
    "                      asking for a length other than /64 or whose /64 is taken is\n"
    "                      refused with the reason\n"
    "      --cloud MODE    IPv4 subnets follow a cloud's rules: aws (5 addresses reserved,\n"
    "                      /16 to /28), azure (5, /29 smallest), gcp (4, /29 smallest), oci\n"
    "                      (3, /30 smallest); none (the default) for the standard rules\n"
    "      --json          the placements as one JSON object\n"
    "      --csv           name,prefix,first,last,broadcast,hosts,spare,reason (LF line ends);\n"
    "                      dual-stack: name,vlan,ipv4,first,last,broadcast,ipv6,ipv6_first,\n"
    "                      ipv6_last,hosts,needed,spare,ipv6_spare,reason; a name that a\n"
    "                      spreadsheet would read as a formula is kept as typed and named\n"
    "                      on standard error\n"
    "      --header        with --csv, a first line naming the columns\n"
    "      -o PLAN         also write the plan as a .mqplan document (- : the document on\n"
    "                      standard output instead of the placements); replaced\n"
    "                      atomically, and left as it was when nothing was placed\n"
    "      --into PLAN     allocate into the free space of a saved plan (- for standard\n"
    "                      input): ROOT, when given, names its blocks to allocate in (else\n"
    "                      its first root of each family); every block, name, host and\n"
    "                      layout stays (the options below are the rules of the new\n"
    "                      blocks: a block already there keeps its gateway, kept\n"
    "                      addresses and ranges), and the plan is written back to PLAN\n"
    "                      unless -o names another file\n"
    "      With a document (-o or --into), the layout rules of its subnets:\n"
    "      --gateway R     first, last (the first or last usable address) or none\n"
    "      --kept N        the first N usable addresses kept for network devices\n"
    "      --dhcp R        none, upper-half, or FROM-TO: offsets in the block (0 is the\n"
    "                      network address), clipped to the usable addresses\n"
    "      --dhcp6 M       slaac, stateful or both: how IPv6 blocks hand out addresses\n"
    "      --sheet NAME    the sheet of a workbook SEGMENTS-FILE to read instead of its\n"
    "                      first; a workbook without it is refused with its sheets' names\n",
    {{{"--json"},
      {"--csv"},
      {"--header"},
      {"--links-30"},
      {"--nibble"},
      {"--vlan-numbering"},
      {"--cloud", true},
      {"-o", true},
      {"--into", true},
      {"--gateway", true},
      {"--kept", true},
      {"--dhcp", true},
      {"--dhcp6", true},
      {"--sheet", true}}},
    runAllocate,
};

}  // namespace mq::mqnet
