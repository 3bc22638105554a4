// Any bytes as a file of another tool (NetBox or phpIPAM CSV, visualsubnetcalc JSON or share
// link, a list of prefixes): whatever the reader accepts, the plan's import either refuses
// with a reason or places every accepted item as a block of exactly its prefix, and undo
// gives back the plan as it was.
#include "interchange/plan_adapter.h"
#include "net/parse.h"
#include "plan/commands.h"
#include "plan/import.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace mq;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

bool holdsBlock(const plan::Plan& p, const net::Prefix& prefix)
{
    for (plan::BlockId root : p.roots())
        for (plan::BlockId id : p.preorder(root))
            if (p.block(id).prefix == prefix)
                return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static constexpr interchange::Format kFormats[] = {interchange::Format::Netbox, interchange::Format::Phpipam,
                                                       interchange::Format::VscJson, interchange::Format::VscLink,
                                                       interchange::Format::List};
    const interchange::Format format = kFormats[data[0] % 5];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const interchange::ImportRead read = interchange::readForImport(format, text);
    if (!read.error.empty())
        return 0;

    plan::Plan p(std::get<net::Input>(net::parseInput("10.0.0.0/8")).prefix);
    require(p.addRoot(std::get<net::Input>(net::parseInput("2001:db8::/32")).prefix).empty());
    const plan::Plan before = p;
    const plan::ImportCheck check = plan::checkImport(p, read.items);
    plan::History history;
    if (!history.run(p, plan::makeImport(read.items)).empty()) {
        require(p == before);  // refused: nothing changed
        return 0;
    }
    for (std::size_t i : check.accepted)  // host bits are cleared by the reader
        require(holdsBlock(p, read.items[i].prefix));
    history.undo(p);
    require(p == before);
    return 0;
}
