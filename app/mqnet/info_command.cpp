// mqnet info: every fact of one prefix, as JSON for scripts or aligned text for people.
#include <optional>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/writer.h"
#include "net/facts.h"
#include "textio/json.h"

namespace mq::mqnet {

namespace {

using Optional = std::optional<std::string>;

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
    using textio::json::Writer;
    std::string s;
    Writer j(s);
    const auto text = [&](const char* key, const Optional& value) {
        j.key(key);
        if (value)
            j.string(*value);
        else
            j.null();
    };
    const auto flag = [&](const char* key, const std::optional<bool>& value) {
        j.key(key);
        if (value)
            j.boolean(*value);
        else
            j.null();
    };
    j.beginObject(textio::json::Layout::Indented);
    text("input", t.input);
    j.key("family");
    j.numberText(t.family);
    text("address", t.address);
    text("expanded", t.expanded);
    j.key("prefix");
    j.numberText(t.prefix);
    text("netmask", t.netmask);
    text("wildcard", t.wildcard);
    text("network", t.network);
    text("broadcast", t.broadcast);
    text("first", t.first);
    text("last", t.last);
    text("addresses", t.addresses);
    text("usable", t.usable);
    text("class", t.addressClass);
    text("reverse_pointer", t.reversePointer);
    j.key("reverse_zones");
    j.beginArray();
    for (const std::string& z : t.zones)
        j.string(z);
    j.end();
    text("embedded_ipv4", t.embedded);
    j.key("special");
    j.beginArray(textio::json::Layout::Indented);
    for (const net::SpecialEntry* e : t.special) {
        j.beginObject();
        j.key("block");
        j.string(e->blockText);
        j.key("name");
        j.string(e->name);
        j.key("rfc");
        j.string(e->rfc);
        flag("forwardable", e->forwardable);
        flag("globally_reachable", e->globallyReachable);
        j.end();
    }
    j.end();
    flag("global", t.global);
    j.end();
    s += '\n';
    out.write(s);
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
