// "Summarize": a pasted list of addresses, prefixes and ranges (both families)
// reduced to the fewest prefixes covering exactly the same addresses. Lines that
// do not read are listed with their number and reason; the rest still counts.
#pragma once

#include "net/address.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mq::classless {

class SummaryArea {
public:
    // ---- controls
    std::string Text;                   // the pasted list, one item a line
    std::vector<std::string> Summary;   // one prefix a line, IPv4 first, each family in order
    std::vector<std::string> Errors;    // "Line 3: ..." for each line that does not read
    std::size_t inputItems = 0;
    net::Count coveredV4, coveredV6;

    void Text_Change(const std::string& text);
    // "3 items in, 2 prefixes out, covering 512 IPv4 addresses" and so on.
    std::string countsText() const;
};

}  // namespace mq::classless
