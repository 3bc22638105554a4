// The subnet panel's host table, its pasted and imported rows, and the picture's counts
// and marks.
#include "net/facts.h"
#include "net/mac.h"
#include "plan/fields.h"
#include "planner/file_texts.h"
#include "planner/subnet_form.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/fields.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <variant>

namespace mq::planner {

using net::Family;
using plan::BlockId;
using plan::kNoBlock;

namespace {

constexpr const char* kHostListFilter =
    "Host lists (*.txt *.tsv *.csv *.xlsx)|*.txt;*.tsv;*.csv;*.xlsx|All files (*)|*|";
constexpr std::size_t kNotesShown = 3;  // refused rows named in the status line

// Pasted or read from a file: tab-separated when the first line holds a tab (a
// spreadsheet's copy), else CSV.
textio::CsvTable hostRows(std::string_view text)
{
    const char separator = text.substr(0, text.find('\n')).find('\t') != std::string_view::npos ? '\t' : ',';
    return textio::readCsv(text, separator);
}

std::string familyName(Family f)
{
    return f == Family::V4 ? "IPv4" : "IPv6";
}

// The column a header cell names, or -1.
int headerColumn(std::string_view cell)
{
    static const std::pair<const char*, int> names[] = {
        {"host name", HostName}, {"hostname", HostName},   {"name", HostName}, {"host", HostName},
        {"ipv4", HostV4},        {"ipv4 address", HostV4}, {"ip", HostV4},     {"address", HostV4},
        {"ipv6", HostV6},        {"ipv6 address", HostV6}, {"mac", HostMac},   {"mac address", HostMac},
        {"duid", HostDuid},      {"role", HostRole},       {"note", HostNote}, {"description", HostNote}};
    const std::string key = textio::lowerCase(textio::trimBlanks(cell));
    for (const auto& [name, column] : names)
        if (key == name)
            return column;
    return -1;
}

// A field read as every reader of hosts reads it (plan/fields.h).
template <class T, class V> bool take(const textio::Result<V>& read, T& into, std::string& why)
{
    if (!read) {
        why = textio::describe(read.problem());
        why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));  // as the panel's reasons start
        return false;
    }
    into = *read;
    return true;
}

template <class T> std::optional<T> readValue(const net::Parsed<T>& read, const std::string& what, std::string& why)
{
    if (auto* e = std::get_if<net::ParseError>(&read)) {
        why = what + ": " + e->message;
        return std::nullopt;
    }
    return std::get<T>(read);
}

}  // namespace

// An address of block id's family as hostAddress reads it; for a family the segment has no
// block of, any address of an assigned block.
std::optional<net::Address> readHostAddress(const plan::Plan& p, const plan::HostIndex& index, BlockId id, Family f,
                                            std::string_view text, const std::optional<net::Mac>& mac,
                                            std::optional<std::size_t> except, std::string& why)
{
    const std::string_view t = textio::trimBlanks(text);
    const std::string what = familyName(f) + " address " + textio::quoted(t);
    if (id != kNoBlock)
        return readValue(plan::hostAddress(p, id, t, mac, index, except), what, why);
    const auto read = plan::parseHostAddress(t);
    if (!read) {
        why = what + ": " + read.problem().message;
        return std::nullopt;
    }
    const std::optional<net::Address> a = *read;
    const BlockId leaf = a->family == f ? p.leafAt(*a) : kNoBlock;
    if (leaf == kNoBlock || p.block(leaf).state == plan::BlockState::Free) {
        why = what + (a->family != f ? " is not an " + familyName(f) + " address" : " lies in no assigned block");
        return std::nullopt;
    }
    return a;
}

std::string SubnetForm::cell(std::size_t row, int column) const
{
    if (row >= rows.size() || rows[row] >= plan().hosts().size())
        return {};
    const plan::Host& h = plan().hosts()[rows[row]];
    switch (column) {
    case HostName: return h.name;
    case HostV4: return h.v4 ? net::format(*h.v4) : std::string();
    case HostV6: return h.v6 ? net::format(*h.v6) : std::string();
    case HostMac: return h.mac ? net::formatMac(*h.mac) : std::string();
    case HostDuid: return net::formatDuid(h.duid);
    case HostRole: return plan::roleName(h.role);
    case HostNote: return h.note;
    default: return {};
    }
}

// One field of h from its text, read against plan p (the plan, or a paste's plan so far).
bool SubnetForm::setField(const plan::Plan& p, const plan::HostIndex& at, plan::Host& h, int column,
                          const std::string& text, std::optional<std::size_t> except, std::string& why) const
{
    const std::string_view t = textio::trimBlanks(text);
    switch (column) {
    case HostName: return take(plan::parseHostName(t), h.name, why);
    case HostV4:
    case HostV6: {
        const Family f = column == HostV4 ? Family::V4 : Family::V6;
        auto& slot = f == Family::V4 ? h.v4 : h.v6;
        if (t.empty()) {
            slot.reset();
            if (!h.v4 && !h.v6) {
                why = "A host needs an IPv4 or an IPv6 address.";
                return false;
            }
            return true;
        }
        slot = readHostAddress(p, at, block(f), f, t, h.mac, except, why);
        if (!slot)
            return false;
        // A DHCP server would lease the address to a client too: the outputs refuse it.
        const BlockId id = block(f) != kNoBlock ? block(f) : p.leafAt(*slot);
        if (std::string inRange = plan::rangeFault(p, id, plan::resolveLayout(p, id), *slot); !inRange.empty()) {
            why = familyName(f) + " address " + textio::quoted(t) + ": " +
                  textio::escaped(inRange, textio::kQuotedReason);
            return false;
        }
        return true;
    }
    case HostMac: return take(plan::parseHostMac(t), h.mac, why);
    case HostDuid: return take(plan::parseHostDuid(t), h.duid, why);
    case HostRole: {
        const auto role = t.empty() ? std::optional(plan::HostRole::Other) : plan::parseRole(t);
        if (!role)
            why = "Role " + textio::quoted(t) +
                  " is none of gateway, router, server, printer, access-point, camera, reserved, other.";
        h.role = role.value_or(h.role);
        return role.has_value();
    }
    case HostNote: return take(plan::parseHostNote(text), h.note, why);
    default: return false;
    }
}

// A host for the new row: the next free address of each block shown and, when `named`, the
// first "host-N" no host has.
plan::Host SubnetForm::newHost(const plan::Plan& p, const plan::HostIndex& at, bool named) const
{
    plan::Host h;
    if (named) {
        std::set<std::string_view> names;
        for (const plan::Host& other : p.hosts())
            names.insert(other.name);
        for (std::size_t n = rows.size() + 1;; ++n)
            if (h.name = "host-" + std::to_string(n); !names.contains(h.name))
                break;
    }
    if (shown[0] != kNoBlock)
        h.v4 = plan::nextFree(p, shown[0], at);
    if (shown[1] != kNoBlock)
        h.v6 = plan::nextFree(p, shown[1], at);
    return h;
}

bool SubnetForm::setCell(std::size_t row, int column, const std::string& text)
{
    sync();
    if (!active() || row > rows.size())
        return false;
    std::string why;
    if (isNewRow(row)) {
        if (textio::trimBlanks(text).empty())
            return false;
        plan::Host h = newHost(plan(), *index, column != HostName);
        if (!setField(plan(), *index, h, column, text, std::nullopt, why))
            return refuse(why);
        return run(plan::makeAddHosts({std::move(h)}));
    }
    const std::size_t i = rows[row];
    plan::Host h = plan().hosts().at(i);
    if (!setField(plan(), *index, h, column, text, i, why))
        return refuse(why);
    if (h == plan().hosts()[i])
        return false;
    return run(plan::makeEditHost(i, std::move(h)));
}

bool SubnetForm::addHost()
{
    sync();
    if (!active())
        return false;
    return run(plan::makeAddHosts({newHost(plan(), *index, true)}));
}

bool SubnetForm::deleteRows(std::vector<std::size_t> rowList)
{
    sync();
    std::vector<std::size_t> hosts;
    for (std::size_t r : rowList)
        if (r < rows.size())
            hosts.push_back(rows[r]);
    if (hosts.empty())
        return false;
    return run(plan::makeDeleteHosts(std::move(hosts)));
}

bool SubnetForm::paste(const std::string& text)
{
    return importText(text, "the pasted rows");
}

bool SubnetForm::pastePrompt()
{
    if (!active())
        return false;
    auto text = sv.pasteText("Paste hosts", "Rows from a spreadsheet, tab-separated: host name, IPv4, IPv6, MAC, DUID, "
                                            "role, note (or under a header line naming the columns)");
    return text && paste(*text);
}

bool SubnetForm::importFile()
{
    if (!active())
        return false;
    auto file = sv.openFileDialog(kHostListFilter);
    if (!file || file->empty())
        return false;
    std::optional<std::string> sheet;
    if (form.isWorkbook(*file) && !(sheet = form.pickSheet(*file)))
        return false;
    const interchange::RecordSource rows = sheet ? sv.sheetRecords(*file, *sheet) : interchange::RecordSource{};
    textio::CsvTable table;
    std::string error;
    bool wasRead = true;
    if (!sv.readAside(*file, [&](const PlannerServices::ReadProgress& progress) {
            if (sheet) {
                table.error = countedRows(rows, progress).forEach([&](const textio::CsvRecord& r) {
                    table.records.push_back(r);
                    return true;
                });
                wasRead = table.error.empty() || !table.records.empty();
                error = table.error;
            } else if (std::string bytes; (wasRead = sv.readFile(*file, bytes, error))) {
                table = hostRows(bytes);
            }
        }))
        return false;  // cancelled: nothing was read
    if (!wasRead)
        return refuse("The hosts could not be read from " + quotedPath(*file) + ": " +
                      textio::escaped(error, textio::kQuotedReason));
    sync();
    return active() && importRecords(table.records, table.error,
                                     textio::escaped(baseName(*file), textio::kQuotedPath) +
                                         (sheet ? " sheet " + textio::quoted(*sheet) : std::string()),
                                     sheet ? ItemPlaces::rowsOf(rows) : ItemPlaces{});
}

// The row's fields, the MAC before the addresses (EUI-64 is made from it); an empty
// address cell is no address, and a row with neither takes the next free ones.
bool SubnetForm::readRow(const plan::Plan& p, const plan::HostIndex& at, const std::vector<std::string>& cells,
                         const std::vector<int>& columns, plan::Host& h, std::string& why) const
{
    static constexpr int order[] = {HostName, HostMac, HostDuid, HostRole, HostNote, HostV4, HostV6};
    h = newHost(p, at, false);
    bool named = false, addressed = false;
    for (const int column : order)
        for (std::size_t k = 0; k < cells.size() && k < columns.size(); ++k) {
            if (columns[k] != column)
                continue;
            const bool isAddress = column == HostV4 || column == HostV6;
            if (isAddress && textio::trimBlanks(cells[k]).empty())
                continue;
            if (isAddress && !addressed) {
                h.v4.reset();
                h.v6.reset();
                addressed = true;
            }
            named |= column == HostName;
            if (!setField(p, at, h, column, cells[k], std::nullopt, why))
                return false;
        }
    if (!named)
        why = "the row has no host name.";
    return named;
}

bool SubnetForm::importText(const std::string& text, const std::string& source)
{
    sync();
    if (!active())
        return false;
    const textio::CsvTable table = hostRows(text);
    return importRecords(table.records, table.error, textio::escaped(source, textio::kQuotedPath), {});
}

// The rows of a table (pasted, a file's, a sheet's), the first a header where every cell of
// it names a column.
bool SubnetForm::importRecords(const std::vector<textio::CsvRecord>& records, const std::string& error,
                               const std::string& source, const ItemPlaces& places)
{
    std::vector<int> columns;
    for (int c = 0; c < HostColumnCount; ++c)
        columns.push_back(c);
    std::size_t first = 0;
    if (!records.empty()) {
        std::vector<int> named;
        for (const std::string& cell : records[0].fields)
            named.push_back(headerColumn(cell));
        if (std::none_of(named.begin(), named.end(), [](int c) { return c < 0; })) {
            columns = named;
            first = 1;
        }
    }
    // Each row is read against the plan with the rows before it, so that "next" and the
    // next free addresses step on.
    plan::Plan scratch = plan();
    std::optional<plan::HostIndex> at(std::in_place, scratch);
    bool stale = false;  // the index is built again only for a row that asks for a free address
    auto asksFree = [&columns](const std::vector<std::string>& cells) {
        bool typed = false;
        for (std::size_t k = 0; k < cells.size() && k < columns.size(); ++k) {
            if (columns[k] != HostV4 && columns[k] != HostV6)
                continue;
            const std::string_view t = textio::trimBlanks(cells[k]);
            if (textio::equalsIgnoringCase(t, "next"))
                return true;
            typed |= !t.empty();
        }
        return !typed;
    };
    std::vector<plan::Host> added;
    std::vector<std::string> refused;
    for (std::size_t r = first; r < records.size(); ++r) {
        const textio::CsvRecord& rec = records[r];
        if (std::all_of(rec.fields.begin(), rec.fields.end(),
                        [](const std::string& f) { return textio::trimBlanks(f).empty(); }))
            continue;
        if (stale && asksFree(rec.fields)) {
            at.emplace(scratch);
            stale = false;
        }
        plan::Host h;
        std::string why;
        if (readRow(scratch, *at, rec.fields, columns, h, why))
            why = textio::escaped(scratch.insertHost(scratch.hosts().size(), h), textio::kQuotedReason);
        if (!why.empty()) {
            refused.push_back(places.where(rec.line) + ": " + why);
            continue;
        }
        added.push_back(std::move(h));
        stale = true;
    }
    if (!error.empty())
        refused.push_back(textio::escaped(error, textio::kQuotedReason));
    return placeRows(std::move(added), refused, source);
}

bool SubnetForm::placeRows(std::vector<plan::Host> added, const std::vector<std::string>& refused,
                           const std::string& source)
{
    const std::size_t n = added.size();
    if (n > 0 && !run(plan::makeAddHosts(std::move(added))))
        return false;
    std::string t = countText(n, "host", "hosts") + " added from " + source;
    if (!refused.empty()) {
        t += "; " + countText(refused.size(), "row", "rows") + " refused: ";
        for (std::size_t k = 0; k < refused.size() && k < kNotesShown; ++k)
            t += (k ? "; " : "") + refused[k];
        if (refused.size() > kNotesShown)
            t += "; ...";
    }
    statusText = t;  // each part escaped or quoted where it came in
    refusal = !refused.empty();
    return n > 0;
}

// ---------------------------------------------------------------- picture

std::string SubnetForm::countsText(Family f) const
{
    const plan::SubnetCounts& c = counts(f);
    return net::toDecimal(c.usable) + " usable, " + std::to_string(c.statics) + " static, " +
           net::toDecimal(c.inRanges) + " in DHCP ranges, " + net::toDecimal(c.free) + " free";
}

net::u128 SubnetForm::size(Family f) const
{
    if (block(f) == kNoBlock)
        return 0;
    const int hostBits = plan().block(block(f)).prefix.address.bits() - plan().block(block(f)).prefix.length;
    return net::u128(1) << std::min(hostBits, 127);
}

std::vector<AddressMark> SubnetForm::marks(Family f) const
{
    std::vector<AddressMark> out;
    const BlockId id = block(f);
    if (id == kNoBlock)
        return out;
    const plan::ResolvedLayout r = plan::resolveLayout(plan(), id);
    const net::u128 base = r.prefix.network().value;
    const net::u128 last = size(f) - 1;
    auto offset = [&](const net::Address& a) { return std::min(a.value - base, last); };
    auto add = [&](AddressKind kind, const net::Address& a, const net::Address& b) {
        out.push_back({kind, offset(a), offset(b)});
    };
    out.push_back({AddressKind::Free, 0, last});
    for (const plan::AddressRange& x : r.ranges)
        add(AddressKind::Range, x.first, x.last);
    for (const plan::AddressRange& x : r.kept)
        add(AddressKind::Kept, x.first, x.last);
    for (const std::size_t i : index->of(id)) {
        const auto& a = f == Family::V4 ? plan().hosts()[i].v4 : plan().hosts()[i].v6;
        if (a)
            add(AddressKind::Host, *a, *a);
    }
    if (r.gateway)
        add(AddressKind::Gateway, *r.gateway, *r.gateway);
    // The network and broadcast addresses are no host's, but for /31 and /32 (RFC 3021).
    if (f == Family::V4 && r.prefix.length < 31) {
        out.push_back({AddressKind::Network, 0, 0});
        out.push_back({AddressKind::Broadcast, last, last});
    } else if (f == Family::V6 && r.prefix.length < 127)
        out.push_back({AddressKind::Network, 0, 0});  // the subnet-router anycast address
    return out;
}

}  // namespace mq::planner
