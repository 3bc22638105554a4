// mqnet plan hosts import: hosts that another tool lists (a hosts CSV, NetBox's or phpIPAM's
// IP addresses, as CSV or a sheet of a workbook; an /etc/hosts file) placed into the assigned blocks of a saved plan
// that hold their addresses, and the plan written back; what cannot be placed is named with its line, and nothing is
// placed from it.
#include <algorithm>
#include <string>
#include <sys/stat.h>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/output_file.h"
#include "app/mqnet/plan_files.h"
#include "app/mqnet/workbook_input.h"
#include "interchange/hosts_io.h"
#include "plan/commands.h"
#include "plan/document.h"
#include "sheets/sheet_records.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

std::optional<interchange::HostFormat> readHostFormat(const Invocation& call)
{
    const std::string* text = call.args.value("--format");
    if (!text) {
        call.refuse("--format is required: csv, netbox, phpipam or hosts");
        return std::nullopt;
    }
    const auto format = interchange::parseHostFormat(*text);
    if (!format)
        call.refuse("--format " + textio::escaped(*text) + " is not one of csv, netbox, phpipam, hosts");
    return format;
}

struct Placed {
    bool any = false;  // something of the file went into the plan
    bool refused = false;  // some rows did not
    bool failed = false;  // the file as a whole was refused (named)
};

// Reads the file, names each row refused or changed (in line order, as plan import does)
// and places the rest in one step.
Placed placeHosts(const Invocation& call, plan::Plan& plan, const interchange::HostRead& read,
                  const std::string& source, const std::function<std::string(std::size_t)>& where)
{
    Placed placed;
    if (!read.error.empty()) {
        call.refuse(source + ": " + read.error);
        placed.failed = true;
        return placed;
    }
    interchange::HostImport import = interchange::checkHostImport(plan, read);
    std::vector<textio::Problem> told = import.refused;
    told.insert(told.end(), import.notes.begin(), import.notes.end());
    std::stable_sort(told.begin(), told.end(), [](const auto& x, const auto& y) { return x.line < y.line; });
    for (const textio::Problem& n : told)
        call.faults.say(itemPlace(source, where, n.line), n.message);
    placed.refused = !import.refused.empty();
    if (import.empty())
        return placed;
    plan::History history;
    if (auto r = history.run(plan, interchange::makeHostImport(std::move(import))); !r.empty()) {
        call.refuse(source + ": " + r);
        placed.failed = true;
        return placed;
    }
    placed.any = true;
    return placed;
}

int runHostsImport(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 2)
        return call.refuse("takes --format FORMAT PLAN.mqplan FILE (mqnet plan hosts import --help)");
    const auto format = readHostFormat(call);
    if (!format)
        return kExitBadInput;
    const std::string& planPath = a.positional[0];
    const std::string& path = a.positional[1];
    if (planPath == "-" && path == "-")
        return call.refuse("the plan and FILE cannot both be standard input");
    const std::string* given = a.value("-o");
    if (!given && planPath == "-")
        return call.refuse("a plan read from standard input needs -o OUT (- for standard output)");
    const std::string out = given ? *given : planPath;
    if (out.empty())
        return call.refuse("-o needs a file name");
    if (out != "-")
        if (const int r = checkOutputFile(call, out, &planPath, true); r != kExitOk)
            return r;  // said before the work, not after it
    plan::FileLock lock;  // held until the plan is written back
    auto plan = readPlanFile(call, planPath, &lock);
    if (!plan)
        return kExitBadInput;
    const std::string source = textio::escaped(path == "-" ? "standard input" : path);
    const auto workbook = readsWorkbook(call, path);
    if (!workbook)
        return kExitBadInput;
    interchange::RecordSource sheet = sheets::sheetRecords(path, sheetOption(call));
    std::optional<interchange::HostRead> read;
    if (*workbook) {
        read = interchange::readHostTable(*format, sheet);
    } else if (const auto text = readWholeFile(call, path)) {
        read = interchange::readHostFile(*format, *text);
        sheet = {};
    } else {
        return kExitBadInput;
    }
    const Placed placed = placeHosts(call, *plan, *read, source, sheet.where);
    if (placed.failed)
        return kExitBadInput;
    if (!placed.any) {
        // The plan as it was would only be written again.
        struct stat st { };
        call.faults.say(call.command.name,
                        (placed.refused ? "nothing was placed, so " : source + " holds no hosts, so ") +
                            (out == "-" ? std::string("nothing was written")
                                        : textio::escaped(out) + (::stat(out.c_str(), &st) == 0 ? " was left as it was"
                                                                                                : " was not written")));
        return placed.refused ? kExitBadInput : kExitOk;
    }
    if (out == "-") {
        plan::writeDocument(*plan, [&](std::string_view piece) { call.out.write(piece); });
    } else if (auto r = writePlanDocument(out, *plan); !r.empty()) {
        call.faults.say(call.command.name, r);
        return kExitOutputFailed;
    }
    return placed.refused ? kExitBadInput : kExitOk;
}

}  // namespace

const Command kPlanHostsImportCommand{
    "plan hosts import",
    "--format FORMAT [-o OUT.mqplan] [--sheet NAME] PLAN.mqplan FILE",
    "      places the hosts of FILE (- for standard input) into the assigned blocks of PLAN\n"
    "      that hold their addresses and writes the plan back; FORMAT is csv, netbox,\n"
    "      phpipam or hosts; exit status 2 when some rows were not placed\n",
    "      csv: the hosts CSV (plan hosts --csv, plan export --format hosts), columns\n"
    "      by header name. netbox: NetBox's IP-address export (address, dns_name,\n"
    "      description, status, role...), or its IP-range export (start_address,\n"
    "      end_address: DHCP ranges of the block that holds them). phpipam: phpIPAM's\n"
    "      IP-address export (ip_addr, hostname, mac, description, note, is_gateway...).\n"
    "      hosts: /etc/hosts lines (ADDRESS NAME [ALIAS...], # comments; aliases are left\n"
    "      out and named). A name that already has an address of the other family\n"
    "      becomes one dual-stack host. Rows that cannot be read, lie in no assigned block\n"
    "      or clash with a host of the plan or the file are named on standard error with\n"
    "      their lines, and nothing is placed from them; the rest is placed all the same.\n"
    "      A FILE named *.xlsx (or a zip archive) is read as a workbook (csv, netbox and\n"
    "      phpipam): its first sheet, a cell a field, the same header names and rules,\n"
    "      each row named by sheet and row; the workbook of plan export --format xlsx\n"
    "      reads back with --sheet hosts.\n"
    "      -o OUT          write the plan to OUT (- for standard output) instead of back to\n"
    "                      PLAN: replaced atomically, through symbolic links, keeping its\n"
    "                      mode and owner; nothing is written when nothing was placed\n"
    "      --sheet NAME    read the workbook's sheet NAME (any case) instead of its first;\n"
    "                      a workbook without it is refused with the names of its sheets\n",
    {{{"--format", true}, {"-o", true}, {"--sheet", true}}},
    runHostsImport,
};

}  // namespace mq::mqnet
