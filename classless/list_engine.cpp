#include "classless/list_engine.h"

#include "net/summarize.h"

// The set engine (address sets, overlaps, free space) joins the summarizer in net/;
// until a build has it, the page offers what the summarizer alone answers.
#if __has_include("net/address_set.h")
#define MQ_HAVE_ADDRESS_SET 1
#include "net/address_set.h"
#include "net/free_space.h"
#include "net/overlaps.h"
#endif

namespace mq::classless::engine {

#ifdef MQ_HAVE_ADDRESS_SET

namespace {

net::AddressSet setOf(const std::vector<net::Range>& items, CancelFlag cancel)
{
    net::AddressSetBuilder b;
    for (const net::Range& r : items)
        b.add(r);
    return b.build(cancel);
}

}  // namespace

bool offers(ListOperation) { return true; }

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

void overlaps(const std::vector<net::Range>& a, const std::vector<net::Range>* b, CancelFlag cancel,
              const PairFn& out)
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

#else

bool offers(ListOperation op) { return op == ListOperation::Summarize || op == ListOperation::Union; }

void combine(ListOperation op, const std::vector<net::Range>& a, const std::vector<net::Range>& b, CancelFlag,
             const PrefixFn& out)
{
    net::Summarizer s;
    for (const net::Range& r : a)
        s.add(r);
    if (op == ListOperation::Union)
        for (const net::Range& r : b)
            s.add(r);
    s.visit(out);
}

void overlaps(const std::vector<net::Range>&, const std::vector<net::Range>*, CancelFlag, const PairFn&) {}
void freeSpace(const net::Prefix&, const std::vector<net::Range>&, CancelFlag, const PrefixFn&) {}

#endif

}  // namespace mq::classless::engine
