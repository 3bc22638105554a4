#include "classless/summary.h"

#include "net/parse.h"
#include "net/summarize.h"
#include "textio/lines.h"

namespace mq::classless {

namespace {

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

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

}  // namespace

SummaryResult summarizeList(std::string_view text, const std::atomic<bool>* cancel)
{
    SummaryResult r;
    net::Summarizer summarizer;
    const textio::ReadResult read = textio::readLines(text, [&](const textio::Line& line) {
        if ((line.number & 0x3FF) == 0 && cancelled(cancel))
            return false;
        const std::string at = "Line " + std::to_string(line.number) + ": ";
        if (line.tooLong) {
            r.refused.push_back({line.number, at + textio::tooLongReason()});
            return true;
        }
        auto parsed = net::parseInput(line.content);
        if (auto* e = std::get_if<net::ParseError>(&parsed)) {
            r.refused.push_back({line.number, at + net::describe(line.content, *e)});
            return true;
        }
        ++r.inputItems;
        summarizer.add(std::get<net::Input>(parsed).range);
        return true;
    });
    if (read.stopped || cancelled(cancel)) {
        r.cancelled = true;
        return r;
    }
    summarizer.visit([&r](const net::Prefix& p) {
        r.summary.push_back(net::formatNetwork(p));
        add(p.address.family == net::Family::V4 ? r.coveredV4 : r.coveredV6, p);
    });
    r.cancelled = cancelled(cancel);
    return r;
}

std::string countsText(const SummaryResult& r)
{
    std::string s = plural(r.inputItems, "item", "items") + " in, " +
                    plural(r.summary.size(), "prefix", "prefixes") + " out";
    if (r.coveredV4 != net::Count{})
        s += ", " + net::toDecimal(r.coveredV4) + " IPv4 " + (r.coveredV4 == net::Count{1} ? "address" : "addresses");
    if (r.coveredV6 != net::Count{})
        s += ", " + net::toDecimal(r.coveredV6) + " IPv6 " + (r.coveredV6 == net::Count{1} ? "address" : "addresses");
    if (!r.refused.empty())
        s += "; " + plural(r.refused.size(), "line", "lines") + " not read";
    return s;
}

void SummaryArea::setText(const std::string& list)
{
    setResult(list, summarizeList(list));
}

void SummaryArea::setResult(const std::string& list, SummaryResult r)
{
    text = list;
    result = std::move(r);
}

std::vector<std::string> SummaryArea::errors() const
{
    std::vector<std::string> lines;
    lines.reserve(result.refused.size());
    for (const RefusedLine& l : result.refused)
        lines.push_back(l.text);
    return lines;
}

std::vector<std::string> SummaryArea::reportLines() const
{
    if (result.inputItems == 0 && result.refused.empty())
        return {};
    std::vector<std::string> lines = {"Maskquill Classless Calculator: summary", "", countsText(), ""};
    lines.insert(lines.end(), result.summary.begin(), result.summary.end());
    if (!result.refused.empty()) {
        lines.push_back("");
        lines.push_back("Lines not read:");
        for (const RefusedLine& l : result.refused)
            lines.push_back(l.text);
    }
    return lines;
}

}  // namespace mq::classless
