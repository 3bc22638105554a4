// mqnet info: every fact of one prefix, as JSON for scripts or aligned text for people.
#include <optional>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/writer.h"
#include "net/facts.h"
#include "plan/json.h"

namespace mq::mqnet {

namespace {

using Optional = std::optional<std::string>;

std::string flagJson(const std::optional<bool>& flag)
{
    if (!flag)
        return "null";
    return *flag ? "true" : "false";
}

std::string jsonString(std::string_view text)
{
    std::string s;
    plan::json::appendString(s, text);
    return s;
}

Optional jsonOrNull(const Optional& s)
{
    return s ? jsonString(*s) : Optional{};
}

// The facts as the texts both outputs print.
struct InfoTexts {
    std::string input, family, address, expanded, prefix, netmask, network, first, last, addresses, usable;
    std::string reversePointer;
    Optional wildcard, broadcast, addressClass, embedded, embeddedKind;
    std::vector<std::string> zones;
    std::vector<const net::SpecialEntry*> special;
    bool global = true;
};

InfoTexts textsOf(const std::string& input, const net::PrefixFacts& f)
{
    const net::Family family = f.prefix.address.family;
    InfoTexts t;
    t.input = input;
    t.family = family == net::Family::V4 ? "4" : "6";
    t.address = net::format(f.prefix.address) + (f.zone.empty() ? "" : "%" + f.zone);
    t.expanded = net::formatExpanded(f.prefix.address);
    t.prefix = std::to_string(f.prefix.length);
    t.netmask = net::format({f.netmask, family});
    if (f.wildcard)
        t.wildcard = net::format({*f.wildcard, family});
    t.network = net::format(f.network);
    if (f.broadcast)
        t.broadcast = net::format(*f.broadcast);
    t.first = net::format(f.first);
    t.last = net::format(f.last);
    t.addresses = net::toDecimal(f.addresses);
    t.usable = net::toDecimal(f.usable);
    if (f.addressClass)
        t.addressClass = std::string(1, *f.addressClass);
    t.reversePointer = f.reversePointer;
    t.zones = f.reverseZones;
    if (f.embedded) {
        t.embedded = net::format(f.embedded->v4);
        t.embeddedKind = std::string(f.embedded->kind);
    }
    t.special = f.special;
    t.global = f.global;
    return t;
}

void writeJson(BufferedWriter& out, const InfoTexts& t)
{
    const auto field = [&](std::string_view key, const Optional& value, bool last = false) {
        out.write("  \"");
        out.write(key);
        out.write("\": ");
        out.write(value ? *value : "null");
        out.write(last ? "\n" : ",\n");
    };
    out.write("{\n");
    field("input", jsonString(t.input));
    field("family", t.family);
    field("address", jsonString(t.address));
    field("expanded", jsonString(t.expanded));
    field("prefix", t.prefix);
    field("netmask", jsonString(t.netmask));
    field("wildcard", jsonOrNull(t.wildcard));
    field("network", jsonString(t.network));
    field("broadcast", jsonOrNull(t.broadcast));
    field("first", jsonString(t.first));
    field("last", jsonString(t.last));
    field("addresses", jsonString(t.addresses));
    field("usable", jsonString(t.usable));
    field("class", jsonOrNull(t.addressClass));
    field("reverse_pointer", jsonString(t.reversePointer));
    std::string zones = "[";
    for (const std::string& z : t.zones)
        zones += (zones.size() > 1 ? ", " : "") + jsonString(z);
    field("reverse_zones", zones + "]");
    field("embedded_ipv4", jsonOrNull(t.embedded));
    std::string special = "[";
    for (const net::SpecialEntry* e : t.special) {
        special += special.size() > 1 ? ",\n    " : "\n    ";
        special += "{\"block\": " + jsonString(e->blockText) + ", \"name\": " + jsonString(e->name) +
                   ", \"rfc\": " + jsonString(e->rfc) + ", \"forwardable\": " + flagJson(e->forwardable) +
                   ", \"globally_reachable\": " + flagJson(e->globallyReachable) + "}";
    }
    field("special", special + (t.special.empty() ? "]" : "\n  ]"));
    field("global", t.global ? "true" : "false", true);
    out.write("}\n");
}

void writeText(BufferedWriter& out, const InfoTexts& t)
{
    const auto line = [&](std::string_view label, std::string_view value) {
        out.write(label);
        out.write(std::string(20 - label.size(), ' '));
        out.write(value);
        out.put('\n');
    };
    const bool v4 = t.family == "4";
    line("Input", t.input);
    line("Family", v4 ? "IPv4" : "IPv6");
    line("Address", t.address);
    line("Expanded", t.expanded);
    line("Prefix length", t.prefix);
    line("Netmask", t.netmask);
    if (t.wildcard)
        line("Wildcard", *t.wildcard);
    line("Network", t.network);
    if (v4)
        line("Broadcast", t.broadcast ? *t.broadcast : "none");
    line("First usable", t.first);
    line("Last usable", t.last);
    line("Addresses", t.addresses);
    line("Usable hosts", t.usable);
    if (t.addressClass)
        line("Class", *t.addressClass);
    line("Reverse pointer", t.reversePointer);
    for (std::size_t i = 0; i < t.zones.size(); ++i)
        line(i == 0 ? "Reverse zones" : "", t.zones[i]);
    line("Embedded IPv4", t.embedded ? *t.embedded + " (" + *t.embeddedKind + ")" : "none");
    if (t.special.empty())
        line("Special purpose", "none");
    for (std::size_t i = 0; i < t.special.size(); ++i)
        line(i == 0 ? "Special purpose" : "",
             std::string(t.special[i]->blockText) + ": " + net::badgeText(*t.special[i]));
    line("Globally reachable", t.global ? "yes" : "no");
}

int runInfo(const Invocation& call)
{
    const auto& positional = call.args.positional;
    if (positional.empty())
        return call.refuse("needs an address or prefix (mqnet info --help)");
    std::string text;
    for (const std::string& p : positional)
        text += (text.empty() ? "" : " ") + p;
    const auto typed = readPrefix(call, text);
    if (!typed)
        return kExitBadInput;
    const InfoTexts t = textsOf(text, net::describe(typed->prefix, typed->zone));
    if (call.args.has("--json"))
        writeJson(call.out, t);
    else
        writeText(call.out, t);
    return kExitOk;
}

}  // namespace

const Command kInfoCommand{
    "info",
    "[--json] TEXT",
    "      every fact of an address, prefix (a.b.c.d/len, a.b.c.d MASK or WILDCARD,\n"
    "      IPv6/len) or one-prefix range; TEXT may be given as several arguments\n",
    "      --json   the facts as one JSON object (numbers of addresses as strings)\n",
    {{{"--json"}}},
    runInfo,
};

}  // namespace mq::mqnet
