// mqnet plan export: a saved plan in the format another tool imports: NetBox's or phpIPAM's
// CSV, visualsubnetcalc's JSON or share link, or the plan's leaves as CSV.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/output_file.h"
#include "app/mqnet/plan_files.h"
#include "interchange/formula_cells.h"
#include "interchange/hosts_io.h"
#include "interchange/plan_adapter.h"
#include "interchange/plan_sheets.h"
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

constexpr std::string_view kOwnFormats = "subnets, hosts, netbox-ip, netbox-ranges, phpipam-ip, etc-hosts, xlsx";

// The plan's tables as one workbook, a sheet each. Its cells are never formulas, so nothing
// a spreadsheet would run needs naming.
int exportWorkbook(const Invocation& call, const std::string* out)
{
    if (const int r = requireWorkbookOutput(call, "--format xlsx"); r != kExitOk)
        return r;
    if (call.args.has("--include-free"))
        return call.refuse("--include-free is for the prefix formats, not xlsx");
    const auto read = readPlanFile(call, call.args.positional[0]);
    if (!read)
        return kExitBadInput;
    return deliverWorkbook(call, out, interchange::planSheets(*read));
}

// What lies inside the subnets: their layouts, the hosts, the IPAMs' IP addresses and
// ranges, /etc/hosts.
int exportHosts(const Invocation& call, const plan::Plan& plan, interchange::HostExport what,
                const plan::IpamValues& values, const std::string* out)
{
    using interchange::HostExport;
    if (call.args.has("--include-free"))
        return call.refuse("--include-free is for the prefix formats, not " +
                           std::string(interchange::hostExportKey(what)));
    const interchange::WriteResult r = interchange::exportHosts(plan, what, values);
    if (!r.error.empty())
        return call.refuse(textio::escaped(call.args.positional[0]) + ": " + r.error);
    for (const auto& n : r.notices)
        call.faults.say(call.command.name, textio::describe(n));
    if (what == HostExport::NetboxAddresses || what == HostExport::NetboxRanges || what == HostExport::PhpipamAddresses)
        for (const std::string& w : interchange::hostFormulaWarnings(plan))
            call.faults.say(call.command.name, w);
    return deliver(call, out, r.text);
}

int runExport(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 1)
        return call.refuse("takes --format FORMAT PLAN.mqplan (mqnet plan export --help)");
    const std::string* key = a.value("--format");
    if (!key)
        return call.refuse("--format is required: one of netbox, phpipam, vsc-json, vsc-link, csv, " +
                           std::string(kOwnFormats));
    const std::string* out = nullptr;
    if (const int r = outputPath(call, out); r != kExitOk)
        return r;
    if (*key == "xlsx")
        return exportWorkbook(call, out);
    const auto hostFormat = interchange::parseHostExport(*key);
    const auto format = hostFormat ? std::optional(interchange::Format::Csv)
                                   : readFormat(call, interchange::Format::List, "csv, " + std::string(kOwnFormats));
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
    if (hostFormat)
        return exportHosts(call, plan, *hostFormat, values.ipam, out);
    interchange::ExportOptions options;
    options.includeFree = a.has("--include-free");
    const interchange::WriteResult r = interchange::exportPlan(plan, *format, values, options);
    if (!r.error.empty())
        return call.refuse(textio::escaped(path) + ": " + r.error);
    for (const auto& n : r.notices)
        call.faults.say(call.command.name, textio::describe(n));
    for (const auto& c : interchange::formulaCells(plan, *format, values, options))
        call.faults.say(call.command.name, plan::describe(plan, c));
    return deliver(call, out, *format == interchange::Format::VscLink ? r.text + "\n" : r.text);
}

}  // namespace

const Command kPlanExportCommand{
    "plan export",
    "--format FORMAT [VALUES] [--include-free] [-o FILE] PLAN.mqplan",
    "      writes a saved plan in the format another tool imports: netbox, phpipam,\n"
    "      vsc-json, vsc-link (visualsubnetcalc) or csv (the plan's leaves); what lies\n"
    "      inside its subnets: subnets, hosts, netbox-ip, netbox-ranges, phpipam-ip or\n"
    "      etc-hosts; or xlsx, a workbook of the plan's tables\n",
    "      netbox: prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags\n"
    "      (and vlan_group,vlan_site when given); roots and split blocks with a name, note\n"
    "      or colour as container, assigned ones as active, reserved ones as reserved;\n"
    "      the halves that splitting made are left out. Values read from an IPAM for one\n"
    "      prefix are written back with it.\n"
    "      phpipam: Section,Subnet,Mask,Description,VLAN,Domain,VRF, the same blocks; a\n"
    "      section is required. vsc-json and vsc-link: the first IPv4 root's tree with\n"
    "      notes, colours and the cloud mode (other roots are named on standard error and\n"
    "      left out).\n"
    "      subnets: one row per assigned block (each family its own): name, vlan, prefix,\n"
    "      mask, wildcard, network, gateway, first, last, broadcast, ranges, kept, static,\n"
    "      usable, free. hosts: the hosts CSV (name, ipv4, ipv6, mac, duid, role, note,\n"
    "      block, segment) that plan hosts import --format csv reads back. netbox-ip:\n"
    "      NetBox's IP-address CSV (address with its block's length, status, dns_name,\n"
    "      description, tenant, vrf, tags; the gateway and kept addresses too), netbox-ranges:\n"
    "      its IP-range CSV of the DHCP ranges (mark_utilized). phpipam-ip: phpIPAM's\n"
    "      IP-address CSV (section, ip_addr, subnet, hostname, mac, is_gateway...).\n"
    "      etc-hosts: ADDRESS<TAB>NAME lines, both addresses of a dual-stack host. What\n"
    "      the IPAMs have no column for (MAC, DUID, role) goes into comments, tags or notes\n"
    "      that plan hosts import reads back.\n"
    "      CSV files have CR LF line ends. In csv, a name or note that a spreadsheet\n"
    "      would read as a formula (it starts with = + - @, a tab or CR) is written after\n"
    "      a '; netbox and phpipam keep it as it is and name it on standard error.\n"
    "      xlsx: a sheet per table, with a bold header row that stays in view: allocations\n"
    "      (the table of plan show; a sheet per root, \"allocations 10.40.0.0-16\", when\n"
    "      its rows lie in several), leaves (csv), subnets and hosts (the formats of those\n"
    "      names). VLANs and counts are numbers where a spreadsheet holds them exactly (up\n"
    "      to 2^53), larger counts and every address text; a name or note that reads as a\n"
    "      formula stays text. It needs -o.\n"
    "      -o FILE         writes FILE (replaced only once the whole export is written)\n"
    "                      instead of standard output (-o -)\n"
    "      VALUES, any of the options below, replace those the plan keeps.\n"
    "      --tenant, --role, --vrf   NetBox objects by name (--vrf also phpIPAM's VRF)\n"
    "      --tags A,B      NetBox tag slugs\n"
    "      --vlan-group, --site      NetBox's VLAN group and site, which tell VLANs of\n"
    "                      the same ID apart\n"
    "      --section, --domain       phpIPAM's section and VLAN domain\n"
    "      --customer      kept in the plan (phpIPAM's import does not read it)\n"
    "      --include-free  free blocks too (NetBox: as reserved; phpIPAM: as subnets);\n"
    "                      not with the formats of the subnets' insides\n",
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
      {"--include-free"},
      {"-o", true}}},
    runExport,
};

}  // namespace mq::mqnet
