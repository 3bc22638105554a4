#include "net/summarize.h"

#include <algorithm>
#include <bit>

#include "net/bits.h"

namespace mq::net {

namespace {

// Each step takes the largest aligned block that starts at `first` and ends by `last`.
template <class Emit>
void eachPrefix(Family f, u128 first, u128 last, Emit&& emit) {
  const int bits = familyBits(f);
  for (;;) {
    const u128 span = last - first;
    const int fits = span == familyMask(f) ? bits : bitLength(span + 1) - 1;
    const int hostBits = std::min({trailingZeros(first), bits, fits});
    emit(Prefix{{first, f}, bits - hostBits});
    const u128 blockLast = first + lowBits(hostBits);
    if (blockLast >= last) return;
    first = blockLast + 1;
  }
}

u128 firstOf(std::uint64_t packed) { return packed >> 32; }
u128 lastOf(std::uint64_t packed) { return packed & 0xFFFFFFFFu; }
u128 firstOf(const Summarizer::V6Span& s) { return s.first; }
u128 lastOf(const Summarizer::V6Span& s) { return s.last; }

// Sorts and joins overlapping and touching spans, then writes each join as prefixes.
template <class Span, class Emit>
void mergeSpans(Family f, std::vector<Span>& spans, Emit&& emit) {
  std::sort(spans.begin(), spans.end());
  const u128 top = familyMask(f);
  for (std::size_t i = 0; i < spans.size();) {
    const u128 first = firstOf(spans[i]);
    u128 last = lastOf(spans[i]);
    for (++i; i < spans.size() && (last == top || firstOf(spans[i]) <= last + 1); ++i)
      last = std::max(last, lastOf(spans[i]));
    eachPrefix(f, first, last, emit);
  }
}

}  // namespace

void Summarizer::add(const Range& r) {
  if (r.first.family == Family::V4)
    v4_.push_back(static_cast<std::uint64_t>(r.first.value) << 32 | static_cast<std::uint32_t>(r.last.value));
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
