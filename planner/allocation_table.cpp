#include "planner/allocation_table.h"

#include "net/facts.h"
#include "plan/allocate.h"
#include "plan/document.h"

#include <map>
#include <tuple>

namespace mq::planner {

namespace {

const char* const kTitles[AllocColumnCount] = {"Name",  "VLAN",  "IPv4 prefix", "IPv6 prefix", "Mask",
                                               "First", "Last",  "Broadcast",   "Hosts asked", "Needed",
                                               "Usable", "Spare", "Note"};

std::string numberKey(const std::string& digits)
{
    return digits.empty() ? std::string() : std::string(40 - std::min<std::size_t>(digits.size(), 40), '0') + digits;
}

std::string addressKey(const net::Address& a, int length = 0)
{
    static const char* hex = "0123456789abcdef";
    std::string k(1, a.family == net::Family::V4 ? '4' : '6');
    for (int shift = 124; shift >= 0; shift -= 4)
        k += hex[static_cast<int>((a.value >> shift) & 0xF)];
    return k + static_cast<char>('A' + length / 16) + static_cast<char>('A' + length % 16);
}

std::string maskText(const net::Prefix& p)
{
    if (p.address.family == net::Family::V6)
        return "/" + std::to_string(p.length);
    return net::format(net::Address::v4(static_cast<std::uint32_t>(net::maskOf(net::Family::V4, p.length))));
}

void fillFacts(AllocationRow& row, const plan::Plan& plan, plan::BlockId id)
{
    const plan::Block& b = plan.block(id);
    const net::Hosts h = net::hostsOf(b.prefix);
    const bool v4 = b.prefix.address.family == net::Family::V4;
    row.cells[v4 ? AIpv4 : AIpv6] = net::formatNetwork(b.prefix);
    row.keys[v4 ? AIpv4 : AIpv6] = addressKey(b.prefix.address, b.prefix.length);
    if (!row.cells[AMask].empty())
        return;  // the IPv4 block of a pair gives the host facts
    row.cells[AMask] = maskText(b.prefix);
    row.keys[AMask] = numberKey(std::to_string(v4 ? b.prefix.length : 200 + b.prefix.length));
    row.cells[AFirst] = net::format(h.first);
    row.keys[AFirst] = addressKey(h.first);
    row.cells[ALast] = net::format(h.last);
    row.keys[ALast] = addressKey(h.last);
    if (h.broadcast) {
        row.cells[ABroadcast] = net::format(*h.broadcast);
        row.keys[ABroadcast] = addressKey(*h.broadcast);
    }
    row.cells[AUsable] = net::toDecimal(h.usable);
    row.keys[AUsable] = numberKey(row.cells[AUsable]);
    row.cells[ASpare] = net::toDecimal(plan.spareHosts(id));
    row.keys[ASpare] = numberKey(row.cells[ASpare]);
}

AllocationRow makeRow(const plan::Plan& plan, plan::BlockId id)
{
    const plan::Block& b = plan.block(id);
    AllocationRow row;
    row.id = id;
    row.cells[AName] = b.name;
    row.cells[ANote] = b.note;
    if (b.hostsNeeded != 0) {
        row.cells[AHosts] = net::toDecimal(b.hostsNeeded);
        if (auto n = plan::neededHosts(b.hostsNeeded, 0))
            row.cells[ANeeded] = net::toDecimal(*n);
    }
    fillFacts(row, plan, id);
    row.keys[AName] = b.name;
    row.keys[ANote] = b.note;
    row.keys[AHosts] = numberKey(row.cells[AHosts]);
    row.keys[ANeeded] = numberKey(row.cells[ANeeded]);
    return row;
}

// The VLAN of an assigned block; 0 for none.
int vlanOf(const plan::Block&)
{
    return 0;
}

std::string oneLine(std::string s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return s;
}

}  // namespace

const char* allocationColumnTitle(int column)
{
    return column >= 0 && column < AllocColumnCount ? kTitles[column] : "";
}

bool allocationColumnIsNumber(int column)
{
    return column == AVlan || column == AHosts || column == ANeeded || column == AUsable || column == ASpare;
}

std::vector<AllocationRow> allocationRows(const plan::Plan& plan)
{
    std::vector<plan::BlockId> v4, v6;
    for (plan::BlockId id : plan.leaves())
        if (plan.block(id).assigned)
            (plan.block(id).prefix.address.family == net::Family::V4 ? v4 : v6).push_back(id);
    // IPv6 blocks waiting for their IPv4 partner, by name and VLAN, first in
    // address order first.
    std::multimap<std::tuple<std::string, int>, std::size_t> waiting;
    for (std::size_t i = 0; i < v6.size(); ++i)
        if (!plan.block(v6[i]).name.empty())
            waiting.emplace(std::make_tuple(plan.block(v6[i]).name, vlanOf(plan.block(v6[i]))), i);
    std::vector<bool> paired(v6.size(), false);
    std::vector<AllocationRow> rows;
    rows.reserve(v4.size() + v6.size());
    for (plan::BlockId id : v4) {
        rows.push_back(makeRow(plan, id));
        const auto it = waiting.find(std::make_tuple(plan.block(id).name, vlanOf(plan.block(id))));
        if (it != waiting.end()) {
            rows.back().second = v6[it->second];
            fillFacts(rows.back(), plan, v6[it->second]);
            paired[it->second] = true;
            waiting.erase(it);
        }
    }
    for (std::size_t i = 0; i < v6.size(); ++i)
        if (!paired[i])
            rows.push_back(makeRow(plan, v6[i]));
    return rows;
}

std::string allocationsTsv(const std::vector<AllocationRow>& rows)
{
    std::string out;
    for (int c = 0; c < AllocColumnCount; ++c)
        out += std::string(c ? "\t" : "") + kTitles[c];
    out += '\n';
    for (const AllocationRow& r : rows) {
        for (int c = 0; c < AllocColumnCount; ++c)
            out += (c ? "\t" : "") + oneLine(r.cells[static_cast<std::size_t>(c)]);
        out += '\n';
    }
    return out;
}

std::string allocationsCsv(const std::vector<AllocationRow>& rows)
{
    std::string out;
    for (int c = 0; c < AllocColumnCount; ++c) {
        if (c)
            out += ',';
        plan::appendCsvField(out, kTitles[c]);
    }
    out += "\r\n";
    for (const AllocationRow& r : rows) {
        for (int c = 0; c < AllocColumnCount; ++c) {
            if (c)
                out += ',';
            plan::appendCsvField(out, r.cells[static_cast<std::size_t>(c)]);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace mq::planner
