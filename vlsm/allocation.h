// Class C VLSM allocation: checks the host counts of the segments, lists them,
// orders them largest first and hands each the smallest block that holds it,
// searching from the middle of the class C space outwards.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mq::vlsm {

inline constexpr int kMaxSegments = 30;
inline constexpr double kMinHosts = 1;
inline constexpr double kMaxHosts = 62;

struct VlsmSegment {
    int number = 0;  // position in entry order, 1 to 30
    std::string hostsText;  // the host box's text as typed
    double hosts = 0;  // its leading-number value
};

// One row of the block size table: a block of `size` last-octet values,
// `blocks` of them in a class C network, mask last octet `maskOctet`.
struct BlockSize {
    int usable = 0;
    int size = 0;
    int blocks = 0;
    int maskOctet = 0;
    friend bool operator==(const BlockSize&, const BlockSize&) = default;
};

// The smallest block whose usable host count (2^e - 2) holds `hosts`;
// nothing when no class C block does (below 1 or above 62 hosts).
std::optional<BlockSize> blockSizeFor(double hosts);

// Taken/free flag of each last-octet value 0 to 255.
class AddressMap {
public:
    void clear() { taken_.fill(false); }
    bool taken(int value) const { return value >= 0 && value < 256 && taken_[static_cast<std::size_t>(value)]; }
    void take(int first, int size);
    int takenCount() const;

private:
    std::array<bool, 256> taken_{};
};

// Outcome of the host-count check: accepted, or one message and the box
// (0-based) to empty, -1 when no box is emptied.
struct HostCheck {
    bool accepted = true;
    std::string message;
    int boxToEmpty = -1;
};

// The message for a host value outside 1 to 62.
std::string hostRangeMessage(double value);

// Checks the host boxes in entry order and stops at the first bad one.
HostCheck checkHostCounts(const std::vector<std::string>& hostTexts);

// Segments numbered 1.. in entry order from the host box texts.
std::vector<VlsmSegment> makeSegments(const std::vector<std::string>& hostTexts);

// "Segment k has <text> hosts" per segment, then one empty line.
void listSegments(const std::vector<VlsmSegment>& segments, std::vector<std::string>& lines);

// Largest host value first, equal values in entry order: passes of adjacent
// exchanges until a pass exchanges nothing.
void sortSegments(std::vector<VlsmSegment>& segments);

// Places one segment, appending its result lines. Returns the first
// last-octet value of the block taken, or nothing when no block was free.
std::optional<int> classc(double hosts, int number, const std::string& prefix, AddressMap& map,
                          std::vector<std::string>& lines);

// The whole assignment for accepted host texts: listing, sort and placement.
// The map is used as it stands (the caller clears it when a run starts).
void assignAll(const std::vector<std::string>& hostTexts, const std::string& prefix, AddressMap& map,
               std::vector<std::string>& lines);

}  // namespace mq::vlsm
