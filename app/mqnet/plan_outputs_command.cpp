// mqnet plan outputs: the settings a saved plan's DHCP and DNS configuration is written with
// (what the planner's Outputs dialog sets), shown, or set and the plan written back.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/deploy_files.h"
#include "app/mqnet/plan_files.h"
#include "net/parse.h"
#include "plan/fields.h"
#include "plan/output_keys.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

using plan::OutputValue;

// Every output setting's option, in the order of the settings.
constexpr std::array<Option, 20> outputOptions()
{
    static_assert(plan::kOutputKeyCount <= 20, "a Command takes 20 options");
    std::array<Option, 20> options{};
    for (std::size_t i = 0; i < plan::kOutputKeyCount; ++i)
        options[i] = {plan::kOutputKeys[i].option, true};
    return options;
}

std::string addressList(const std::vector<net::Address>& addresses)
{
    std::string s;
    for (const net::Address& a : addresses)
        s += (s.empty() ? "" : ",") + net::format(a);
    return s;
}

// One setting as the options that would set it: one row, or one for each item of a list.
void addRows(std::vector<std::pair<std::string, std::string>>& rows, const plan::OutputKey& k,
             const plan::OutputSettings& s)
{
    const std::string option(k.option);
    switch (k.value) {
    case OutputValue::Name:
    case OutputValue::Text: rows.emplace_back(option, s.*k.text); break;
    case OutputValue::Seconds: rows.emplace_back(option, std::to_string(s.*k.seconds)); break;
    case OutputValue::Servers:
        for (const net::Address& a : s.dnsServers)
            rows.emplace_back(option, net::format(a));
        break;
    case OutputValue::NameServers:
        for (const plan::NameServer& ns : s.nameServers)
            rows.emplace_back(option, ns.name + (ns.addresses.empty() ? "" : "=" + addressList(ns.addresses)));
        break;
    case OutputValue::ZoneCut4: rows.emplace_back(option, std::to_string(s.zoneCut4)); break;
    case OutputValue::ZoneCut6: rows.emplace_back(option, std::to_string(s.zoneCut6)); break;
    case OutputValue::Naming:
        rows.emplace_back(option, s.naming == plan::ReverseNaming::Slash ? "slash" : "dash");
        break;
    case OutputValue::Rfc2317: rows.emplace_back(option, s.rfc2317 == plan::Rfc2317::All ? "all" : "none"); break;
    case OutputValue::Delegated:
        for (const net::Prefix& p : s.delegated)
            rows.emplace_back(option, net::formatNetwork(p));
        break;
    case OutputValue::YesNo: rows.emplace_back(option, s.emptyReverseZones ? "yes" : "no"); break;
    }
}

// The settings as the options that would set them: "--domain campus.example", one a line.
std::string describe(const plan::OutputSettings& s)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const plan::OutputKey& k : plan::kOutputKeys)
        addRows(rows, k, s);
    std::string text;
    for (const auto& [option, value] : rows) {
        text += option + std::string(option.size() < 21 ? 21 - option.size() : 1, ' ');
        text += value.empty() ? std::string("-") : textio::escaped(value, textio::kQuotedCell);
        text += '\n';
    }
    return text;
}

std::optional<std::vector<net::Address>> readAddresses(const Invocation& call, const char* option,
                                                       const std::string& given, std::string_view list)
{
    auto read = plan::parseAddressList(list, plan::kMaxDnsServers);
    if (!read) {
        call.refuse(std::string(option) + " " + textio::escaped(given) + ": " + read.problem().message);
        return std::nullopt;
    }
    return std::move(read).value();
}

// The repeatable --dns-server and --name-server NAME[=ADDR,...]: each given list replaces
// the plan's, and an empty value leaves it empty.
bool readServers(const Invocation& call, plan::OutputSettings& s)
{
    if (const auto* all = call.args.all("--dns-server")) {
        s.dnsServers.clear();
        for (const std::string& v : *all) {
            const auto a =
                v.empty() ? std::optional(std::vector<net::Address>{}) : readAddresses(call, "--dns-server", v, v);
            if (!a)
                return false;
            s.dnsServers.insert(s.dnsServers.end(), a->begin(), a->end());
        }
    }
    if (const auto* all = call.args.all("--name-server")) {
        s.nameServers.clear();
        for (const std::string& v : *all) {
            if (v.empty())
                continue;
            const std::size_t equals = v.find('=');
            plan::NameServer ns{v.substr(0, equals)};
            if (equals != std::string::npos) {
                auto a = readAddresses(call, "--name-server", v, std::string_view(v).substr(equals + 1));
                if (!a)
                    return false;
                ns.addresses = std::move(*a);
            }
            s.nameServers.push_back(std::move(ns));
        }
    }
    return true;
}

// --rfc2317, --empty-reverse-zones, and the repeatable --delegate PREFIX[,PREFIX...]: the
// lists given replace the plan's, an empty value leaves it empty.
bool readDelegation(const Invocation& call, plan::OutputSettings& s)
{
    const Arguments& a = call.args;
    using R = plan::Rfc2317;
    if (const std::string* v = a.value("--rfc2317")) {
        const auto r = readChoice<R>(call, "--rfc2317", *v, {{"none", R::None}, {"all", R::All}});
        if (!r)
            return false;
        s.rfc2317 = *r;
    }
    if (const std::string* v = a.value("--empty-reverse-zones")) {
        const auto on = readChoice<bool>(call, "--empty-reverse-zones", *v, {{"yes", true}, {"no", false}});
        if (!on)
            return false;
        s.emptyReverseZones = *on;
    }
    if (const auto* all = a.all("--delegate")) {
        s.delegated.clear();
        for (const std::string& v : *all) {
            auto list = plan::parseDelegatedList(v);
            if (const auto* why = std::get_if<std::string>(&list)) {
                call.refuse("--delegate " + textio::escaped(v) + ": " + *why);
                return false;
            }
            const auto& got = std::get<std::vector<net::Prefix>>(list);
            s.delegated.insert(s.delegated.end(), got.begin(), got.end());
        }
        std::sort(s.delegated.begin(), s.delegated.end());
    }
    return true;
}

bool readSettings(const Invocation& call, plan::OutputSettings& s)
{
    const Arguments& a = call.args;
    for (const plan::OutputKey& k : plan::kOutputKeys) {
        const std::string* v = a.value(k.option);
        if (!v)
            continue;
        if (k.text)
            s.*k.text = *v;
        if (!k.seconds)
            continue;
        const auto n = plan::parseSeconds(*v);
        if (!n) {
            call.refuse(std::string(k.option) + " " + n.problem().message);
            return false;
        }
        s.*k.seconds = *n;
    }
    using N = plan::ReverseNaming;
    if (const std::string* v = a.value("--naming")) {
        const auto naming = readChoice<N>(call, "--naming", *v, {{"slash", N::Slash}, {"dash", N::Dash}});
        if (!naming)
            return false;
        s.naming = *naming;
    }
    if (!readServers(call, s) || !readZoneCuts(call, s) || !readDelegation(call, s))
        return false;
    plan::qualifyNames(s);
    return true;
}

int runOutputs(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 1)
        return call.refuse("takes PLAN.mqplan (mqnet plan outputs --help)");
    const std::string& path = a.positional[0];
    plan::FileLock lock;  // held until the settings are recorded
    auto plan = readPlanFile(call, path, &lock);
    if (!plan)
        return kExitBadInput;
    if (a.values.empty()) {
        call.out.write(describe(plan->outputSettings()));
        return kExitOk;
    }
    plan::OutputSettings s = plan->outputSettings();
    if (!readSettings(call, s))
        return kExitBadInput;
    if (const std::string why = plan::checkNewOutputs(*plan, s); !why.empty())
        return call.refuse(why);  // it quotes what it names escaped
    if (s == plan->outputSettings()) {
        call.faults.say(call.command.name,
                        "the settings are as given already, so " + textio::escaped(path) + " was left as it was");
        return kExitOk;
    }
    plan->setOutputSettings(std::move(s));
    return recordPlan(call, path, *plan, "the output settings") ? kExitOk : kExitOutputFailed;
}

}  // namespace

const Command kPlanOutputsCommand{
    "plan outputs",
    "[SETTINGS] PLAN.mqplan",
    "      shows the settings a saved plan's DHCP and DNS configuration is written with\n"
    "      (plan dhcp, plan dns), one option a line, or sets those given and writes the plan\n"
    "      back; exit status 2, with the reason, when a setting cannot be written\n",
    "      SETTINGS, any of:\n"
    "      --domain D      the forward zone and the DHCP domain name: campus.example\n"
    "      --dns-server A  a DNS server handed out by DHCP (IPv4 by DHCPv4, IPv6 by DHCPv6);\n"
    "                      again for more, A,B for several; an empty value for none\n"
    "      --name-server NAME[=ADDR,...]   a name server of every zone (the first is the\n"
    "                      SOA's primary), with its addresses when its name lies in the\n"
    "                      domain; again for more, an empty value for none\n"
    "                      (a NAME without a dot lies in the domain, as does an M)\n"
    "      --hostmaster M  the SOA's mailbox as a name; \"\" for hostmaster.DOMAIN\n"
    "      --ttl, --refresh, --retry, --expire, --minimum N   the zones' TTLs, seconds\n"
    "      --valid-lifetime, --preferred-lifetime N   DHCP lease lifetimes, seconds\n"
    "      --interface I   the interface the DHCP server listens on; \"\" for every one\n"
    "      --lease-file F  the Kea lease file; \"\" for the server's default\n"
    "      --zone-cut N    IPv4 reverse zones per /8, /16 or /24\n"
    "      --zone-cut6 N   IPv6 reverse zones per /N, a multiple of 4 (0: one per root)\n"
    "      --naming slash|dash   RFC 2317 child zones as 64/26 or 64-127\n"
    "      --rfc2317 none|all   whether every IPv4 block longer than /24 gets an RFC 2317\n"
    "                      child zone (CNAMEs and NS records in the zone at the cut); none,\n"
    "                      the default: its PTRs stand in the zone at the cut\n"
    "      --delegate P[,P...]   these blocks get a child zone all the same (assigned\n"
    "                      IPv4 blocks longer than /24); again for more, \"\" for none\n"
    "      --empty-reverse-zones yes|no   every reverse zone at the cut that covers an\n"
    "                      assigned block is written even when it names no address, so\n"
    "                      that the server answers NXDOMAIN for it (default yes)\n"
    "      PLAN is replaced atomically; a setting given again replaces the one before\n"
    "      (but --dns-server, --name-server and --delegate add up). The listing shows -\n"
    "      for \"\".\n",
    outputOptions(),
    runOutputs,
};

}  // namespace mq::mqnet
