// mqnet plan dns: a saved plan's DNS zones as BIND master files, and the named.conf stanzas
// that load them, written into a folder all or none. A zone's serial rises only when its
// content changes, so the serials are kept in the plan's file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/deploy_files.h"
#include "app/mqnet/output_file.h"
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

// The folder's files that the output replaces, as they are now (nullopt: not there), so
// that they can be put back when the plan cannot keep the serials they were written with.
std::vector<std::optional<std::string>> filesNow(const std::string& prefix,
                                                 const std::vector<deploy::OutputFile>& files)
{
    std::vector<std::optional<std::string>> now;
    for (const deploy::OutputFile& f : files) {
        struct stat st { };
        std::ifstream in;
        if (::stat((prefix + f.name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            in.open(prefix + f.name, std::ios::binary);  // what is no file, writeFolder refuses
        now.push_back(in.is_open() ? std::optional(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt);
    }
    return now;
}

// The folder as filesNow found it; empty when it is, else the cause.
std::string putBack(const std::string& folder, const std::string& prefix, const std::vector<deploy::OutputFile>& files,
                    const std::vector<std::optional<std::string>>& was)
{
    std::vector<deploy::OutputFile> old;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (was[i])
            old.push_back({files[i].name, *was[i]});
        else if (std::remove((prefix + files[i].name).c_str()) != 0)
            return files[i].name + ": " + std::strerror(errno);
    }
    return deploy::writeFolder(folder, old);
}

// The zone files, then the serials they were written with: the plan changes only once the
// files are in place, and the files are put back when the plan cannot keep the serials (a
// serial the plan does not keep could be handed out again for other content).
int writeZonesAndSerials(const Invocation& call, const std::string& folder, const std::string& path, plan::Plan& plan,
                         deploy::ZoneOutput& zones)
{
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    for (const deploy::OutputFile& f : zones.files)
        if (sameFile(prefix + f.name, path))
            return call.refuse(textio::escaped(prefix + f.name) + " is the plan " + textio::escaped(path) +
                               ": writing the zones would replace it; give another folder");
    const std::size_t n = changedSerials(plan.zoneSerials(), zones.serials);
    const std::string what = n == 1 ? "the serial of 1 zone" : "the serials of " + std::to_string(n) + " zones";
    if (n > 0) {
        if (const std::string why = planWritable(path); !why.empty()) {
            call.faults.say(call.command.name, "cannot record " + what + ": " + why + "; nothing was written");
            return kExitOutputFailed;
        }
    }
    const auto was = n > 0 ? filesNow(prefix, zones.files) : std::vector<std::optional<std::string>>();
    if (const std::string r = deploy::writeFolder(folder, zones.files); !r.empty()) {
        call.faults.say(call.command.name, "cannot write into " + textio::escaped(folder) + ": " + r +
                                               "; no file of it was replaced and the plan was left as it was");
        return kExitOutputFailed;
    }
    if (n > 0) {
        plan.setZoneSerials(std::move(zones.serials));
        if (const std::string why = writePlanDocument(path, plan); !why.empty()) {
            const std::string back = putBack(folder, prefix, zones.files, was);
            call.faults.say(call.command.name,
                            "cannot record " + what + ": " + why +
                                (back.empty()
                                     ? "; the files of " + textio::escaped(folder) + " were put back as they were"
                                     : "; the zone files were written but could not be put back (" + back +
                                           "): they hold serials the plan does not keep"));
            return kExitOutputFailed;
        }
        call.faults.say(call.command.name, "recorded " + what + " in " + textio::escaped(path));
    }
    for (const deploy::OutputFile& f : zones.files)
        call.out.write(textio::escaped(prefix + f.name, textio::kQuotedPath) + "\n");
    return kExitOk;
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
    plan::FileLock lock;  // held until the serials are recorded
    auto plan = readPlanFile(call, path, &lock);
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
    auto written = deploy::writeZones(deploy::prepare(*plan, {}, {deploy::Output::Zones}), deploy::todayUtc());
    if (const auto* problems = std::get_if<textio::Problems>(&written))
        return refuseOutput(call, *problems);
    plan->setOutputSettings(kept);
    return writeZonesAndSerials(call, *folder, path, *plan, std::get<deploy::ZoneOutput>(written));
}

}  // namespace

const Command kPlanDnsCommand{
    "plan dns",
    "[--zone-cut N] [--zone-cut6 N] -d DIR PLAN.mqplan",
    "      writes a saved plan's DNS zones (BIND master files) and named.conf.zones into\n"
    "      DIR, every file or none, and lists them; exit status 2, with every reason, when\n"
    "      the plan cannot give them\n",
    "      The forward zone of the plan's domain holds the A and AAAA records of every host\n"
    "      and gateway; the reverse zones their PTR records and those of the name servers'\n"
    "      addresses in the plan, cut per /24 (or the plan's setting) in in-addr.arpa and\n"
    "      at a nibble boundary in ip6.arpa. Every reverse zone at the cut that covers an\n"
    "      assigned block is written, empty or not (unless --empty-reverse-zones no). A\n"
    "      block longer than /24 has its PTRs in the zone at the cut, or, with --rfc2317\n"
    "      all or --delegate, RFC 2317 classless delegation: CNAMEs and NS records in the\n"
    "      zone at the cut and a child zone of its own. SOA and NS records, TTLs,\n"
    "      delegation and the naming of child zones come from the plan's output settings\n"
    "      (mqnet plan outputs).\n"
    "      named.conf.zones has a zone stanza for each file, named relative to named's\n"
    "      directory. A zone's serial (YYYYMMDDnn) rises when its content changes: the\n"
    "      serials are recorded into PLAN (replaced atomically) and named on standard\n"
    "      error; the files are written first and PLAN after: when PLAN or DIR cannot\n"
    "      be written nothing is changed at all (exit status 1), and DIR may not hold\n"
    "      PLAN itself (exit status 2).\n"
    "      -d DIR          the folder (it must exist); its other files are left alone\n"
    "      --zone-cut N    IPv4 reverse zones per /8, /16 or /24, for this run only\n"
    "      --zone-cut6 N   IPv6 reverse zones per /N, a multiple of 4 (0: one per root),\n"
    "                      for this run only\n",
    {{{"-d", true}, {"--zone-cut", true}, {"--zone-cut6", true}}},
    runDns,
};

}  // namespace mq::mqnet
