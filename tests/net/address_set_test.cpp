// Address sets, overlaps and free space against a bitmap of a small universe of addresses,
// placed at the bottom, the middle and the very top of each family's space.
#include "net/address_set.h"
#include "net/free_space.h"
#include "net/overlaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>

namespace mq::net {
namespace {

constexpr std::size_t kWidth = 256;  // addresses in a universe
using Bits = std::vector<bool>;

struct Universe {
    Family family;
    u128 base;
    Address at(std::size_t i) const { return {base + i, family}; }
};

Universe randomUniverse(std::mt19937& rng)
{
    const Family f = rng() % 2 ? Family::V4 : Family::V6;
    const u128 top = f == Family::V4 ? u128{0xFFFFFFFFu} : ~u128{0};
    const u128 bases[] = {0, u128{0x0A000000}, top - kWidth + 1};
    return {f, bases[rng() % 3]};
}

// Random ranges and aligned prefixes inside the universe, and the bitmap they cover.
std::vector<Range> randomItems(std::mt19937& rng, const Universe& u, Bits& bits, int most = 10)
{
    bits.assign(kWidth, false);
    std::vector<Range> items;
    for (int k = std::uniform_int_distribution<int>(0, most)(rng); k > 0; --k) {
        std::size_t a = rng() % kWidth, b = std::min(kWidth - 1, a + rng() % 40);
        if (rng() % 2) {  // an aligned block
            const std::size_t size = std::size_t{1} << (rng() % 6);
            a &= ~(size - 1);
            b = a + size - 1;
        }
        for (std::size_t v = a; v <= b; ++v)
            bits[v] = true;
        items.push_back({u.at(a), u.at(b)});
    }
    return items;
}

Bits bitsOf(const AddressSet& s, const Universe& u)
{
    Bits out(kWidth, false);
    const Family other = u.family == Family::V4 ? Family::V6 : Family::V4;
    EXPECT_TRUE(s.spans(other).empty());
    const std::vector<Span>& spans = s.spans(u.family);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_LE(spans[i].first, spans[i].last);
        if (i > 0) {
            EXPECT_GT(spans[i].first, spans[i - 1].last + 1) << "spans must be sorted and apart";
        }
        for (u128 v = spans[i].first; v <= spans[i].last; ++v) {
            EXPECT_TRUE(v >= u.base && v - u.base < kWidth);
            out[static_cast<std::size_t>(v - u.base)] = true;
            if (v == spans[i].last)
                break;  // the top of the space
        }
    }
    return out;
}

Bits op(const Bits& a, const Bits& b, bool (*keep)(bool, bool))
{
    Bits out(kWidth);
    for (std::size_t i = 0; i < kWidth; ++i)
        out[i] = keep(a[i], b[i]);
    return out;
}

// The fewest prefixes covering exactly a bitmap: a full aligned block is one, a mixed one is
// the best of its halves.
void fewest(const Bits& bits, const Universe& u, std::size_t from, std::size_t size, std::vector<Prefix>& out)
{
    const auto count = std::count(bits.begin() + from, bits.begin() + from + size, true);
    if (count == 0)
        return;
    if (static_cast<std::size_t>(count) == size && (u.base + from) % size == 0) {
        out.push_back({u.at(from), familyBits(u.family) - std::countr_zero(size)});
        return;
    }
    fewest(bits, u, from, size / 2, out);
    fewest(bits, u, from + size / 2, size / 2, out);
}

TEST(AddressSet, OperationsAgreeWithABitmapAndItsLaws)
{
    std::mt19937 rng(19);
    for (int round = 0; round < 400; ++round) {
        const Universe u = randomUniverse(rng);
        Bits a, b;
        const AddressSet A = AddressSet::of(randomItems(rng, u, a)), B = AddressSet::of(randomItems(rng, u, b));
        ASSERT_EQ(bitsOf(A, u), a) << "round " << round;
        EXPECT_EQ(bitsOf(unite(A, B), u), op(a, b, [](bool x, bool y) { return x || y; }));
        EXPECT_EQ(bitsOf(intersect(A, B), u), op(a, b, [](bool x, bool y) { return x && y; }));
        EXPECT_EQ(bitsOf(subtract(A, B), u), op(a, b, [](bool x, bool y) { return x && !y; }));
        EXPECT_EQ(bitsOf(symmetricDifference(A, B), u), op(a, b, [](bool x, bool y) { return x != y; }));
        EXPECT_EQ(unite(subtract(A, B), intersect(A, B)), A);
        EXPECT_EQ(symmetricDifference(A, B), symmetricDifference(B, A));
        EXPECT_EQ(symmetricDifference(A, B), subtract(unite(A, B), intersect(A, B)));
        std::size_t members = 0;
        for (std::size_t i = 0; i < kWidth; ++i) {
            ASSERT_EQ(A.contains(u.at(i)), a[i]) << "round " << round << " address " << i;
            members += a[i];
        }
        EXPECT_EQ(A.size(u.family), (Count{members, false}));

        std::vector<Prefix> want;
        fewest(a, u, 0, kWidth, want);
        std::vector<Prefix> got = A.prefixes();
        EXPECT_EQ(got, want) << "round " << round;
    }
}

TEST(AddressSet, FamiliesStayApartAndTheWholeSpaceIsCounted)
{
    const Range allV6{Address::v6(0), Address::v6(~u128{0})};
    const Range someV4{Address::v4(0), Address::v4(0xFFFFFFFF)};
    const AddressSet s = AddressSet::of({allV6, someV4, {Address::v6(5), Address::v6(9)}});
    EXPECT_EQ(s.size(Family::V6), (Count{0, true}));
    EXPECT_EQ(s.size(Family::V4), (Count{u128{1} << 32, false}));
    EXPECT_EQ(s.prefixes(), (std::vector<Prefix>{{Address::v4(0), 0}, {Address::v6(0), 0}}));
    EXPECT_TRUE(subtract(s, s).empty());
    const AddressSet v6Only = complement(AddressSet::of({someV4}), Prefix{Address::v6(0), 0});
    EXPECT_EQ(v6Only.ranges().size(), 1u);
    EXPECT_TRUE(v6Only.spans(Family::V4).empty());
    EXPECT_FALSE(intersect(s, AddressSet::of({{Address::v4(7), Address::v4(7)}})).contains(Address::v6(7)));
}

// Long lists take other paths than short ones (a radix sort, a bucketed look-up): the set of
// a long list equals the union of the sets of its pieces, and the look-up agrees with it.
TEST(AddressSet, LongListsAgreeWithTheUnionOfTheirPieces)
{
    std::mt19937_64 rng(11);
    for (const int lowBits : {0, 30, 70}) {  // IPv6 firsts differing in few digits, or many
        std::vector<Range> items;
        AddressSet pieces;
        for (int chunk = 0; chunk < 10; ++chunk) {
            std::vector<Range> part;
            for (int i = 0; i < 1000; ++i) {
                const u128 mask = lowBits == 0 ? u128{0xFFFFFFFFu} : ((u128{1} << lowBits) - 1) << 20;
                const Family f = lowBits == 0 ? Family::V4 : Family::V6;
                const u128 first = (u128{rng()} << 64 | rng()) & mask;
                part.push_back(
                    {{first, f}, {std::min<u128>(first + rng() % (u128{1} << (lowBits == 0 ? 20 : 40)), mask), f}});
            }
            items.insert(items.end(), part.begin(), part.end());
            pieces = unite(pieces, AddressSet::of(part));
        }
        const AddressSet whole = AddressSet::of(items);
        ASSERT_EQ(whole, pieces) << lowBits;
        const AddressMatcher matcher(whole);
        for (int i = 0; i < 20000; ++i) {
            const Range& r = items[rng() % items.size()];
            for (const u128 v :
                 {r.first.value - 1, r.first.value, r.last.value, r.last.value + 1, r.first.value + rng() % 99}) {
                const Address a{v & (lowBits == 0 ? u128{0xFFFFFFFFu} : ~u128{0}), r.first.family};
                ASSERT_EQ(matcher.contains(a), whole.contains(a)) << lowBits << " " << format(a);
            }
        }
    }
}

TEST(FreeSpace, FreeAndUsedMakeTheRootAndTheFirstBlockIsTheLowest)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const Universe u = randomUniverse(rng);
        const int rootBits = static_cast<int>(rng() % 8);  // a root of 1 to 128 addresses, inside the universe
        const std::size_t rootSize = std::size_t{1} << rootBits, rootAt = (rng() % kWidth) & ~(rootSize - 1);
        const Prefix root{u.at(rootAt), familyBits(u.family) - rootBits};
        Bits used;
        const FreeSpace fs = freeSpace(root, AddressSet::of(randomItems(rng, u, used)));
        const Bits free = bitsOf(fs.free, u);
        std::size_t freeCount = 0;
        for (std::size_t i = 0; i < kWidth; ++i) {
            const bool inRoot = i >= rootAt && i < rootAt + rootSize;
            ASSERT_EQ(free[i], inRoot && !used[i]) << "round " << round << " address " << i;
            freeCount += free[i];
        }
        EXPECT_EQ(fs.freeAddresses, (Count{freeCount, false}));
        EXPECT_EQ(fs.usedAddresses, (Count{rootSize - freeCount, false}));

        const int length = familyBits(u.family) - static_cast<int>(rng() % 5);
        std::optional<Prefix> want;
        const std::size_t block = std::size_t{1} << (familyBits(u.family) - length);
        for (std::size_t at = 0; at + block <= kWidth && !want; at += block)
            if (std::all_of(free.begin() + at, free.begin() + at + block, [](bool x) { return x; }))
                want = Prefix{u.at(at), length};
        EXPECT_EQ(firstAligned(fs.free, u.family, length), want) << "round " << round;
    }
    EXPECT_EQ(firstAligned(complement({}, {Address::v6(0), 0}), Family::V6, 0), (Prefix{Address::v6(0), 0}));
    EXPECT_EQ(firstAligned(complement({}, {Address::v4(0x0A000000), 8}), Family::V4, 7), std::nullopt);
}

struct Pair {
    std::size_t a, b;
    Relation relation;
    bool operator==(const Pair&) const = default;
};

// Every pair found the slow way, with the relation read off the bitmaps.
std::vector<Pair> pairsByHand(const std::vector<Range>& x, const std::vector<Range>& y, bool sameList)
{
    std::vector<Pair> out;
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = sameList ? i + 1 : 0; j < y.size(); ++j) {
            const AddressSet a = AddressSet::of({x[i]}), b = AddressSet::of({y[j]});
            const AddressSet both = intersect(a, b);
            if (both.empty())
                continue;
            const Relation r = a == b      ? Relation::Equal
                               : both == b ? Relation::Contains
                               : both == a ? Relation::Inside
                                           : Relation::Overlaps;
            out.push_back({i, j, r});
        }
    return out;
}

TEST(Overlaps, EveryPairFoundInOrderAndBothDirectionsAgree)
{
    std::mt19937 rng(3);
    const auto collect = [](auto&&... lists) {
        std::vector<Pair> out;
        visitOverlaps(lists..., [&](const OverlapPair& p) { out.push_back({p.a, p.b, p.relation}); });
        return out;
    };
    const auto mirrored = [](Relation r) {
        return r == Relation::Contains ? Relation::Inside : r == Relation::Inside ? Relation::Contains : r;
    };
    for (int round = 0; round < 300; ++round) {
        Bits ignored;
        std::vector<Range> x = randomItems(rng, randomUniverse(rng), ignored, 14);
        std::vector<Range> y = randomItems(rng, randomUniverse(rng), ignored, 14);
        if (round % 3 == 0 && !x.empty())
            y.push_back(x.front());  // an equal item across the lists
        if (round % 5 == 0 && !x.empty())
            x.push_back(x.back());  // a duplicate within a list
        if (round % 50 == 1 && !x.empty()) {  // more pairs than are held at once: found item by item
            x.insert(x.end(), 100, x.front());
            y.insert(y.end(), 100, x.front());
        }
        EXPECT_EQ(collect(x), pairsByHand(x, x, true)) << "round " << round;
        const std::vector<Pair> xy = collect(x, y);
        EXPECT_EQ(xy, pairsByHand(x, y, false)) << "round " << round;
        std::vector<Pair> yx = collect(y, x);
        for (Pair& p : yx)
            p = {p.b, p.a, mirrored(p.relation)};
        std::sort(yx.begin(), yx.end(),
                  [](const Pair& p, const Pair& q) { return std::tie(p.a, p.b) < std::tie(q.a, q.b); });
        EXPECT_EQ(yx, xy) << "round " << round;
    }
}

TEST(Overlaps, CrossingRangesAndACancelledSearch)
{
    const std::vector<Range> items = {{Address::v4(10), Address::v4(20)},
                                      {Address::v6(10), Address::v6(20)},
                                      {Address::v4(15), Address::v4(30)},
                                      {Address::v4(21), Address::v4(21)}};
    std::vector<std::string> got;
    visitOverlaps(items, [&](const OverlapPair& p) {
        got.push_back(std::to_string(p.a) + " " + std::string(relationName(p.relation)) + " " + std::to_string(p.b));
    });
    EXPECT_EQ(got, (std::vector<std::string>{"0 overlaps 2", "2 contains 3"}));
    const std::atomic<bool> stop{true};
    got.clear();
    visitOverlaps(
        items, [&](const OverlapPair&) { got.push_back("pair"); }, &stop);
    EXPECT_TRUE(got.empty());
}

}  // namespace
}  // namespace mq::net
