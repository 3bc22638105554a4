#pragma once
// Inside the .mqplan reader: the members read from a document, and the plan built from them
// block by block with each block checked against the place the tree leaves for it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "plan/document.h"
#include "textio/json.h"

namespace mq::plan::detail {

struct RawBlock {
    std::string prefix, name, note, colour, hosts;
    std::optional<std::uint64_t> parts;
    std::optional<bool> assigned;
    bool hasPrefix = false, hasColour = false, hasHosts = false;
    std::optional<double> growth;
    std::optional<int> vlan;
    bool reserved = false;
    std::unique_ptr<BlockIpam> ipam;  // rare: what an IPAM said of this prefix
    std::unique_ptr<SubnetLayout> subnet;  // rare: what the block sets for its own layout
};

struct RawDocument {
    std::uint64_t version = 0;
    std::optional<std::string> root;  // version 1
    std::vector<std::string> roots;  // version 2
    std::string firstV2Key;  // the path of the first key version 1 lacks
    std::string firstV3Key;  // the path of the first key versions 1 and 2 lack
    bool hasFormat = false, hasVersion = false, hasRoots = false;
    Settings settings;
    IpamValues ipam;
    std::vector<Segment> segments;
    std::vector<RawBlock> blocks;  // only when the roots were not known before "blocks"
    std::size_t blockCount = 0;  // blocks read
    std::vector<Host> hosts;
    OutputSettings outputs;
    DhcpIds dhcpIds;
    ZoneSerials zoneSerials;
};

// Marks a key of an object as seen (bit of `seen`); false, and the reader failed, when it
// was seen before.
bool firstTime(textio::json::Reader& in, unsigned& seen, unsigned bit, const std::string& key);
// A prefix as a document writes it: "network/len", no zone, host bits clear; else why not.
std::variant<net::Prefix, std::string> documentPrefix(std::string_view text);
// An address as a plan writes it (no zone, no prefix length), and written so.
std::optional<net::Address> readAddress(textio::json::Reader& in);
void writeAddress(textio::json::Writer& j, const net::Address& a);

// The members version 3 adds (plan/document_subnet.cpp). Each reader checks every value it
// can on its own and leaves the reader failed, at the value's path, on the first fault;
// what a value must be for its block (its family) the plan's setters check.
void readLayoutRules(textio::json::Reader& in, LayoutRules& rules);
void readSubnetLayout(textio::json::Reader& in, SubnetLayout& layout);
void readHosts(textio::json::Reader& in, std::vector<Host>& hosts);
// "outputs" (plan/document_outputs.cpp): the output settings, Kea subnet IDs and zone
// serials, each value checked as it is read and the settings as a whole at their end.
void readOutputs(textio::json::Reader& in, RawDocument& doc);
bool hasOutputs(const Plan& plan);  // anything of them differs from a new plan's
// Written only when hasOutputs; spill() is called between entries, for output that streams.
void writeOutputs(textio::json::Writer& j, const Plan& plan, const std::function<void()>& spill);
// Places the hosts read into the plan, each through the plan's own checks.
std::optional<DocumentError> addHosts(Plan& plan, std::vector<Host>& hosts);

// Version 3 is written only for a plan that holds something version 2 cannot keep.
bool needsVersion3(const Plan& plan);
void writeLayoutRules(textio::json::Writer& j, const LayoutRules& rules);
void writeSubnetLayout(textio::json::Writer& j, const SubnetLayout& layout);
void writeHost(textio::json::Writer& j, const Host& host);

bool rootsKnown(const RawDocument& doc);  // the roots come before the blocks
// The plan of the document's roots, without blocks.
std::variant<Plan, DocumentError> rootsOf(const RawDocument& doc);

class TreeBuilder {
public:
    explicit TreeBuilder(Plan plan) : plan_(std::move(plan)) { }

    // Room for about this many blocks; only a hint, so a guess too large for memory is dropped.
    void reserve(std::size_t blocks);
    // Entries come in order, k from 0; after the first fault the rest are not looked at.
    void add(std::size_t k, const RawBlock& raw)
    {
        if (!fault_)
            fault_ = place(k, raw);
    }
    // The first fault, or what the whole list lacks.
    std::optional<DocumentError> finish();
    Plan take() { return std::move(plan_); }

private:
    struct Open {
        BlockId id;
        std::size_t entry;
        std::size_t next = 0;
    };

    std::optional<DocumentError> place(std::size_t k, const RawBlock& raw);
    // The block that entry k, of prefix p, stands for in the tree being read, or why p is
    // not the prefix that comes next there.
    std::variant<BlockId, std::string> locate(std::size_t k, const net::Prefix& p);

    // The listed leaf that holds an address before the place being filled, or the nearest
    // one before it. Everything of the tree being read up to that place is listed, so the
    // tree itself finds it; after the root's end it is the root's last leaf.
    std::string leafHolding(net::u128 a) const;

    Plan plan_;
    std::optional<DocumentError> fault_;
    std::vector<Open> open_;  // split blocks still taking parts
    std::size_t nextRoot_ = 0;  // the root whose tree comes next
    net::Prefix root_;  // the root whose tree is being read
    BlockId rootId_ = kNoBlock;
    std::size_t rootEntry_ = 0;
    std::vector<std::uint32_t> entryOf_;  // by id: the entry that listed the leaf
    std::unordered_map<std::size_t, std::string> oddTexts_;  // leaves written otherwise than printed
};

}  // namespace mq::plan::detail
