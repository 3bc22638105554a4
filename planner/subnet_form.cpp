#include "planner/subnet_form.h"

#include "net/facts.h"
#include "plan/allocations.h"
#include "plan/cloud.h"
#include "plan/fields.h"
#include "textio/escape.h"
#include "textio/fields.h"

#include <algorithm>
#include <variant>

namespace mq::planner {

using net::Family;
using plan::BlockId;
using plan::kNoBlock;

namespace {

int slot(Family f)
{
    return f == Family::V6 ? 1 : 0;
}

std::string rangeText(const plan::AddressRange& r)
{
    return r.first == r.last ? net::format(r.first) : net::format(r.first) + "-" + net::format(r.last);
}

}  // namespace

const char* blockHostColumnTitle(int column)
{
    static const char* const titles[] = {"Host name", "IPv4", "IPv6", "MAC", "DUID", "Role", "Note"};
    return column >= 0 && column < HostColumnCount ? titles[column] : "";
}

const char* addressKindName(AddressKind kind)
{
    static const char* const names[] = {"free", "DHCP range", "kept", "host", "gateway", "network", "broadcast"};
    const auto k = static_cast<std::size_t>(kind);
    return k < std::size(names) ? names[k] : "";
}

SubnetForm::SubnetForm(PlannerForm& f, PlannerServices& services) : form(f), sv(services) { }

void SubnetForm::select(BlockId id)
{
    if (id == selected)
        return;
    selected = id;
    statusText.clear();
    refusal = false;
    seenRevision = ~std::uint64_t(0);
    sync();
}

void SubnetForm::sync()
{
    const plan::Plan& p = plan();
    const bool planChanged = form.revision() != seenRevision;
    if (planChanged) {
        seenRevision = form.revision();
        shown[0] = shown[1] = kNoBlock;
        if (p.exists(selected) && p.block(selected).children.empty() &&
            p.block(selected).state != plan::BlockState::Free) {
            shown[slot(p.block(selected).prefix.address.family)] = selected;
            if (const BlockId other = plan::pairedBlock(p, selected); other != kNoBlock)
                shown[slot(p.block(other).prefix.address.family)] = other;
        }
    }
    // One index for every cell, count and free address until the hosts or the tree change.
    const std::uint64_t tree = p.changeSerial() ^ (p.changes().size() * 0x9E3779B97F4A7C15ull);
    if (!index || hostSerial != p.hostSerial() || treeSerial != tree) {
        index.emplace(p);
        hostSerial = p.hostSerial();
        treeSerial = tree;
        rebuild();
    } else if (planChanged)
        rebuild();
}

void SubnetForm::rebuild()
{
    rows.clear();
    const std::vector<std::size_t> none;
    const auto& a = shown[0] != kNoBlock ? index->of(shown[0]) : none;
    const auto& b = shown[1] != kNoBlock ? index->of(shown[1]) : none;
    // A dual-stack host is in both lists: once in the table, in the plan's order.
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(rows));
    for (int k = 0; k < 2; ++k)
        countsOf[k] = shown[k] != kNoBlock ? plan::countSubnet(plan(), shown[k], *index) : plan::SubnetCounts{};
}

std::string SubnetForm::title() const
{
    if (!active())
        return "Select an assigned block to see its gateway, DHCP ranges and hosts.";
    const plan::Plan& p = plan();
    const BlockId first = shown[0] != kNoBlock ? shown[0] : shown[1];
    std::string t = blockTitle(p.block(first));
    if (shown[0] != kNoBlock && shown[1] != kNoBlock)
        t += " and " + prefixText(p.block(shown[1]).prefix);
    return t;
}

bool SubnetForm::refuse(const std::string& reason)
{
    // Values typed are quoted (escaped) where a reason names them; reasons from the plan
    // are escaped where they come in (run): nothing is escaped twice.
    std::string why = reason;
    if (!why.empty() && why[0] >= 'a' && why[0] <= 'z')
        why[0] = static_cast<char>(why[0] - 'a' + 'A');
    statusText = why;
    refusal = true;
    return false;
}

void SubnetForm::dismissRefusal()
{
    if (!refusal)
        return;
    statusText.clear();
    refusal = false;
}

bool SubnetForm::run(std::unique_ptr<plan::Command> cmd)
{
    const std::string reason = form.apply(std::move(cmd));
    if (!reason.empty())
        return refuse(textio::escaped(reason, textio::kQuotedReason));
    statusText.clear();
    refusal = false;
    sync();
    return true;
}

// ---------------------------------------------------------------- layout

plan::SubnetLayout SubnetForm::layoutOf(BlockId id) const
{
    const plan::SubnetLayout* l = id == kNoBlock ? nullptr : plan().subnetLayout(id);
    return l ? *l : plan::SubnetLayout{};
}

bool SubnetForm::setLayout(BlockId id, plan::SubnetLayout layout)
{
    if (id == kNoBlock || layout == layoutOf(id))
        return false;
    return run(plan::makeSetLayout(id, std::move(layout)));
}

bool SubnetForm::cloudFixed(Family f) const
{
    return f == Family::V4 && plan().settings().cloud != plan::CloudMode::None;
}

std::string SubnetForm::cloudText(Family f) const
{
    if (!cloudFixed(f) || block(f) == kNoBlock)
        return {};
    const plan::ResolvedLayout r = plan::resolveLayout(plan(), block(f));
    const auto& label = plan::cloudRules(plan().settings().cloud).label;
    std::string t = std::string(label) + " reserved:";
    const char* sep = " ";
    if (r.gateway) {
        t += sep + net::format(*r.gateway) + " (router)";
        sep = ", ";
    }
    for (const plan::AddressRange& k : r.kept) {
        t += sep + rangeText(k);
        sep = ", ";
    }
    return t;
}

GatewayChoice SubnetForm::gatewayChoice(Family f) const
{
    const plan::SubnetLayout l = layoutOf(block(f));
    return !l.gatewaySet ? GatewayChoice::Rule : l.gateway ? GatewayChoice::Address : GatewayChoice::None;
}

std::string SubnetForm::gatewayText(Family f) const
{
    if (block(f) == kNoBlock)
        return {};
    const auto g = plan::resolveLayout(plan(), block(f)).gateway;
    return g ? net::format(*g) : std::string();
}

bool SubnetForm::setGateway(Family f, GatewayChoice choice, const std::string& text)
{
    const BlockId id = block(f);
    if (id == kNoBlock)
        return false;
    if (cloudFixed(f))
        return refuse("The gateway of an IPv4 block is the cloud provider's router: it cannot be changed.");
    plan::SubnetLayout l = layoutOf(id);
    l.gatewaySet = choice != GatewayChoice::Rule;
    l.gateway.reset();
    if (choice == GatewayChoice::Address) {
        std::string why;
        l.gateway = readHostAddress(plan(), *index, id, f, text, std::nullopt, std::nullopt, why);
        if (!l.gateway)
            return refuse("Gateway: " + why);
    }
    return setLayout(id, std::move(l));
}

std::string SubnetForm::keptText(Family f) const
{
    const plan::SubnetLayout l = layoutOf(block(f));
    return l.kept ? std::to_string(*l.kept) : std::string();
}

int SubnetForm::keptCount(Family f) const
{
    return layoutOf(block(f)).kept.value_or(plan().settings().layout.kept);
}

std::string SubnetForm::keptNote(Family f) const
{
    if (block(f) == kNoBlock)
        return {};
    const int n = keptCount(f);
    std::string t = (keptText(f).empty() ? "plan's rule: " : "own count: ") + std::to_string(n);
    const plan::ResolvedLayout r = plan::resolveLayout(plan(), block(f));
    if (n > 0 && r.gateway && r.firstUsable && r.gateway->value == r.firstUsable->value)
        t += ", the gateway among them";
    return t;
}

bool SubnetForm::setKept(Family f, const std::string& text)
{
    const BlockId id = block(f);
    if (id == kNoBlock)
        return false;
    if (cloudFixed(f))
        return refuse("The addresses kept in an IPv4 block are the cloud provider's: they cannot be changed.");
    plan::SubnetLayout l = layoutOf(id);
    const std::string_view t = textio::trimBlanks(text);
    l.kept.reset();
    if (!t.empty()) {
        const auto n = plan::parseKept(t);
        if (!n)
            return refuse("Kept for network devices: " + n.problem().message + ".");
        l.kept = *n;
    }
    return setLayout(id, std::move(l));
}

bool SubnetForm::ownRanges(Family f) const
{
    return layoutOf(block(f)).rangesSet;
}

std::vector<std::string> SubnetForm::rangeTexts(Family f) const
{
    std::vector<std::string> out;
    if (block(f) == kNoBlock)
        return out;
    const plan::SubnetLayout l = layoutOf(block(f));
    for (const plan::AddressRange& r : l.rangesSet ? l.ranges : plan::resolveLayout(plan(), block(f)).ranges)
        out.push_back(rangeText(r));
    return out;
}

bool SubnetForm::setOwnRanges(Family f, bool own)
{
    const BlockId id = block(f);
    if (id == kNoBlock)
        return false;
    plan::SubnetLayout l = layoutOf(id);
    l.ranges = own ? plan::resolveLayout(plan(), id).ranges : std::vector<plan::AddressRange>{};
    l.rangesSet = own;
    return setLayout(id, std::move(l));
}

// "first-last" inside block f; an IPv6 end may be "::N", the block's network + N.
std::optional<plan::AddressRange> SubnetForm::range(Family f, const std::string& text, std::string& why) const
{
    const net::Prefix block = plan().block(this->block(f)).prefix;
    const std::string_view t = textio::trimBlanks(text);
    const std::size_t dash = t.find('-');
    std::optional<net::Address> ends[2];
    const std::string_view parts[2] = {t.substr(0, dash), dash == t.npos ? t : t.substr(dash + 1)};
    for (int k = 0; k < 2; ++k) {
        const std::string_view part = textio::trimBlanks(parts[k]);
        auto read = net::parseAddress(part);
        if (auto* e = std::get_if<net::ParseError>(&read)) {
            why = "DHCP range " + textio::quoted(t) + ": " + textio::quoted(part) + " " + e->message;
            return std::nullopt;
        }
        net::Address a = std::get<net::Address>(read);
        const int hostBits = a.bits() - block.length;
        if (a.family == Family::V6 && f == Family::V6 && hostBits < 128 && part.starts_with("::") &&
            (a.value >> hostBits) == 0)
            a.value |= block.network().value;
        if (a.family != f || !block.contains(a)) {
            why =
                "DHCP range " + textio::quoted(t) + ": " + net::format(a) + " lies outside " + prefixText(block) + ".";
            return std::nullopt;
        }
        ends[k] = a;
    }
    if (*ends[1] < *ends[0]) {
        why = "DHCP range " + textio::quoted(t) + ": its first address comes after its last.";
        return std::nullopt;
    }
    return plan::AddressRange{*ends[0], *ends[1]};
}

bool SubnetForm::addRange(Family f, const std::string& text)
{
    return setRange(f, ~std::size_t(0), text);
}

// i beyond the list adds the range.
bool SubnetForm::setRange(Family f, std::size_t i, const std::string& text)
{
    const BlockId id = block(f);
    if (id == kNoBlock)
        return false;
    std::string why;
    const auto r = range(f, text, why);
    if (!r)
        return refuse(why);
    plan::SubnetLayout l = layoutOf(id);
    if (!l.rangesSet)
        l.ranges = plan::resolveLayout(plan(), id).ranges;
    l.rangesSet = true;
    if (i < l.ranges.size())
        l.ranges[i] = *r;
    else
        l.ranges.push_back(*r);
    std::sort(l.ranges.begin(), l.ranges.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return setLayout(id, std::move(l));
}

bool SubnetForm::deleteRange(Family f, std::size_t i)
{
    const BlockId id = block(f);
    if (id == kNoBlock)
        return false;
    plan::SubnetLayout l = layoutOf(id);
    if (!l.rangesSet)
        l.ranges = plan::resolveLayout(plan(), id).ranges;
    if (i >= l.ranges.size())
        return false;
    l.rangesSet = true;
    l.ranges.erase(l.ranges.begin() + static_cast<std::ptrdiff_t>(i));
    return setLayout(id, std::move(l));
}

std::optional<plan::Dhcp6Mode> SubnetForm::dhcp6() const
{
    return layoutOf(block(Family::V6)).dhcp6;
}

bool SubnetForm::setDhcp6(std::optional<plan::Dhcp6Mode> mode)
{
    plan::SubnetLayout l = layoutOf(block(Family::V6));
    l.dhcp6 = mode;
    return setLayout(block(Family::V6), std::move(l));
}

std::string SubnetForm::delegationText() const
{
    const int n = layoutOf(block(Family::V6)).delegatedLength;
    return n > 0 ? "/" + std::to_string(n) : std::string();
}

bool SubnetForm::setDelegation(const std::string& text)
{
    const BlockId id = block(Family::V6);
    if (id == kNoBlock)
        return false;
    std::string_view t = textio::trimBlanks(text);
    plan::SubnetLayout l = layoutOf(id);
    l.delegatedLength = 0;
    if (!t.empty()) {
        // Which lengths the block can delegate is the plan's to say.
        const auto n = net::parseDecimal(t.starts_with('/') ? t.substr(1) : t);
        if (!n || *n > 128)
            return refuse("Delegated prefix length: " + textio::quoted(t) + " is not a prefix length such as /56.");
        l.delegatedLength = static_cast<int>(*n);
    }
    return setLayout(id, std::move(l));
}

}  // namespace mq::planner
