#pragma once
// visualsubnetcalc: its configuration JSON (the Import / Export box) and its share link.
//
// JSON (config_version "2"): {"config_version": "2", "operating_mode": "AWS" (absent for
// Standard), "base_network": "10.0.0.0/16", "subnets": {"10.0.0.0/16": {...}}}. Every node of
// "subnets" is keyed by its prefix; a split node holds its two halves, any node may hold
// "_note" and "_color" ("#rrggbb"). The tool splits in halves only: a block split into four
// or more parts is written as halves of halves.
//
// Link: "…/index.html?c=1" + LZ-string compressToEncodedURIComponent of the same JSON with
// short keys: v (version), b (base), m (mode), s (subnets); node keys as "<n><length in base
// 36>", the n-th block of that length in the base ("7k": the eighth /20), and n, c for the
// note and colour.
//
// IPv4 only, as the tool is. The tool keeps one text per subnet: a block's name is written
// there, followed by " — " and its note when it has one; reading gives it back as the name
// (cut to a name's length, the whole kept as the note).
#include <optional>
#include <string_view>

#include "interchange/blocks.h"

namespace mq::interchange {

inline constexpr std::string_view kVscPage = "https://visualsubnetcalc.com/index.html";

// blocks: the plan's blocks in preorder, the root first (blocksOf gives them so). Blocks
// between are filled in as needed; space no block covers becomes an empty leaf.
WriteResult writeVscJson(const std::vector<FlatBlock>& blocks, plan::CloudMode mode);
WriteResult writeVscLink(const std::vector<FlatBlock>& blocks, plan::CloudMode mode, std::string_view page = kVscPage);

struct VscTree {
    net::Prefix base;
    plan::CloudMode mode = plan::CloudMode::None;
    // Preorder, root first, halves in address order: a split node is a container, a leaf with
    // a note assigned, one without free.
    std::vector<FlatBlock> blocks;
    std::vector<textio::Problem> notices;  // values that were not understood and left out
};

struct VscRead {
    std::optional<VscTree> tree;
    std::string error;  // "$.subnets[\"10.0.0.0/16\"]: ..." when there is no tree
};

// Configuration JSON of version 1 or 2, long or short keys.
VscRead readVscJson(std::string_view text);
// A whole link, its query ("?c=1…"), or the value of c alone ("1…").
VscRead readVscLink(std::string_view link);

}  // namespace mq::interchange
