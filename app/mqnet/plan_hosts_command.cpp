// mqnet plan hosts: a saved plan's hosts (name, addresses, MAC, DUID, role, block) as a
// table, CSV or JSON, and the faults of its subnets, so that a script or CI job can check a
// plan before its hosts are handed to a DHCP or DNS server.
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/plan_files.h"
#include "interchange/hosts_io.h"
#include "plan/subnet.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/json.h"

namespace mq::mqnet {

namespace {

// The hosts CSV's records (header first) as every form of the listing shows them: the
// table and the JSON are the same cells as the CSV, made in one place.
textio::CsvTable hostRecords(const plan::Plan& plan)
{
    const auto r =
        interchange::exportHosts(plan, interchange::HostExport::Hosts, plan.ipamValues(), textio::CsvReader::Program);
    return textio::readCsv(r.text);
}

void writeTable(BufferedWriter& out, const textio::CsvTable& table)
{
    writeColumns(out, table.records.size(), [&](std::size_t i, std::vector<std::string>& cells) {
        cells = table.records[i].fields;
        for (auto& c : cells) {
            c = textio::escaped(c, textio::kQuotedCell);  // a note's line breaks would break the columns
            if (c.empty())
                c = "-";
        }
    });
}

// One object a host, its members the CSV's columns; an absent address, MAC, DUID or block
// is null. Written a host at a time, so the JSON text never holds more than one.
void writeJson(BufferedWriter& out, const textio::CsvTable& table)
{
    const std::vector<std::string>& header = table.records.front().fields;
    std::vector<bool> nullable;
    for (const std::string& column : header)
        nullable.push_back(column != "name" && column != "role" && column != "note" && column != "segment");
    std::string text;
    textio::json::Writer j(text);
    j.beginArray(textio::json::Layout::Indented);
    for (std::size_t i = 1; i < table.records.size() && !out.failed(); ++i) {
        const std::vector<std::string>& cells = table.records[i].fields;
        j.beginObject();
        for (std::size_t c = 0; c < header.size() && c < cells.size(); ++c) {
            j.key(header[c]);
            if (cells[c].empty() && nullable[c])
                j.null();
            else
                j.string(cells[c]);
        }
        j.end();
        out.write(text);
        text.clear();
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
    if (csv) {
        // For scripts: cells as typed, and the user told of those a spreadsheet would run.
        call.out.write(interchange::exportHosts(plan, interchange::HostExport::Hosts, plan.ipamValues(),
                                                textio::CsvReader::Program)
                           .text);
        for (const std::string& w : interchange::hostFormulaWarnings(plan))
            call.faults.say(call.command.name, w);
    } else if (json) {
        writeJson(call.out, hostRecords(plan));
    } else {
        writeTable(call.out, hostRecords(plan));
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
    "      One row per host. Columns: name, ipv4, ipv6, mac, duid, role, note, block (the\n"
    "      assigned block of each address), segment (its name). The faults: an\n"
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
