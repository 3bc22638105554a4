// Reads any bytes as a plan document and as a segment list. Nothing may crash or hang; a
// document that is accepted must write back to text that reads to the same plan and writes
// the same bytes again, and allocation into it must never overlap, leave its block or touch
// an assigned one, and undoes exactly.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "plan/allocate.h"
#include "plan/commands.h"
#include "plan/document.h"
#include "plan/segments.h"

using namespace mq;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto read = plan::readDocument(text);
    if (auto* p = std::get_if<plan::Plan>(&read)) {
        const std::string written = plan::writeDocument(*p);
        auto again = plan::readDocument(written);
        auto* q = std::get_if<plan::Plan>(&again);
        if (!q || !(*q == *p) || plan::writeDocument(*q) != written)
            std::abort();
        (void)plan::leavesCsv(*p);
        (void)plan::checkSubnets(*p);  // whatever hosts and layouts a document held
    } else if (std::get<textio::Problem>(read).path.empty() || std::get<textio::Problem>(read).message.empty()) {
        std::abort();  // every refusal names where and why
    }

    std::vector<textio::Problem> errors;
    const auto segments = plan::parseSegments(text, errors);
    const plan::Plan root(std::get_if<plan::Plan>(&read) ? std::get<plan::Plan>(read)
                                                         : plan::Plan({net::Address::v4(0x0A000000), 16}));
    const auto placed = plan::allocate(root, root.root(), segments);
    if (placed.size() != segments.size())
        std::abort();
    std::vector<net::Prefix> taken;
    for (const auto& pl : placed) {
        if (!pl.prefix) {
            if (pl.reason.empty())
                std::abort();
            continue;
        }
        const net::Prefix p = *pl.prefix;
        if (p.address != p.network() || !root.block(root.root()).prefix.contains(p))
            std::abort();
        for (plan::BlockId l : root.leaves()) {  // only free space is used, however it is split
            const plan::Block& leaf = root.block(l);
            if (leaf.state != plan::BlockState::Free && (leaf.prefix.contains(p) || p.contains(leaf.prefix)))
                std::abort();
        }
        taken.push_back(p);
    }
    // Made into blocks and taken back, the plan is as it was.
    plan::Plan applied = root;
    auto cmd = plan::makeAllocate(root.root(), segments);
    if (cmd->apply(applied).empty()) {
        cmd->revert(applied);
        if (!(applied == root))
            std::abort();
    }
    std::sort(taken.begin(), taken.end());
    for (std::size_t i = 1; i < taken.size(); ++i)
        if (taken[i].address.value <= taken[i - 1].last().value)
            std::abort();
    return 0;
}
