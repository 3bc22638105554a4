#include "classless/summary.h"

#include "net/parse.h"
#include "net/summarize.h"

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

}  // namespace

void SummaryArea::Text_Change(const std::string& text)
{
    Text = text;
    Summary.clear();
    Errors.clear();
    inputItems = 0;
    coveredV4 = coveredV6 = net::Count{};
    std::vector<net::Range> ranges;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        auto parsed = net::parseInput(line);
        if (auto* e = std::get_if<net::ParseError>(&parsed)) {
            Errors.push_back("Line " + std::to_string(lineNo) + ": " + net::describe(line, *e));
            continue;
        }
        ++inputItems;
        ranges.push_back(std::get<net::Input>(parsed).range);
    }
    for (const net::Prefix& p : net::summarize(std::move(ranges))) {
        Summary.push_back(net::formatNetwork(p));
        add(p.address.family == net::Family::V4 ? coveredV4 : coveredV6, p);
    }
}

std::string SummaryArea::countsText() const
{
    std::string s = plural(inputItems, "item", "items") + " in, " +
                    plural(Summary.size(), "prefix", "prefixes") + " out";
    if (coveredV4 != net::Count{})
        s += ", " + net::toDecimal(coveredV4) + " IPv4 addresses";
    if (coveredV6 != net::Count{})
        s += ", " + net::toDecimal(coveredV6) + " IPv6 addresses";
    if (!Errors.empty())
        s += "; " + plural(Errors.size(), "line", "lines") + " not read";
    return s;
}

}  // namespace mq::classless
