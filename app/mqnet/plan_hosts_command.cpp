// mqnet plan hosts: a saved plan's hosts (name, addresses, MAC, DUID, role, block) as a
// table, CSV or JSON, and the faults of its subnets, so that a script or CI job can check a
// plan before its hosts are handed to a DHCP or DNS server.
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/plan_files.h"
#include "interchange/hosts_io.h"
#include "net/mac.h"
#include "plan/subnet.h"
#include "textio/escape.h"
#include "textio/json.h"

namespace mq::mqnet {

namespace {

constexpr const char* kColumns[] = {"name", "ipv4", "ipv6", "mac", "duid", "role", "block", "segment", "note"};

// A host's cells, in kColumns' order; absent values empty. The block is the assigned
// block that holds each address (both of a dual-stack host's, IPv4 first), the segment
// the name of the first of them.
std::vector<std::string> hostCells(const plan::Plan& plan, const plan::Host& h)
{
    std::string blocks, segment;
    for (const auto f : {net::Family::V4, net::Family::V6}) {
        const plan::BlockId b = plan::hostBlock(plan, h, f);
        if (b == plan::kNoBlock)
            continue;
        if (blocks.empty())
            segment = plan.block(b).name;
        else
            blocks += ' ';
        blocks += net::formatNetwork(plan.block(b).prefix);
    }
    return {h.name,
            h.v4 ? net::format(*h.v4) : std::string(),
            h.v6 ? net::format(*h.v6) : std::string(),
            h.mac ? net::formatMac(*h.mac) : std::string(),
            h.duid.empty() ? std::string() : net::formatDuid(h.duid),
            plan::roleName(h.role),
            std::move(blocks),
            std::move(segment),
            h.note};
}

void writeTable(BufferedWriter& out, const plan::Plan& plan)
{
    const auto& hosts = plan.hosts();
    writeColumns(out, hosts.size() + 1, [&](std::size_t i, std::vector<std::string>& cells) {
        if (i == 0) {
            cells.assign(std::begin(kColumns), std::end(kColumns));
            return;
        }
        cells = hostCells(plan, hosts[i - 1]);
        for (auto& c : cells) {
            c = textio::escaped(c, textio::kQuotedCell);  // a note's line breaks would break the columns
            if (c.empty())
                c = "-";
        }
    });
}

// One object a host, its members the table's columns; an absent address, MAC, DUID or block
// is null. Written a host at a time, so the output never holds more than one.
void writeJson(BufferedWriter& out, const plan::Plan& plan)
{
    std::string text;
    textio::json::Writer j(text);
    j.beginArray(textio::json::Layout::Indented);
    for (const plan::Host& h : plan.hosts()) {
        const std::vector<std::string> cells = hostCells(plan, h);
        j.beginObject();
        for (std::size_t c = 0; c < cells.size(); ++c) {
            j.key(kColumns[c]);
            const bool optional = c >= 1 && c <= 4;
            if (cells[c].empty() && (optional || c == 6))
                j.null();
            else
                j.string(cells[c]);
        }
        j.end();
        out.write(text);
        text.clear();
        if (out.failed())
            return;
    }
    j.end();
    text += '\n';
    out.write(text);
}

int runHosts(const Invocation& call)
{
    const Arguments& a = call.args;
    const bool json = a.has("--json"), csv = a.has("--csv");
    if (a.positional.size() != 1)
        return call.refuse("takes PLAN.mqplan (mqnet plan hosts --help)");
    if (json && csv)
        return call.refuse("--csv and --json exclude each other");
    const std::string& path = a.positional[0];
    const auto read = readPlanFile(call, path);
    if (!read)
        return kExitBadInput;
    const plan::Plan& plan = *read;
    if (json) {
        writeJson(call.out, plan);
    } else if (csv) {
        // For scripts: cells as typed, and the user told of those a spreadsheet would run.
        const auto r = interchange::exportHosts(plan, interchange::HostExport::Hosts, plan.ipamValues(),
                                                textio::CsvReader::Program);
        if (!r.error.empty())
            return call.refuse(textio::escaped(path) + ": " + r.error);
        call.out.write(r.text);
        for (const std::string& w : interchange::hostFormulaWarnings(plan))
            call.faults.say(call.command.name, w);
    } else {
        writeTable(call.out, plan);
    }
    const std::vector<plan::SubnetProblem> problems = plan::checkSubnets(plan);
    const std::string where = textio::escaped(path == "-" ? "standard input" : path);
    for (const plan::SubnetProblem& p : problems)
        call.faults.say(where, textio::escaped(p.message, textio::kQuotedReason));
    return problems.empty() ? kExitOk : kExitOverlaps;
}

}  // namespace

const Command kPlanHostsCommand{
    "plan hosts",
    "[--json | --csv] PLAN.mqplan",
    "      prints a saved plan's hosts, then the faults of its subnets on standard error;\n"
    "      exit status 4 when there are any, 2 when the document is refused\n",
    "      One row per host. Columns: name, ipv4, ipv6, mac, duid, role, block (the\n"
    "      assigned block of each address), segment (its name), note. The faults: an\n"
    "      address, gateway, kept address or range outside its block or on its network\n"
    "      or broadcast address; ranges overlapping each other, the gateway, kept\n"
    "      addresses or a host; an address, MAC or host name twice in the plan; a name\n"
    "      that is no DNS name; a host in no assigned block. Each names its block and host.\n"
    "      --json          an array of objects with the columns as members (null where a\n"
    "                      host has no such value)\n"
    "      --csv           the hosts CSV that plan hosts import reads back (CR LF line ends)\n",
    {{{"--json"}, {"--csv"}}},
    runHosts,
};

}  // namespace mq::mqnet
