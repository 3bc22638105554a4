#pragma once
// A set of addresses of both families: per family a sorted list of disjoint spans, no two
// of which touch, so that every set has exactly one form and equal sets compare equal.
//
// Work on long lists takes an optional cancel flag (set from another thread); once it is
// seen set, the work stops early and its result is incomplete: the caller throws it away.
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "net/address.h"

namespace mq::net {

struct Span {
    u128 first = 0, last = 0;  // inclusive, first <= last
    constexpr bool operator==(const Span&) const = default;
};

using CancelFlag = const std::atomic<bool>*;

class AddressSet {
public:
    AddressSet() = default;
    // Ranges of both families, any order, overlaps allowed.
    static AddressSet of(const std::vector<Range>& ranges);

    const std::vector<Span>& spans(Family f) const { return f == Family::V4 ? v4_ : v6_; }
    bool empty() const { return v4_.empty() && v6_.empty(); }
    bool contains(const Address& a) const;  // O(log n)
    Count size(Family f) const;  // how many addresses of the family
    bool operator==(const AddressSet&) const = default;

    // IPv4 first, each family in address order.
    void visitRanges(const std::function<void(const Range&)>& fn) const;
    // The fewest prefixes covering exactly the set, in the same order.
    void visitPrefixes(const std::function<void(const Prefix&)>& fn) const;
    std::vector<Range> ranges() const;
    std::vector<Prefix> prefixes() const;

    friend AddressSet unite(const AddressSet& a, const AddressSet& b, CancelFlag cancel);
    friend AddressSet intersect(const AddressSet& a, const AddressSet& b, CancelFlag cancel);
    friend AddressSet subtract(const AddressSet& a, const AddressSet& b, CancelFlag cancel);
    friend AddressSet symmetricDifference(const AddressSet& a, const AddressSet& b, CancelFlag cancel);
    friend class AddressSetBuilder;

private:
    // The pieces between both sets' span ends that `keep(inA, inB)` takes.
    template <class Keep>
    static AddressSet combined(const AddressSet& a, const AddressSet& b, Keep keep, CancelFlag cancel);
    std::vector<Span>& mut(Family f) { return f == Family::V4 ? v4_ : v6_; }
    std::vector<Span> v4_, v6_;
};

AddressSet unite(const AddressSet& a, const AddressSet& b, CancelFlag cancel = nullptr);
AddressSet intersect(const AddressSet& a, const AddressSet& b, CancelFlag cancel = nullptr);
AddressSet subtract(const AddressSet& a, const AddressSet& b, CancelFlag cancel = nullptr);  // in a, not in b
AddressSet symmetricDifference(const AddressSet& a, const AddressSet& b, CancelFlag cancel = nullptr);
// The addresses of the block that are not in the set.
AddressSet complement(const AddressSet& s, const Prefix& block, CancelFlag cancel = nullptr);

// Takes items one at a time (a file streamed line by line) and sorts them once at the end.
// IPv4 spans are packed into one 64-bit integer each: plain integers sort fastest.
class AddressSetBuilder {
public:
    void add(const Range& r)
    {
        if (r.first.family == Family::V4)
            v4_.push_back(static_cast<std::uint64_t>(r.first.value) << 32 | static_cast<std::uint32_t>(r.last.value));
        else
            v6_.push_back({r.first.value, r.last.value});
    }
    void add(const Prefix& p) { add(Range{p.network(), p.last()}); }
    std::size_t count() const { return v4_.size() + v6_.size(); }
    // Room for this many more IPv4 items (a guess from a file's size: room never used is
    // address space only), so that a long list is not copied as it grows.
    void reserveV4(std::size_t more) { v4_.reserve(v4_.size() + more); }
    // The set of everything added; the builder is left empty.
    AddressSet build(CancelFlag cancel = nullptr);

private:
    std::vector<std::uint64_t> v4_;
    std::vector<Span> v6_;
};

// Every aligned prefix of a span, largest first at each step, in address order.
void eachPrefixOf(Family f, u128 first, u128 last, const std::function<void(const Prefix&)>& fn);

// Membership tests for a fixed set, laid out for lookups in a hot loop (grep of a log).
class AddressMatcher {
public:
    explicit AddressMatcher(const AddressSet& s);
    bool containsV4(std::uint32_t v) const;
    bool containsV6(u128 v) const;
    bool contains(const Address& a) const
    {
        return a.family == Family::V4 ? containsV4(static_cast<std::uint32_t>(a.value)) : containsV6(a.value);
    }

private:
    struct V4Span {
        std::uint32_t first, last;
    };
    struct SpanRange {
        std::uint32_t from, to;
    };
    std::vector<V4Span> v4_;  // a span's ends side by side: one cache line read for both
    // Buckets are the values of an IPv4 address's top 16 bits. A bit per bucket that some span
    // reaches (8 KiB, which stays in cache) turns most lookups away at once; for each 64
    // buckets, how many before them are reached, so that a reached bucket's place among those
    // is counted from the bits. Each reached bucket then has the spans that may hold its
    // addresses: a lookup touches one or two spans, and no table of all 65,536 buckets that
    // the log's read blocks would push out of the cache.
    std::vector<std::uint64_t> v4Reached_;
    std::vector<std::uint32_t> v4ReachedBefore_;
    std::vector<SpanRange> v4Spans_;
    std::vector<u128> v6First_, v6Last_;
};

}  // namespace mq::net
