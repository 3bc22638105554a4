// The masks a class offers, as rows of the four linked choice boxes, and the
// binary display of each mask with its subnet and host field boundaries.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

struct SubnetOptionRow {
    int bits;  // subnet bits n
    std::string bitsText;  // "3"
    std::string mask;  // "255.255.255.224"
    std::string subnets;  // "6"
    std::string hosts;  // "30"
};

// Network bits of a class: A 8, B 16, C 24; 0 for anything else.
int classNetworkBits(std::string_view classLetter);

// Characters of the binary display that hold the class's network field: A 10, B 20, C 30.
int classFieldLength(std::string_view classLetter);

// The class's own mask: "255.0.0.0", "255.255.0.0", "255.255.255.0"; "" otherwise.
std::string classMask(std::string_view classLetter);

// Rows for classes A, B and C, n = 0, [1 with subnet zero], 2 .. h0 - 2. Empty otherwise.
std::vector<SubnetOptionRow> subnetOptionRows(std::string_view classLetter, bool subnetZero);

// Dotted mask of a prefix length 0..32.
std::string prefixMask(int prefix);

// The 38-character binary display of a prefix: "11111111  11111111  11111111  11000000".
std::string maskBinaryText(int prefix);

struct MaskDisplayEntry {
    std::string binaryText;
    int subnetFieldLength;  // S
    int hostFieldStart;  // H
};

// The display entry of a mask text for a class, for the pairs the lists offer.
std::optional<MaskDisplayEntry> maskDisplayEntry(std::string_view maskText, std::string_view classLetter);

}  // namespace mq
