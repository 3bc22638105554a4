#include "planner/allocation_table.h"

#include "net/facts.h"
#include "net/parse.h"
#include "plan/allocations.h"
#include "textio/fields.h"

#include <algorithm>

namespace mq::planner {

namespace {

const char* const kTitles[AllocColumnCount] = {
    "Name",   "Status",    "VLAN",    "IPv4 prefix", "IPv6 prefix",  "Mask",          "First",
    "Last",   "Broadcast", "Gateway", "DHCP ranges", "IPv6 gateway", "DHCPv6 ranges", "Hosts asked",
    "Needed", "Usable",    "Spare",   "Note",        "IPAM"};

std::string numberKey(const std::string& digits)
{
    return digits.empty() ? std::string() : std::string(40 - std::min<std::size_t>(digits.size(), 40), '0') + digits;
}

std::string addressKey(const net::Address& a, int length = 0)
{
    std::string k(1, a.family == net::Family::V4 ? '4' : '6');
    for (int shift = 124; shift >= 0; shift -= 4)
        k += textio::hexDigit(static_cast<unsigned>(a.value >> shift));
    return k + static_cast<char>('A' + length / 16) + static_cast<char>('A' + length % 16);
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

std::string ipamText(const plan::Plan& plan, plan::BlockId id)
{
    const plan::BlockIpam* v = id != plan::kNoBlock && plan.hasBlockIpam() ? plan.blockIpam(id) : nullptr;
    if (!v)
        return {};
    std::string out;
    auto add = [&](const std::string& part) {
        if (!part.empty())
            out += (out.empty() ? "" : ", ") + part;
    };
    add(v->tenant);
    add(v->role);
    add(v->vrf.empty() ? std::string() : "VRF " + v->vrf);
    add(v->status == "container" ? std::string() : v->status);  // a split block shows no row here
    add(v->pool ? "pool" : "");
    return out;
}

AllocationRow tableRow(const plan::Plan& plan, const plan::AllocationRow& pair)
{
    AllocationRow row;
    row.id = pair.main();
    row.second = pair.v4 != plan::kNoBlock ? pair.v6 : plan::kNoBlock;
    const std::vector<std::string> cells = plan::allocationCells(plan, pair);
    for (std::size_t c = 0; c < cells.size() && c < row.cells.size(); ++c)
        row.cells[c] = cells[c];
    const plan::Block& b = plan.block(row.id);
    const net::Hosts h = net::hostsOf(b.prefix);
    // The IPv4 and IPv6 blocks of a segment were imported apart and may say different things.
    const std::string ipam4 = ipamText(plan, pair.v4), ipam6 = ipamText(plan, pair.v6);
    row.cells[AIpam] = ipam6.empty() || ipam4 == ipam6 ? ipam4 : ipam4.empty() ? ipam6 : ipam4 + " / " + ipam6;
    row.keys[AName] = row.cells[AName];
    row.keys[AStatus] = row.cells[AStatus];
    row.keys[ANote] = row.cells[ANote];
    row.keys[AIpam] = row.cells[AIpam];
    for (int c : {AVlan, AHosts, ANeeded, AUsable, ASpare})
        row.keys[static_cast<std::size_t>(c)] = numberKey(row.cells[static_cast<std::size_t>(c)]);
    if (pair.v4 != plan::kNoBlock)
        row.keys[AIpv4] = addressKey(plan.block(pair.v4).prefix.address, plan.block(pair.v4).prefix.length);
    if (pair.v6 != plan::kNoBlock)
        row.keys[AIpv6] = addressKey(plan.block(pair.v6).prefix.address, plan.block(pair.v6).prefix.length);
    row.keys[AMask] =
        numberKey(std::to_string(b.prefix.length + (b.prefix.address.family == net::Family::V4 ? 0 : 200)));
    row.keys[AFirst] = addressKey(h.first);
    row.keys[ALast] = addressKey(h.last);
    if (h.broadcast)
        row.keys[ABroadcast] = addressKey(*h.broadcast);
    // Gateways and ranges sort by their first address, as the cells read.
    for (int c : {AGateway, ADhcp, AGateway6, ADhcp6}) {
        const std::string& cell = row.cells[static_cast<std::size_t>(c)];
        const auto a = net::parseAddress(std::string_view(cell).substr(0, cell.find('-')));
        const net::Address* first = std::get_if<net::Address>(&a);
        row.keys[static_cast<std::size_t>(c)] = first ? addressKey(*first) : std::string();
    }
    return row;
}

std::vector<AllocationRow> allocationRows(const plan::Plan& plan)
{
    // The engine pairs the blocks and words the cells (as mqnet plan show
    // does); the window adds the keys its columns sort on.
    const std::vector<plan::AllocationRow> pairs = plan::allocationRows(plan);
    std::vector<AllocationRow> rows;
    rows.reserve(pairs.size());
    for (const plan::AllocationRow& pair : pairs)
        rows.push_back(tableRow(plan, pair));
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

}  // namespace mq::planner
