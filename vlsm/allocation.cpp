#include "vlsm/allocation.h"

#include "core/helpers.h"

#include <algorithm>
#include <utility>

namespace mq::vlsm {

std::optional<BlockSize> blockSizeFor(double hosts)
{
    if (!(hosts >= kMinHosts && hosts <= kMaxHosts))
        return std::nullopt;
    for (int e = 2; e <= 6; ++e) {
        int size = 1 << e;
        if (size - 2 >= hosts)
            return BlockSize{size - 2, size, 256 / size, 256 - size};
    }
    return std::nullopt;
}

void AddressMap::take(int first, int size)
{
    for (int v = std::max(first, 0); v < first + size && v < 256; ++v)
        taken_[static_cast<std::size_t>(v)] = true;
}

int AddressMap::takenCount() const
{
    return static_cast<int>(std::count(taken_.begin(), taken_.end(), true));
}

std::string hostRangeMessage(double value)
{
    return "Class C segment cant handle " + plainNumber(value) +
           "\r\nhosts in a subnet\r\n"
           "Please enter a number between 1 and 62";
}

HostCheck checkHostCounts(const std::vector<std::string>& hostTexts)
{
    for (std::size_t k = 0; k < hostTexts.size(); ++k) {
        const std::string& text = hostTexts[k];
        double v = leadingNumber(text);
        if (!text.empty() && (v < kMinHosts || v > kMaxHosts))
            return {false, hostRangeMessage(v), static_cast<int>(k)};
        if (text.empty())
            return {false, "Please enter data in all fields", -1};
    }
    return {};
}

std::vector<VlsmSegment> makeSegments(const std::vector<std::string>& hostTexts)
{
    std::vector<VlsmSegment> segments;
    segments.reserve(hostTexts.size());
    for (std::size_t k = 0; k < hostTexts.size(); ++k)
        segments.push_back({static_cast<int>(k) + 1, hostTexts[k], leadingNumber(hostTexts[k])});
    return segments;
}

void listSegments(const std::vector<VlsmSegment>& segments, std::vector<std::string>& lines)
{
    for (const auto& s : segments)
        lines.push_back("Segment " + std::to_string(s.number) + " has " + s.hostsText + " hosts");
    lines.emplace_back();
}

void sortSegments(std::vector<VlsmSegment>& segments)
{
    if (segments.size() < 2)
        return;
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
            if (segments[i + 1].hosts > segments[i].hosts) {
                std::swap(segments[i], segments[i + 1]);
                exchanged = true;
            }
        }
    }
}

std::optional<int> classc(double hosts, int number, const std::string& prefix, AddressMap& map,
                          std::vector<std::string>& lines)
{
    const std::string n = std::to_string(number);
    auto cannot = [&]() -> std::optional<int> {
        lines.push_back("Cannot assign a subnet mask to subnet " + n);
        lines.emplace_back();
        return std::nullopt;
    };
    auto row = blockSizeFor(hosts);
    if (!row)
        return cannot();
    const int S = row->size;
    const int M = row->maskOctet;

    // Both cursors start at the block whose first value is 128; each pass
    // tries the lower candidate first, then the upper one.
    int downCursor = row->blocks / 2;
    int upCursor = row->blocks / 2;
    bool downOpen = true;
    bool upOpen = true;
    for (;;) {
        int downFirst = S * downCursor;
        int upFirst = S * upCursor;
        if (upFirst + S > M)
            upOpen = false;  // the all-ones block is never handed out
        if (downFirst < 256 - M)
            downOpen = false;  // nor is block zero
        if (!downOpen && !upOpen)
            return cannot();
        int first = -1;
        if (downOpen && !map.taken(downFirst + S - 1))
            first = downFirst;
        else if (upOpen && !map.taken(upFirst + S - 1))
            first = upFirst;
        if (first >= 0) {
            map.take(first, S);
            lines.push_back("Subnet " + n + " lower address is " + prefix + std::to_string(first + 1));
            lines.push_back("Subnet " + n + " upper address is " + prefix + std::to_string(first + S - 2));
            lines.push_back("Subnet mask for segment " + n + " is 255.255.255." + std::to_string(M));
            lines.emplace_back();
            return first;
        }
        --downCursor;
        ++upCursor;
    }
}

void assignAll(const std::vector<std::string>& hostTexts, const std::string& prefix, AddressMap& map,
               std::vector<std::string>& lines)
{
    auto segments = makeSegments(hostTexts);
    listSegments(segments, lines);
    sortSegments(segments);
    for (const auto& s : segments)
        classc(s.hosts, s.number, prefix, map, lines);
}

}  // namespace mq::vlsm
