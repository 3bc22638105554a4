#include "planner/hosts_table.h"

#include "net/parse.h"
#include "planner/planner_form.h"
#include "textio/csv.h"
#include "textio/fields.h"

#include <algorithm>
#include <cctype>

namespace mq::planner {

namespace {

const char* const kHostTitles[HostColumnCount] = {"Name", "IPv4",  "IPv6",    "MAC", "DUID",
                                                  "Role", "Block", "Segment", "Note"};

std::string oneLine(std::string s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return s;
}

// Three-way, values present before values missing whatever the direction.
template <class T> int compareOptional(const std::optional<T>& a, const std::optional<T>& b, bool descending)
{
    if (a.has_value() != b.has_value())
        return a ? -1 : 1;
    if (!a || *a == *b)
        return 0;
    return (*a < *b) != descending ? -1 : 1;
}

int compareText(const std::string& a, const std::string& b, bool descending)
{
    if (a.empty() != b.empty())
        return a.empty() ? 1 : -1;
    const auto r = std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(textio::lowerAscii(x)) <=> static_cast<unsigned char>(textio::lowerAscii(y));
    });
    if (r == 0)
        return 0;
    return (r < 0) != descending ? -1 : 1;
}

// An address and its family's place: IPv4 before IPv6.
std::optional<std::pair<int, net::u128>> addressKey(const std::optional<net::Address>& a)
{
    if (!a)
        return std::nullopt;
    return std::pair{a->family == net::Family::V4 ? 4 : 6, a->value};
}

}  // namespace

const char* hostColumnTitle(int column)
{
    return column >= 0 && column < HostColumnCount ? kHostTitles[column] : "";
}

bool HostsTable::isCurrent(const plan::Plan& plan) const
{
    return plan_ == &plan && hostSerial_ == plan.hostSerial() && changeSerial_ == plan.changeSerial() &&
           changesSeen_ == plan.changes().size();
}

bool HostsTable::setPlan(const plan::Plan& plan)
{
    if (isCurrent(plan))
        return false;
    const auto& hosts = plan.hosts();
    const bool sameTree = plan_ == &plan && changeSerial_ == plan.changeSerial() &&
                          changesSeen_ == plan.changes().size() && listSerial_ == plan.hostListSerial() &&
                          editsSeen_ <= plan.hostEdits().size() && block4_.size() <= hosts.size();
    rebuilt_ = !sameTree;
    if (sameTree) {
        hostSerial_ = plan.hostSerial();
        for (std::size_t k = editsSeen_; k < plan.hostEdits().size(); ++k)
            place(plan.hostEdits()[k]);
        editsSeen_ = plan.hostEdits().size();
        return true;
    }
    plan_ = &plan;
    hostSerial_ = plan.hostSerial();
    changeSerial_ = plan.changeSerial();
    changesSeen_ = plan.changes().size();
    listSerial_ = plan.hostListSerial();
    editsSeen_ = plan.hostEdits().size();
    block4_.resize(hosts.size());
    block6_.resize(hosts.size());
    // One step down the tree per host: O(hosts x depth), no scan of the blocks.
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        block4_[i] = plan::hostBlock(plan, hosts[i], net::Family::V4);
        block6_[i] = plan::hostBlock(plan, hosts[i], net::Family::V6);
    }
    haystack_.clear();
    arrange();
    return true;
}

void HostsTable::place(std::size_t i)
{
    const plan::Host& h = plan_->hosts()[i];
    const bool appended = i >= block4_.size();
    if (appended) {
        block4_.resize(i + 1, plan::kNoBlock);
        block6_.resize(i + 1, plan::kNoBlock);
    }
    block4_[i] = plan::hostBlock(*plan_, h, net::Family::V4);
    block6_[i] = plan::hostBlock(*plan_, h, net::Family::V6);
    if (haystack_.size() + (appended ? 1 : 0) == block4_.size()) {
        haystack_.resize(block4_.size());
        haystack_[i] = haystackOf(i);
    }
    if (!appended)
        if (const auto it = std::find(rows_.begin(), rows_.end(), i); it != rows_.end())
            rows_.erase(it);
    if (!needle_.empty() && haystack_.size() != block4_.size())
        readFilter();  // a text filter needs every host's cells
    if (shows(i))
        rows_.insert(std::lower_bound(rows_.begin(), rows_.end(), i,
                                      [this](std::size_t a, std::size_t b) { return before(a, b); }),
                     i);
}

std::size_t HostsTable::hostCount() const
{
    return plan_ ? plan_->hosts().size() : 0;
}

void HostsTable::setFilter(const std::string& text)
{
    filter_ = text;
    arrange();
}

void HostsTable::sort(int column, bool descending)
{
    column_ = column >= 0 && column < HostColumnCount ? column : -1;
    descending_ = descending;
    arrange();
}

std::string HostsTable::haystackOf(std::size_t i) const
{
    std::string all;
    for (int c = 0; c < HostColumnCount; ++c)
        all += hostCell(i, c) + '\t';
    return textio::lowerCase(std::move(all));
}

void HostsTable::readFilter()
{
    std::string text = filter_;
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    within_.reset();
    needle_.clear();
    if (text.empty())
        return;
    const auto prefix = net::parsePrefix(text, net::HostBits::Clear, {.address = true});
    if (const net::Prefix* p = std::get_if<net::Prefix>(&prefix)) {
        within_ = *p;
        return;
    }
    needle_ = textio::lowerCase(text);
    const std::size_t count = plan_->hosts().size();
    if (haystack_.size() != count) {
        haystack_.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            haystack_[i] = haystackOf(i);
    }
}

bool HostsTable::shows(std::size_t i) const
{
    const plan::Host& h = plan_->hosts()[i];
    if (within_)
        return (h.v4 && within_->contains(*h.v4)) || (h.v6 && within_->contains(*h.v6));
    return needle_.empty() || haystack_[i].find(needle_) != std::string::npos;
}

bool HostsTable::before(std::size_t a, std::size_t b) const
{
    if (column_ >= 0)
        if (const int c = compare(a, b); c != 0)
            return c < 0;
    return a < b;
}

void HostsTable::arrange()
{
    // A plan edited since the rows were made (the window shows the edit a moment later) is
    // read as it is now, never through the cells of hosts the rows do not know yet.
    if (plan_ && !isCurrent(*plan_) && setPlan(*plan_) && rebuilt_)
        return;  // setPlan arranged them afresh
    rows_.clear();
    if (!plan_)
        return;
    readFilter();
    for (std::size_t i = 0; i < plan_->hosts().size(); ++i)
        if (shows(i))
            rows_.push_back(i);
    if (column_ < 0)
        return;
    // The rows are in the plan's order: a stable sort by the column keeps it among equals.
    std::stable_sort(rows_.begin(), rows_.end(), [this](std::size_t a, std::size_t b) { return compare(a, b) < 0; });
}

int HostsTable::compare(std::size_t a, std::size_t b) const
{
    const plan::Host& x = plan_->hosts()[a];
    const plan::Host& y = plan_->hosts()[b];
    const bool d = descending_;
    auto blockKey = [this](std::size_t i) -> std::optional<std::tuple<int, net::u128, int>> {
        const plan::BlockId id = block4_[i] != plan::kNoBlock ? block4_[i] : block6_[i];
        if (id == plan::kNoBlock)
            return std::nullopt;
        const net::Prefix& p = plan_->block(id).prefix;
        return std::tuple{p.address.family == net::Family::V4 ? 4 : 6, p.address.value, p.length};
    };
    auto duid = [](const net::Duid& v) { return v.empty() ? std::nullopt : std::optional<net::Duid>(v); };
    switch (column_) {
    case HIpv4: return compareOptional(addressKey(x.v4), addressKey(y.v4), d);
    case HIpv6: return compareOptional(addressKey(x.v6), addressKey(y.v6), d);
    case HMac: return compareOptional(x.mac, y.mac, d);
    case HDuid: return compareOptional(duid(x.duid), duid(y.duid), d);
    case HBlock: return compareOptional(blockKey(a), blockKey(b), d);
    default: return compareText(hostCell(a, column_), hostCell(b, column_), d);
    }
}

std::optional<std::size_t> HostsTable::rowOf(std::size_t host) const
{
    const auto it = std::find(rows_.begin(), rows_.end(), host);
    return it == rows_.end() ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(it - rows_.begin()));
}

std::string HostsTable::cell(std::size_t row, int column) const
{
    return row < rows_.size() ? hostCell(rows_[row], column) : std::string();
}

plan::BlockId HostsTable::blockOf(std::size_t row) const
{
    if (row >= rows_.size())
        return plan::kNoBlock;
    const std::size_t i = rows_[row];
    return block4_[i] != plan::kNoBlock ? block4_[i] : block6_[i];
}

std::string HostsTable::hostCell(std::size_t i, int column) const
{
    const plan::Host& h = plan_->hosts()[i];
    const plan::BlockId main = block4_[i] != plan::kNoBlock ? block4_[i] : block6_[i];
    switch (column) {
    case HName: return h.name;
    case HIpv4: return h.v4 ? net::format(*h.v4) : std::string();
    case HIpv6: return h.v6 ? net::format(*h.v6) : std::string();
    case HMac: return h.mac ? net::formatMac(*h.mac) : std::string();
    case HDuid: return net::formatDuid(h.duid);
    case HRole: return plan::roleName(h.role);
    case HBlock: {
        // Both blocks of a dual-stack host: the one it would select first.
        std::string out;
        for (plan::BlockId b : {block4_[i], block6_[i]})
            if (b != plan::kNoBlock)
                out += (out.empty() ? "" : ", ") + prefixText(plan_->block(b).prefix);
        return out;
    }
    case HSegment: return main != plan::kNoBlock ? plan_->block(main).name : std::string();
    case HNote: return h.note;
    default: return {};
    }
}

std::string HostsTable::tsv() const
{
    std::string out;
    for (int c = 0; c < HostColumnCount; ++c)
        out += std::string(c ? "\t" : "") + kHostTitles[c];
    out += '\n';
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (int c = 0; c < HostColumnCount; ++c) {
            std::string text = oneLine(cell(r, c));
            if (textio::readsAsFormula(text))
                text.insert(0, 1, '\'');
            out += (c ? "\t" : "") + text;
        }
        out += '\n';
    }
    return out;
}

bool CheckList::update(const plan::Plan& plan, std::uint64_t revision)
{
    if (isCurrent(plan, revision))
        return false;
    plan_ = &plan;
    revision_ = revision;
    problems_ = plan::checkSubnets(plan);
    return true;
}

std::string CheckList::summary() const
{
    return problems_.empty() ? "No problems found" : countText(problems_.size(), "problem", "problems");
}

}  // namespace mq::planner
