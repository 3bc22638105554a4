#pragma once
// The .mqplan document's objects, each declared once as a table of its keys: how a key's value
// is read, how it is written and when, whether it must be there, and which version first has
// it. One reader walks every object by its table, so an unknown, repeated or missing key is
// refused here and in the same words for every object; one writer writes every object in its
// table's order, so the order of the keys written is the order declared.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "textio/json.h"

namespace mq::plan::detail {

enum class Need : std::uint8_t { Optional, Required };

// The path of the first key each later version adds, for the version check once the
// document's "version" is known (it may come last).
struct LaterKeys {
    std::string v2, v3;
    void note(int since, const textio::json::Reader& in)
    {
        std::string& first = since == 2 ? v2 : v3;
        if (first.empty())
            first = in.path();
    }
};

// A key of an object read into R and written from W (a view of the plan, or R itself).
template <class R, class W = R> struct Member {
    std::string_view key;
    // Reads the value, leaving the reader failed at the value's path when it is refused.
    void (*read)(textio::json::Reader&, R&) = nullptr;
    // Writes the value; none for a key only older documents have.
    void (*write)(textio::json::Writer&, const W&) = nullptr;
    // Whether the key is written: none, always; else only when it holds more than its default.
    bool (*written)(const W&) = nullptr;
    Need need = Need::Optional;
    int since = 1;  // the document version that first has the key
};

// The members of one object, read into `out` by the table; `noun` names the object in the
// message for a required key that is missing ("the host has no \"name\""). Returns the keys
// seen, bit i for the table's entry i.
template <class R, class W>
std::uint64_t readMembers(textio::json::Reader& in, const Member<R, W>* keys, std::size_t n, R& out,
                          std::string_view noun, LaterKeys* later)
{
    std::uint64_t seen = 0;
    if (!in.beginObject())
        return seen;
    std::string key;
    while (in.nextMember(key)) {
        std::size_t i = 0;
        while (i < n && keys[i].key != key)
            ++i;
        if (i == n) {
            in.fail("unknown key \"" + key + "\"");
        } else if (seen & (std::uint64_t{1} << i)) {
            in.fail("duplicate key \"" + key + "\"");
        } else {
            seen |= std::uint64_t{1} << i;
            if (later && keys[i].since > 1)
                later->note(keys[i].since, in);
            keys[i].read(in, out);
        }
    }
    for (std::size_t i = 0; i < n && !in.failed(); ++i)
        if (keys[i].need == Need::Required && !(seen & (std::uint64_t{1} << i)))
            in.fail("the " + std::string(noun) + " has no \"" + std::string(keys[i].key) + "\"");
    return seen;
}

template <class R, class W, std::size_t N>
std::uint64_t readMembers(textio::json::Reader& in, const Member<R, W> (&keys)[N], R& out, std::string_view noun,
                          LaterKeys* later = nullptr)
{
    static_assert(N <= 64, "one bit a key");
    return readMembers(in, keys, N, out, noun, later);
}

template <class R, class W, std::size_t N>
std::uint64_t readMembers(textio::json::Reader& in, const std::array<Member<R, W>, N>& keys, R& out,
                          std::string_view noun, LaterKeys* later = nullptr)
{
    static_assert(N <= 64, "one bit a key");
    return readMembers(in, keys.data(), N, out, noun, later);
}

// Whether entry `key` of the table was among those seen.
template <class R, class W, std::size_t N>
bool wasSeen(const Member<R, W> (&keys)[N], std::uint64_t seen, std::string_view key)
{
    for (std::size_t i = 0; i < N; ++i)
        if (keys[i].key == key)
            return seen & (std::uint64_t{1} << i);
    return false;
}

// A key as the characters of a literal, for the writer's fast way with literal keys.
template <std::size_t N> struct KeyChars {
    char v[N];
};
template <const auto& Keys, std::size_t I> constexpr auto keyChars()
{
    constexpr std::string_view k = Keys[I].key;
    KeyChars<k.size() + 1> c{};
    for (std::size_t i = 0; i < k.size(); ++i)
        c.v[i] = k[i];
    return c;
}
template <const auto& Keys, std::size_t I> inline constexpr auto kKeyChars = keyChars<Keys, I>();

// Entry I of a table known when compiling, written when it is to be: its calls are made
// directly, not through pointers (the block and host writers run for millions of them).
template <const auto& Keys, std::size_t I, class W> void writeMember(textio::json::Writer& j, const W& from)
{
    // Plain ifs, not if constexpr: the sanitizers' build cannot take a function's address as
    // a constant, and the optimiser folds these all the same.
    constexpr const auto& m = Keys[I];
    if (m.write == nullptr || (m.written != nullptr && !m.written(from)))
        return;
    j.key(kKeyChars<Keys, I>.v);
    m.write(j, from);
}

template <const auto& Keys, class W, std::size_t... I>
void writeMembers(textio::json::Writer& j, const W& from, std::index_sequence<I...>)
{
    (writeMember<Keys, I>(j, from), ...);
}

// The members of one object in the table's order, inside an object the caller opened.
template <const auto& Keys, class W> void writeMembers(textio::json::Writer& j, const W& from)
{
    writeMembers<Keys>(j, from, std::make_index_sequence<std::size(Keys)>{});
}

// ---- entries made from a member pointer: the value read and written by its type.
template <class M> struct MemberOf;
template <class C, class V> struct MemberOf<V C::*> {
    using Class = C;
    using Value = V;
};
template <auto F> using ClassOf = typename MemberOf<decltype(F)>::Class;

// Written only when the member differs from a new object's.
template <auto F> bool differs(const ClassOf<F>& v)
{
    static const ClassOf<F> byDefault{};
    return !(v.*F == byDefault.*F);
}

template <auto F> void readBool(textio::json::Reader& in, ClassOf<F>& v)
{
    in.readBool(v.*F);
}

template <auto F> void writeBool(textio::json::Writer& j, const ClassOf<F>& v)
{
    j.boolean(v.*F);
}

template <auto F> void writeText(textio::json::Writer& j, const ClassOf<F>& v)
{
    j.string(v.*F);
}

}  // namespace mq::plan::detail
