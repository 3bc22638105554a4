#include "net/summarize.h"

#include <algorithm>
#include <bit>

namespace mq::net {

namespace {

constexpr u128 familyMax(Family f) { return f == Family::V4 ? u128{0xFFFFFFFFu} : ~u128{0}; }

int trailingZeros(u128 v, int bits) {
  if (v == 0) return bits;
  const auto low = static_cast<std::uint64_t>(v);
  return low ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(v >> 64));
}

int floorLog2(u128 v) {  // v > 0
  const auto high = static_cast<std::uint64_t>(v >> 64);
  return high ? 127 - std::countl_zero(high) : 63 - std::countl_zero(static_cast<std::uint64_t>(v));
}

// Each step takes the largest aligned block that starts at `first` and ends by `last`.
template <class Emit>
void eachPrefix(Family f, u128 first, u128 last, Emit&& emit) {
  const int bits = familyBits(f);
  for (;;) {
    const u128 span = last - first;
    const int fits = span == familyMax(f) ? bits : floorLog2(span + 1);
    const int hostBits = std::min(trailingZeros(first, bits), fits);
    emit(Prefix{{first, f}, bits - hostBits});
    const u128 blockLast = first + (hostBits >= 128 ? ~u128{0} : (u128{1} << hostBits) - 1);
    if (blockLast >= last) return;
    first = blockLast + 1;
  }
}

// Sorts and joins overlapping and touching spans, then writes each join as prefixes.
template <class Span, class Emit>
void mergeSpans(Family f, std::vector<Span>& spans, Emit&& emit) {
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
  const u128 top = familyMax(f);
  for (std::size_t i = 0; i < spans.size();) {
    u128 first = spans[i].first, last = spans[i].last;
    for (++i; i < spans.size() && (last == top || u128{spans[i].first} <= last + 1); ++i)
      last = std::max<u128>(last, spans[i].last);
    eachPrefix(f, first, last, emit);
  }
}

}  // namespace

void Summarizer::add(const Range& r) {
  if (r.first.family == Family::V4)
    v4_.push_back({static_cast<std::uint32_t>(r.first.value), static_cast<std::uint32_t>(r.last.value)});
  else
    v6_.push_back({r.first.value, r.last.value});
}

void Summarizer::visit(const std::function<void(const Prefix&)>& emit) {
  mergeSpans(Family::V4, v4_, emit);
  mergeSpans(Family::V6, v6_, emit);
}

std::vector<Prefix> rangeToPrefixes(const Range& r) {
  std::vector<Prefix> out;
  eachPrefix(r.first.family, r.first.value, r.last.value, [&](const Prefix& p) { out.push_back(p); });
  return out;
}

std::vector<Prefix> summarize(std::vector<Range> ranges) {
  Summarizer s;
  for (const Range& r : ranges) s.add(r);
  std::vector<Prefix> out;
  s.visit([&](const Prefix& p) { out.push_back(p); });
  return out;
}

}  // namespace mq::net
