// mqnet plan export: a saved plan in the format another tool imports: NetBox's or phpIPAM's
// CSV, visualsubnetcalc's JSON or share link, or the plan's leaves as CSV.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/plan_files.h"
#include "interchange/formula_cells.h"
#include "interchange/plan_adapter.h"
#include "plan/document.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

// A value given for the IPAM: the rules of a block's name; false (named) when refused.
bool takeValue(const Invocation& call, const char* option, std::string& to)
{
    const std::string* v = call.args.value(option);
    if (!v)
        return true;
    if (auto r = plan::checkName(*v); !r.empty()) {
        call.refuse(std::string(option) + " " + textio::escaped(*v) + ": the value " + r);
        return false;
    }
    to = *v;
    return true;
}

int runExport(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 1)
        return call.refuse("takes --format FORMAT PLAN.mqplan (mqnet plan export --help)");
    const auto format = readFormat(call, interchange::Format::List, "csv");
    if (!format)
        return kExitBadInput;
    const std::string& path = a.positional[0];
    const auto read = readPlanFile(call, path);
    if (!read)
        return kExitBadInput;
    const plan::Plan& plan = *read;

    interchange::PlanValues values = interchange::valuesOf(plan);
    for (auto [option, to] : {std::pair{"--tenant", &values.ipam.tenant},
                              {"--role", &values.ipam.role},
                              {"--vrf", &values.ipam.vrf},
                              {"--section", &values.ipam.section},
                              {"--domain", &values.ipam.domain},
                              {"--customer", &values.ipam.customer},
                              {"--vlan-group", &values.ipam.vlanGroup},
                              {"--site", &values.ipam.site}})
        if (!takeValue(call, option, *to))
            return kExitBadInput;
    if (const std::string* tags = a.value("--tags")) {
        values.ipam.tags.clear();
        for (std::size_t from = 0; from <= tags->size();) {
            const std::size_t comma = std::min(tags->find(',', from), tags->size());
            std::string tag = tags->substr(from, comma - from);
            if (auto r = plan::checkName(tag); !r.empty() || tag.empty())
                return call.refuse("--tags " + textio::escaped(*tags) + ": a tag " + (tag.empty() ? "is empty" : r));
            if (auto r = plan::checkSlug(tag); !r.empty())
                return call.refuse("--tags " + textio::escaped(*tags) + ": \"" + textio::escaped(tag) + "\" " + r);
            values.ipam.tags.push_back(std::move(tag));
            from = comma + 1;
        }
    }
    interchange::ExportOptions options;
    options.includeFree = a.has("--include-free");
    const interchange::WriteResult r = interchange::exportPlan(plan, *format, values, options);
    if (!r.error.empty())
        return call.refuse(textio::escaped(path) + ": " + r.error);
    for (const auto& n : r.notices)
        call.faults.say(call.command.name, interchange::describe(n));
    for (const auto& c : interchange::formulaCells(plan, *format, values, options))
        call.faults.say(call.command.name, plan::describe(plan, c));
    call.out.write(r.text);
    if (*format == interchange::Format::VscLink)
        call.out.write("\n");
    return kExitOk;
}

}  // namespace

const Command kPlanExportCommand{
    "plan export",
    "--format FORMAT [VALUES] [--include-free] PLAN.mqplan",
    "      writes a saved plan in the format another tool imports: netbox, phpipam,\n"
    "      vsc-json, vsc-link (visualsubnetcalc) or csv (the plan's leaves)\n",
    "      netbox: prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags\n"
    "      (and vlan_group,vlan_site when given); roots and split blocks with a name, note\n"
    "      or colour as container, assigned ones as active, reserved ones as reserved;\n"
    "      the halves that splitting made are left out. Values read from an IPAM for one\n"
    "      prefix are written back with it.\n"
    "      phpipam: Section,Subnet,Mask,Description,VLAN,Domain,VRF, the same blocks; a\n"
    "      section is required. vsc-json and vsc-link: the first IPv4 root's tree with\n"
    "      notes, colours and the cloud mode (other roots are named on standard error and\n"
    "      left out).\n"
    "      CSV files have CR LF line ends. In csv, a name or note that a spreadsheet\n"
    "      would read as a formula (it starts with = + - @, a tab or CR) is written after\n"
    "      a '; netbox and phpipam keep it as it is and name it on standard error.\n"
    "      VALUES, any of the options below, replace those the plan keeps.\n"
    "      --tenant, --role, --vrf   NetBox objects by name (--vrf also phpIPAM's VRF)\n"
    "      --tags A,B      NetBox tag slugs\n"
    "      --vlan-group, --site      NetBox's VLAN group and site, which tell VLANs of\n"
    "                      the same ID apart\n"
    "      --section, --domain       phpIPAM's section and VLAN domain\n"
    "      --customer      kept in the plan (phpIPAM's import does not read it)\n"
    "      --include-free  free blocks too (NetBox: as reserved; phpIPAM: as subnets)\n",
    {{{"--format", true},
      {"--tenant", true},
      {"--role", true},
      {"--vrf", true},
      {"--tags", true},
      {"--section", true},
      {"--domain", true},
      {"--customer", true},
      {"--vlan-group", true},
      {"--site", true},
      {"--include-free"}}},
    runExport,
};

}  // namespace mq::mqnet
