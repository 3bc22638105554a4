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
#include "textio/lines.h"

namespace mq::interchange {

// One block of a plan in a flat list: what every format writes and reads. A container is a
// block with parts (its state is Free); an IPAM's status the state does not tell
// ("deprecated", a reserved block's) is kept in ipam.status.
struct FlatBlock {
    net::Prefix prefix;  // network form (host bits clear)
    std::string name;
    std::string note;
    std::optional<std::uint32_t> colour;  // 0xRRGGBB
    plan::BlockState state = plan::BlockState::Assigned;
    std::optional<int> vlan;  // 1..4094
    std::size_t line = 0;  // where a reader found it (1-based), 0 when made here
    plan::BlockIpam ipam{};  // the IPAM's own values of this prefix, where they differ from the plan's
    bool root = false;  // a root of the plan
    bool container = false;  // split into parts

    bool freeLeaf() const { return !container && state == plan::BlockState::Free; }
};

// Whether an IPAM is given the block: every root, assigned and reserved block, and a split
// block that carries a name, note, colour or IPAM values of its own; never a bare half that
// splitting made on the way down (nor a free leaf, unless free space is asked for).
bool handedToIpam(const FlatBlock& b);

// The plan-wide values a format asks for: the plan's IPAM values (NetBox's tenant, role,
// VRF, tags, VLAN group and site; phpIPAM's section, domain and customer) and its cloud mode.
struct PlanValues {
    plan::IpamValues ipam;
    plan::CloudMode cloud = plan::CloudMode::None;
};

struct ExportOptions {
    bool includeFree = false;  // free leaves are left out unless asked for
};

// The plan's blocks in preorder, root by root (each root first). A split block is a
// container, a leaf keeps its state (an assigned or reserved one its VLAN); colour 0 (the
// plan's default) is no colour; the block's IPAM values kept.
std::vector<FlatBlock> blocksOf(const plan::Plan& plan);
std::vector<FlatBlock> blocksOf(const plan::Plan& plan, plan::BlockId root);  // one root's tree

}  // namespace mq::interchange

namespace mq::interchange {

struct WriteResult {
    std::string text;  // empty when error is set
    std::vector<textio::Problem> notices;  // written all the same, but worth telling the user
    std::string error;
};

struct ReadResult {
    std::vector<FlatBlock> blocks;  // in the order read; items refused are left out
    plan::IpamValues values;  // plan-wide values where the format has them
    std::vector<textio::Problem> notices;  // one for each item refused or changed, with its line
    std::string error;  // the file as a whole could not be read
};

}  // namespace mq::interchange
