// The planner's edits of the open plan, for the window's buttons, menus and dialogs: what
// may be done to a block, and each change as one undoable command; a refused change says
// why in a message and changes nothing.
#pragma once

#include "plan/plan.h"
#include "planner/plan_session.h"

#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

class PlanEdits {
public:
    explicit PlanEdits(PlanSession& session);

    // ---- what may be done to a block
    // Split and Assign take a free leaf, Free an assigned one, and Reserve
    // any leaf; Join a block with parts, or a leaf below a root.
    bool canSplit(plan::BlockId id) const;
    bool canAssign(plan::BlockId id) const;
    bool canFree(plan::BlockId id) const;
    bool canJoin(plan::BlockId id) const;
    bool canReserve(plan::BlockId id) const;
    // Reserve's check mark: the block is kept back.
    bool isReserved(plan::BlockId id) const;
    // The block whose parts Join joins: the block itself, or a leaf's parent.
    plan::BlockId joinedBlock(plan::BlockId id) const;

    // ---- blocks
    bool split(plan::BlockId id, int parts);
    // Asks for the number of parts (a power of two).
    bool splitPrompt(plan::BlockId id);
    // A block with parts joins them; a leaf joins its parent's parts.
    bool join(plan::BlockId id);
    bool rename(plan::BlockId id, const std::string& name);
    bool setNote(plan::BlockId id, const std::string& note);
    // Asks for the colour of a block.
    bool chooseColour(plan::BlockId id);
    // An assigned leaf becomes free space (its note stays).
    bool freeBlock(plan::BlockId id);
    // A free leaf is assigned: asks for "name, hosts, note".
    bool assignPrompt(plan::BlockId id);
    bool assign(plan::BlockId id, const std::string& answer);
    // A leaf kept back: marked reserved (a free one is assigned on the way),
    // or with false, the mark taken off.
    bool reserve(plan::BlockId id, bool reserved = true);
    // Joins free siblings under the block (the whole plan for a root).
    bool tidy(plan::BlockId id);
    // Hosts added at the end of the plan's list, as one undoable change.
    bool addHosts(std::vector<plan::Host> hosts);

    // ---- the plan's settings
    // The plan's sizing rules, as one undoable change.
    bool setSettings(const plan::Settings& settings);
    // The public cloud whose address rules the IPv4 blocks follow.
    bool setCloudMode(plan::CloudMode mode);
    // The values handed to an IPAM with every prefix, through a small dialog.
    bool editIpamValues();
    bool setIpamValues(const plan::IpamValues& values);
    // The plan's subnet rules (gateway, kept, DHCP ranges, IPv6), through the Subnet rules
    // dialog, as one undoable change (checked by planner/subnet_rules.cpp).
    bool editSubnetRules();
    bool setLayoutRules(const plan::LayoutRules& rules);

private:
    // The VLAN field of Assign's answer: "vlan 10" gives 10, a note 0, a bad ID
    // nothing (with a message).
    std::optional<int> vlanField(const std::string& rest);

    PlanSession& session;
    PlannerServices& sv;
    const plan::Plan& doc;
};

}  // namespace mq::planner
