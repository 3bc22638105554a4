#pragma once
// What the interchange formats carry: a plan as a flat list of blocks, parents before their
// parts, and the plan-wide values that some formats ask for. Writers take it; readers give
// it back; plan/ and the windows convert to and from their own model.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/address.h"
#include "plan/cloud.h"
#include "plan/plan.h"

namespace mq::interchange {

enum class Status : std::uint8_t {
    Container,  // split into parts
    Active,  // assigned to a segment
    Reserved,  // kept back by the user
    Deprecated,  // read from an IPAM only
    Free,  // a free leaf
};

struct ExportBlock {
    net::Prefix prefix;  // network form (host bits clear)
    std::string name;
    std::string note;
    std::optional<std::uint32_t> colour;  // 0xRRGGBB
    Status status = Status::Active;
    std::optional<int> vlan;  // 1..4094
    std::size_t line = 0;  // where a reader found it (1-based), 0 when made here
    plan::BlockIpam ipam{};  // the IPAM's own values of this prefix, where they differ from the plan's
    bool root = false;  // a root of the plan
};

// Whether an IPAM is given the block: every root, assigned and reserved block, and a split
// block that carries a name, note, colour or IPAM values of its own; never a bare half that
// splitting made on the way down (nor a free leaf, unless free space is asked for).
bool handedToIpam(const ExportBlock& b);

struct PlanValues {
    // NetBox: names of objects that exist there (the import looks them up by name).
    std::string tenant, role, vrf;
    std::vector<std::string> tags;  // tag slugs
    // phpIPAM: the section (required by its import), the VLAN domain and the customer.
    std::string section, domain, customer;
    // NetBox: the VLAN group and site that narrow a VLAN ID (its vlan_group and vlan_site).
    std::string vlanGroup{}, site{};
    plan::CloudMode cloud = plan::CloudMode::None;
};

struct ExportOptions {
    bool includeFree = false;  // free leaves are left out unless asked for
};

// The plan's blocks in preorder, root by root (each root first). A split block is a
// container, an assigned leaf active (reserved when the user marked it so) with its VLAN,
// a free leaf free; colour 0 (the plan's default) is no colour; the block's IPAM values kept.
std::vector<ExportBlock> blocksOf(const plan::Plan& plan);
std::vector<ExportBlock> blocksOf(const plan::Plan& plan, plan::BlockId root);  // one root's tree

// A problem with one item that did not stop the rest: "line 4: 10.0.0.0/33: ...".
struct Notice {
    std::size_t line = 0;  // 0 when not tied to a line
    std::string text;
};
std::string describe(const Notice& n);

}  // namespace mq::interchange

namespace mq::interchange {

struct WriteResult {
    std::string text;  // empty when error is set
    std::vector<Notice> notices;  // written all the same, but worth telling the user
    std::string error;
};

struct ReadResult {
    std::vector<ExportBlock> blocks;  // in the order read; items refused are left out
    PlanValues values;  // plan-wide values where the format has them
    std::vector<Notice> notices;  // one for each item refused or changed, with its line
    std::string error;  // the file as a whole could not be read
};

}  // namespace mq::interchange
