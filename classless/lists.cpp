#include "classless/lists.h"

#include "classless/list_engine.h"
#include "net/parse.h"
#include "textio/escape.h"
#include "textio/lines.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace mq::classless {

namespace {

const OperationInfo kOperations[] = {
    {ListOperation::Summarize, "Summarise A", false, false, false},
    {ListOperation::Union, "Union of A and B", true, true, false},
    {ListOperation::Intersection, "Intersection of A and B", true, true, false},
    {ListOperation::Except, "A except B", true, true, false},
    {ListOperation::SymmetricDifference, "Symmetric difference of A and B", true, true, false},
    {ListOperation::Overlaps, "Overlaps within A, or between A and B", false, true, false},
    {ListOperation::FreeSpace, "Free space in a block, A in use", false, false, true},
};

// A list as read: its items, their line numbers and (for the overlap report) their text.
struct ListItems {
    std::vector<net::Range> ranges;
    std::vector<std::size_t> lines;
    std::string texts;
    std::vector<std::size_t> ends;
    std::string_view text(std::size_t i) const
    {
        const std::size_t from = i == 0 ? 0 : ends[i - 1];
        return std::string_view(texts).substr(from, ends[i] - from);
    }
};

bool isCancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// A line of list A or B not read: the list is the problem's file.
textio::Problem lineRefused(char list, std::size_t line, std::string why)
{
    textio::Problem p = textio::lineProblem(line, std::move(why));
    p.file = std::string(1, list);
    return p;
}

// False when cancelled.
bool readList(std::string_view text, char list, bool keepTexts, const std::atomic<bool>* cancel, ListItems& items,
              textio::Problems& refused)
{
    const textio::ReadResult read = textio::readLines(text, [&](const textio::Line& line) {
        if ((line.number & 0x3FF) == 0 && isCancelled(cancel))
            return false;
        if (line.tooLong) {
            refused.push_back(lineRefused(list, line.number, textio::tooLongReason()));
            return true;
        }
        auto parsed = net::parseListItem(line.content);
        if (auto* e = std::get_if<net::ParseError>(&parsed)) {
            refused.push_back(lineRefused(list, line.number, net::describe(line.content, *e)));
            return true;
        }
        items.ranges.push_back(std::get<net::Range>(parsed));
        items.lines.push_back(line.number);
        if (keepTexts) {
            items.texts.append(line.content);
            items.ends.push_back(items.texts.size());
        }
        return true;
    });
    return !read.stopped;
}

// Sums disjoint prefix sizes of one family; their total never passes 2^128.
void add(net::Count& c, const net::Prefix& p)
{
    const net::Count size = net::Count::powerOfTwo(p.address.bits() - p.length);
    if (size.twoTo128) {
        c = size;
        return;
    }
    const net::u128 sum = c.low + size.low;
    if (sum < c.low)
        c = net::Count::powerOfTwo(128);
    else
        c.low = sum;
}

std::string plural(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string addresses(const net::Count& c, const char* family, const char* what)
{
    return ", " + net::toDecimal(c) + " " + family + (c == net::Count{1} ? " address" : " addresses") + what;
}

// The block of a free-space request, or why it does not read.
std::optional<net::Prefix> readBlock(const std::string& text, std::string& problem)
{
    if (text.find_first_not_of(" \t") == std::string::npos) {
        problem = "Type the block whose free space you want, such as 10.0.0.0/16.";
        return std::nullopt;
    }
    const auto parsed = net::parsePrefix(text, net::HostBits::Clear, {.address = true, .zone = true});
    if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
        if (e->fault == net::ParseError::Fault::Range)
            problem = "Block: " + textio::escaped(text) + " is a range; type a prefix, such as 10.0.0.0/16.";
        else
            problem = "Block: " + net::describe(text, *e);
        return std::nullopt;
    }
    return std::get<net::Prefix>(parsed);
}

std::string itemText(const ListItems& items, std::size_t i, const char* list)
{
    return list + std::to_string(items.lines[i]) + ":" + textio::escaped(items.text(i));
}

}  // namespace

const std::vector<OperationInfo>& listOperations()
{
    static const std::vector<OperationInfo> all(std::begin(kOperations), std::end(kOperations));
    return all;
}

const OperationInfo& operationInfo(ListOperation op)
{
    return kOperations[static_cast<int>(op)];
}

ListsResult workOut(const ListsRequest& request, const std::atomic<bool>* cancel)
{
    ListsResult r;
    r.op = request.op;
    const OperationInfo& info = operationInfo(request.op);
    std::optional<net::Prefix> block;
    if (info.needsBlock)
        block = readBlock(request.block, r.problem);
    const bool overlapReport = request.op == ListOperation::Overlaps;
    ListItems a, b;
    if (!readList(request.a, 'A', overlapReport, cancel, a, r.refused) ||
        (info.usesB && !readList(request.b, 'B', overlapReport, cancel, b, r.refused))) {
        r.cancelled = true;
        return r;
    }
    r.itemsA = a.ranges.size();
    r.itemsB = b.ranges.size();
    if (!r.problem.empty())
        return r;

    const auto prefix = [&r](const net::Prefix& p) {
        r.lines.push_back(net::formatNetwork(p));
        add(p.address.family == net::Family::V4 ? r.v4 : r.v6, p);
    };
    if (overlapReport) {
        const bool two = !b.ranges.empty();
        const char* na = two ? "A:" : "";
        const char* nb = two ? "B:" : "";
        engine::overlaps(a.ranges, two ? &b.ranges : nullptr, cancel,
                         [&](std::size_t ia, std::size_t ib, std::string_view relation) {
                             if (r.pairs++ >= kMaxPairLines)
                                 return;
                             r.lines.push_back(itemText(a, ia, na) + " " + std::string(relation) + " " +
                                               itemText(two ? b : a, ib, nb));
                         });
    } else if (block) {
        const net::Range whole{block->network(), block->last()};
        for (std::size_t i = 0; i < a.ranges.size(); ++i) {
            const net::Range& u = a.ranges[i];
            if (u.first.family != whole.first.family || u.last.value < whole.first.value ||
                u.first.value > whole.last.value)
                r.refused.push_back(lineRefused(
                    'A', a.lines[i], "lies outside " + net::formatNetwork(*block) + ", so it takes nothing from it"));
        }
        engine::freeSpace(*block, a.ranges, cancel, prefix);
    } else {
        engine::combine(request.op, a.ranges, b.ranges, cancel, prefix);
    }
    r.cancelled = isCancelled(cancel);
    return r;
}

std::string countsText(const ListsResult& r)
{
    const OperationInfo& info = operationInfo(r.op);
    std::string s = plural(r.itemsA, "item", "items") + (info.usesB ? " in A" : " in");
    if (info.usesB)
        s += ", " + std::to_string(r.itemsB) + " in B";
    if (!r.problem.empty())
        return s + "; " + r.problem;
    if (r.op == ListOperation::Overlaps) {
        s += ", " + plural(r.pairs, "overlapping pair", "overlapping pairs");
        if (r.pairs > r.lines.size())
            s += ", the first " + std::to_string(r.lines.size()) + " listed";
    } else {
        const bool free = r.op == ListOperation::FreeSpace;
        s += ", " + plural(r.lines.size(), free ? "free prefix" : "prefix", free ? "free prefixes" : "prefixes") +
             " out";
        if (r.v4 != net::Count{})
            s += addresses(r.v4, "IPv4", free ? " free" : "");
        if (r.v6 != net::Count{})
            s += addresses(r.v6, "IPv6", free ? " free" : "");
    }
    if (!r.refused.empty())
        s += "; " + plural(r.refused.size(), "line", "lines") + " not read";
    return s;
}

void ListsForm::update()
{
    setResult(workOut(request));
}

std::vector<std::string> ListsForm::errors() const
{
    std::vector<std::string> lines;
    lines.reserve(result.refused.size());
    for (const textio::Problem& p : result.refused)
        lines.push_back(textio::describe(p));
    return lines;
}

bool ListsForm::hasReport() const
{
    return result.itemsA != 0 || result.itemsB != 0 || !result.refused.empty() || !result.lines.empty();
}

std::vector<std::string> ListsForm::reportLines() const
{
    if (!hasReport())
        return {};
    std::vector<std::string> lines = {std::string("Maskquill Classless Calculator: ") + operationInfo(result.op).name,
                                      "", countsText(), ""};
    lines.insert(lines.end(), result.lines.begin(), result.lines.end());
    if (!result.refused.empty()) {
        lines.push_back("");
        lines.push_back("Lines not read:");
        for (const textio::Problem& p : result.refused)
            lines.push_back(textio::describe(p));
    }
    return lines;
}

bool ListsForm::hasPrefixTable() const
{
    return result.op != ListOperation::Overlaps && result.problem.empty() && hasReport();
}

std::vector<std::string> resultCells(std::string_view line)
{
    const auto parsed = net::parsePrefix(line, net::HostBits::Clear);
    const auto* p = std::get_if<net::Prefix>(&parsed);
    if (!p)
        return {};
    return {net::formatNetwork(*p), net::format(p->network()), net::format(p->last()),
            net::toDecimal(net::Count::powerOfTwo(p->address.bits() - p->length))};
}

std::optional<std::string> readListFile(const std::string& path, std::string* error)
{
    // Looked at before it is opened: opening a FIFO with no writer would wait for ever.
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0) {
        *error = std::strerror(errno);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxListFileBytes) {
        *error = "is larger than " + std::to_string(kMaxListFileBytes >> 20) + " MB";
        return std::nullopt;
    }
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        *error = std::strerror(errno);
        return std::nullopt;
    }
    std::string text;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
        text.append(buf, n);
        if (text.size() > kMaxListFileBytes) {  // it grew while being read
            std::fclose(in);
            *error = "is larger than " + std::to_string(kMaxListFileBytes >> 20) + " MB";
            return std::nullopt;
        }
    }
    const bool failed = std::ferror(in);
    const int err = errno;
    std::fclose(in);
    if (failed) {
        *error = std::strerror(err);
        return std::nullopt;
    }
    return text;
}

}  // namespace mq::classless
