// mqnet plan dhcp: a saved plan's DHCP server configuration, for Kea (DHCPv4 or DHCPv6, a
// whole file or the subnet list to include) or dnsmasq. Kea ties its leases to subnet IDs,
// so the IDs handed out are kept in the plan's file: the next export gives each block the
// same one.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/deploy_files.h"
#include "app/mqnet/output_file.h"
#include "app/mqnet/plan_files.h"
#include "deploy/dnsmasq.h"
#include "deploy/kea.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

enum class DhcpFormat : std::uint8_t { Kea4, Kea6, Dnsmasq };

deploy::Written writeDhcp(const plan::Plan& plan, DhcpFormat format, bool fragment, const plan::DhcpIds& ids)
{
    if (format == DhcpFormat::Dnsmasq)
        return deploy::writeDnsmasq(deploy::prepare(plan, ids, {deploy::Output::Dnsmasq}));
    const bool v4 = format == DhcpFormat::Kea4;
    return deploy::writeKea(deploy::prepare(plan, ids, {v4 ? deploy::Output::Kea4 : deploy::Output::Kea6}),
                            v4 ? net::Family::V4 : net::Family::V6,
                            fragment ? deploy::KeaForm::Fragment : deploy::KeaForm::Whole);
}

std::size_t newIds(const plan::DhcpIds& before, const plan::DhcpIds& after)
{
    std::size_t n = 0;
    for (const auto& entry : after)
        n += before.find(entry.first) == before.end() ? 1 : 0;
    return n;
}

int runDhcp(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 1)
        return call.refuse("takes --format FORMAT PLAN.mqplan (mqnet plan dhcp --help)");
    const std::string* key = a.value("--format");
    if (!key)
        return call.refuse("--format is required: kea4, kea6 or dnsmasq");
    using F = DhcpFormat;
    const auto format =
        readChoice<F>(call, "--format", *key, {{"kea4", F::Kea4}, {"kea6", F::Kea6}, {"dnsmasq", F::Dnsmasq}});
    if (!format)
        return kExitBadInput;
    const bool fragment = a.has("--fragment");
    if (fragment && *format == F::Dnsmasq)
        return call.refuse("--fragment is for kea4 and kea6: dnsmasq reads whole files");
    const std::string* out = a.value("-o");
    if (out && out->empty())
        return call.refuse("-o needs a file name");
    if (out && *out != "-")
        if (const int r = checkOutputFile(call, *out); r != kExitOk)
            return r;  // said before the work, not after it
    const std::string& path = a.positional[0];
    plan::FileLock lock;  // the IDs handed out may be recorded
    auto plan = readPlanFile(call, path, &lock);
    if (!plan)
        return kExitBadInput;
    const plan::DhcpIds ids = deploy::assignDhcpIds(*plan);
    const deploy::Written written = writeDhcp(*plan, *format, fragment, ids);
    if (const auto* problems = std::get_if<textio::Problems>(&written))
        return refuseOutput(call, *problems);
    if (const std::size_t n = newIds(plan->dhcpIds(), ids); n > 0) {
        plan->setDhcpIds(ids);
        const std::string what = std::to_string(n) + (n == 1 ? " new subnet ID" : " new subnet IDs");
        if (!recordPlan(call, path, *plan, what))
            return kExitOutputFailed;
    }
    std::string text;
    for (const deploy::OutputFile& f : std::get<std::vector<deploy::OutputFile>>(written))
        text += f.text;
    if (out && *out != "-") {
        if (const std::string r = writeFileAtomically(*out, text); !r.empty()) {
            call.faults.say(call.command.name, r);
            return kExitOutputFailed;
        }
        return kExitOk;
    }
    call.out.write(text);
    return kExitOk;
}

}  // namespace

const Command kPlanDhcpCommand{
    "plan dhcp",
    "--format kea4|kea6|dnsmasq [--fragment] [-o FILE] PLAN.mqplan",
    "      writes a saved plan's DHCP server configuration: Kea's DHCPv4 or DHCPv6 (strict\n"
    "      JSON) or dnsmasq's; exit status 2, with every reason, when the plan cannot give one\n",
    "      kea4: Dhcp4 with the interface, the memfile lease database and the lifetimes of\n"
    "      the plan's output settings (mqnet plan outputs), and a subnet4 entry per assigned\n"
    "      IPv4 block: its ID, pools (the DHCP ranges), routers (the gateway), DNS servers,\n"
    "      domain name, and a reservation (hw-address, ip-address, hostname) per host with a\n"
    "      MAC. kea6: Dhcp6 with subnet6 entries: pools, pd-pools, dns-servers, and\n"
    "      reservations by DUID or MAC. dnsmasq: dhcp-range, dhcp-option (router, DNS),\n"
    "      dhcp-host and host-record lines, block after block.\n"
    "      Each block keeps its Kea subnet ID from one export to the next: the IDs the plan\n"
    "      did not have yet are recorded into PLAN (replaced atomically) and named on\n"
    "      standard error; when PLAN cannot be written nothing is written at all (exit\n"
    "      status 1). A plan is refused, each fault with its block, when a DHCP range has no\n"
    "      gateway, a host name is no DNS label, a setting cannot be written, or the plan's\n"
    "      subnets have faults (mqnet plan hosts lists them).\n"
    "      --format kea4 | kea6 | dnsmasq   the server\n"
    "      --fragment      the subnet4 (subnet6) list alone, for \"subnet4\": <?include \"FILE\"?>\n"
    "      -o FILE         write to FILE (replaced atomically) instead of standard output\n",
    {{{"--format", true}, {"--fragment"}, {"-o", true}}},
    runDhcp,
};

}  // namespace mq::mqnet
