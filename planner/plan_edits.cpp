#include "planner/plan_edits.h"

#include "net/parse.h"
#include "plan/cloud.h"
#include "plan/fields.h"
#include "planner/block_texts.h"
#include "planner/subnet_rules.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::planner {

using plan::BlockId;

PlanEdits::PlanEdits(PlanSession& session) : session(session), sv(session.services()), doc(session.plan()) { }

bool PlanEdits::canSplit(BlockId id) const
{
    return doc.exists(id) && doc.block(id).children.empty() && doc.block(id).state == plan::BlockState::Free;
}

bool PlanEdits::canAssign(BlockId id) const
{
    return canSplit(id);
}

bool PlanEdits::canFree(BlockId id) const
{
    return doc.exists(id) && doc.block(id).children.empty() && doc.block(id).state != plan::BlockState::Free;
}

bool PlanEdits::canJoin(BlockId id) const
{
    return doc.exists(id) && (!doc.block(id).children.empty() || doc.block(id).parent != plan::kNoBlock);
}

bool PlanEdits::canReserve(BlockId id) const
{
    return doc.exists(id) && doc.block(id).children.empty();
}

bool PlanEdits::isReserved(BlockId id) const
{
    return doc.exists(id) && doc.block(id).state == plan::BlockState::Reserved;
}

BlockId PlanEdits::joinedBlock(BlockId id) const
{
    if (!doc.exists(id))
        return id;
    const plan::Block& b = doc.block(id);
    return b.children.empty() && b.parent != plan::kNoBlock ? b.parent : id;
}

bool PlanEdits::split(BlockId id, int parts)
{
    if (!doc.exists(id))
        return false;
    return session.run(plan::makeSplit(id, parts));
}

bool PlanEdits::splitPrompt(BlockId id)
{
    if (!doc.exists(id))
        return false;
    auto text =
        sv.prompt("Split " + prefixText(doc.block(id).prefix) + " into how many equal parts? (2, 4, 8 ... 65536)", "4");
    if (!text)
        return false;
    const int parts = partsOf(*text);
    if (parts == 0) {
        sv.message("\"" + textio::escaped(*text) + "\" is not a number of parts: give a power of two from 2 to 65536.",
                   MsgIcon::Exclamation);
        return false;
    }
    return split(id, parts);
}

bool PlanEdits::join(BlockId id)
{
    if (!doc.exists(id))
        return false;
    if (!canJoin(id)) {
        sv.message("The root block has no parts to join.", MsgIcon::Exclamation);
        return false;
    }
    return session.run(plan::makeJoin(joinedBlock(id)));
}

bool PlanEdits::rename(BlockId id, const std::string& name)
{
    if (!doc.exists(id) || doc.block(id).name == name)
        return false;
    return session.run(plan::makeRename(id, name));
}

bool PlanEdits::setNote(BlockId id, const std::string& note)
{
    if (!doc.exists(id) || doc.block(id).note == note)
        return false;
    return session.run(plan::makeSetNote(id, note));
}

bool PlanEdits::chooseColour(BlockId id)
{
    if (!doc.exists(id))
        return false;
    auto rgb = sv.chooseColour(doc.block(id).colour);
    if (!rgb || *rgb == doc.block(id).colour)
        return false;
    return session.run(plan::makeSetColour(id, *rgb));
}

bool PlanEdits::freeBlock(BlockId id)
{
    if (!doc.exists(id))
        return false;
    return session.run(plan::makeFree(id));
}

bool PlanEdits::assignPrompt(BlockId id)
{
    if (!doc.exists(id))
        return false;
    auto answer = sv.prompt("Assign " + prefixText(doc.block(id).prefix) +
                                ": name, hosts asked, VLAN, note (for example: servers, 50, vlan 10, rack 4; "
                                "the VLAN may be left out)",
                            doc.block(id).name);
    if (!answer)
        return false;
    return assign(id, *answer);
}

bool PlanEdits::assign(BlockId id, const std::string& answer)
{
    if (!doc.exists(id))
        return false;
    auto field = [](std::string_view t) { return std::string(textio::trimBlanks(t)); };
    const std::size_t c1 = answer.find(',');
    const std::size_t c2 = c1 == std::string::npos ? std::string::npos : answer.find(',', c1 + 1);
    plan::Assignment a;
    a.name = field(answer.substr(0, c1));
    if (c1 != std::string::npos) {
        const std::string hosts =
            field(answer.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1));
        if (!hosts.empty()) {
            const auto n = net::parseDecimal(hosts);
            if (!n) {
                sv.message("\"" + textio::escaped(hosts) +
                               "\" is not a number of hosts: write it as digits, such as 50.",
                           MsgIcon::Exclamation);
                return false;
            }
            a.hosts = *n;
        }
    }
    if (c2 != std::string::npos) {
        std::string rest = field(answer.substr(c2 + 1));
        if (auto vlan = vlanField(rest); !vlan)
            return false;
        else if (*vlan > 0) {
            a.vlan = *vlan;
            const std::size_t c3 = rest.find(',');
            rest = c3 == std::string::npos ? std::string() : field(rest.substr(c3 + 1));
        }
        a.note = rest;
    } else if (doc.exists(id))
        a.note = doc.block(id).note;
    return session.run(plan::makeAssign(id, std::move(a)));
}

std::optional<int> PlanEdits::vlanField(const std::string& rest)
{
    // "vlan 10" (any case) before the note; 0 when the field is the note.
    const std::string head = textio::lowerCase(std::string_view(rest).substr(0, 5));
    if (head.size() < 5 || head.compare(0, 4, "vlan") != 0 || !(head[4] == ' ' || (head[4] >= '0' && head[4] <= '9')))
        return 0;
    const std::size_t end = rest.find(',');
    const std::string_view digits =
        std::string_view(rest).substr(4, end == std::string::npos ? std::string::npos : end - 4);
    // The ID read as every segment list and import reads a VLAN.
    const textio::Result<int> vlan = plan::parseVlan(textio::trimBlanks(digits));
    if (vlan && *vlan > 0)
        return *vlan;
    const std::string why = vlan ? std::string("no ID follows vlan") : textio::describe(vlan.problem());
    sv.message("\"" + textio::escaped(rest.substr(0, end)) + "\" is not a VLAN (" + why +
                   "): write vlan and an ID from 1 to " + std::to_string(plan::kMaxVlan) + ", such as vlan 10.",
               MsgIcon::Exclamation);
    return std::nullopt;
}

bool PlanEdits::tidy(BlockId id)
{
    if (!doc.exists(id))
        return false;
    return session.run(plan::makeTidy({id}));
}

bool PlanEdits::setSettings(const plan::Settings& settings)
{
    if (settings == doc.settings())
        return false;
    return session.run(plan::makeSetSettings(settings));
}

bool PlanEdits::editIpamValues()
{
    auto values = sv.editIpamValues(doc.ipamValues());
    if (!values)
        return false;
    return setIpamValues(*values);
}

bool PlanEdits::setIpamValues(const plan::IpamValues& values)
{
    if (values == doc.ipamValues())
        return false;
    return session.run(plan::makeSetIpamValues(values));
}

bool PlanEdits::reserve(plan::BlockId id, bool reserved)
{
    if (!doc.exists(id))
        return false;
    return session.run(plan::makeSetReserved(id, reserved));
}

bool PlanEdits::setCloudMode(plan::CloudMode mode)
{
    plan::Settings s = doc.settings();
    s.cloud = mode;
    return setSettings(s);
}

bool PlanEdits::editSubnetRules()
{
    const auto rules = sv.editLayoutRules(doc.settings().layout, doc.settings().cloud);
    return rules && setLayoutRules(*rules);
}

bool PlanEdits::setLayoutRules(const plan::LayoutRules& rules)
{
    if (const std::string why = planner::checkLayoutRules(rules); !why.empty()) {
        sv.message(why, MsgIcon::Exclamation);
        return false;
    }
    plan::Settings s = doc.settings();
    s.layout = rules;
    return setSettings(s);
}

bool PlanEdits::addHosts(std::vector<plan::Host> hosts)
{
    return !hosts.empty() && session.run(plan::makeAddHosts(std::move(hosts)));
}

}  // namespace mq::planner
