// The BIND zones of the campus plan and of random plans, checked by BIND itself: every file
// loads in named-checkzone and named-checkconf, and a running named answers each name and
// address as the plan gives them.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "deploy/zones.h"
#include "tests/deploy/deploy_plans.h"
#include "tests/support/files.h"

namespace mq::deploy {
namespace {

constexpr std::uint32_t kToday = 20261210;

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool onPath(const std::string& program)
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string dir; std::getline(path, dir, ':');)
        if (::access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

ZoneOutput zonesOf(const plan::Plan& p, std::uint32_t today = kToday)
{
    auto out = writeZones(prepare(p, {}), today);
    if (auto* faults = std::get_if<textio::Problems>(&out)) {
        ADD_FAILURE() << "refused: " << (faults->empty() ? "" : faults->front().message);
        return {};
    }
    return std::get<ZoneOutput>(std::move(out));
}

// The fragment's stanzas, zone name to file name.
std::map<std::string, std::string> stanzas(const ZoneOutput& z)
{
    std::map<std::string, std::string> out;
    const std::string& conf = z.files.back().text;
    const std::regex stanza("zone \"([^\"]+)\" \\{ type primary; file \"([^\"]+)\"; \\};");
    for (auto it = std::sregex_iterator(conf.begin(), conf.end(), stanza); it != std::sregex_iterator(); ++it)
        out[(*it)[1]] = (*it)[2];
    return out;
}

// A port of 127.0.0.1 free for both UDP and TCP just now, 0 when none was found.
int freePort()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        const int udp = ::socket(AF_INET, SOCK_DGRAM, 0), tcp = ::socket(AF_INET, SOCK_STREAM, 0);
        const bool free = ::bind(udp, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                          ::getsockname(udp, reinterpret_cast<sockaddr*>(&a), &size) == 0 &&
                          ::bind(tcp, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(udp);
        ::close(tcp);
        if (free)
            return ntohs(a.sin_port);
    }
    return 0;
}

// The files, and a named.conf that serves them on the port with the test's own folder for
// everything named writes.
std::string saved(const test::TempDir& dir, const ZoneOutput& z, int port)
{
    for (const OutputFile& f : z.files)
        dir.write(f.name, f.text);
    const std::string d = dir.path();
    return dir.write("named.conf", "logging { channel log { file \"" + d +
                                       "named.log\"; severity info; };\n"
                                       "  category default { log; }; };\noptions { directory \"" +
                                       d + "\"; pid-file \"" + d + "named.pid\"; session-keyfile \"" + d +
                                       "session.key\";\n  listen-on port " + std::to_string(port) +
                                       " { 127.0.0.1; }; listen-on-v6 { none; }; recursion no; dnssec-validation "
                                       "no; };\ncontrols { };\ninclude \"" +
                                       d + "named.conf.zones\";\n");
}

// named as a daemon, which returns once it serves; stopped by the pid it wrote however the
// test ends (it removes that file as it exits).
struct Named {
    Named(const std::string& conf, std::string pidFile) : pidFile(std::move(pidFile))
    {
        std::vector<std::string> args{"-c", conf};
        if (::geteuid() == 0)
            args.insert(args.end(), {"-u", "root"});
        started = test::runProgram("named", args);
    }
    ~Named()
    {
        const pid_t pid = std::atoi(test::readFile(pidFile).c_str());
        if (pid <= 0 || ::kill(pid, SIGTERM) != 0)
            return;
        for (int i = 0; i < 100 && ::access(pidFile.c_str(), F_OK) == 0; ++i)  // at most about 5 s
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (::access(pidFile.c_str(), F_OK) == 0)
            ::kill(pid, SIGKILL);
    }
    std::string pidFile;
    test::Outcome started;
};

using Answers = std::multimap<std::string, std::string>;  // owner: "TYPE data", lower case

// Asks named every "NAME TYPE" of queries in one run of dig, adding the answers' records.
// A busy machine may keep named from answering at once: each query is tried for up to 30 s.
void ask(int port, const std::vector<std::string>& queries, Answers& into)
{
    std::vector<std::string> args{"@127.0.0.1", "-p",      std::to_string(port), "+noall", "+answer", "+norec",
                                  "+time=5",    "+tries=6"};
    args.insert(args.end(), queries.begin(), queries.end());
    std::istringstream lines(test::runProgram("dig", args).out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string owner, ttl, cls, type, data;
        if (fields >> owner >> ttl >> cls >> type >> data)
            into.emplace(lower(owner), type + ' ' + lower(data));
    }
}

// The names of queries ("NAME PTR", ...) that named answers NXDOMAIN: each answer's header
// gives its status, the question line after it the name asked.
std::set<std::string> nxdomains(int port, const std::vector<std::string>& queries)
{
    std::vector<std::string> args{
        "@127.0.0.1", "-p", std::to_string(port), "+noall", "+comments", "+question", "+norec", "+time=5", "+tries=6"};
    args.insert(args.end(), queries.begin(), queries.end());
    std::istringstream lines(test::runProgram("dig", args).out);
    std::set<std::string> out;
    std::string status;
    for (std::string line; std::getline(lines, line);) {
        if (const std::size_t at = line.find("status: "); line.starts_with(";; ->>HEADER<<-") && at != line.npos)
            status = line.substr(at + 8, line.find(',', at) - at - 8);
        else if (line.starts_with(";") && !line.starts_with(";;") && status == "NXDOMAIN")
            out.insert(lower(line.substr(1, line.find_first_of(" \t") - 1)));
    }
    return out;
}

// The reverse name of an address, spelled out here as RFC 1035 and RFC 3596 give it.
std::string reverseName(const net::Address& a)
{
    std::string out;
    const bool v4 = a.family == net::Family::V4;
    for (int i = 0; i < (v4 ? 4 : 32); ++i)
        out += (v4 ? std::to_string(unsigned(a.value >> (8 * i)) & 0xFFu)
                   : std::string(1, "0123456789abcdef"[unsigned(a.value >> (4 * i)) & 0xFu])) +
               '.';
    return out + (v4 ? "in-addr.arpa." : "ip6.arpa.");
}

// A name's absolute form, lower case: a host's whole name when it ends in the domain (as an
// import before the domain was set leaves it), else the name in the domain.
std::string absolute(const plan::Plan& p, const NamedAddress& n)
{
    const std::string domain = lower(p.outputSettings().domain);
    const std::string name = lower(n.host ? p.hosts()[*n.host].name : n.name);
    if (name == domain || name.ends_with('.' + domain))
        return name + '.';
    return name + '.' + domain + '.';
}

// The PTR every address should have: its name's, and for a name server's address in the
// plan that no name stands on, the server's.
std::map<net::Address, std::string> expectedPtrs(const plan::Plan& p)
{
    std::map<net::Address, std::string> out;
    for (const NamedAddress& n : dnsNames(p))
        out.emplace(n.address, absolute(p, n));
    for (const plan::NameServer& ns : p.outputSettings().nameServers)
        for (const net::Address& a : ns.addresses)
            if (p.leafAt(a) != plan::kNoBlock)
                out.emplace(a, lower(ns.name) + '.');
    return out;
}

// The last address of every assigned block, where no name stands: it has no PTR.
std::vector<net::Address> unnamed(const plan::Plan& p)
{
    const std::map<net::Address, std::string> named = expectedPtrs(p);
    std::vector<net::Address> out;
    for (plan::BlockId id : p.leaves())
        if (p.block(id).state != plan::BlockState::Free && !named.contains(p.block(id).prefix.last()))
            out.push_back(p.block(id).prefix.last());
    return out;
}

// Every name's A and AAAA are its addresses, and each address's PTR (through its RFC 2317
// CNAME: named, not recursing, leaves that step to the asker) is its name; with empty zones,
// an address of an assigned block that no one has is NXDOMAIN.
void expectServed(const plan::Plan& p, int port)
{
    std::map<std::string, std::set<std::string>> forward;  // name: "A 10.40.1.10", ...
    std::vector<std::string> queries;
    for (const NamedAddress& n : dnsNames(p)) {
        const std::string fqdn = absolute(p, n);
        forward[fqdn].insert((n.address.family == net::Family::V4 ? "A " : "AAAA ") + net::format(n.address));
        queries.insert(queries.end(), {fqdn, "A", fqdn, "AAAA"});
    }
    const std::map<net::Address, std::string> ptrs = expectedPtrs(p);
    const std::vector<net::Address> nobody =
        p.outputSettings().emptyReverseZones ? unnamed(p) : std::vector<net::Address>();
    for (const auto& [address, name] : ptrs)
        queries.insert(queries.end(), {reverseName(address), "PTR"});
    for (const net::Address& a : nobody)
        queries.insert(queries.end(), {reverseName(a), "PTR"});
    Answers answers;
    ask(port, queries, answers);
    queries.clear();
    for (const auto& [owner, record] : answers)
        if (record.starts_with("CNAME "))
            queries.insert(queries.end(), {record.substr(6), "PTR"});
    ask(port, queries, answers);
    auto records = [&](const std::string& name) {
        std::set<std::string> out;
        for (auto [it, end] = answers.equal_range(name); it != end; ++it)
            out.insert(it->second);
        return out;
    };
    for (const auto& [fqdn, addresses] : forward)
        EXPECT_EQ(records(fqdn), addresses) << fqdn;
    const auto owner = [&](const net::Address& a) {
        std::string name = reverseName(a);
        for (const std::string& r : records(name))
            if (r.starts_with("CNAME "))
                name = r.substr(6);
        return name;
    };
    for (const auto& [address, name] : ptrs)
        EXPECT_EQ(records(owner(address)), std::set<std::string>{"PTR " + name}) << net::format(address);
    queries.clear();
    for (const net::Address& a : nobody)
        queries.insert(queries.end(), {owner(a), "PTR"});
    const std::set<std::string> missing = nobody.empty() ? std::set<std::string>() : nxdomains(port, queries);
    for (const net::Address& a : nobody)
        EXPECT_TRUE(missing.contains(owner(a))) << net::format(a) << ": " << owner(a) << " is not NXDOMAIN";
}

// RFC 2317 for no block, for all, or for every other block longer than /24 listed.
enum class Delegation { None, All, Listed };

struct Case {
    std::string label;
    std::function<plan::Plan()> make;
    int cut4 = 24, cut6 = 0;
    plan::ReverseNaming naming = plan::ReverseNaming::Slash;
    Delegation delegation = Delegation::All;
    bool empty = false;  // empty reverse zones
};

// The campus with a second name server that no host stands on, and a third outside the plan.
plan::Plan campusWithServers()
{
    plan::Plan p = test::deployCampus();
    plan::OutputSettings s = p.outputSettings();
    s.nameServers.push_back({"ns2.campus.example",
                             {test::at(p, "servers", net::Family::V4, 6), test::at(p, "servers", net::Family::V6, 6)}});
    s.nameServers.push_back({"ns3.example.net", {net::Address::v4(0xC0000235u)}});
    p.setOutputSettings(s);
    return p;
}

// The campus with hosts named whole inside the domain, in any case, as an import made
// before the domain was set leaves them: each is named once in the zones.
plan::Plan campusNamedWhole()
{
    plan::Plan p = test::deployCampus();
    for (const auto& [i, name] : {std::pair{4, "srv-db.campus.example"}, {7, "AP-West.Campus.Example"}}) {
        plan::Host h = p.hosts()[i];
        h.name = name;
        EXPECT_EQ(p.setHost(i, h), "");
    }
    return p;
}

std::vector<Case> cases()
{
    using N = plan::ReverseNaming;
    using D = Delegation;
    std::vector<Case> out{{"campus", test::deployCampus, 24, 0, N::Slash},
                          {"campus", test::deployCampus, 16, 48, N::Dash},
                          {"campus", test::deployCampus, 8, 64, N::Slash},
                          {"campus", test::deployCampus, 24, 44, N::Dash},
                          {"campus servers", campusWithServers, 24, 0, N::Slash, D::None, true},
                          {"campus servers", campusWithServers, 16, 56, N::Dash, D::Listed, true},
                          {"campus named whole", campusNamedWhole, 24, 0, N::Slash, D::All, true}};
    static const int cuts4[] = {8, 16, 24}, cuts6[] = {0, 48, 52, 56, 60, 64, 40};
    static const D delegations[] = {D::None, D::All, D::Listed};
    for (unsigned seed = 1; seed <= 30; ++seed)
        out.push_back({"seed " + std::to_string(seed), [seed] { return test::randomDeployPlan(seed); }, cuts4[seed % 3],
                       cuts6[seed % 7], seed % 2 ? N::Slash : N::Dash, delegations[seed % 3], seed % 4 < 2});
    return out;
}

// The assigned IPv4 blocks longer than /24.
std::vector<net::Prefix> classless(const plan::Plan& p)
{
    std::vector<net::Prefix> out;
    for (plan::BlockId id : p.leaves()) {
        const net::Prefix& b = p.block(id).prefix;
        if (p.block(id).state != plan::BlockState::Free && b.address.family == net::Family::V4 && b.length > 24)
            out.push_back(b);
    }
    return out;
}

// The settings of a case, and the blocks it gives child zones.
std::vector<net::Prefix> delegate(const Case& c, plan::Plan& p)
{
    plan::OutputSettings s = p.outputSettings();
    std::tie(s.zoneCut4, s.zoneCut6, s.naming, s.emptyReverseZones) = std::tuple{c.cut4, c.cut6, c.naming, c.empty};
    s.rfc2317 = c.delegation == Delegation::All ? plan::Rfc2317::All : plan::Rfc2317::None;
    std::vector<net::Prefix> children;
    const std::map<net::Address, std::string> named = expectedPtrs(p);
    const std::vector<net::Prefix> blocks = classless(p);
    for (std::size_t i = 0; i < blocks.size() && c.delegation != Delegation::None; ++i) {
        if (c.delegation == Delegation::Listed && i % 2)
            continue;
        if (c.delegation == Delegation::Listed)
            s.delegated.push_back(blocks[i]);
        const auto near = named.lower_bound(blocks[i].network());
        if (c.empty || (near != named.end() && blocks[i].contains(near->first)))
            children.push_back(blocks[i]);
    }
    p.setOutputSettings(s);
    return children;
}

class Zones : public testing::TestWithParam<Case> { };

TEST_P(Zones, LoadInBindStrictlyAndAnswerEveryName)
{
    if (!onPath("named-checkzone") || !onPath("named-checkconf"))
        GTEST_SKIP() << "named-checkzone and named-checkconf (bind9-utils) are not installed";
    const Case& c = GetParam();
    plan::Plan p = c.make();
    const std::vector<net::Prefix> children = delegate(c, p);
    const plan::OutputSettings& s = p.outputSettings();
    const ZoneOutput z = zonesOf(p);
    ASSERT_FALSE(z.files.empty());
    const std::map<std::string, std::string> zones = stanzas(z);
    EXPECT_EQ(zones.size() + 1, z.files.size()) << c.label;  // a stanza for every file but itself
    test::TempDir dir;
    const std::string conf = saved(dir, z, 53);
    std::size_t childZones = 0;
    for (const auto& [zone, file] : zones) {
        childZones +=
            zone.ends_with(".in-addr.arpa") && zone.substr(0, zone.find('.')).find_first_of("/-") != zone.npos;
        EXPECT_FALSE(zone.ends_with("192.in-addr.arpa")) << zone << ": the space of a name server outside the plan";
        EXPECT_TRUE(std::regex_match(file, std::regex("[A-Za-z0-9._-]+"))) << file;
        EXPECT_EQ(z.serials.at(zone).serial, kToday * 100u) << zone;
        const std::string& text =
            std::find_if(z.files.begin(), z.files.end(), [&](auto& f) { return f.name == file; })->text;
        EXPECT_TRUE(c.empty || zone == s.domain || text.find("\tPTR\t") != text.npos ||
                    text.find("\tCNAME\t") != text.npos)
            << zone << ": a reverse zone that names no address";
        const std::string twice = lower(s.domain) + '.' + lower(s.domain);
        EXPECT_EQ(lower(text).find(twice), std::string::npos) << zone << ": a name with the domain twice";
        const test::Outcome o = test::runProgram("named-checkzone", {"-k", "fail", "-i", "full", zone, dir.file(file)});
        EXPECT_EQ(o.status, 0) << c.label << ", " << zone << ":\n" << o.out << o.err;
    }
    EXPECT_EQ(childZones, children.size()) << c.label << ": RFC 2317 child zones";
    const test::Outcome checked = test::runProgram("named-checkconf", {"-z", conf});
    ASSERT_EQ(checked.status, 0) << c.label << ":\n" << checked.out << checked.err;
    if (!onPath("named") || !onPath("dig"))
        GTEST_SKIP() << "named (bind9) and dig (bind9-dnsutils) are not installed: the zones are not served";
    // A port found free may be taken by another before named binds it: then another port.
    std::optional<Named> named;
    Answers soa;
    int port = 0;
    for (int attempt = 0; attempt < 3 && soa.empty(); ++attempt) {
        named.reset();
        port = freePort();
        named.emplace(saved(dir, z, port), dir.file("named.pid"));
        ASSERT_EQ(named->started.status, 0) << named->started.err << test::readFile(dir.file("named.log"));
        ask(port, {p.outputSettings().domain + '.', "SOA"}, soa);
    }
    ASSERT_FALSE(soa.empty()) << "named does not answer:\n" << test::readFile(dir.file("named.log"));
    expectServed(p, port);
}

INSTANTIATE_TEST_SUITE_P(CampusAndRandom, Zones, testing::ValuesIn(cases()));

// The text of every zone with its serial taken out, by zone.
std::map<std::string, std::string> unserialled(const ZoneOutput& z)
{
    std::map<std::string, std::string> out;
    for (const auto& [zone, file] : stanzas(z))
        for (const OutputFile& f : z.files)
            if (f.name == file)
                out[zone] = std::regex_replace(f.text, std::regex("\\d+\t; serial"), "");
    return out;
}

TEST(ZoneSerials, RiseOnlyWithTheirZonesContent)
{
    plan::Plan p = test::deployCampus();
    const ZoneOutput first = zonesOf(p);
    EXPECT_EQ(zonesOf(p).files, first.files) << "the same plan and day give the same bytes";
    p.setZoneSerials(first.serials);
    EXPECT_EQ(zonesOf(p, kToday + 1).files, first.files) << "nothing changed: every serial kept";
    // Each step moves a host within its block: the forward zone and the block's reverse
    // zone change, on the day given (a clock set back included).
    ZoneOutput last = first;
    for (const auto& [today, forward] : {std::pair{kToday, kToday * 100 + 1},
                                         {kToday, kToday * 100 + 2},
                                         {kToday + 1, (kToday + 1) * 100},
                                         {kToday - 1, (kToday + 1) * 100 + 1}}) {
        plan::Host h = p.hosts()[1];
        h.v4->value += 1;
        ASSERT_EQ(p.setHost(1, h), "");
        const ZoneOutput now = zonesOf(p, today);
        EXPECT_EQ(now.serials.at("campus.example").serial, forward) << today;
        const auto before = unserialled(last), after = unserialled(now);
        int changed = 0;
        for (const auto& [zone, text] : after) {
            changed += before.at(zone) != text;
            EXPECT_EQ(now.serials.at(zone).serial == last.serials.at(zone).serial, before.at(zone) == text) << zone;
        }
        EXPECT_EQ(changed, 2);
        p.setZoneSerials(now.serials);
        last = now;
    }
    // Zones no longer written (the /24s, once the cut is /16) keep their serials in the plan,
    // to rise from should they return.
    plan::OutputSettings s = p.outputSettings();
    s.zoneCut4 = 16;
    p.setOutputSettings(s);
    const ZoneOutput cut16 = zonesOf(p);
    EXPECT_TRUE(stanzas(cut16).contains("40.10.in-addr.arpa"));
    for (const auto& [zone, serial] : last.serials)
        EXPECT_TRUE(cut16.serials.contains(zone)) << zone;
}

// A plan that cannot give zones is refused whole, its fault naming the block: here an
// IPv6 cut inside the campus's /64s.
TEST(ZoneRefusals, NameTheBlockACutWouldSplit)
{
    plan::Plan p = test::deployCampus();
    plan::OutputSettings s = p.outputSettings();
    s.zoneCut6 = 68;
    p.setOutputSettings(s);
    const auto out = writeZones(prepare(p, {}), kToday);
    ASSERT_TRUE(std::holds_alternative<textio::Problems>(out));
    for (const textio::Problem& f : std::get<textio::Problems>(out))
        EXPECT_EQ(p.block(f.block).prefix.length, 64) << f.message;
}

}  // namespace
}  // namespace mq::deploy
