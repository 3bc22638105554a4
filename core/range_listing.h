// Fast subnet ranges for long listings. A RangeLister captures what the range
// computation reads from the calculator (class, network octets, subnet bits) and
// then yields the rows of any subnet number without touching the calculator,
// text for text the same as selsub1..selsub3.
#pragma once

#include "core/frmdoc_model.h"

#include <cstdint>
#include <string>

namespace mq {

struct RangeRow {
    std::string subnet, first, last, broadcast;
    friend bool operator==(const RangeRow&, const RangeRow&) = default;
};

class RangeLister {
public:
    // What selsub1 would read from the calculator right now.
    static RangeLister capture(const FrmdocModel& calculator);

    // False when the calculator holds no class A, B or C result with a host field
    // (the rows must then be taken from selsub1..selsub3 themselves).
    bool valid() const { return ok; }
    int subnetBits() const { return b; }

    RangeRow row(double subnet) const;
    // Appends the listing line of a subnet: number with its sign position, TAB,
    // subnet, first, last and broadcast address, TAB-separated, no line end.
    void appendLine(std::int32_t subnet, std::string& out) const;

private:
    std::uint32_t subnetBitsOf(double subnet) const;
    void appendAddress(std::uint32_t hostPart, std::string& out) const;

    bool ok = false;
    std::string prefix;  // "192.168.1." (class octets, numeric form, with the dot)
    int k = 0;  // class octets
    int b = 0;  // subnet bits
    int h = 0;  // host bits
};

}  // namespace mq
