#include "plan/fields.h"

#include "net/parse.h"
#include "plan/outputs.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::plan {

namespace {

textio::Problem problem(std::string field, std::string message)
{
    textio::Problem p;
    p.field = std::move(field);
    p.message = std::move(message);
    return p;
}

// Digits only, at most `max`; nullopt for anything else (a sign, blanks inside, a fraction).
std::optional<int> boundedNumber(std::string_view text, int max)
{
    const auto n = net::parseDecimal(text);
    if (!n || *n > static_cast<net::u128>(max))
        return std::nullopt;
    return static_cast<int>(*n);
}

const std::string kVlanTail = " is not a VLAN ID from 1 to " + std::to_string(kMaxVlan);
const std::string kKeptTail = " is not a number from 0 to " + std::to_string(kMaxKept);

std::string offsetsText(net::u128 from, net::u128 to)
{
    return net::toDecimal(from) + "-" + net::toDecimal(to);
}

// Why offsets from-to are no range, the range as `shown` leading the sentence. Offset 0 is
// taken: a range is cut to the addresses the block can lease, so 0-99 starts at the first
// of them, as plans and scripts have long written it.
std::string offsetsFault(const std::string& shown, net::u128 from, net::u128 to)
{
    if (from > to)
        return shown + " has its first offset (" + net::toDecimal(from) + ") above its last (" + net::toDecimal(to) +
               ")";
    return {};
}

textio::Problem rootProblem(std::string_view item, const net::ParseError& e)
{
    using F = net::ParseError::Fault;
    if (e.fault == F::Text)
        return problem("ROOT",
                       textio::quoted(item) + ": " + e.message + " at character " + std::to_string(e.position + 1));
    if (e.fault == F::Range)
        return problem("ROOT", textio::quoted(item) + " is a range; give a prefix such as 10.0.0.0/8");
    return problem("ROOT", textio::quoted(item) + (e.fault == F::HostBits ? " " : ": ") + e.message);
}

}  // namespace

textio::Result<int> parseVlan(std::string_view text)
{
    text = textio::trimBlanks(text);
    if (text.empty())
        return 0;
    const auto v = boundedNumber(text, kMaxVlan);
    if (!v || *v < 1)
        return problem("VLAN", textio::quoted(text) + kVlanTail);
    return *v;
}

std::string checkVlan(int vlan)
{
    return vlan < 0 || vlan > kMaxVlan ? "VLAN " + std::to_string(vlan) + kVlanTail : std::string();
}

std::string formatVlan(int vlan)
{
    return vlan > 0 ? std::to_string(vlan) : std::string();
}

textio::Result<int> parseKept(std::string_view text)
{
    text = textio::trimBlanks(text);
    const auto v = boundedNumber(text, kMaxKept);
    if (!v)
        return problem("kept", textio::quoted(text) + kKeptTail);
    return *v;
}

std::string checkKept(int kept)
{
    return kept < 0 || kept > kMaxKept ? "kept " + std::to_string(kept) + kKeptTail : std::string();
}

textio::Result<RangeRuleValue> parseRangeRule(std::string_view text)
{
    text = textio::trimBlanks(text);
    if (text == "none")
        return RangeRuleValue{};
    if (text == "upper-half")
        return RangeRuleValue{RangeRule::UpperHalf};
    const std::size_t dash = text.find('-');
    const auto from = net::parseDecimal(text.substr(0, dash));
    const auto to = dash == text.npos ? std::nullopt : net::parseDecimal(text.substr(dash + 1));
    if (!from || !to)
        return problem("DHCP range", textio::quoted(text) +
                                         " is not none, upper-half or FROM-TO (offsets in the block, FROM at most TO: "
                                         "100-199)");
    if (auto why = offsetsFault(textio::quoted(text), *from, *to); !why.empty())
        return problem("DHCP range", std::move(why));
    return RangeRuleValue{RangeRule::Offsets, *from, *to};
}

std::string checkOffsets(net::u128 from, net::u128 to)
{
    const std::string why = offsetsFault(offsetsText(from, to), from, to);
    return why.empty() ? why : "DHCP range " + why;
}

std::string formatRangeRule(const RangeRuleValue& v)
{
    switch (v.rule) {
    case RangeRule::None: return "none";
    case RangeRule::UpperHalf: return "upper-half";
    case RangeRule::Offsets: break;
    }
    return offsetsText(v.from, v.to);
}

std::string checkLayoutRules(const LayoutRules& rules)
{
    if (auto why = checkKept(rules.kept); !why.empty())
        return why;
    return rules.range == RangeRule::Offsets ? checkOffsets(rules.rangeFrom, rules.rangeTo) : std::string();
}

textio::Result<std::string> parseHostName(std::string_view text)
{
    text = textio::trimBlanks(text);
    if (auto why = checkHostName(text); !why.empty())
        return problem("host name", textio::quoted(text) + ": " + why);
    return std::string(text);
}

textio::Result<std::optional<net::Mac>> parseHostMac(std::string_view text)
{
    text = textio::trimBlanks(text);
    if (text.empty())
        return std::optional<net::Mac>();
    const auto mac = net::parseMac(text);
    if (const auto* e = std::get_if<net::ParseError>(&mac))
        return problem("MAC", textio::quoted(text) + ": " + e->message);
    return std::optional(std::get<net::Mac>(mac));
}

textio::Result<net::Duid> parseHostDuid(std::string_view text)
{
    text = textio::trimBlanks(text);
    if (text.empty())
        return net::Duid{};
    auto duid = net::parseDuid(text);
    if (const auto* e = std::get_if<net::ParseError>(&duid))
        return problem("DUID", textio::quoted(text) + ": " + e->message);
    return std::get<net::Duid>(std::move(duid));
}

textio::Result<std::string> parseHostNote(std::string_view text)
{
    if (auto why = checkNote(text); !why.empty())
        return problem("note", textio::quoted(text) + ": " + why);
    return std::string(text);
}

textio::Result<std::vector<net::Prefix>> parseRoots(std::string_view text)
{
    std::vector<net::Prefix> roots;
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string_view item = textio::trimBlanks(text.substr(from, comma - from));
        from = comma + 1;
        const auto parsed = net::parsePrefix(item, net::HostBits::Suggest, {.address = true});
        if (const auto* e = std::get_if<net::ParseError>(&parsed))
            return rootProblem(item, *e);
        const net::Prefix& p = std::get<net::Prefix>(parsed);
        if (roots.size() == kMaxRoots)
            return problem("", "a plan holds at most " + std::to_string(kMaxRoots) + " roots");
        for (const net::Prefix& other : roots)
            if (other.address.family == p.address.family && (other.contains(p) || p.contains(other)))
                return problem("ROOT", textio::quoted(item) + " overlaps the root " + net::formatNetwork(other));
        roots.push_back(p);
    }
    return roots;
}

textio::Result<std::vector<net::Address>> parseAddressList(std::string_view text, std::size_t most)
{
    std::vector<net::Address> out;
    for (std::size_t at = 0; at < text.size() && out.size() <= most;) {
        const std::size_t end = std::min(text.find_first_of(", \t", at), text.size());
        const std::string_view item = text.substr(at, end - at);
        at = end + 1;
        if (item.empty())
            continue;
        const auto a = parseServerAddress(item);
        if (const auto* e = std::get_if<net::ParseError>(&a))
            return problem("", net::describe(item, *e));
        out.push_back(std::get<net::Address>(a));
    }
    return out;
}

textio::Result<std::uint32_t> parseSeconds(std::string_view text)
{
    text = textio::trimBlanks(text);
    const auto v = net::parseDecimal(text);
    if (!v || *v > 0xFFFFFFFFu)
        return problem("", textio::quoted(text) + " is no whole number of seconds from 0 to 4294967295");
    return static_cast<std::uint32_t>(*v);
}

textio::Result<net::Address> parseHostAddress(std::string_view text)
{
    std::string zone;
    const auto parsed = net::parseAddress(textio::trimBlanks(text), &zone);
    if (const auto* e = std::get_if<net::ParseError>(&parsed))
        return problem("", "not an address (" + e->message + ")");
    if (!zone.empty())
        return problem("", "an address with a zone names an interface, not a host's address");
    return std::get<net::Address>(parsed);
}

}  // namespace mq::plan
