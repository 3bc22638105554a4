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
#include "plan/document_table.h"
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
    LaterKeys later;  // the first key version 1 lacks, and the first versions 1 and 2 lack
    bool hasFormat = false, hasVersion = false, hasRoots = false, hasBlocks = false;
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

// The objects of plan/document_block.cpp, each by its table of keys; a block's keys of
// later versions are noted in `later`.
void readIpam(textio::json::Reader& in, IpamValues& v);
void writeIpam(textio::json::Writer& j, const IpamValues& v);
void readSegment(textio::json::Reader& in, Segment& s);
void writeSegment(textio::json::Writer& j, const Segment& s);
void readBlock(textio::json::Reader& in, RawBlock& b, LaterKeys& later);
void writeBlock(textio::json::Writer& j, const Plan& plan, BlockId id);
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
// The object, written when hasOutputs; spill() is called between entries, for output that
// streams.
void writeOutputs(textio::json::Writer& j, const Plan& plan, const std::function<void()>& spill);
// Places the hosts read into the plan, each through the plan's own checks.
std::optional<textio::Problem> addHosts(Plan& plan, std::vector<Host>& hosts);

// Version 3 is written only for a plan that holds something version 2 cannot keep.
bool needsVersion3(const Plan& plan);
// The objects "layout" and "subnet", without their keys.
void writeLayoutRules(textio::json::Writer& j, const LayoutRules& rules);
void writeSubnetLayout(textio::json::Writer& j, const SubnetLayout& layout);
void writeHost(textio::json::Writer& j, const Host& host);

// A fault at a JSON path of the document, with the line of the text it was found on when
// the text was at fault.
inline textio::Problem documentFault(std::string path, std::string message, std::size_t line = 0)
{
    textio::Problem p;
    p.line = line;
    p.path = std::move(path);
    p.message = std::move(message);
    return p;
}

bool rootsKnown(const RawDocument& doc);  // the roots come before the blocks
// The plan of the document's roots, without blocks.
std::variant<Plan, textio::Problem> rootsOf(const RawDocument& doc);

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
    std::optional<textio::Problem> finish();
    Plan take() { return std::move(plan_); }

private:
    struct Open {
        BlockId id;
        std::size_t entry;
        std::size_t next = 0;
    };

    std::optional<textio::Problem> place(std::size_t k, const RawBlock& raw);
    // The block that entry k, of prefix p, stands for in the tree being read, or why p is
    // not the prefix that comes next there.
    std::variant<BlockId, std::string> locate(std::size_t k, const net::Prefix& p);

    // The listed leaf that holds an address before the place being filled, or the nearest
    // one before it. Everything of the tree being read up to that place is listed, so the
    // tree itself finds it; after the root's end it is the root's last leaf.
    std::string leafHolding(net::u128 a) const;

    Plan plan_;
    std::optional<textio::Problem> fault_;
    std::vector<Open> open_;  // split blocks still taking parts
    std::size_t nextRoot_ = 0;  // the root whose tree comes next
    net::Prefix root_;  // the root whose tree is being read
    BlockId rootId_ = kNoBlock;
    std::size_t rootEntry_ = 0;
    std::vector<std::uint32_t> entryOf_;  // by id: the entry that listed the leaf
    std::unordered_map<std::size_t, std::string> oddTexts_;  // leaves written otherwise than printed
};

}  // namespace mq::plan::detail
