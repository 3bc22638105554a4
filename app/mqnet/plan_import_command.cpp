// mqnet plan import: prefixes that exist elsewhere (a list, NetBox or phpIPAM CSV or a sheet
// of a workbook holding one, a visualsubnetcalc JSON or link) placed into a new plan of the given roots, written as a
// .mqplan document; what cannot be placed is named with its line.
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_file.h"
#include "app/mqnet/output_file.h"
#include "app/mqnet/plan_files.h"
#include "app/mqnet/workbook_input.h"
#include "interchange/plan_adapter.h"
#include "interchange/prefix_list.h"
#include "plan/commands.h"
#include "plan/document.h"
#include "plan/fields.h"
#include "sheets/sheet_records.h"
#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

namespace {

// "10.0.0.0/8,2001:db8::/32": the roots as every reader of roots takes them (plan::parseRoots).
std::optional<plan::Plan> readRoots(const Invocation& call, const std::string& arg)
{
    const auto roots = plan::parseRoots(arg);
    if (!roots) {
        call.refuse(textio::describe(roots.problem()));
        return std::nullopt;
    }
    plan::Plan plan(roots->front());
    for (std::size_t i = 1; i < roots->size(); ++i)
        if (auto r = plan.addRoot((*roots)[i]); !r.empty()) {
            call.refuse("ROOT " + net::formatNetwork((*roots)[i]) + ": " + r);
            return std::nullopt;
        }
    return plan;
}

// The file's items. A list is read a line at a time, as every other list is, so that one
// long line costs no more than the line reader's limit; the other formats are read whole.
std::optional<interchange::ImportRead> readImport(const Invocation& call, interchange::Format format,
                                                  const std::string& path, const interchange::RecordSource* sheet)
{
    if (sheet)
        return interchange::readTableForImport(format, *sheet);
    if (format != interchange::Format::List) {
        const auto text = readWholeFile(call, path);
        if (!text)
            return std::nullopt;
        return interchange::readForImport(format, *text);
    }
    const std::string source = sourceName(path);
    call.input = source;
    std::FILE* in = openInputFile(call, path);
    if (!in)
        return std::nullopt;
    interchange::ImportRead read = interchange::readListForImport(in);
    textio::closeInput(in);
    if (!read.error.empty()) {
        call.refuse("cannot read " + textio::escaped(source) + ": " + read.error);
        return std::nullopt;
    }
    return read;
}

int runImport(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 2)
        return call.refuse("takes --format FORMAT ROOT[,ROOT...] FILE (mqnet plan import --help)");
    const auto format = readFormat(call, interchange::Format::Csv, "list");
    if (!format)
        return kExitBadInput;
    auto plan = readRoots(call, a.positional[0]);
    if (!plan)
        return kExitBadInput;
    const std::string* out = a.value("-o");
    if (out && *out != "-") {
        if (out->empty())
            return call.refuse("-o needs a file name");
        if (const int r = checkOutputFile(call, *out, nullptr, true); r != kExitOk)
            return r;  // said before the work, not after it
    }
    const std::string& path = a.positional[1];
    const std::string source = textio::escaped(path == "-" ? "standard input" : path);
    const auto workbook = readsWorkbook(call, path);
    if (!workbook)
        return kExitBadInput;
    const auto sheet = *workbook ? std::optional(sheets::sheetRecords(path, sheetOption(call))) : std::nullopt;
    const auto where = sheet ? sheet->where : interchange::RecordSource().where;
    const auto imported = readImport(call, *format, path, sheet ? &*sheet : nullptr);
    if (!imported)
        return kExitBadInput;
    const interchange::ImportRead& read = *imported;
    if (!read.error.empty())
        return call.refuse(source + ": " + read.error);
    const plan::ImportCheck check = plan::checkImport(*plan, read.items);
    const std::vector<textio::Problem> told = interchange::reportImport(read, check).notes;
    for (const textio::Problem& n : told)
        call.faults.say(itemPlace(source, where, n.line), n.message);
    const bool refused = !told.empty();
    if (!check.accepted.empty()) {
        plan::History history;
        if (auto r = history.run(*plan, plan::makeImport(read.items)); !r.empty())
            return call.refuse(source + ": " + r);
    }
    interchange::keepValues(*plan, read.values);
    if (out && *out != "-" && refused && check.accepted.empty()) {
        // A plan of bare roots would only take the place of the one the user had there.
        struct stat st { };
        call.faults.say(call.command.name,
                        "nothing was placed, so " + textio::escaped(*out) +
                            (::stat(out->c_str(), &st) == 0 ? " was left as it was" : " was not written"));
        return kExitBadInput;
    }
    if (out && *out != "-") {
        if (auto r = writePlanDocument(*out, *plan); !r.empty()) {
            call.faults.say(call.command.name, r);
            return kExitOutputFailed;
        }
    } else {
        plan::writeDocument(*plan, [&](std::string_view piece) { call.out.write(piece); });
    }
    return refused ? kExitBadInput : kExitOk;
}

}  // namespace

const Command kPlanImportCommand{
    "plan import",
    "--format FORMAT [-o OUT.mqplan] [--sheet NAME] ROOT[,ROOT...] FILE",
    "      places the prefixes of FILE (- for standard input) into a new plan of the ROOT\n"
    "      blocks and writes it as a .mqplan document; FORMAT is list, netbox, phpipam,\n"
    "      vsc-json or vsc-link; exit status 2 when some items were not placed\n",
    "      list: prefix[, name[, note]] a line (an address alone is its /32 or /128; #\n"
    "      comments). netbox and phpipam: their CSV, columns by header name, with status,\n"
    "      VLAN and the tenant, VRF, section... kept in the plan for the next export (a\n"
    "      prefix keeps its own tenant, role, VRF, status and pool where rows differ).\n"
    "      vsc-json and vsc-link: visualsubnetcalc's tree, notes, colours and cloud mode.\n"
    "      A FILE named *.xlsx (or a zip archive) is read as a workbook: list, netbox and\n"
    "      phpipam from its first sheet, a cell a field, the same header names and rules,\n"
    "      each item named by sheet and row.\n"
    "      Each prefix becomes a block, the tree split in halves down to it; containers\n"
    "      stay split, and in NetBox and phpIPAM files a prefix holding others is their\n"
    "      container. Items that overlap each other, lie outside every root or cannot be\n"
    "      read are named on standard error with their lines, and nothing is placed from\n"
    "      them; the rest is placed all the same.\n"
    "      -o OUT          write the plan to OUT instead of standard output: replaced\n"
    "                      atomically, through symbolic links, keeping its mode and owner;\n"
    "                      a folder, device or FIFO is refused, and OUT is left as it was\n"
    "                      when nothing was placed\n"
    "      --sheet NAME    read the workbook's sheet NAME (any case) instead of its first;\n"
    "                      a workbook without it is refused with the names of its sheets\n",
    {{{"--format", true}, {"-o", true}, {"--sheet", true}}},
    runImport,
};

}  // namespace mq::mqnet
