// mqnet plan dns: a saved plan's DNS zones as BIND master files, and the named.conf stanzas
// that load them, written into a folder all or none. A zone's serial rises only when its
// content changes, so the serials are kept in the plan's file.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/deploy_files.h"
#include "app/mqnet/plan_files.h"
#include "deploy/folder.h"
#include "deploy/zones.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

std::size_t changedSerials(const plan::ZoneSerials& before, const plan::ZoneSerials& after)
{
    std::size_t n = 0;
    for (const auto& [zone, serial] : after) {
        const auto it = before.find(zone);
        n += it == before.end() || it->second != serial ? 1 : 0;
    }
    return n;
}

int runDns(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 1)
        return call.refuse("takes -d DIR PLAN.mqplan (mqnet plan dns --help)");
    const std::string* folder = a.value("-d");
    if (!folder || folder->empty())
        return call.refuse("-d DIR is required: the folder the zone files are written into");
    const std::string& path = a.positional[0];
    auto plan = readPlanFile(call, path);
    if (!plan)
        return kExitBadInput;
    const plan::OutputSettings kept = plan->outputSettings();
    plan::OutputSettings settings = kept;
    if (!readZoneCuts(call, settings))
        return kExitBadInput;
    if (const std::string why = folderWritable(*folder); !why.empty()) {
        call.faults.say(call.command.name, why);
        return kExitOutputFailed;
    }
    plan->setOutputSettings(settings);  // the cuts of this run only: they are not recorded
    auto written = deploy::writeZones(*plan, deploy::todayUtc());
    if (const auto* faults = std::get_if<std::vector<deploy::Fault>>(&written))
        return refuseOutput(call, *faults);
    deploy::ZoneOutput& zones = std::get<deploy::ZoneOutput>(written);
    // The serials first: a zone written with a serial the plan has not kept could get the
    // same serial again for other content.
    if (const std::size_t n = changedSerials(plan->zoneSerials(), zones.serials); n > 0) {
        plan->setOutputSettings(kept);
        plan->setZoneSerials(std::move(zones.serials));
        const std::string what = n == 1 ? "the serial of 1 zone" : "the serials of " + std::to_string(n) + " zones";
        if (!recordPlan(call, path, *plan, what))
            return kExitOutputFailed;
    }
    if (const std::string r = deploy::writeFolder(*folder, zones.files); !r.empty()) {
        call.faults.say(call.command.name,
                        "cannot write into " + textio::escaped(*folder) + ": " + r + "; no file of it was replaced");
        return kExitOutputFailed;
    }
    const std::string prefix = folder->ends_with('/') ? *folder : *folder + "/";
    for (const deploy::OutputFile& f : zones.files)
        call.out.write(textio::escaped(prefix + f.name, textio::kQuotedPath) + "\n");
    return kExitOk;
}

}  // namespace

const Command kPlanDnsCommand{
    "plan dns",
    "[--zone-cut N] [--zone-cut6 N] -d DIR PLAN.mqplan",
    "      writes a saved plan's DNS zones (BIND master files) and named.conf.zones into\n"
    "      DIR, every file or none, and lists them; exit status 2, with every reason, when\n"
    "      the plan cannot give them\n",
    "      The forward zone of the plan's domain holds the A and AAAA records of every host\n"
    "      and gateway; the reverse zones their PTR records, cut per /24 (or the plan's\n"
    "      setting) in in-addr.arpa and at a nibble boundary in ip6.arpa. A block longer\n"
    "      than /24 gets RFC 2317 classless delegation: CNAMEs and NS records in its /24's\n"
    "      zone and a child zone of its own. SOA and NS records, TTLs and the naming of\n"
    "      child zones come from the plan's output settings (mqnet plan outputs).\n"
    "      named.conf.zones has a zone stanza for each file, named relative to named's\n"
    "      directory. A zone's serial (YYYYMMDDnn) rises when its content changes: the\n"
    "      serials are recorded into PLAN (replaced atomically) and named on standard\n"
    "      error; when PLAN or DIR cannot be written nothing is written at all (exit\n"
    "      status 1).\n"
    "      -d DIR          the folder (it must exist); its other files are left alone\n"
    "      --zone-cut N    IPv4 reverse zones per /8, /16 or /24, for this run only\n"
    "      --zone-cut6 N   IPv6 reverse zones per /N, a multiple of 4 (0: one per root),\n"
    "                      for this run only\n",
    {{{"-d", true}, {"--zone-cut", true}, {"--zone-cut6", true}}},
    runDns,
};

}  // namespace mq::mqnet
