#include "classless/list_engine.h"

#include "net/address_set.h"
#include "net/free_space.h"
#include "net/overlaps.h"

namespace mq::classless::engine {

namespace {

net::AddressSet setOf(const std::vector<net::Range>& items, CancelFlag cancel)
{
    net::AddressSetBuilder b;
    for (const net::Range& r : items)
        b.add(r);
    return b.build(cancel);
}

}  // namespace

void combine(ListOperation op, const std::vector<net::Range>& a, const std::vector<net::Range>& b, CancelFlag cancel,
             const PrefixFn& out)
{
    net::AddressSet result;
    switch (op) {
    case ListOperation::Summarize: result = setOf(a, cancel); break;
    case ListOperation::Union: result = net::unite(setOf(a, cancel), setOf(b, cancel), cancel); break;
    case ListOperation::Intersection: result = net::intersect(setOf(a, cancel), setOf(b, cancel), cancel); break;
    case ListOperation::Except: result = net::subtract(setOf(a, cancel), setOf(b, cancel), cancel); break;
    case ListOperation::SymmetricDifference:
        result = net::symmetricDifference(setOf(a, cancel), setOf(b, cancel), cancel);
        break;
    default: return;
    }
    result.visitPrefixes(out);
}

void overlaps(const std::vector<net::Range>& a, const std::vector<net::Range>* b, CancelFlag cancel, const PairFn& out)
{
    const auto each = [&out](const net::OverlapPair& p) { out(p.a, p.b, net::relationName(p.relation)); };
    if (b)
        net::visitOverlaps(a, *b, each, cancel);
    else
        net::visitOverlaps(a, each, cancel);
}

void freeSpace(const net::Prefix& block, const std::vector<net::Range>& used, CancelFlag cancel, const PrefixFn& out)
{
    net::freeSpace(block, setOf(used, cancel), cancel).free.visitPrefixes(out);
}

}  // namespace mq::classless::engine
